// The start-up run of the console: a count-down the operator can cancel, the clean-up of the
// lock, control and temporary files of the database engine, the network logger, the automatic
// backup, and the window minimised and closed afterwards.

#include "app/main_window.h"

#include "app/failure_notice.h"

#include "ui_main_window.h"

#include "backup/backup_log.h"
#include "backup/backup_pass.h"
#include "lib/dialogs.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/widgets/input_gate.h"

#include <QGuiApplication>

#include <utility>

namespace navlor {

namespace {

constexpr int kCountDownSeconds = 6;

void sleepSeconds(int seconds)
{
    platform().clock().sleep(seconds * 1000);
}

} // namespace

void TF_NAVLOR::TM_GERALTimer()
{
    TM_GERAL.stop(); // the run happens once, even when a nested message loop ticks again
    // A request to end the program during the run ends it at the next safe point, below.
    InterruptDeferral running;

    // A first start on an empty machine says where the installation was looked for.
    if (!m_state.installationFound())
        ADD_MSG(installationMissingText(m_state));

    // The window does not answer during the first second: the desktop settles first.
    sleepSeconds(1);
    m_ui->BAR->setValue(0);
    for (int second = 1; second <= kCountDownSeconds; ++second) {
        sleepSeconds(1);
        m_ui->BAR->setValue(second);
        processMessages();
        // "Parar/Cancelar" (or "Sair", "BKP Aut.", which do the same first) disables the
        // button: the run ends here and touches nothing. So does a request to end.
        if (interruptRequested())
            m_interrupted = true;
        if (!m_ui->BU_CANCELAR->isEnabled() || m_interrupted) {
            m_ui->BAR->hide();
            return;
        }
    }

    m_ui->BU_BKPA->setEnabled(false);
    m_ui->BAR->hide();
    m_ui->BU_CANCELAR->hide();

    m_finishStartupAfterPass = true;
    startBackupPass();
}

void TF_NAVLOR::finishStartupRun()
{
    // Someone who was not watching learns it from the desktop.
    if (m_failedJobs > 0)
        (void)notifyFailedPass(
            lastPassFailure(dataDirectory())
                .value_or(QStringLiteral("Veja NAVLOR.LOG em ") + dataDirectory()));

    m_ui->BU_BKPA->setEnabled(true);
    m_ui->BU_SAIR->setEnabled(true);
    TM_FECHAR.start();
    if (m_ui->CB_MINIMIZAR->isChecked())
        showMinimized();
    ADD_MSG(QStringLiteral("CONCLUIDO"));
}

void TF_NAVLOR::startBackupPass()
{
    if (m_pass)
        return;
    // The pass runs on a thread of its own: the window keeps answering because nothing
    // blocks it. Only "Parar BKP Aut" and "Sair" take clicks meanwhile; they take effect
    // between jobs, and a close waits for the pass.
    PassHooks hooks;
    hooks.stopRequested = [this] { return stopRequested(); };
    m_pass = std::make_unique<BackupPass>(m_state, std::move(hooks));
    m_passGate = std::make_unique<InputGate>(batchControls());
    connect(m_pass.get(), &BackupPass::message, this, &TF_NAVLOR::ADD_MSG);
    connect(m_pass.get(), &BackupPass::messageTextChanged, this, &TF_NAVLOR::setMessageText);
    // "Parar BKP Aut" skips this one backup only.
    connect(m_pass.get(), &BackupPass::backupSkipped, this, [this] { setStopRequested(false); });
    connect(m_pass.get(), &BackupPass::finished, this, &TF_NAVLOR::endBackupPass);
    // Without a display (the service) nobody can even see a box: it is answered at once.
    const QString screen = QGuiApplication::platformName();
    m_pass->start(screen == QLatin1String("offscreen") || screen == QLatin1String("minimal"));
}

void TF_NAVLOR::endBackupPass()
{
    m_failedJobs += m_pass->failedJobs();
    m_nothingToDo = m_pass->nothingToDo();
    m_interrupted = m_interrupted || m_pass->interrupted();
    // Called from the pass's own signal: it goes once that returns.
    m_pass.release()->deleteLater();
    if (std::exchange(m_finishStartupAfterPass, false))
        finishStartupRun();
    // A close asked for meanwhile happens now, after what the run shows at its end.
    m_passGate.reset();
    emit passFinished();
}

} // namespace navlor
