#pragma once

// The directory backup window: packs a whole directory into an ARJ archive, restores an
// archive into its original or another directory and shows an archive's contents, each
// operation one ARJ command line run through the batch runner while the window waits.

#include "lib/dialogs.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TF_BKPDIR;
}

namespace navlor {

class TF_BKPDIR : public QDialog
{
    Q_OBJECT

public:
    explicit TF_BKPDIR(QWidget* parent = nullptr);
    ~TF_BKPDIR() override;

    // The archiver found at creation; empty when there is none.
    QString ARQ_ARJ() const { return m_arqArj; }
    // OpenDialog1, as the last action left it.
    const FileDialogRequest& OpenDialog1() const { return m_openDialog; }

    Ui::TF_BKPDIR* form() const { return m_ui.get(); }

public slots:
    void FormCreate();
    void BU_GUARDARClick();
    void BU_RESTAURARClick();
    void BU_DIRETORIOSClick();
    void BU_SAIRClick();
    void CB_EXECUTARChange();
    void E_B_DIRORIGEMChange();
    void E_B_DIRDESTINOChange();
    void BU_B_DIRORIGEMClick();
    void BU_B_DIRDESTINOClick();
    void BU_B_CRIADIRClick();
    void BU_B_OPENDIALOGClick();
    void BU_B_EXECUTARClick();
    void BU_R_ORIGEMClick();
    void BU_R_DESTINOClick();
    void BU_R_EXECUTARClick();
    void BU_CONTEUDOClick();
    void DialogCriardiretorios1Click();
    void Diretorios1Click();

private:
    void connectHandlers();
    void centreOnDesktop();
    void deriveArchiveName();
    void store();
    void restore();

    std::unique_ptr<Ui::TF_BKPDIR> m_ui;
    QString m_arqArj;
    FileDialogRequest m_openDialog; // OpenDialog1
    bool m_working = false;         // an archiver run is under way
};

// Opens the directory backup window modally and releases it when the operator closes it.
void openDirectoryBackupWindow(QWidget* parent);

} // namespace navlor
