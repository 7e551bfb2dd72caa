#include "lib/dates.h"
#include "lib/widgets/helper_window.h"
#include "lib/widgets/print_window.h"
#include "tests/support/scripted_dialogs.h"

#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace navlor {
namespace {

class PrintWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        window.setFixedSize(300, 200);
        window.setAutoFillBackground(true);
        QPalette red = window.palette();
        red.setColor(QPalette::Window, Qt::red);
        window.setPalette(red);
    }

    // Points the helper window's printer at a PDF file.
    QString printToPdf(TF_GBF& helper)
    {
        const QString path = dir.filePath("janela.pdf");
        helper.printer()->setOutputFormat(QPrinter::PdfFormat);
        helper.printer()->setOutputFileName(path);
        return path;
    }

    QTemporaryDir dir;
    QWidget window;
    test::ScopedDialogs dialogs;
};

int pageCount(const QString& pdf)
{
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}

TEST_F(PrintWindowTest, HelperWindowHasItsPrintDialogAndFixesYearWindow)
{
    setTwoDigitYearWindow(0);
    TF_GBF helper;
    EXPECT_EQ(F_GBF, &helper);
    EXPECT_EQ(helper.objectName(), "F_GBF");
    EXPECT_EQ(helper.windowTitle(), "F_GBF");
    EXPECT_FALSE(helper.isVisible());
    EXPECT_EQ(twoDigitYearWindow(), 90);

    QPrintDialog* dialog = helper.PDIALOG.get();
    EXPECT_EQ(dialog->objectName(), "PDIALOG");
    EXPECT_TRUE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
    EXPECT_EQ(dialog->printRange(), QAbstractPrintDialog::PageRange);
    EXPECT_EQ(dialog->minPage(), 1);
    EXPECT_EQ(dialog->maxPage(), 9999);
}

TEST_F(PrintWindowTest, ConfirmedDialogPrintsOnePage)
{
    TF_GBF helper;
    const QString pdf = printToPdf(helper);
    dialogs->onShowModal = [](QWidget*) { return int(QDialog::Accepted); };

    IMPRIME_JANELA(&window);
    EXPECT_EQ(dialogs->modalWindows, QStringList({"PDIALOG"}));
    EXPECT_EQ(pageCount(pdf), 1);
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(PrintWindowTest, CancelledDialogPrintsNothing)
{
    TF_GBF helper;
    const QString pdf = printToPdf(helper);
    IMPRIME_JANELA(&window);
    EXPECT_EQ(dialogs->modalWindows, QStringList({"PDIALOG"}));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintWindowTest, WithoutHelperWindowUsesATemporaryOne)
{
    ASSERT_EQ(F_GBF, nullptr);
    IMPRIME_JANELA(&window);
    EXPECT_EQ(dialogs->modalWindows, QStringList({"PDIALOG"}));
    EXPECT_EQ(F_GBF, nullptr);
}

TEST_F(PrintWindowTest, PrintsAtScreenSizeFromTopLeft)
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm not installed";
    TF_GBF helper;
    const QString pdf = printToPdf(helper);
    ASSERT_TRUE(printWindowImage(&window, *helper.printer()));

    // Rendered at 96 dots per inch, the window must come out at its own size in pixels.
    const QString stem = dir.filePath("pagina");
    ASSERT_EQ(QProcess::execute(pdftoppm, {"-r", "96", "-png", "-singlefile", pdf, stem}), 0);
    const QImage page(stem + ".png");
    ASSERT_FALSE(page.isNull());
    QRect red;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                red |= QRect(x, y, 1, 1);
        }
    ASSERT_FALSE(red.isEmpty());
    EXPECT_NEAR(red.width(), 300, 3);
    EXPECT_NEAR(red.height(), 200, 3);
    // Top left of the printable area: within the page margin, not centred.
    EXPECT_LT(red.left(), 96);
    EXPECT_LT(red.top(), 96);
}

} // namespace
} // namespace navlor
