#include "lib/platform/posix_platform.h"

#include "lib/platform/atomic_file.h"
#include "lib/platform/bounded_wait.h"
#include "lib/platform/command_line.h"
#include "lib/platform/open_files.h"
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

namespace {

// Taken before anything can change directory: a relative argv[0] is relative to it.
const std::string g_startDirectory = [] {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}();

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

bool statPath(const QString& hostPath, struct stat& st)
{
    return !hostPath.isEmpty() && ::stat(encoded(hostPath).constData(), &st) == 0;
}

bool lstatPath(const QString& hostPath, struct stat& st)
{
    return !hostPath.isEmpty() && ::lstat(encoded(hostPath).constData(), &st) == 0;
}

bool isHostDirectory(const QString& hostPath)
{
    struct stat st;
    return statPath(hostPath, st) && S_ISDIR(st.st_mode);
}

bool isHostFile(const QString& hostPath)
{
    struct stat st;
    return statPath(hostPath, st) && S_ISREG(st.st_mode);
}

QDateTime modificationTime(const struct stat& st)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(st.st_mtim.tv_sec) * 1000 +
                                          st.st_mtim.tv_nsec / 1000000);
}

QString fileNameOf(const QString& windowsPath)
{
    const qsizetype cut = std::max({windowsPath.lastIndexOf(u'\\'), windowsPath.lastIndexOf(u'/'),
                                    windowsPath.lastIndexOf(u':')});
    return windowsPath.mid(cut + 1);
}

QString directoryOf(const QString& absoluteWindowsPath)
{
    const qsizetype cut = absoluteWindowsPath.lastIndexOf(u'\\');
    // "C:\NAME" -> "C:\", "C:\A\NAME" -> "C:\A"
    return cut <= 2 ? absoluteWindowsPath.left(3) : absoluteWindowsPath.left(cut);
}

bool hasExtension(const QString& name, const QString& extension)
{
    return name.endsWith(extension, Qt::CaseInsensitive);
}

// ELF binaries and "#!" scripts are what the host can run itself.
bool isHostExecutable(const QString& hostPath)
{
    QFile file(hostPath);
    if (!isHostFile(hostPath) || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArray("\x7f"
                              "ELF",
                              4) ||
           head.startsWith("#!");
}

bool isExecutableFile(const QString& hostPath)
{
    return isHostFile(hostPath) && ::access(encoded(hostPath).constData(), X_OK) == 0;
}

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
        if (eq > 0)
            values.insert(section + u'/' + line.left(eq).trimmed().toLower(),
                          line.mid(eq + 1).trimmed());
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

void waitFor(qint64 pid, int* status)
{
    while (::waitpid(static_cast<pid_t>(pid), status, 0) < 0 && errno == EINTR) {
    }
}

// A started program is not waited for, yet must not stay behind as a zombie.
void reapInBackground(qint64 pid)
{
    std::thread([pid] { waitFor(pid, nullptr); }).detach();
}

qint64 spawnHost(const QString& program, const QStringList& argv, const QString& hostDirectory,
                 const QProcessEnvironment& environment, const SpawnExtras& extras)
{
    std::vector<QByteArray> argBytes;
    for (const QString& a : argv)
        argBytes.push_back(a.toLocal8Bit());
    std::vector<char*> args;
    for (QByteArray& a : argBytes)
        args.push_back(a.data());
    args.push_back(nullptr);

    std::vector<QByteArray> envBytes;
    for (const QString& e : environment.toStringList())
        envBytes.push_back(e.toLocal8Bit());
    std::vector<char*> env;
    for (QByteArray& e : envBytes)
        env.push_back(e.data());
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray directory = encoded(hostDirectory);
    if (!hostDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    if (extras.outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, extras.outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, extras.outputFd, STDERR_FILENO);
    }

    // The child starts with no blocked signals and every signal at its default, whatever
    // this process ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (extras.ownGroup) {
        // So a ceiling ends the archiver the batch started, not only the interpreter.
        posix_spawnattr_setpgroup(&attributes, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attributes, flags);

    pid_t pid = -1;
    const QByteArray path = encoded(program);
    const int rc =
        ::posix_spawn(&pid, path.constData(), &actions, &attributes, args.data(), env.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? static_cast<qint64>(pid) : -1;
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
    if (S_ISLNK(st.st_mode)) {
        if (isHostDirectory(h))
            return false;
        return ::unlink(encoded(h).constData()) == 0;
    }
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

QList<DirEntry> PosixPlatform::findFiles(const QString& pattern)
{
    return enumerate(pattern, true);
}

QList<DirEntry> PosixPlatform::findFileKinds(const QString& pattern)
{
    return enumerate(pattern, false);
}

QList<DirEntry> PosixPlatform::enumerate(const QString& pattern, bool details) const
{
    if (pattern.endsWith(u'\\') || pattern.endsWith(u'/'))
        return {};
    const QString full = absolute(pattern);
    if (full.isEmpty() || full.size() <= 3)
        return {};
    const WildcardMask mask(fileNameOf(full));
    // A directory that opens under its exact names needs no mapping: one look at the disk
    // instead of two for every directory of a tree walk.
    const QString windowsDir = directoryOf(full);
    DIR* d = nullptr;
    const QString exact = m_prefix.exactHost(windowsDir);
    if (!exact.isEmpty())
        d = ::opendir(encoded(exact).constData());
    if (!d) {
        const QString dir = host(windowsDir);
        if (dir.isEmpty())
            return {};
        d = ::opendir(encoded(dir).constData());
        if (!d)
            return {};
    }
    const int fd = ::dirfd(d);
    QList<DirEntry> entries;
    entries.reserve(32);
    while (const dirent* e = ::readdir(d)) {
        const char* raw = e->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        QString name = QFile::decodeName(raw);
        if (!mask.matches(name))
            continue;
        DirEntry entry;
        entry.hidden = raw[0] == '.';
        // The directory tells the kind of most entries; the rest, and the details, need a
        // look at the entry itself.
        unsigned char type = e->d_type;
        struct stat st;
        bool haveStat = false;
        if (details || type == DT_UNKNOWN) {
            if (::fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            haveStat = true;
            type = IFTODT(st.st_mode);
        }
        if (type == DT_LNK) {
            struct stat target;
            if (::fstatat(fd, raw, &target, 0) == 0) {
                st = target;
                haveStat = true;
                type = IFTODT(target.st_mode);
                // A link to a directory is listed as a system directory: tree walks do not
                // enter system directories, so a link back up the tree cannot make a loop.
                entry.system = type != DT_REG;
            } else {
                entry.system = true; // a dangling link is no ordinary file
            }
        } else if (type != DT_DIR && type != DT_REG) {
            entry.system = true; // devices, pipes, sockets
        }
        entry.directory = type == DT_DIR;
        if (details && haveStat) {
            entry.readOnly = (st.st_mode & S_IWUSR) == 0;
            entry.size = entry.directory ? 0 : static_cast<qint64>(st.st_size);
            entry.modified = modificationTime(st);
        }
        entry.name = std::move(name);
        entries.append(std::move(entry));
    }
    ::closedir(d);
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return windowsNameLess(a.name, b.name); });
    return entries;
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
    struct stat st;
    if (statPath(h, st) && (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0))
        return false; // a directory, or a read-only file
    return writeFileAtomically(h, data);
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

// --- processes ---------------------------------------------------------------------------

QString PosixPlatform::commandInterpreter()
{
    const QString configured = qEnvironmentVariable("NAVLOR_CMD");
    if (!configured.isEmpty())
        return isExecutableFile(configured) ? configured : QString();
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!self.isEmpty()) {
        const QString beside = QFileInfo(self).path() + QStringLiteral("/navlor-cmd");
        if (isExecutableFile(beside))
            return beside;
    }
    return QStandardPaths::findExecutable(QStringLiteral("navlor-cmd"));
}

QString PosixPlatform::findProgram(const QString& name)
{
    if (name.isEmpty())
        return {};
    QString file = name;
    if (!fileNameOf(name).contains(u'.'))
        file += QStringLiteral(".EXE");
    const bool bare = !name.contains(u'\\') && !name.contains(u'/') && !name.contains(u':');
    if (!bare) {
        const QString full = absolute(file);
        return fileExists(full) ? full : QString();
    }
    QStringList directories{m_currentDirectory};
    const QString own = programPath();
    if (!own.isEmpty())
        directories << directoryOf(own);
    directories += searchPath();
    for (const QString& dir : directories) {
        const QString full = absolute(dir + u'\\' + file);
        if (!full.isEmpty() && fileExists(full))
            return full;
    }
    return {};
}

QStringList PosixPlatform::searchPath()
{
    const QString defaultPath =
        windowsDirectory() + u';' + windowsDirectory() + QStringLiteral("\\SYSTEM32");
    return systemIniValue(QStringLiteral("Environment"), QStringLiteral("Path"), defaultPath)
        .split(u';', Qt::SkipEmptyParts);
}

namespace {

bool isInterpreter(const QString& program)
{
    const QString name = fileNameOf(program).toUpper();
    return name == QLatin1String("COMMAND.COM") || name == QLatin1String("COMMAND") ||
           name == QLatin1String("CMD.EXE") || name == QLatin1String("CMD");
}

// The interpreter started without "/C" shows its prompt (after what it was given, with "/K"):
// something for the operator to see and answer.
bool staysAtPrompt(const QString& commandLine)
{
    const ProgramToken token = splitProgramToken(commandLine);
    return isInterpreter(token.program) &&
           splitProgramToken(token.rest)
                   .program.compare(QLatin1String("/C"), Qt::CaseInsensitive) != 0;
}

} // namespace

PosixPlatform::Launch PosixPlatform::inTerminal(const Launch& launch)
{
    if (launch.program.isEmpty())
        return {};
    QStringList candidates{QStringLiteral("x-terminal-emulator")};
    const QString chosen = qEnvironmentVariable("TERMINAL");
    if (!chosen.isEmpty())
        candidates << chosen;
    candidates << QStringLiteral("gnome-terminal") << QStringLiteral("konsole")
               << QStringLiteral("xterm");
    for (const QString& candidate : candidates) {
        const QString terminal = QStandardPaths::findExecutable(candidate);
        if (terminal.isEmpty())
            continue;
        // The program and its arguments go on as they are, never through a shell.
        const bool dashes = QFileInfo(terminal).fileName() == QLatin1String("gnome-terminal");
        Launch wrapped{terminal, {terminal, dashes ? QStringLiteral("--") : QStringLiteral("-e")}};
        wrapped.argv << launch.program << launch.argv.mid(1);
        return wrapped;
    }
    return {};
}

PosixPlatform::Launch PosixPlatform::prepareLaunch(const QString& commandLine)
{
    const ProgramToken token = splitProgramToken(commandLine);
    if (token.program.isEmpty())
        return {};
    if (isInterpreter(token.program)) {
        const QString cmd = commandInterpreter();
        if (cmd.isEmpty())
            return {};
        Launch launch{cmd, {cmd}};
        // "/C LINE": the line goes on whole, its quotes untouched, as COMMAND.COM reads it.
        const ProgramToken option = splitProgramToken(token.rest);
        if (option.program.compare(QLatin1String("/C"), Qt::CaseInsensitive) == 0 ||
            option.program.compare(QLatin1String("/K"), Qt::CaseInsensitive) == 0) {
            launch.argv << option.program;
            if (!option.rest.isEmpty())
                launch.argv << option.rest;
        } else {
            launch.argv += splitArguments(token.rest);
        }
        return launch;
    }

    const QString program = findProgram(token.program);
    if (program.isEmpty())
        return {};
    const QString hostProgram = host(program);
    if (hasExtension(program, QStringLiteral(".BAT")) ||
        hasExtension(program, QStringLiteral(".CMD"))) {
        const QString cmd = commandInterpreter();
        if (cmd.isEmpty())
            return {};
        Launch launch{cmd, {cmd, QStringLiteral("/C"), hostProgram}};
        if (!token.rest.isEmpty())
            launch.argv << token.rest;
        return launch;
    }
    if (!isHostExecutable(hostProgram))
        return {};
    Launch launch{hostProgram, {hostProgram}};
    launch.argv += splitArguments(token.rest);
    return launch;
}

qint64 PosixPlatform::spawn(const Launch& launch, const QString& hostDirectory,
                            const SpawnExtras& extras) const
{
    if (launch.program.isEmpty())
        return -1;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NAVLOR_PREFIX"), m_prefix.root());
    return spawnHost(launch.program, launch.argv, hostDirectory, environment, extras);
}

qint64 PosixPlatform::start(const QString& commandLine, const QString& windowsDirectory,
                            bool ownConsole, const SpawnExtras& extras)
{
    QString directory;
    if (!windowsDirectory.isEmpty()) {
        directory = host(windowsDirectory);
        if (!isHostDirectory(directory))
            return -1; // CreateProcess fails on a missing directory
    } else {
        directory = host(m_currentDirectory);
        if (!isHostDirectory(directory))
            directory.clear();
    }
    const Launch launch = prepareLaunch(commandLine);
    if (ownConsole && staysAtPrompt(commandLine))
        return spawn(inTerminal(launch), directory);
    return spawn(launch, directory, extras);
}

int PosixPlatform::runAndWait(const QString& commandLine, ShowMode /*showMode*/,
                              const QString& currentDirectory)
{
    const qint64 pid = start(commandLine, currentDirectory);
    if (pid < 0)
        return -1;
    int status = 0;
    waitFor(pid, &status);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status); // as a shell reports a killed program
    return -1;
}

int PosixPlatform::runBounded(const QString& commandLine, ShowMode /*showMode*/,
                              const BoundedRun& run)
{
    SpawnExtras extras;
    extras.ownGroup = run.ceilingSeconds > 0;
    if (run.output) {
        extras.outputFd = openOutputCapture();
        if (extras.outputFd < 0)
            return -1;
    }
    const qint64 pid = start(commandLine, run.currentDirectory, false, extras);
    int rc = -1;
    if (pid >= 0) {
        const BoundedWait wait = waitAtMost(static_cast<pid_t>(pid), run.ceilingSeconds,
                                            extras.ownGroup, run.whileWaiting);
        if (wait.timedOut)
            rc = kRunTimedOut;
        else if (WIFEXITED(wait.status))
            rc = WEXITSTATUS(wait.status);
        else if (WIFSIGNALED(wait.status))
            rc = 128 + WTERMSIG(wait.status);
    }
    if (run.output)
        *run.output = takeOutputCapture(extras.outputFd);
    return rc;
}

int PosixPlatform::removeInterruptedWrites(const QString& directory)
{
    const QString hostDirectory = host(directory);
    return hostDirectory.isEmpty() ? 0 : navlor::removeInterruptedWrites(hostDirectory);
}

bool PosixPlatform::startProcess(const QString& commandLine, ShowMode /*showMode*/)
{
    const qint64 pid = start(commandLine, {}, true);
    if (pid < 0)
        return false;
    reapInBackground(pid);
    return true;
}

int PosixPlatform::winExec(const QString& commandLine, ShowMode showMode)
{
    constexpr int kStarted = 33;     // any value above 31 means success
    constexpr int kFileNotFound = 2; // ERROR_FILE_NOT_FOUND
    return startProcess(commandLine, showMode) ? kStarted : kFileNotFound;
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

// --- shell -------------------------------------------------------------------------------

bool PosixPlatform::openUrl(const QString& url)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || url.isEmpty())
        return false;
    const qint64 pid = spawn({opener, {opener, url}}, {});
    if (pid < 0)
        return false;
    reapInBackground(pid);
    return true;
}

bool PosixPlatform::placeCall(const QString& number, const QString& /*party*/,
                              const QString& /*application*/, const QString& /*comment*/)
{
    // The desktop's handler of tel: addresses stands in for the telephony assistant.
    return openUrl(QStringLiteral("tel:") + number);
}

// --- the backend of this host ------------------------------------------------------------

std::unique_ptr<Platform> createHostPlatform()
{
    QString prefix = qEnvironmentVariable("NAVLOR_PREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QStringLiteral("/.navlor");
    return std::make_unique<PosixPlatform>(prefix);
}

} // namespace navlor
