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
        GBF_READ(jobParFile(dataDir, number));
        items << jobNumberText(number) + QStringLiteral(" - ") + GB_LINHAS[kJobTitleLine];
    }
    return items;
}

bool loadJob(BackupJob& job, const QString& dataDir, const QString& systemDir)
{
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return false;
    job.LA_DIRPARAM = jobFilePattern(dataDir);
    GBF_READ(jobParFile(dataDir, *number));

    job.E_TITULO = GB_LINHAS[kJobTitleLine];
    QString flags = COMPLETA_BRANCOS(GB_LINHAS[kJobFlagsLine], kJobFlagsWidth);
    // Jobs written before the subdirectory setting existed always archived subdirectories.
    if (flags.at(1) == u' ')
        flags[1] = u'S';
    job.CB_ATIVAR = flags.at(0) == u'S';
    job.CB_SUBDIR = flags.at(1) == u'S';
    job.CB_BATEXECUTE = flags.at(2) == u'S';
    job.E_PERIODO = GB_LINHAS[kJobPeriodLine];
    job.E_TIPOARQ = GB_LINHAS[kJobMasksLine];
    // In capitals, as the window's fields show and give them: the start-up pass and
    // "Executar" run the same paths.
    job.E_ORIGEM = upperEach(GB_LINHAS[kJobSourceLine]);
    job.E_DESTINO = upperEach(GB_LINHAS[kJobDestinationLine]);
    job.E_NOMEARQ = upperEach(GB_LINHAS[kJobBaseNameLine]);
    job.E_EXCLUIR = GB_LINHAS[kJobExclusionsLine];
    job.E_ARQGRA = upperEach(GB_LINHAS[kJobLastArchiveLine]);
    job.E_ULTIMATU = GB_LINHAS[kJobLastDateLine];
    job.E_ULTHORA = GB_LINHAS[kJobLastTimeLine];
    job.E_OPCOES = GB_LINHAS[kJobOptionLine];

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
    return true;
}

bool saveJob(BackupJob& job, const QString& dataDir)
{
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return false;
    const QString file = jobParFile(dataDir, *number);
    GBF_READ(file);

    if (job.E_TITULO.isEmpty())
        job.E_TITULO = job.E_PERIODO;
    QString flags = COMPLETA_BRANCOS(GB_LINHAS[kJobFlagsLine], kJobFlagsWidth);
    flags[0] = flag(job.CB_ATIVAR);
    flags[1] = flag(job.CB_SUBDIR);
    flags[2] = flag(job.CB_BATEXECUTE);

    GB_LINHAS[kJobTitleLine] = job.E_TITULO;
    GB_LINHAS[kJobFlagsLine] = flags;
    GB_LINHAS[kJobPeriodLine] = job.E_PERIODO;
    GB_LINHAS[kJobMasksLine] = job.E_TIPOARQ;
    GB_LINHAS[kJobSourceLine] = job.E_ORIGEM;
    GB_LINHAS[kJobDestinationLine] = job.E_DESTINO;
    GB_LINHAS[kJobBaseNameLine] = job.E_NOMEARQ;
    GB_LINHAS[kJobExclusionsLine] = job.E_EXCLUIR;
    GB_LINHAS[kJobLastArchiveLine] = job.E_ARQGRA;
    GB_LINHAS[kJobLastDateLine] = job.E_ULTIMATU;
    GB_LINHAS[kJobLastTimeLine] = job.E_ULTHORA;
    GB_LINHAS[kJobOptionLine] = job.E_OPCOES;
    return GBF_WRITE(file);
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
