#pragma once

// The console parameters dialog: the flags of the start-up run, the ARJ option of the
// automatic backup and the autostart value. It edits the parameter file in the data directory
// of F_NAVLOR and writes the program path that F_NAVLOR shows.

#include "lib/param_file.h"
#include "lib/widgets/window_helpers.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TF_NAVLOR_P;
}

namespace navlor {

class TF_NAVLOR_P : public QDialog
{
    Q_OBJECT

public:
    // Needs F_NAVLOR: it reads LA_DIRNAVLOR and LA_DIRATUAL from there.
    explicit TF_NAVLOR_P(QWidget* parent = nullptr);
    ~TF_NAVLOR_P() override;

    Ui::TF_NAVLOR_P* form() const { return m_ui.get(); }

public slots:
    // Writes the flags, the ARJ option and the autostart value, then closes accepted. A
    // parameter file that cannot be written ends the action before the autostart value is
    // touched; a Run key that cannot be written ends it after. Either way the dialog stays open.
    void BU_SALVARClick();
    // Closes without writing anything.
    void BU_SAIRClick();

private:
    void FormCreate();
    void fixSizeAndCentre();

    std::unique_ptr<Ui::TF_NAVLOR_P> m_ui;
    // The lines as read at creation: the store's table is shared, and these are written back.
    ParamSlots m_lines;
    SingleInstance<TF_NAVLOR_P> m_instance; // F_NAVLOR_P
};

// The open instance, or null.
extern TF_NAVLOR_P* F_NAVLOR_P;

} // namespace navlor
