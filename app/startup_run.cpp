// The start-up run of the console: a count-down the operator can cancel, the clean-up of the
// lock, control and temporary files of the database engine, the network logger, the automatic
// backup, and the window minimised and closed afterwards.

#include "app/main_window.h"

#include "app/failure_notice.h"

#include "ui_main_window.h"

#include "backup/backup_log.h"
#include "backup/backup_window.h"
#include "backup/pass_lock.h"
#include "lib/console_flags.h"
#include "lib/dates.h"
#include "lib/dialogs.h"
#include "lib/file_lists.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"

#include <QGuiApplication>

namespace navlor {

namespace {

constexpr int kCountDownSeconds = 6;
const QString kNetFile = QStringLiteral("C:\\PDOXUSRS.NET");
const QString kNetlogProgram = QStringLiteral("C:\\NETLOG\\NETLOG.EXE");

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
    if (systemDirectory() == QLatin1String("**")) {
        const QString hint = platform().installationHint();
        ADD_MSG(QStringLiteral("Instalação não encontrada em ") + programPath().left(1) +
                QStringLiteral(":\\VALDOROW") +
                (hint.isEmpty() ? QString() : QStringLiteral(" - ") + hint));
    }

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

    if (systemDirectory() == QLatin1String("**")) {
        // Nothing to clean and nothing to copy: whoever watches must not see a green pass.
        m_nothingToDo = true;
    } else {
        // Nobody may be there to answer: a box closes itself and the pass goes on. Without a
        // display (the service) nobody can even see it: it is answered at once.
        const QString screen = QGuiApplication::platformName();
        UnattendedBoxes unattended(kUnattendedBoxSeconds, screen == QLatin1String("offscreen") ||
                                                              screen == QLatin1String("minimal"));
        // Another pass (a second log-on, the timer) finishes its clean-up and jobs first.
        const PassLock lock(
            dataDirectory(),
            archiverCeilingSeconds(consoleParamLine(dataDirectory(), kArchiverCeilingLine)),
            [this] { ADD_MSG(passLockWaitText()); }, [] { processMessages(); });
        if (lock.held()) {
            EXCLUI_LCK();
            EXCLUI_NET();
            EXCLUI_QSQ();
            sleepSeconds(2);
            BKP_AUTOMATICO();
        } else {
            const QString text =
                interruptRequested()
                    ? QStringLiteral("ERRO - BKP automático interrompido")
                    : QStringLiteral("ERRO - outra execução do NAVLOR não terminou - BKP "
                                     "automático não executado");
            ADD_MSG(text);
            (void)BackupLog(dataDirectory()).note(text);
            ++m_failedJobs;
        }
        m_interrupted = m_interrupted || interruptRequested();
    }

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

void TF_NAVLOR::EXCLUI_LCK()
{
    const ConsoleFlags flags = ConsoleFlags::forStartup(readConsoleFlags(dataDirectory()));
    clearMessageText();
    processMessages();
    if (flags.deleteLockFiles) {
        // Lock files a running client holds open stay, but they are counted all the same.
        const int count =
            APAGA_ARQUIVOS(systemDirectory() + QStringLiteral("\\*.LCK"), QStringLiteral("T"));
        ADD_MSG(QStringLiteral("Deletando arquivos *.LCK = ") + QString::number(count));
    }
    clearMessageText();
    processMessages();
}

void TF_NAVLOR::EXCLUI_NET()
{
    {
        BusyCursor busy;
        processMessages();
        const ConsoleFlags flags = ConsoleFlags::forStartup(readConsoleFlags(dataDirectory()));
        Platform& p = platform();
        if (flags.deleteNetFile && p.fileExists(kNetFile)) {
            ADD_MSG(QStringLiteral("Deletando arquivo - ") + kNetFile);
            (void)p.deleteFile(kNetFile); // held open by a client it stays; nothing to say then
        }
        if (flags.startNetlog && p.fileExists(kNetlogProgram))
            EXECUTA_PROGRAMA(kNetlogProgram, QString());
        clearMessageText();
        processMessages();
    }
    processMessages();
}

void TF_NAVLOR::EXCLUI_QSQ()
{
    const ConsoleFlags flags = ConsoleFlags::forStartup(readConsoleFlags(dataDirectory()));
    clearMessageText();
    processMessages();
    if (flags.deleteQueryTables) {
        const QString dir = systemDirectory();
        const int tables = APAGA_ARQUIVOS(dir + QStringLiteral("\\_QSQ*.DB*"), QStringLiteral("T"));
        ADD_MSG(QStringLiteral("Deletando arquivos _QSQ*.DB* = ") + QString::number(tables));
        const int memos = APAGA_ARQUIVOS(dir + QStringLiteral("\\_QSQ*.MB"), QStringLiteral("T"));
        ADD_MSG(QStringLiteral("Deletando arquivos _QSQ*.MB = ") + QString::number(memos));
    }
    clearMessageText();
}

void TF_NAVLOR::BKP_AUTOMATICO()
{
    // "Parar BKP Aut" skips this one backup only.
    if (m_ui->CB_PARARBKP->isChecked()) {
        m_ui->CB_PARARBKP->setChecked(false);
        return;
    }
    bool anyJob = false;
    for (int number = kFirstJob; number <= kLastJob && !anyJob; ++number)
        anyJob = platform().fileExists(jobParFile(dataDirectory(), number));
    if (!anyJob) {
        const QString text = QStringLiteral("ERRO - nenhum BKP configurado em ") + dataDirectory();
        ADD_MSG(text);
        (void)BackupLog(dataDirectory()).note(text);
        m_nothingToDo = true;
        return;
    }
    {
        TF_BKPA window(this); // never shown: only its controls are worked on
        const PassResult result = window.runAllActiveJobs();
        m_failedJobs += result.failed;
        m_interrupted = m_interrupted || result.interrupted;
    }
    processMessages();
}

} // namespace navlor
