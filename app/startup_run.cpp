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

} // namespace

void TF_NAVLOR::TM_GERALTimer()
{
    TM_GERAL.stop(); // the run happens once
    // A request to end the program during the run ends it at the next safe point.
    m_startupDeferral = std::make_unique<InterruptDeferral>();
    m_startupGoing = true;

    // A first start on an empty machine says where the installation was looked for.
    if (!m_state.installationFound())
        ADD_MSG(installationMissingText(m_state));

    // The desktop settles for a second, then the count-down; the window answers throughout.
    platform().clock().callAfter(1000, this, [this] {
        m_ui->BAR->setValue(0);
        countDown(1);
    });
}

void TF_NAVLOR::countDown(int second)
{
    platform().clock().callAfter(1000, this, [this, second] {
        m_ui->BAR->setValue(second);
        // Looked at once what the new second brought has been handled.
        QMetaObject::invokeMethod(
            this, [this, second] { countedDown(second); }, Qt::QueuedConnection);
    });
}

void TF_NAVLOR::countedDown(int second)
{
    // "Parar/Cancelar" (or "Sair", "BKP Aut.", which do the same first) disables the button:
    // the run ends here and touches nothing. So does a request to end.
    if (interruptRequested())
        m_interrupted = true;
    if (!m_ui->BU_CANCELAR->isEnabled() || m_interrupted) {
        m_ui->BAR->hide();
        endStartupRun();
        return;
    }
    if (second < kCountDownSeconds) {
        countDown(second + 1);
        return;
    }
    m_ui->BU_BKPA->setEnabled(false);
    m_ui->BAR->hide();
    m_ui->BU_CANCELAR->hide();

    m_finishStartupAfterPass = true;
    startBackupPass();
    // The pass defers a request to end by itself from here on.
    m_startupDeferral.reset();
}

void TF_NAVLOR::endStartupRun()
{
    m_startupDeferral.reset();
    m_startupGoing = false;
    emit startupRunOver();
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
    endStartupRun();
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
