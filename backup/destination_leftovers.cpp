#include "backup/destination_leftovers.h"

#include "backup/schedule.h"
#include "lib/platform/platform.h"

namespace navlor {

namespace {

// "ARJTEMP.$00": the archiver's own temporary archive.
bool isArchiverTemp(const QString& name)
{
    return name.size() == 11 && name.startsWith(QLatin1String("ARJTEMP.$"), Qt::CaseInsensitive) &&
           name.at(9).isDigit() && name.at(10).isDigit();
}

// "ARJTEMP-xxxxxx": the stand-in's private work directory.
bool isWorkDirectory(const QString& name)
{
    return name.size() == 14 && name.startsWith(QLatin1String("ARJTEMP-"), Qt::CaseInsensitive);
}

bool removeWorkDirectory(Platform& p, const QString& directory)
{
    for (const DirEntry& entry : p.findFiles(pathInDirectory(directory, QStringLiteral("*")))) {
        const QString path = pathInDirectory(directory, entry.name);
        if (p.isLink(path)) {
            (void)p.removeLink(path);
            continue;
        }
        if (entry.directory || !p.deleteExactFile(path))
            return false;
    }
    return p.removeDirectory(directory);
}

} // namespace

QStringList removeArchiverLeftovers(const QString& destination, const QDateTime& before)
{
    Platform& p = platform();
    QStringList removed;
    for (const DirEntry& entry :
         p.findFiles(pathInDirectory(destination, QStringLiteral("ARJTEMP*")))) {
        const QString path = pathInDirectory(destination, entry.name);
        if (p.isLink(path)) {
            if ((isArchiverTemp(entry.name) || isWorkDirectory(entry.name)) && p.removeLink(path))
                removed << path;
            continue;
        }
        if (!(entry.modified < before))
            continue;
        if (entry.directory ? isWorkDirectory(entry.name) && removeWorkDirectory(p, path)
                            : isArchiverTemp(entry.name) && p.deleteExactFile(path))
            removed << path;
    }
    return removed;
}

} // namespace navlor
