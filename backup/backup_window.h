#pragma once

// The automatic backup window: the job list, a job's parameters and its own batch text, the map
// of all jobs, and the run of a job. Created without being shown it is the working area of the
// start-up pass, which loads each active job into its controls and runs it from there.

#include "backup/backup_job.h"
#include "backup/backup_run.h"
#include "lib/dialogs.h"
#include "lib/platform/interruption.h"
#include "lib/widgets/window_helpers.h"

#include <QDialog>
#include <QString>
#include <QThread>

#include <memory>

namespace Ui {
class TF_BKPA;
}

namespace navlor {

class BackupConsole;

class TF_BKPA : public QDialog
{
    Q_OBJECT

public:
    explicit TF_BKPA(QWidget* parent = nullptr);
    ~TF_BKPA() override;

    // The job as the controls hold it, and the controls set from a job.
    BackupJob job() const;
    void showJob(const BackupJob& job);

    // The archiver option of the console's parameter file, read when the window was created.
    QString archiverOption() const { return m_archiverOption; }

    Ui::TF_BKPA* form() const { return m_ui.get(); }

    // Whether a job runs from this window's "Executar".
    bool ownRunGoing() const { return m_cancel != nullptr; }
    // The job "Executar" started runs on a thread of its own; runFinished() follows it.
    bool runGoing() const { return m_running; }
    // The status line: what the message line shows of the run.
    void showStatus(const QString& text);

signals:
    // The run "Executar" started is over; the window shows the job as the run left it.
    void runFinished();

public slots:
    void LISTClick();
    void LISTDblClick();
    void BU_ABRIRClick();
    void BU_SALVARClick();
    void BU_MENUClick();
    void BU_EXECUTARClick();
    void E_PERIODOChange();
    void CB_BATEXECUTEClick();
    void E_DESTINOExit();
    void LA_ORIGEMClick();
    void LA_DESTINOClick();
    void Diretorios1Click();
    void ImprimirTela1Click();
    void BU_MAPAClick();
    void BU_RESTAURAClick();
    void BU_BAT_SALVARClick();
    void BU_BAT_EXECUTARClick();
    void BU_SAIRClick();
    void BU_CANCELARClick();
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void connectHandlers();
    void loadGlyphs();
    void keepInCapitals();

    // The job operations on the controls.
    void fillJobList();
    void loadJob();
    void saveJob();
    void applyBatExecuteRule();
    bool sourceAcceptedForSaving();
    void endOwnRun(const BackupJob& job);
    void setRunControls(bool running);
    QString dataDirectory() const;

    std::unique_ptr<Ui::TF_BKPA> m_ui;
    std::unique_ptr<BackupConsole> m_console;
    QString m_archiverOption;
    bool m_running = false;
    std::unique_ptr<CancelRequest> m_cancel; // of the run "Executar" started
    std::unique_ptr<QThread> m_runThread;

public:
    // "Diretórios": only shows the destination's files.
    FileDialogRequest OpenDialog1;

private:
    SingleInstance<TF_BKPA> m_instance; // F_BKPA
};

// The backup window while it exists, or null.
extern TF_BKPA* F_BKPA;

} // namespace navlor
