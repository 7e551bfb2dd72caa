#include "tools/about_box.h"

#include "ui_about_box.h"

#include "lib/platform/platform.h"
#include "lib/telephone.h"
#include "lib/widgets/jpeg_image.h"

#include "maker_contact.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QStatusTipEvent>

namespace navlor {

TF_SOBRE* F_SOBRE = nullptr;

namespace {

// The client area the box was designed for: 583 x 202 outside, less the frame.
constexpr int kClientWidth = 575;
constexpr int kClientHeight = 177;

const QColor kItemColour(57, 209, 254);

// The contact items: a bookish serif, where the host has no Bookman the nearest it has.
QFont itemFont()
{
    QFont font(QStringLiteral("Bookman Old Style"));
    font.setFamilies({QStringLiteral("Bookman Old Style"), QStringLiteral("URW Bookman"),
                      QStringLiteral("TeX Gyre Bonum"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(19);
    font.setBold(true);
    return font;
}

// The design size, or smaller when the configured text would not fit the label whole.
void fitItem(QLabel* item)
{
    constexpr int kSmallest = 10;
    QFont font = itemFont();
    while (font.pixelSize() > kSmallest &&
           QFontMetrics(font).horizontalAdvance(item->text()) > item->contentsRect().width())
        font.setPixelSize(font.pixelSize() - 1);
    item->setFont(font);
}

bool isLeftClick(QEvent* event, QWidget* widget)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton &&
           widget->rect().contains(mouse->position().toPoint());
}

} // namespace

const MakerContact& makerContact()
{
    static const MakerContact contact{
        QString::fromUtf8(NAVLOR_MAKER_PHONES),
        QString::fromUtf8(NAVLOR_MAKER_EMAIL),
        QString::fromUtf8(NAVLOR_MAKER_SITE),
        QString::fromUtf8(NAVLOR_MAKER_PHONE),
    };
    return contact;
}

TF_SOBRE::TF_SOBRE(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TF_SOBRE>()), m_instance(F_SOBRE, this)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_status = m_ui->LA_MSG->text();

    m_ui->Image1->setPixmap(loadPicture(QStringLiteral("sobre.jpg")));
    for (QLabel* item : {m_ui->LA_FONE, m_ui->LA_EMAIL, m_ui->LA_SITE}) {
        QPalette palette = item->palette();
        palette.setColor(QPalette::WindowText, kItemColour);
        item->setPalette(palette);
        item->installEventFilter(this);
    }

    fixSizeAndCentre();
    FormCreate();
}

TF_SOBRE::~TF_SOBRE() = default;

void TF_SOBRE::FormCreate()
{
    const MakerContact& contact = makerContact();
    m_ui->LA_FONE->setText(contact.phones);
    m_ui->LA_EMAIL->setText(QStringLiteral("Email:  ") + contact.email);
    m_ui->LA_SITE->setText(contact.site);
    for (QLabel* item : {m_ui->LA_FONE, m_ui->LA_EMAIL, m_ui->LA_SITE})
        fitItem(item);
}

void TF_SOBRE::fixSizeAndCentre()
{
    setFixedSize(kClientWidth, kClientHeight);
    centreOnScreen(*this);
}

void TF_SOBRE::setStatusText(const QString& text)
{
    m_status = text;
    m_ui->LA_MSG->setText(text);
}

bool TF_SOBRE::event(QEvent* event)
{
    // The hint of the control under the mouse, or the status text again when it leaves.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_ui->LA_MSG->setText(tip.isEmpty() ? m_status : tip);
        return true;
    }
    return QDialog::event(event);
}

bool TF_SOBRE::eventFilter(QObject* watched, QEvent* event)
{
    const std::pair<QLabel*, void (TF_SOBRE::*)()> items[] = {
        {m_ui->LA_FONE, &TF_SOBRE::LA_FONEClick},
        {m_ui->LA_EMAIL, &TF_SOBRE::LA_EMAILClick},
        {m_ui->LA_SITE, &TF_SOBRE::LA_SITEClick},
    };
    for (const auto& [label, handler] : items) {
        if (watched == label && isLeftClick(event, label)) {
            (this->*handler)();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- the three actions: nothing is examined and nothing is reported ---------------------

void TF_SOBRE::LA_EMAILClick()
{
    (void)platform().openUrl(QStringLiteral("mailto:") + makerContact().email);
}

void TF_SOBRE::LA_SITEClick()
{
    (void)platform().openUrl(QStringLiteral("http://") + m_ui->LA_SITE->text());
}

void TF_SOBRE::LA_FONEClick()
{
    DISCA_TELEFONE(makerContact().phone, QString::fromUtf8("VALDORO Informática"),
                   QApplication::applicationName());
}

} // namespace navlor
