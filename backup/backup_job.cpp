#include "backup/backup_job.h"

#include "backup/job_batch_text.h"
#include "backup/schedule.h"
#include "lib/dates.h"
#include "lib/param_store.h"
#include "lib/text_utils.h"

namespace navlor {

namespace {

const QString kJobFilePrefix = QStringLiteral("\\VD_BKPA_");

QChar flag(bool on)
{
    return on ? u'S' : u'N';
}

} // namespace

const QStringList& optionItems()
{
    static const QStringList items = {
        QStringLiteral("0 - Manter os arquivos existentes no BKP ANTERIOR."),
        QStringLiteral("1 - Limpar o arquivo de BKP antes de atualizar."),
    };
    return items;
}

QString jobNumberText(int number)
{
    return COMPLETA_ZEROS(number, 2);
}

std::optional<int> jobNumber(const QString& item)
{
    const QString text = trimControls(item);
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int number = text.toInt();
    if (number < kFirstJob || number > kLastJob)
        return std::nullopt;
    return number;
}

QString jobParFile(const QString& dataDir, int number)
{
    return dataDir + kJobFilePrefix + jobNumberText(number) + QStringLiteral(".PAR");
}

QString jobBatFile(const QString& dataDir, int number)
{
    return dataDir + kJobFilePrefix + jobNumberText(number) + QStringLiteral(".BAT");
}

QString jobFilePattern(const QString& dataDir)
{
    return dataDir + kJobFilePrefix + QStringLiteral("xx");
}

QStringList jobListItems(const QString& dataDir)
{
    QStringList items;
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        // One that cannot be read (the operator has been told) is listed without a title.
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDir, number));
        items << jobNumberText(number) + QStringLiteral(" - ") +
                     (file ? (*file)[kJobTitleLine] : QString());
    }
    return items;
}

bool loadJob(BackupJob& job, const QString& dataDir, const QString& systemDir)
{
    const std::optional<int> number = jobNumber(job.numberText);
    if (!number)
        return false;
    job.paramFileBase = jobFilePattern(dataDir);
    const std::optional<ParamFile> read = readParamFile(jobParFile(dataDir, *number));
    const ParamFile lines = read.value_or(ParamFile());

    job.title = lines[kJobTitleLine];
    QString flags = COMPLETA_BRANCOS(lines[kJobFlagsLine], kJobFlagsWidth);
    // Jobs written before the subdirectory setting existed always archived subdirectories.
    if (flags.at(1) == u' ')
        flags[1] = u'S';
    job.active = flags.at(0) == u'S';
    job.subdirectories = flags.at(1) == u'S';
    job.runsOwnBatch = flags.at(2) == u'S';
    job.period = lines[kJobPeriodLine];
    job.masks = lines[kJobMasksLine];
    // In capitals, as the window's fields show and give them: the start-up pass and
    // "Executar" run the same paths.
    job.source = upperEach(lines[kJobSourceLine]);
    job.destination = upperEach(lines[kJobDestinationLine]);
    job.archiveBaseName = upperEach(lines[kJobBaseNameLine]);
    job.exclusions = lines[kJobExclusionsLine];
    job.lastArchive = upperEach(lines[kJobLastArchiveLine]);
    job.lastRunDate = lines[kJobLastDateLine];
    job.lastRunTime = lines[kJobLastTimeLine];
    job.optionItem = lines[kJobOptionLine];

    if (job.optionItem.isEmpty())
        job.optionItem = optionItems().first();
    if (job.period.isEmpty())
        job.period = periodItems().first();
    if (job.masks.isEmpty())
        job.masks = QStringLiteral("*.*");
    if (job.source.isEmpty())
        job.source = systemDir;
    // The archiver's command line takes no blanks in the destination.
    job.destination = TROCA_TEXTO(job.destination, QStringLiteral(" "), QStringLiteral("_"), 0);
    if (job.destination.isEmpty())
        job.destination = systemDir.left(1) + QStringLiteral(":\\VLDRBKPA");
    job.archiveBaseName = QStringLiteral("BKP") + jobNumberText(*number);

    if (const std::optional<QString> text = readJobBatch(dataDir, *number))
        job.batchText = *text;
    return read.has_value();
}

bool saveJob(BackupJob& job, const QString& dataDir)
{
    const std::optional<int> number = jobNumber(job.numberText);
    if (!number)
        return false;
    const QString file = jobParFile(dataDir, *number);
    // Its other lines are kept: a file that could not be read is not written over.
    std::optional<ParamFile> read = readParamFile(file);
    if (!read)
        return false;
    ParamFile& lines = *read;

    if (job.title.isEmpty())
        job.title = job.period;
    QString flags = COMPLETA_BRANCOS(lines[kJobFlagsLine], kJobFlagsWidth);
    flags[0] = flag(job.active);
    flags[1] = flag(job.subdirectories);
    flags[2] = flag(job.runsOwnBatch);

    lines[kJobTitleLine] = job.title;
    lines[kJobFlagsLine] = flags;
    lines[kJobPeriodLine] = job.period;
    lines[kJobMasksLine] = job.masks;
    lines[kJobSourceLine] = job.source;
    lines[kJobDestinationLine] = job.destination;
    lines[kJobBaseNameLine] = job.archiveBaseName;
    lines[kJobExclusionsLine] = job.exclusions;
    lines[kJobLastArchiveLine] = job.lastArchive;
    lines[kJobLastDateLine] = job.lastRunDate;
    lines[kJobLastTimeLine] = job.lastRunTime;
    lines[kJobOptionLine] = job.optionItem;
    return writeParamFile(file, lines);
}

bool recordRun(BackupJob& job, const QString& dataDir, const QString& archivePath)
{
    // One reading of the clock, so a run at midnight is not stamped with two different days.
    const QDateTime at = now();
    job.lastArchive = archivePath;
    job.lastRunDate = dateText(at.date());
    job.lastRunTime = timeText(at.time());
    return saveJob(job, dataDir);
}

} // namespace navlor
