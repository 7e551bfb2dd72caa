#include "tools/sample_tables/table_churn.h"

#include "tools/sample_tables/sample_table.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace navlor {

namespace {

// A client writes a block at a time; the pause leaves room for a copy to land in between.
constexpr qint64 kChunk = 4096;
constexpr unsigned long kPauseMicroseconds = 100;

DatabaseOutcome rewriteInPlace(const QString& from, const QString& to)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::ReadWrite))
        return {false, QStringLiteral("não foi possível regravar ") + to};
    const QByteArray bytes = source.readAll();
    for (qint64 at = 0; at < bytes.size(); at += kChunk) {
        const QByteArray chunk = bytes.mid(at, kChunk);
        if (!target.seek(at) || target.write(chunk) != chunk.size() || !target.flush())
            return {false, QStringLiteral("não foi possível regravar ") + to};
        QThread::usleep(kPauseMicroseconds);
    }
    if (!target.resize(bytes.size()))
        return {false, QStringLiteral("não foi possível regravar ") + to};
    return {true, {}};
}

} // namespace

DatabaseOutcome churnSampleTable(const QString& path, int rows, int seconds, int quietMs)
{
    const QString blobPath = companionPath(path, QStringLiteral("MB"));
    const QString indexPath = companionPath(path, QStringLiteral("PX"));
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return {false, QStringLiteral("sem diretório temporário")};
    SampleTable image;
    image.path = scratch.filePath(QFileInfo(path).fileName());
    image.memo = QFileInfo::exists(blobPath);
    image.index = QFileInfo::exists(indexPath);

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < qint64(seconds) * 1000) {
        ++image.generation;
        image.rows = qMax(1, rows / 2 + (image.generation * 7919) % (rows + 1));
        if (DatabaseOutcome written = writeSampleTable(image); !written.ok)
            return written;
        // As a client saves: the blobs first, then the records that point at them, then the
        // index over those records.
        QList<std::pair<QString, QString>> files;
        if (image.memo)
            files.append({companionPath(image.path, QStringLiteral("MB")), blobPath});
        files.append({image.path, path});
        if (image.index)
            files.append({companionPath(image.path, QStringLiteral("PX")), indexPath});
        for (const auto& [from, to] : files) {
            if (DatabaseOutcome rewritten = rewriteInPlace(from, to); !rewritten.ok)
                return rewritten;
        }
        QThread::msleep(quietMs);
    }
    return {true, {}};
}

} // namespace navlor
