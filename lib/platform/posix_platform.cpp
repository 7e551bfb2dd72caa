#include "lib/platform/posix_platform.h"

#include "lib/platform/posix_files.h"

#include "lib/platform/atomic_file.h"
#include "lib/platform/bounded_wait.h"
#include "lib/platform/command_line.h"
#include "lib/platform/open_files.h"
#include "lib/platform/safe_files.h"
#include "lib/platform/wildcard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace navlor {

using namespace posix;

namespace {

// Taken before anything can change directory: a relative argv[0] is relative to it.
const std::string g_startDirectory = [] {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}();

// A small INI reader for system.ini: section and key names without regard to case, values
// taken as written (backslashes in Windows paths are no escapes).
QHash<QString, QString> readIni(const QString& hostPath)
{
    QHash<QString, QString> values;
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    QString section;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        // A value in double quotes keeps its blanks (Windows 98 SE's service pack is " A ").
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        values.insert(section + u'/' + line.left(eq).trimmed().toLower(), value);
    }
    return values;
}

bool copyContents(int in, int out)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

// Copies one regular file to a new file, never over an existing one, keeping its
// permissions and times as CopyFile keeps attributes and the time of last writing.
bool copyHostFile(const QString& from, const QString& to)
{
    const int in = ::open(encoded(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    const QByteArray target = encoded(to);
    const int out =
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = copyContents(in, out);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && ::futimens(out, times) == 0;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok)
        ::unlink(target.constData());
    return ok;
}

QString argumentZero()
{
    if (QCoreApplication::instance()) {
        const QStringList args = QCoreApplication::arguments();
        if (!args.isEmpty())
            return args.first();
    }
    QFile cmdline(QStringLiteral("/proc/self/cmdline"));
    if (cmdline.open(QIODevice::ReadOnly))
        return QFile::decodeName(cmdline.readAll().split('\0').value(0));
    return {};
}

// argv[0] made absolute without following links: the link a program was started by is the
// place it belongs to.
QString startedAs()
{
    const QString arg0 = argumentZero();
    if (arg0.contains(u'/')) {
        const QString base = QFile::decodeName(QByteArray::fromStdString(g_startDirectory));
        return QDir::cleanPath(arg0.startsWith(u'/') ? arg0 : base + u'/' + arg0);
    }
    if (!arg0.isEmpty()) {
        for (const QString& dir : qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts)) {
            const QString candidate = QDir::cleanPath(dir + u'/' + arg0);
            if (isExecutableFile(candidate))
                return candidate;
        }
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

} // namespace

PosixPlatform::PosixPlatform(const QString& prefixHostPath)
    : m_prefix(prefixHostPath), m_registry(m_prefix.root()),
      m_autostart(m_prefix.root(), [this](const QString& path) { return host(path); })
{
    m_prefix.ensureLayout();
    m_currentDirectory = m_prefix.fromHost(QDir::currentPath());
    if (m_currentDirectory.isEmpty())
        m_currentDirectory = QStringLiteral("C:\\");
}

PosixPlatform::~PosixPlatform() = default;

QString PosixPlatform::absolute(const QString& windowsPath) const
{
    return absoluteWindowsPath(windowsPath, m_currentDirectory);
}

QString PosixPlatform::host(const QString& windowsPath) const
{
    const QString path = absolute(windowsPath);
    return path.isEmpty() ? QString() : m_prefix.toHost(path);
}

// --- files -------------------------------------------------------------------------------

bool PosixPlatform::fileExists(const QString& path)
{
    return isHostFile(host(path));
}

bool PosixPlatform::directoryExists(const QString& path)
{
    return isHostDirectory(host(path));
}

bool PosixPlatform::createDirectory(const QString& path)
{
    const QString h = host(path);
    return !h.isEmpty() && ::mkdir(encoded(h).constData(), 0777) == 0;
}

bool PosixPlatform::removeDirectory(const QString& path)
{
    const QString h = host(path);
    struct stat st;
    if (!lstatPath(h, st))
        return false;
    if (S_ISLNK(st.st_mode)) // a link to a directory goes, as a junction would
        return isHostDirectory(h) && ::unlink(encoded(h).constData()) == 0;
    return ::rmdir(encoded(h).constData()) == 0;
}

bool PosixPlatform::deleteFile(const QString& path)
{
    return deleteHostFile(host(path));
}

bool PosixPlatform::deleteExactFile(const QString& path)
{
    // The names as given, or nothing: no component is matched without regard to case.
    return deleteHostFile(m_prefix.exactHost(absolute(path)));
}

bool PosixPlatform::deleteHostFile(const QString& h)
{
    struct stat st;
    if (h.isEmpty() || !lstatPath(h, st))
        return false;
    // A link goes itself: what it names, and whether that is in use, is no concern of it.
    if (S_ISLNK(st.st_mode))
        return removeHostLink(h);
    if (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0)
        return false;
    // Windows refuses to delete a file in use; a database client would otherwise lose the
    // lock file it still holds.
    return removeFileUnlessInUse(h);
}

bool PosixPlatform::copyFile(const QString& from, const QString& to)
{
    const QString source = host(from);
    const QString target = host(to);
    if (source.isEmpty() || target.isEmpty())
        return false;
    return copyHostFile(source, target);
}

bool PosixPlatform::moveFile(const QString& from, const QString& to)
{
    const QString source = host(from);
    QString target = host(to);
    struct stat st;
    if (target.isEmpty() || !lstatPath(source, st))
        return false;
    if (target == source) {
        // The same file by another case: a rename of the case only.
        target = QFileInfo(source).path() + u'/' + fileNameOf(absolute(to));
        if (target == source)
            return true;
    }
    const QByteArray s = encoded(source);
    const QByteArray t = encoded(target);
    if (::renameat2(AT_FDCWD, s.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system without no-replace renames.
        struct stat existing;
        return !lstatPath(target, existing) && ::rename(s.constData(), t.constData()) == 0;
    }
    if (errno == EXDEV && S_ISREG(st.st_mode)) {
        // Another drive on another file system: moved as MoveFile does, by copy and delete.
        if (!copyHostFile(source, target))
            return false;
        if (::unlink(s.constData()) == 0)
            return true;
        ::unlink(t.constData());
    }
    return false;
}

std::optional<QByteArray> PosixPlatform::readFile(const QString& path)
{
    const QString h = host(path);
    if (!isHostFile(h))
        return std::nullopt;
    QFile file(h);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

bool PosixPlatform::writeFile(const QString& path, const QByteArray& data)
{
    const QString h = host(path);
    if (h.isEmpty())
        return false;
    // The name itself is looked at: a link there is replaced, whatever it names.
    struct stat st;
    if (lstatPath(h, st) &&
        (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)))
        return false; // a directory, or a read-only file
    return writeFileAtomically(h, data);
}

AppendOutcome PosixPlatform::appendToFile(const QString& path, const QByteArray& data,
                                          qint64 rotateAt, const QString& rotatedPath)
{
    const QString h = host(path);
    if (h.isEmpty())
        return AppendOutcome::Failed;
    return appendToHostFile(h, data, rotateAt, rotateAt > 0 ? host(rotatedPath) : QString());
}

std::unique_ptr<FileLock> PosixPlatform::tryLockFile(const QString& path)
{
    const QString h = host(path);
    return h.isEmpty() ? nullptr : tryLockHostFile(h);
}

bool PosixPlatform::isLink(const QString& path)
{
    return isHostLink(host(path));
}

bool PosixPlatform::removeLink(const QString& path)
{
    const QString h = host(path);
    return !h.isEmpty() && removeHostLink(h);
}

QString PosixPlatform::currentDirectory()
{
    return m_currentDirectory;
}

bool PosixPlatform::setCurrentDirectory(const QString& path)
{
    const QString full = absolute(path);
    const QString h = full.isEmpty() ? QString() : m_prefix.toHost(full);
    if (!isHostDirectory(h))
        return false;
    // The host process follows, so that programs started from here inherit it.
    if (::chdir(encoded(h).constData()) != 0)
        return false;
    m_currentDirectory = full;
    return true;
}

QString PosixPlatform::programPath()
{
    return m_prefix.fromHost(startedAs());
}

std::optional<ChangeStamp> PosixPlatform::changeStamp(const QString& path)
{
    const QString h = host(path);
    struct stat st;
    if (h.isEmpty() || ::stat(encoded(h).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return ChangeStamp{qint64(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

QString PosixPlatform::toHostPath(const QString& windowsPath)
{
    return host(windowsPath);
}

QString PosixPlatform::fromHostPath(const QString& hostPath)
{
    return m_prefix.fromHost(hostPath);
}

QStringList PosixPlatform::logicalDrives()
{
    // A drive is an entry "x:" of dosdevices that leads to a directory; "x::" entries name raw
    // devices, and a dangling link is a drive that is not there.
    QStringList drives;
    const QStringList entries =
        QDir(m_prefix.root() + QStringLiteral("/dosdevices"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name | QDir::IgnoreCase);
    for (const QString& name : entries) {
        if (name.size() == 2 && name.at(1) == u':' && !m_prefix.driveRoot(name.at(0)).isEmpty())
            drives << name.toUpper();
    }
    drives.removeDuplicates();
    drives.sort();
    return drives;
}

// --- registry ----------------------------------------------------------------------------

bool PosixPlatform::regOpenKey(RegRoot root, const QString& key, bool create)
{
    if (root == RegRoot::LocalMachine && isMachineRunKey(key))
        return m_autostart.open(create);
    return m_registry.openKey(root, key, create);
}

std::optional<QString> PosixPlatform::regReadString(RegRoot root, const QString& key,
                                                    const QString& name)
{
    if (root == RegRoot::LocalMachine && isMachineRunKey(key))
        return m_autostart.read(name);
    return m_registry.read(root, key, name);
}

bool PosixPlatform::regWriteString(RegRoot root, const QString& key, const QString& name,
                                   const QString& data)
{
    if (root == RegRoot::LocalMachine && isMachineRunKey(key))
        return m_autostart.write(name, data);
    return m_registry.write(root, key, name, data);
}

bool PosixPlatform::regDeleteValue(RegRoot root, const QString& key, const QString& name)
{
    if (root == RegRoot::LocalMachine && isMachineRunKey(key))
        return m_autostart.remove(name);
    return m_registry.remove(root, key, name);
}

bool PosixPlatform::regValueExists(RegRoot root, const QString& key, const QString& name)
{
    return regReadString(root, key, name).has_value();
}

// --- system information ------------------------------------------------------------------

QString PosixPlatform::systemIniValue(const QString& section, const QString& key,
                                      const QString& fallback) const
{
    const QHash<QString, QString> values = readIni(m_prefix.root() + QStringLiteral("/system.ini"));
    return values.value(section.toLower() + u'/' + key.toLower(), fallback);
}

VersionRecord PosixPlatform::versionRecord()
{
    const QHash<QString, QString> values = readIni(m_prefix.root() + QStringLiteral("/system.ini"));
    VersionRecord record;
    auto number = [&](const char* key, int& field) {
        bool ok = false;
        const int value = values.value(QStringLiteral("version/") + QLatin1String(key)).toInt(&ok);
        if (ok)
            field = value;
    };
    number("platformid", record.platformId);
    number("major", record.major);
    number("minor", record.minor);
    number("build", record.build);
    const QString servicePack = QStringLiteral("version/servicepack");
    if (values.contains(servicePack))
        record.servicePack = values.value(servicePack);
    return record;
}

QString PosixPlatform::installationHint()
{
    return QStringLiteral("o Windows hospedado é %1 (NAVLOR_PREFIX); ligue a unidade à pasta da "
                          "instalação (ln -s /pasta %1/dosdevices/c:) e inicie pelo link "
                          "C:\\VALDOROW\\NAVLOR.EXE")
        .arg(m_prefix.root());
}

QString PosixPlatform::windowsDirectory()
{
    QString dir = systemIniValue(QStringLiteral("Version"), QStringLiteral("WindowsDirectory"),
                                 QStringLiteral("C:\\WINDOWS"));
    while (dir.size() > 3 && dir.endsWith(u'\\'))
        dir.chop(1);
    return dir;
}

QString PosixPlatform::computerName()
{
    // The NetBIOS name: the host's first label, in capitals, at most 15 characters.
    const QString name = QSysInfo::machineHostName().section(u'.', 0, 0).toUpper().left(15);
    return name.isEmpty() ? QStringLiteral("LOCALHOST") : name;
}

void PosixPlatform::setNumLockOn() {}

// --- the backend of this host ------------------------------------------------------------

std::unique_ptr<Platform> createHostPlatform()
{
    QString prefix = qEnvironmentVariable("NAVLOR_PREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QStringLiteral("/.navlor");
    return std::make_unique<PosixPlatform>(prefix);
}

} // namespace navlor
