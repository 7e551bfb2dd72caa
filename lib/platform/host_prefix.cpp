#include "lib/platform/host_prefix.h"

#include "lib/platform/wildcard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringList>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor {

namespace {

bool isDriveLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool exists(const QString& hostPath)
{
    struct stat st;
    return ::lstat(QFile::encodeName(hostPath).constData(), &st) == 0;
}

bool isDirectory(const QString& hostPath)
{
    struct stat st;
    return ::stat(QFile::encodeName(hostPath).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The name in `dir` that Windows would open for `name`.
QString matchComponent(const QString& dir, const QString& name)
{
    if (exists(dir + u'/' + name))
        return name;
    // One pass over the directory, keeping the first match in directory order.
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return name;
    QString best;
    while (const dirent* e = ::readdir(d)) {
        const QString candidate = QFile::decodeName(e->d_name);
        if (candidate.compare(name, Qt::CaseInsensitive) != 0 || candidate == u'.' ||
            candidate == QLatin1String(".."))
            continue;
        if (best.isEmpty() || windowsNameLess(candidate, best))
            best = candidate;
    }
    ::closedir(d);
    return best.isEmpty() ? name : best;
}

// True when `path` is already in the form absoluteWindowsPath gives: "X:\" and then names
// separated by single "\", none of them "." or "..", no "/" and no trailing "\". Tree walks
// hand over thousands of such paths, which then need no taking apart.
bool isCleanAbsolute(const QString& path)
{
    const qsizetype n = path.size();
    if (n < 3 || !isDriveLetter(path.at(0)) || path.at(1) != u':' || path.at(2) != u'\\')
        return false;
    if (n == 3)
        return true;
    qsizetype start = 3; // first character of the current name
    for (qsizetype i = 3; i <= n; ++i) {
        const QChar c = i < n ? path.at(i) : QChar(u'\\');
        if (c == u'/')
            return false;
        if (c != u'\\')
            continue;
        const qsizetype length = i - start;
        if (length == 0) // "\\" inside, or a trailing "\"
            return false;
        if (path.at(start) == u'.' && (length == 1 || (length == 2 && path.at(start + 1) == u'.')))
            return false;
        start = i + 1;
    }
    return true;
}

struct DriveRoot
{
    QChar letter;
    QString root; // absolute, clean host path
};

bool holds(const QString& root, const QString& path)
{
    if (root == u'/')
        return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

QString windowsPathUnder(const DriveRoot& drive, const QString& path)
{
    QString rest = drive.root == u'/' ? path.mid(1) : path.mid(drive.root.size() + 1);
    rest.replace(u'/', u'\\');
    return QString(drive.letter.toUpper()) + QStringLiteral(":\\") + rest;
}

// A path with its directory resolved through links, the last name kept: the program's own
// path may be a link that must not be followed.
QString withResolvedDirectory(const QString& path)
{
    const QFileInfo info(path);
    const QString dir = QFileInfo(info.path()).canonicalFilePath();
    if (dir.isEmpty())
        return {};
    return dir == u'/' ? u'/' + info.fileName() : dir + u'/' + info.fileName();
}

} // namespace

QString absoluteWindowsPath(const QString& path, const QString& currentDirectory)
{
    if (isCleanAbsolute(path)) {
        if (path.at(0).isUpper())
            return path;
        QString upper = path;
        upper[0] = upper.at(0).toUpper();
        return upper;
    }
    QString p = path;
    p.replace(u'/', u'\\');
    if (p.isEmpty() || p.startsWith(QStringLiteral("\\\\")))
        return {};

    const bool cwdValid = currentDirectory.size() >= 3 && isDriveLetter(currentDirectory.at(0)) &&
                          currentDirectory.at(1) == u':';
    QChar drive;
    QString rest;
    if (p.size() >= 2 && p.at(1) == u':' && isDriveLetter(p.at(0))) {
        drive = p.at(0).toUpper();
        rest = p.mid(2);
        if (!rest.startsWith(u'\\')) {
            // "D:NAME": relative to that drive's current directory; only the current drive's
            // is known, the others are at their root.
            const bool sameDrive = cwdValid && currentDirectory.at(0).toUpper() == drive;
            rest = (sameDrive ? currentDirectory.mid(2) : QString()) + u'\\' + rest;
        }
    } else {
        if (!cwdValid)
            return {};
        drive = currentDirectory.at(0).toUpper();
        rest = p.startsWith(u'\\') ? p : currentDirectory.mid(2) + u'\\' + p;
    }

    QStringList parts;
    for (const QString& part : rest.split(u'\\', Qt::SkipEmptyParts)) {
        if (part == u'.')
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return QString(drive) + QStringLiteral(":\\") + parts.join(u'\\');
}

HostPrefix::HostPrefix(const QString& root) : m_root(QDir::cleanPath(QDir(root).absolutePath())) {}

void HostPrefix::ensureLayout() const
{
    const QString devices = m_root + QStringLiteral("/dosdevices");
    QDir().mkpath(devices);
    QDir().mkpath(m_root + QStringLiteral("/drive_c/WINDOWS"));
    // Each link on its own: a prefix may already hold other drives (a backup disk as d:).
    if (!exists(devices + QStringLiteral("/c:")))
        QFile::link(QStringLiteral("../drive_c"), devices + QStringLiteral("/c:"));
    if (!exists(devices + QStringLiteral("/z:")))
        QFile::link(QStringLiteral("/"), devices + QStringLiteral("/z:"));
}

QString HostPrefix::driveRoot(QChar letter) const
{
    if (!isDriveLetter(letter))
        return {};
    const QString path = m_root + QStringLiteral("/dosdevices/") + letter.toLower() + u':';
    return isDirectory(path) ? path : QString();
}

QString HostPrefix::exactHost(const QString& p) const
{
    if (p.size() <= 3 || !isDriveLetter(p.at(0)) || p.at(1) != u':' || p.at(2) != u'\\')
        return {};
    QString exact = m_root + QStringLiteral("/dosdevices/") + p.at(0).toLower() +
                    QStringLiteral(":/") + p.mid(3);
    exact.replace(u'\\', u'/');
    if (exact.contains(QLatin1String("//")) || exact.endsWith(u'/'))
        return {};
    return exact;
}

QString HostPrefix::toHost(const QString& absoluteWindowsPath) const
{
    const QString& p = absoluteWindowsPath;
    if (p.size() < 2 || p.at(1) != u':')
        return {};
    // When the path exists under its exact names, every component is its own match.
    const QString exact = exactHost(p);
    if (!exact.isEmpty() && exists(exact))
        return exact;
    QString host = driveRoot(p.at(0));
    if (host.isEmpty())
        return {};
    bool matching = true;
    for (const QString& part : p.mid(2).split(u'\\', Qt::SkipEmptyParts)) {
        // Below a missing directory nothing can match; the rest is kept as given.
        if (matching && !isDirectory(host))
            matching = false;
        host += u'/' + (matching ? matchComponent(host, part) : part);
    }
    return host;
}

QString HostPrefix::fromHost(const QString& hostPath) const
{
    if (hostPath.isEmpty())
        return {};
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(hostPath));

    QList<DriveRoot> roots;
    const QDir devices(m_root + QStringLiteral("/dosdevices"));
    const QStringList entries =
        devices.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : entries) {
        if (name.size() != 2 || name.at(1) != u':' || !isDriveLetter(name.at(0)))
            continue;
        const QString link = devices.absoluteFilePath(name);
        if (!isDirectory(link))
            continue;
        roots.append({name.at(0), QDir::cleanPath(link)});
        const QString target = QFileInfo(link).canonicalFilePath();
        if (!target.isEmpty())
            roots.append({name.at(0), target});
    }
    // Most specific first; among equal roots the other drives before z:.
    std::stable_sort(roots.begin(), roots.end(), [](const DriveRoot& a, const DriveRoot& b) {
        if (a.root.size() != b.root.size())
            return a.root.size() > b.root.size();
        const bool az = a.letter.toLower() == u'z';
        const bool bz = b.letter.toLower() == u'z';
        if (az != bz)
            return bz;
        return a.letter.toLower() < b.letter.toLower();
    });

    auto specific = [&](const QString& candidate) -> QString {
        for (const DriveRoot& drive : roots) {
            if (drive.root != u'/' && holds(drive.root, candidate))
                return windowsPathUnder(drive, candidate);
        }
        return {};
    };
    QString found = specific(path);
    if (found.isEmpty()) {
        const QString resolved = withResolvedDirectory(path);
        if (!resolved.isEmpty() && resolved != path)
            found = specific(resolved);
    }
    if (!found.isEmpty())
        return found;
    for (const DriveRoot& drive : roots) {
        if (drive.root == u'/')
            return windowsPathUnder(drive, path);
    }
    return {};
}

} // namespace navlor
