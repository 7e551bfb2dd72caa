#pragma once

// The console's main window: opens every other window, runs the start-up housekeeping and
// holds, in its controls, the values the rest of the program shares.

#include "lib/console_state.h"
#include "lib/dialogs.h"
#include "lib/widgets/console_window.h"
#include "lib/widgets/window_helpers.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

namespace Ui {
class TF_NAVLOR;
}

namespace navlor {

class BackupPass;
class InputGate;
class InterruptDeferral;

class TF_NAVLOR : public QMainWindow, public ConsoleWindow
{
    Q_OBJECT

public:
    // `arguments`: the command line after the program name.
    explicit TF_NAVLOR(const QStringList& arguments, QWidget* parent = nullptr);
    ~TF_NAVLOR() override;

    // Appends a message to the message line and shows it; an empty text does nothing.
    void ADD_MSG(const QString& text) override;

    // The shared values, which the controls show.
    QString dataDirectory() const override;   // LA_DIRNAVLOR
    QString systemDirectory() const override; // LA_DIR1, "**" when missing
    QString programPath() const override;     // LA_DIRATUAL
    QString windowsDirectory() const;         // LA_WINDOWS
    QString messageText() const override;     // visible text of E_MSG
    QStringList messages() const;             // the list of E_MSG
    bool stopRequested() const override;      // CB_PARARBKP
    QWidget* stopControl() const;             // CB_PARARBKP
    // What takes clicks while a batch runs: "Parar BKP Aut" and "Sair", which stop the pass.
    QList<QWidget*> batchControls() const override;
    // Safe from the pass's thread (a test's archiver): the pass sees it at once.
    void setStopRequested(bool stop);
    // The start-up pass is under way on its own thread.
    bool passRunning() const { return m_pass != nullptr; }
    // The start-up run (count-down, then the pass) has begun and is not over.
    bool startupRunGoing() const { return m_startupGoing; }
    bool startupTimerActive() const { return TM_GERAL.isActive(); }
    // The program's exit status: 2 when the start-up pass found no installation or no job to
    // run, 1 when a job failed or the pass was interrupted, else 0.
    int exitStatus() const
    {
        if (m_nothingToDo)
            return 2;
        return m_failedJobs > 0 || m_interrupted ? 1 : 0;
    }
    // The visible text of the message line, the list left as it is.
    void setMessageText(const QString& text) override;
    void clearMessageText();

    // The controls, for handlers of the window kept in other files.
    Ui::TF_NAVLOR* form() const { return m_ui.get(); }

signals:
    // Every message that reaches the message line, for a log of the run.
    void messageAdded(const QString& text);
    // The pass started by startBackupPass() is over and its outcome counted.
    void passFinished();
    // The start-up run is over: cancelled in its count-down, or its pass done and shown.
    void startupRunOver();

public slots:
    void TM_GERALTimer();
    // The start-up pass itself, after the count-down: the clean-up and every due job on a
    // thread of their own, the window answering meanwhile but letting only "Parar BKP Aut"
    // and "Sair" through. Returns at once; passFinished() says when it is over, and its
    // failures count in exitStatus().
    void startBackupPass();
    void TM_FECHARTimer();
    void BU_CANCELARClick();
    void BU_SAIRClick();
    void BU_BKPAClick();
    void editConsoleParameters();
    void browseDirectories();
    void searchFilesInTree();
    void deleteQueryTables();
    void deleteLockFiles();
    void deleteNetControlFile();
    void storeOrRestoreDirectory();
    void printScreen();
    void toggleAutostart();
    void editConfigurationFiles();
    void runBdeSetup();
    void runBdeAdministrator();
    void runDatabaseDesktop();
    void openCommandPrompt();
    void showAbout();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const QStringList& arguments);
    void endBackupPass();
    void finishStartupRun();
    void countDown(int second);
    void countedDown(int second);
    void endStartupRun();
    void FormShow();
    void connectHandlers();
    void loadPictures();
    void sizeAndCentre();
    void anchorToEdges();

    std::unique_ptr<Ui::TF_NAVLOR> m_ui;
    ConsoleState m_state;
    std::unique_ptr<WindowOpener> m_opener;
    std::unique_ptr<BackupPass> m_pass;
    std::unique_ptr<InputGate> m_passGate;
    std::atomic<bool> m_stopFlag{false}; // CB_PARARBKP, as the pass's thread reads it
    bool m_finishStartupAfterPass = false;
    std::unique_ptr<InterruptDeferral> m_startupDeferral;
    bool m_startupGoing = false;
    int m_failedJobs = 0;
    bool m_interrupted = false;   // asked to end before the start-up run was through
    bool m_nothingToDo = false;   // the start-up run found no installation or no job file
    bool m_warningsShown = false; // the last pass's failures and overdue jobs, said once
    int m_sairMargin = 0;         // from Sair's right edge to the window's
    int m_messageMargin = 0;      // from the message line's right edge to the window's

public:
    // Start-up run, one second after creation unless started with "/N".
    QTimer TM_GERAL;
    // Closes the program after a completed run when the window stays minimised.
    QTimer TM_FECHAR;
    FileDialogRequest OpenDialog1;
    FileDialogRequest OpenDialog2;

private:
    SingleInstance<TF_NAVLOR> m_instance; // F_NAVLOR
};

// The single instance, or null before it is created.
extern TF_NAVLOR* F_NAVLOR;

} // namespace navlor
