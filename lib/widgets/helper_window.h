#pragma once

// The hidden helper window: created after the main window, never shown, alive until the
// program ends. It fixes the two-digit-year window and lends its print dialog.

#include "lib/widgets/window_helpers.h"

#include <QWidget>

#include <memory>

class QPrintDialog;
class QPrinter;

namespace navlor {

class TF_GBF : public QWidget
{
    Q_OBJECT

public:
    explicit TF_GBF(QWidget* parent = nullptr);
    ~TF_GBF() override;

    QPrinter* printer() const { return m_printer.get(); }

private:
    // Declared before the dialog, so the dialog goes first.
    std::unique_ptr<QPrinter> m_printer;

public:
    // Page numbers enabled and preselected, 1 to 9999.
    const std::unique_ptr<QPrintDialog> PDIALOG;

private:
    SingleInstance<TF_GBF> m_instance; // F_GBF
};

// The single instance, or null before it is created.
extern TF_GBF* F_GBF;

} // namespace navlor
