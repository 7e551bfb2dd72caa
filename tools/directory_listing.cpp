#include "tools/directory_listing.h"

#include "lib/platform/platform.h"

namespace navlor {

namespace {

bool isDriveRoot(const QString& path)
{
    return path.size() == 3 && path.at(1) == u':' && path.at(2) == u'\\';
}

QStringList visibleEntries(const QString& directory, const QString& mask, bool directories)
{
    QStringList names;
    if (directory.isEmpty())
        return names;
    for (const DirEntry& entry : platform().findFiles(pathIn(directory, mask))) {
        if (entry.directory == directories && !entry.hidden && !entry.system)
            names << entry.name;
    }
    return names;
}

} // namespace

QString pathIn(const QString& directory, const QString& name)
{
    if (directory.isEmpty() || directory.endsWith(u'\\'))
        return directory + name;
    return directory + u'\\' + name;
}

QString browserDirectory(const QString& path)
{
    QString result = path.trimmed();
    result.replace(u'/', u'\\');
    if (result.size() >= 2 && result.at(1) == u':') {
        result[0] = result.at(0).toUpper();
        if (result.size() == 2)
            return result + u'\\';
    }
    while (result.size() > 1 && result.endsWith(u'\\') && !isDriveRoot(result))
        result.chop(1);
    return result;
}

QStringList directoryChain(const QString& directory)
{
    const QString full = browserDirectory(directory);
    if (full.size() < 3 || full.at(1) != u':')
        return full.isEmpty() ? QStringList() : QStringList{full};
    QStringList chain{full.left(3)};
    QString path = chain.first();
    for (const QString& part : full.mid(3).split(u'\\', Qt::SkipEmptyParts)) {
        path = pathIn(path, part);
        chain << path;
    }
    return chain;
}

QStringList visibleSubdirectories(const QString& directory)
{
    return visibleEntries(directory, QStringLiteral("*.*"), true);
}

QStringList visibleFiles(const QString& directory, const QString& mask)
{
    return visibleEntries(directory, mask.isEmpty() ? QStringLiteral("*.*") : mask, false);
}

} // namespace navlor
