#include "lib/windows_path.h"

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

QString windowsFileName(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u':')) + 1);
}

QString windowsDriveRoot(const QString& path)
{
    if (path.size() < 2 || path.at(1) != u':' || !path.at(0).isLetter() ||
        path.at(0).unicode() >= 0x80)
        return {};
    return path.at(0).toUpper() + QStringLiteral(":\\");
}

} // namespace navlor
