#include "tools/about_box.h"

#include "lib/telephone.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusTipEvent>

#include <gtest/gtest.h>

namespace navlor {
namespace {

// Records the shell's work instead of starting a mail program, a browser or a call.
class ShellRecorder : public test::ForwardingPlatform
{
public:
    bool openUrl(const QString& url) override
    {
        urls << url;
        return answer;
    }
    bool placeCall(const QString& number, const QString& party, const QString& application,
                   const QString& comment) override
    {
        calls << QStringList{number, party, application, comment};
        return answer;
    }

    bool answer = true;
    QStringList urls;
    QList<QStringList> calls;
};

void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

class AboutBox : public ::testing::Test
{
protected:
    QLabel* label(const char* name) { return box.findChild<QLabel*>(name); }

    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    test::ScopedPlatform<ShellRecorder> shell;
    TF_SOBRE box;
};

TEST_F(AboutBox, ShowsTheMakersContactDataAsConfigured)
{
    const MakerContact& contact = makerContact();
    EXPECT_FALSE(contact.email.isEmpty());
    EXPECT_FALSE(contact.site.isEmpty());
    EXPECT_FALSE(contact.site.contains(u':'));
    EXPECT_FALSE(contact.phone.contains(u' ')); // the dialler would cut it there

    EXPECT_EQ(box.objectName(), "F_SOBRE");
    EXPECT_EQ(F_SOBRE, &box);
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8("SOBRE - Valdoro Informática Ltda"));
    EXPECT_EQ(label("LA_FONE")->text(), contact.phones);
    EXPECT_EQ(label("LA_EMAIL")->text(), "Email:  " + contact.email);
    EXPECT_EQ(label("LA_SITE")->text(), contact.site);
    EXPECT_EQ(label("LA_MSG")->text(), QString::fromUtf8(" VALDORO Informática Ltda"));
    EXPECT_EQ(box.statusText(), label("LA_MSG")->text());

    box.setStatusText("NAVLOR - Servidor de Sistema - Backup/Restore");
    EXPECT_EQ(label("LA_MSG")->text(), "NAVLOR - Servidor de Sistema - Backup/Restore");
}

// The configured contact texts are shown whole: their font gives way only as far as needed.
TEST_F(AboutBox, ContactTextsFitWholeAndThePictureDecodes)
{
    EXPECT_FALSE(label("Image1")->pixmap().isNull()) << "sobre.jpg did not decode";
    for (const char* name : {"LA_FONE", "LA_EMAIL", "LA_SITE"}) {
        QLabel* item = label(name);
        EXPECT_LE(QFontMetrics(item->font()).horizontalAdvance(item->text()),
                  item->contentsRect().width())
            << name;
        EXPECT_EQ(item->cursor().shape(), Qt::PointingHandCursor) << name;
    }
}

TEST_F(AboutBox, ClicksWriteMailOpenTheSiteFromItsCaptionAndDial)
{
    click(label("LA_EMAIL"));
    click(label("LA_SITE"));
    label("LA_SITE")->setText("outro.example");
    click(label("LA_SITE"));
    click(label("LA_EMAIL"), Qt::RightButton); // only the left button acts
    EXPECT_EQ(shell->urls, (QStringList{"mailto:" + makerContact().email,
                                        "http://" + makerContact().site, "http://outro.example"}));

    click(label("LA_FONE"));
    ASSERT_EQ(shell->calls.size(), 1);
    EXPECT_EQ(shell->calls[0], (QStringList{dialableNumber(makerContact().phone),
                                            QString::fromUtf8("VALDORO Informática"),
                                            QApplication::applicationName(), "Teste"}));
    // digits only: the dot of the configured number does not reach the telephony
    EXPECT_FALSE(shell->calls[0][0].contains(u'.'));
    EXPECT_FALSE(shell->calls[0][0].isEmpty());
}

TEST_F(AboutBox, NoHandlerForTheShellShowsNothing)
{
    shell->answer = false;
    box.LA_FONEClick();
    box.LA_EMAILClick();
    box.LA_SITEClick();
    EXPECT_EQ(shell->calls.size(), 1);
    EXPECT_EQ(shell->urls.size(), 2);
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(AboutBox, StatusLineShowsAHintWhilePointedAtThenItsText)
{
    box.setStatusText("NAVLOR - Servidor de Sistema - Backup/Restore");
    QStatusTipEvent enter(label("LA_SITE")->statusTip());
    QCoreApplication::sendEvent(label("LA_SITE"), &enter);
    EXPECT_FALSE(label("LA_SITE")->statusTip().isEmpty());
    EXPECT_EQ(label("LA_MSG")->text(), label("LA_SITE")->statusTip());

    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(label("LA_SITE"), &leave);
    EXPECT_EQ(label("LA_MSG")->text(), "NAVLOR - Servidor de Sistema - Backup/Restore");
    EXPECT_EQ(box.statusText(), "NAVLOR - Servidor de Sistema - Backup/Restore");
}

} // namespace
} // namespace navlor
