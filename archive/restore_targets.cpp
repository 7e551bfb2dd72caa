#include "archive/restore_targets.h"

#include "lib/platform/platform.h"
#include "lib/windows_path.h"

#include <QHash>

namespace navlor {

namespace {

// Seconds since the epoch, down to ARJ's two-second step.
qint64 dosStep(const QDateTime& time)
{
    const qint64 seconds = time.toSecsSinceEpoch();
    return seconds - (seconds % 2 + 2) % 2;
}

} // namespace

QString restoredPath(const QString& target, const QString& entry, RestoreLayout layout)
{
    return joinWindowsPath(target, layout == RestoreLayout::Flat ? windowsFileName(entry) : entry);
}

QStringList newerTargets(const QList<ArjEntry>& entries, const QString& target,
                         RestoreLayout layout)
{
    QStringList newer;
    Platform& p = platform();
    for (const ArjEntry& entry : entries) {
        if (!entry.modified.isValid())
            continue;
        const QString path = restoredPath(target, entry.name, layout);
        // The exact name: a pattern character in an entry name matches nothing else.
        for (const DirEntry& found : p.findFiles(path)) {
            if (found.directory ||
                found.name.compare(windowsFileName(path), Qt::CaseInsensitive) != 0)
                continue;
            if (dosStep(found.modified) > dosStep(entry.modified))
                newer << path;
            break;
        }
    }
    return newer;
}

QStringList notRestoredTargets(const QList<ArjEntry>& entries, const QString& target,
                               RestoreLayout layout)
{
    QHash<QString, qsizetype> last; // by landing path, without regard to case
    QStringList paths;
    paths.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        paths << restoredPath(target, entries.at(i).name, layout);
        last.insert(paths.last().toUpper(), i);
    }
    QStringList missing;
    Platform& p = platform();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& path = paths.at(i);
        if (last.value(path.toUpper()) != i)
            continue;
        const ArjEntry& entry = entries.at(i);
        const std::optional<ChangeStamp> stamp = p.changeStamp(path);
        const bool whole = stamp && !p.isLink(path) &&
                           (entry.size < 0 || stamp->size == entry.size) &&
                           (!entry.modified.isValid() ||
                            dosStep(QDateTime::fromMSecsSinceEpoch(stamp->modifiedNs / 1000000)) ==
                                dosStep(entry.modified));
        if (!whole)
            missing << path;
    }
    return missing;
}

namespace {

QStringList shownPaths(const QStringList& paths)
{
    QStringList shown = paths.mid(0, kNewerFilesShown);
    if (paths.size() > kNewerFilesShown)
        shown << QStringLiteral("... e mais %1 arquivos").arg(paths.size() - kNewerFilesShown);
    return shown;
}

} // namespace

QString notRestoredText(const QStringList& paths)
{
    return QStringLiteral("ERRO - restauração incompleta - arquivos não restaurados:\n\n") +
           shownPaths(paths).join(u'\n');
}

QString newerFilesQuestion(const QStringList& paths)
{
    const QStringList shown = shownPaths(paths);
    return QStringLiteral("Os arquivos abaixo são mais novos que os do BKP e serão "
                          "substituídos:\n\n") +
           shown.join(u'\n') + QStringLiteral("\n\nContinuar?");
}

} // namespace navlor
