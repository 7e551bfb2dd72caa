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
        GBF_READ(jobParFile(dataDir, number));
        if (jobIsActive(GB_LINHAS[kJobFlagsLine]))
            active.push_back(number);
    }
    for (size_t index = 0; index < active.size(); ++index) {
        const int number = active[index];
        // The job under way is finished first; the next one does not start.
        if (console.stopRequested() || interruptRequested())
            break;
        // Read again: a job saved meanwhile runs as it now stands.
        GBF_READ(jobParFile(dataDir, number));
        if (!jobIsActive(GB_LINHAS[kJobFlagsLine]))
            continue;
        console.passPosition(int(index) + 1, int(active.size()));
        job.E_ITEM = jobNumberText(number);
        loadJob(job, dataDir, console.systemDirectory());
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
    GBF_READ(consoleParamFile(dataDirectory));
    return validArchiverOption(GB_LINHAS[kArjOptionLine]).value_or(QString());
}

std::optional<QString> ignoredArchiverOption(const QString& dataDirectory)
{
    GBF_READ(consoleParamFile(dataDirectory));
    const QString line = GB_LINHAS[kArjOptionLine];
    if (validArchiverOption(line))
        return std::nullopt;
    return line;
}

} // namespace navlor
