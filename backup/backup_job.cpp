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
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return false;
    job.LA_DIRPARAM = jobFilePattern(dataDir);
    const std::optional<ParamFile> read = readParamFile(jobParFile(dataDir, *number));
    const ParamFile lines = read.value_or(ParamFile());

    job.E_TITULO = lines[kJobTitleLine];
    QString flags = COMPLETA_BRANCOS(lines[kJobFlagsLine], kJobFlagsWidth);
    // Jobs written before the subdirectory setting existed always archived subdirectories.
    if (flags.at(1) == u' ')
        flags[1] = u'S';
    job.CB_ATIVAR = flags.at(0) == u'S';
    job.CB_SUBDIR = flags.at(1) == u'S';
    job.CB_BATEXECUTE = flags.at(2) == u'S';
    job.E_PERIODO = lines[kJobPeriodLine];
    job.E_TIPOARQ = lines[kJobMasksLine];
    // In capitals, as the window's fields show and give them: the start-up pass and
    // "Executar" run the same paths.
    job.E_ORIGEM = upperEach(lines[kJobSourceLine]);
    job.E_DESTINO = upperEach(lines[kJobDestinationLine]);
    job.E_NOMEARQ = upperEach(lines[kJobBaseNameLine]);
    job.E_EXCLUIR = lines[kJobExclusionsLine];
    job.E_ARQGRA = upperEach(lines[kJobLastArchiveLine]);
    job.E_ULTIMATU = lines[kJobLastDateLine];
    job.E_ULTHORA = lines[kJobLastTimeLine];
    job.E_OPCOES = lines[kJobOptionLine];

    if (job.E_OPCOES.isEmpty())
        job.E_OPCOES = optionItems().first();
    if (job.E_PERIODO.isEmpty())
        job.E_PERIODO = periodItems().first();
    if (job.E_TIPOARQ.isEmpty())
        job.E_TIPOARQ = QStringLiteral("*.*");
    if (job.E_ORIGEM.isEmpty())
        job.E_ORIGEM = systemDir;
    // The archiver's command line takes no blanks in the destination.
    job.E_DESTINO = TROCA_TEXTO(job.E_DESTINO, QStringLiteral(" "), QStringLiteral("_"), 0);
    if (job.E_DESTINO.isEmpty())
        job.E_DESTINO = systemDir.left(1) + QStringLiteral(":\\VLDRBKPA");
    job.E_NOMEARQ = QStringLiteral("BKP") + jobNumberText(*number);

    if (const std::optional<QString> text = readJobBatch(dataDir, *number))
        job.Memo1 = *text;
    return read.has_value();
}

bool saveJob(BackupJob& job, const QString& dataDir)
{
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return false;
    const QString file = jobParFile(dataDir, *number);
    // Its other lines are kept: a file that could not be read is not written over.
    std::optional<ParamFile> read = readParamFile(file);
    if (!read)
        return false;
    ParamFile& lines = *read;

    if (job.E_TITULO.isEmpty())
        job.E_TITULO = job.E_PERIODO;
    QString flags = COMPLETA_BRANCOS(lines[kJobFlagsLine], kJobFlagsWidth);
    flags[0] = flag(job.CB_ATIVAR);
    flags[1] = flag(job.CB_SUBDIR);
    flags[2] = flag(job.CB_BATEXECUTE);

    lines[kJobTitleLine] = job.E_TITULO;
    lines[kJobFlagsLine] = flags;
    lines[kJobPeriodLine] = job.E_PERIODO;
    lines[kJobMasksLine] = job.E_TIPOARQ;
    lines[kJobSourceLine] = job.E_ORIGEM;
    lines[kJobDestinationLine] = job.E_DESTINO;
    lines[kJobBaseNameLine] = job.E_NOMEARQ;
    lines[kJobExclusionsLine] = job.E_EXCLUIR;
    lines[kJobLastArchiveLine] = job.E_ARQGRA;
    lines[kJobLastDateLine] = job.E_ULTIMATU;
    lines[kJobLastTimeLine] = job.E_ULTHORA;
    lines[kJobOptionLine] = job.E_OPCOES;
    return writeParamFile(file, lines);
}

bool recordRun(BackupJob& job, const QString& dataDir, const QString& archivePath)
{
    // One reading of the clock, so a run at midnight is not stamped with two different days.
    const QDateTime at = now();
    job.E_ARQGRA = archivePath;
    job.E_ULTIMATU = dateText(at.date());
    job.E_ULTHORA = timeText(at.time());
    return saveJob(job, dataDir);
}

} // namespace navlor
