#include "lib/widgets/print_window.h"

#include "lib/dialogs.h"
#include "lib/widgets/helper_window.h"
#include "lib/widgets/window_dialogs.h"

#include <QDialog>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

namespace navlor {

namespace {

// Windows are laid out at 96 pixels per inch; one window pixel prints as 1/96 inch.
constexpr double kScreenDpi = 96.0;

// The client area: below the menu bar of a main window, the whole of any other window.
QWidget* clientArea(QWidget* window)
{
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget())
        return main->centralWidget();
    return window;
}

} // namespace

bool printWindowImage(QWidget* window, QPrinter& printer)
{
    const QPixmap image = clientArea(window)->grab();
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / kScreenDpi;
    painter.scale(scale, scale);
    const QSizeF logical = image.deviceIndependentSize();
    painter.drawPixmap(QRectF(QPointF(0, 0), logical), image, QRectF(image.rect()));
    return painter.end();
}

void IMPRIME_JANELA(QWidget* window)
{
    if (!window)
        return;
    std::unique_ptr<TF_GBF> temporary;
    if (!F_GBF)
        temporary = std::make_unique<TF_GBF>();
    TF_GBF* helper = F_GBF;
    if (showModal(helper->PDIALOG.get()) != QDialog::Accepted)
        return;
    if (!printWindowImage(window, *helper->printer()))
        dialogs().message(QStringLiteral("Não foi possível imprimir a janela."));
}

} // namespace navlor
