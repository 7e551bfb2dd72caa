#include "archive/restore_targets.h"

#include "lib/platform/platform.h"
#include "lib/windows_path.h"

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

QString newerFilesQuestion(const QStringList& paths)
{
    QStringList shown = paths.mid(0, kNewerFilesShown);
    if (paths.size() > kNewerFilesShown)
        shown << QStringLiteral("... e mais %1 arquivos").arg(paths.size() - kNewerFilesShown);
    return QStringLiteral("Os arquivos abaixo são mais novos que os do BKP e serão "
                          "substituídos:\n\n") +
           shown.join(u'\n') + QStringLiteral("\n\nContinuar?");
}

} // namespace navlor
