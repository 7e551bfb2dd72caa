#include "backup/job_batch_text.h"

#include "backup/backup_job.h"
#include "lib/ansi_text.h"
#include "lib/platform/platform.h"

#include <QStringList>

namespace navlor {

QString batchTextFromFile(const QByteArray& bytes)
{
    QString text = fromAnsi(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QByteArray batchFileBytes(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = normalised.split(u'\n');
    // A final line break ends the last line; it does not start another.
    if (lines.last().isEmpty())
        lines.removeLast();
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += toAnsi(line) + "\r\n";
    return bytes;
}

std::optional<QString> readJobBatch(const QString& dataDir, int number)
{
    const QString file = jobBatFile(dataDir, number);
    if (!platform().fileExists(file))
        return std::nullopt;
    const std::optional<QByteArray> bytes = platform().readFile(file);
    if (!bytes)
        return std::nullopt;
    return batchTextFromFile(*bytes);
}

bool saveJobBatch(const QString& dataDir, int number, const QString& text)
{
    return platform().writeFile(jobBatFile(dataDir, number), batchFileBytes(text));
}

} // namespace navlor
