#include "lib/windows_path.h"

#include "lib/text_utils.h"

#include <QStringList>

#include <algorithm>

namespace navlor {

QString joinWindowsPath(const QString& directory, const QString& name)
{
    if (directory.isEmpty())
        return name;
    const bool ends = directory.endsWith(u'\\');
    const bool starts = name.startsWith(u'\\');
    if (ends && starts)
        return directory + name.mid(1);
    return ends || starts ? directory + name : directory + u'\\' + name;
}

QString appendWindowsPath(const QString& directory, const QString& name)
{
    return directory.endsWith(u'\\') ? directory + name : directory + u'\\' + name;
}

QString windowsFileName(const QString& path)
{
    return path.mid(windowsDirectoryPart(path).size());
}

QString windowsDirectoryPart(const QString& path)
{
    return path.left(std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u':')) + 1);
}

QString upToLastBackslash(const QString& path)
{
    return path.left(path.lastIndexOf(u'\\') + 1);
}

QString singleBackslashes(const QString& text)
{
    // TROCA_TEXTO's own cut of long tails included: command lines were always reduced by it.
    return TROCA_TEXTO(text, QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
}

WindowsDriveSplit splitWindowsDrive(const QString& path)
{
    if (path.size() < 2 || path.at(1) != u':' || !path.at(0).isLetter() ||
        path.at(0).unicode() >= 0x80)
        return {QString(), path};
    return {path.left(2), path.mid(2)};
}

QString windowsDriveRoot(const QString& path)
{
    const QString drive = splitWindowsDrive(path).drive;
    return drive.isEmpty() ? QString() : drive.at(0).toUpper() + QStringLiteral(":\\");
}

QString resolveWindowsDots(const QString& path)
{
    const QString text = QString(path).replace(u'/', u'\\');
    const WindowsDriveSplit split = splitWindowsDrive(text);
    if (split.drive.isEmpty())
        return text;
    QStringList names;
    for (const QString& name : split.rest.split(u'\\', Qt::SkipEmptyParts)) {
        if (name == u'.')
            continue;
        if (name == QLatin1String("..")) {
            if (!names.isEmpty())
                names.removeLast();
            continue;
        }
        names << name;
    }
    return split.drive.toUpper() + u'\\' + names.join(u'\\');
}

} // namespace navlor
