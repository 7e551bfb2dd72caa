#include "backup/backup_run.h"

#include "backup/backup_log.h"
#include "backup/pass_lock.h"
#include "backup/run_report.h"
#include "lib/console_flags.h"
#include "lib/param_store.h"
#include "lib/platform/interruption.h"
#include "lib/program_start.h"
#include "lib/text_utils.h"

#include <vector>

namespace navlor {

namespace {

bool jobIsActive(const QString& flagsLine)
{
    return COMPLETA_BRANCOS(flagsLine, kJobFlagsWidth).at(0) == u'S';
}

} // namespace

PassResult runAllActiveJobs(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    PassResult result;
    if (console.stopRequested())
        return result;
    console.ADD_MSG(QStringLiteral("Verificando BKP Automático"));
    processMessages();
    const QString dataDir = console.dataDirectory();
    logFailureSaid().clear();
    BackupLog log(dataDir);
    // Two passes at once would run each other's batch lines: the second one waits.
    const PassLock lock(
        dataDir, console.archiverCeilingSeconds(), [&] { console.ADD_MSG(passLockWaitText()); },
        [] { processMessages(); });
    if (!lock.held()) {
        result.interrupted = interruptRequested();
        const QString text =
            result.interrupted
                ? QStringLiteral("ERRO - BKP automático interrompido")
                : QStringLiteral("ERRO - outra execução do NAVLOR não terminou - BKP automático "
                                 "não executado");
        console.ADD_MSG(text);
        (void)logged(log.note(text), console);
        ++result.failed;
        return result;
    }
    (void)logged(log.passStarted(), console);
    if (const std::optional<QString> ignored = ignoredArchiverOption(dataDir)) {
        const QString text =
            QStringLiteral("ATENÇÃO - opção do ARJ inválida na linha 11 de NAV_LOR ignorada: ") +
            *ignored;
        console.ADD_MSG(text);
        (void)logged(log.note(text), console);
    }
    std::vector<int> active;
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDir, number));
        // One that could not be read may be active: its turn reads it again.
        if (!file || jobIsActive((*file)[kJobFlagsLine]))
            active.push_back(number);
    }
    for (size_t index = 0; index < active.size(); ++index) {
        const int number = active[index];
        // The job under way is finished first; the next one does not start.
        if (console.stopRequested() || interruptRequested())
            break;
        // Read again: a job saved meanwhile runs as it now stands.
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDir, number));
        if (file && !jobIsActive((*file)[kJobFlagsLine]))
            continue;
        console.passPosition(int(index) + 1, int(active.size()));
        job.E_ITEM = jobNumberText(number);
        if (!file || !loadJob(job, dataDir, console.systemDirectory())) {
            // A job that may be active and cannot be read has not run: the pass says so.
            const QString text = QStringLiteral("ERRO - não foi possível ler ") +
                                 jobParFile(dataDir, number) + QStringLiteral(" - BKP (") +
                                 job.E_ITEM + QStringLiteral(") não executado");
            console.ADD_MSG(text);
            (void)logged(log.note(text), console);
            ++result.failed;
            continue;
        }
        console.jobChanged(job);
        const RunResult run = executeJob(job, archiverOption, console, false);
        if (run == RunResult::Recorded)
            ++result.ok;
        else if (runFailed(run))
            ++result.failed;
    }
    console.passPosition(1, 1);
    result.interrupted = interruptRequested();
    if (!logged(log.passEnded(result.ok, result.failed), console) && result.failed == 0)
        ++result.failed; // a pass whose end is not in the log did not end as it says
    return result;
}

QString readArchiverOption(const QString& dataDirectory)
{
    return validArchiverOption(consoleParamLine(dataDirectory, kArjOptionLine)).value_or(QString());
}

std::optional<QString> ignoredArchiverOption(const QString& dataDirectory)
{
    const QString line = consoleParamLine(dataDirectory, kArjOptionLine);
    if (validArchiverOption(line))
        return std::nullopt;
    return line;
}

} // namespace navlor
