#include "lib/widgets/helper_window.h"

#include "lib/dates.h"

#include <QPrintDialog>
#include <QPrinter>

namespace navlor {

TF_GBF* F_GBF = nullptr;

namespace {

std::unique_ptr<QPrintDialog> makePrintDialog(QPrinter* printer, QWidget* parent)
{
    auto dialog = std::make_unique<QPrintDialog>(printer, parent);
    dialog->setObjectName(QStringLiteral("PDIALOG"));
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog->setMinMax(1, 9999);
    dialog->setFromTo(1, 9999);
    dialog->setPrintRange(QAbstractPrintDialog::PageRange);
    return dialog;
}

} // namespace

TF_GBF::TF_GBF(QWidget* parent)
    : QWidget(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      PDIALOG(makePrintDialog(m_printer.get(), this)), m_instance(F_GBF, this)
{
    setObjectName(QStringLiteral("F_GBF"));
    setWindowTitle(QStringLiteral("F_GBF"));
    setTwoDigitYearWindow(90);
}

TF_GBF::~TF_GBF() = default;

} // namespace navlor
