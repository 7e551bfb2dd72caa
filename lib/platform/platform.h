#pragma once

// The one boundary between the console and the operating system. Above it every path is a
// Windows path ("C:\VALDOROW\NAVLOR.EXE"); a backend makes the host look like Windows.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace navlor {

class Clock;

enum class RegRoot
{
    CurrentUser,
    LocalMachine
};

// One entry of a directory enumeration, as FindFirstFile/FindNextFile report it.
struct DirEntry
{
    QString name; // name only, as stored on disk
    bool directory = false;
    bool hidden = false;
    bool system = false;
    bool readOnly = false;
    qint64 size = 0;
    QDateTime modified;
};

// What tells that a file's content may have changed: its size, and its modification and
// change times to the nanosecond where the host keeps them. The change time catches a write
// that set the modification time back.
struct ChangeStamp
{
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const ChangeStamp&) const = default;
};

// The fields of the platform's version record (GetVersionEx).
struct VersionRecord
{
    int platformId = 2;
    int major = 5;
    int minor = 1;
    int build = 2600;
    QString servicePack = QStringLiteral("Service Pack 3");
};

// What a bounded run is told besides its command line.
struct BoundedRun
{
    int ceilingSeconds = 0;       // 0: no ceiling
    QByteArray* output = nullptr; // takes what the program writes; null: inherited
    QString currentDirectory;     // empty: inherited
    // Called about every tenth of a second while the program runs, so a window can stay alive.
    std::function<void()> whileWaiting;
};

// runBounded's answer when the ceiling was reached and the program, with every process it
// started, was ended.
inline constexpr int kRunTimedOut = -2;
// runBounded's answer when the program was asked to end (a signal) and the program, with
// every process it started, was ended.
inline constexpr int kRunInterrupted = -3;

// What appending did.
enum class AppendOutcome
{
    Appended,
    LinkReplaced,
    Failed
};

// An exclusive lock on a file, held until this object goes; the system frees it when the
// process ends, and programs the process starts do not inherit it.
class FileLock
{
public:
    FileLock() = default;
    virtual ~FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
};

// Show-window codes passed with a program start, with the values of SW_HIDE and
// SW_SHOWNORMAL; scoped, so a backend can include the header that defines those as macros.
enum class ShowMode
{
    Hide = 0,
    ShowNormal = 1
};

class Platform
{
public:
    Platform();
    virtual ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // --- files ---------------------------------------------------------------------------
    [[nodiscard]] virtual bool fileExists(const QString& path) = 0;      // an ordinary file
    [[nodiscard]] virtual bool directoryExists(const QString& path) = 0; // trailing "\" accepted
    [[nodiscard]] virtual bool createDirectory(const QString& path) = 0; // one level
    [[nodiscard]] virtual bool removeDirectory(const QString& path) = 0; // empty directories only
    // Refused (false) when the file is missing, read-only or held open by any process. A link
    // is removed itself, whatever it names and whatever state that is in.
    [[nodiscard]] virtual bool deleteFile(const QString& path) = 0;
    // Deletes the file a walk found, at exactly that path: every name as spelt on disk, none
    // matched without regard to case, so a twin differing only in case is never taken. Same
    // refusals as deleteFile. The default is deleteFile.
    [[nodiscard]] virtual bool deleteExactFile(const QString& path);
    // Never overwrites: false when `to` exists.
    [[nodiscard]] virtual bool copyFile(const QString& from, const QString& to) = 0;
    [[nodiscard]] virtual bool moveFile(const QString& from, const QString& to) = 0;
    // Entries of one directory whose names match the wildcard last part of `pattern`
    // ("C:\DADOS\*.LCK"), "." and ".." left out, in the platform's order.
    [[nodiscard]] virtual QList<DirEntry> findFiles(const QString& pattern) = 0;
    // As findFiles, with only the name and the kind of each entry (directory, hidden, system)
    // filled in: all a tree walk needs, answered without asking for every entry's size and
    // times where the host can. The default is findFiles.
    [[nodiscard]] virtual QList<DirEntry> findFileKinds(const QString& pattern);
    [[nodiscard]] virtual std::optional<QByteArray> readFile(const QString& path) = 0;
    // The change stamp of an ordinary file (links followed), nothing when there is none. The
    // default takes the size and modification time findFiles reports.
    [[nodiscard]] virtual std::optional<ChangeStamp> changeStamp(const QString& path);
    // Replaces the file whole: written beside it, flushed and renamed over it, so a failure
    // leaves the old file as it was and no temporary file behind. Never through a link: a
    // link at the name is replaced by the file.
    [[nodiscard]] virtual bool writeFile(const QString& path, const QByteArray& data) = 0;
    // Appends `data` with one write, under an exclusive lock on the file, so whole lines from
    // several writers never mix or get lost; the file is created when missing and never
    // written through a link (a link at the name is removed and a new file started:
    // LinkReplaced). When the file does not end with "\n", "\r\n" goes first so `data` starts
    // a line of its own. When the file has reached `rotateAt` bytes (0: never), it is first
    // renamed to `rotatedPath` (replacing what is there) under the same lock and a new file is
    // started; when it cannot be, it takes `data` all the same. The default reads and writes
    // the file whole, for platforms of a single writer.
    [[nodiscard]] virtual AppendOutcome appendToFile(const QString& path, const QByteArray& data,
                                                     qint64 rotateAt = 0,
                                                     const QString& rotatedPath = {});
    // Takes the exclusive lock on `path` without waiting (the file is created when missing,
    // never through a link); null when another holder has it or the file cannot be had. The
    // default knows only the locks of this process, and the paths without regard to case.
    [[nodiscard]] virtual std::unique_ptr<FileLock> tryLockFile(const QString& path);
    // True when `path` itself is a symbolic link (or a reparse point), wherever it points.
    // The default: false.
    [[nodiscard]] virtual bool isLink(const QString& path);
    // Removes the link at `path` itself, never what it names; false when it is no link or
    // stays. The default: false.
    [[nodiscard]] virtual bool removeLink(const QString& path);
    virtual QString currentDirectory() = 0;
    [[nodiscard]] virtual bool setCurrentDirectory(const QString& path) = 0;
    // The path the program was started by, as a Windows path (links not followed).
    virtual QString programPath() = 0;
    // The host path of this program's own binary, every link followed, however it was
    // started; empty where the host cannot tell (the default).
    virtual QString programBinary();
    // Host path of a Windows path, for handing files to host libraries (empty: no such place).
    virtual QString toHostPath(const QString& windowsPath) = 0;
    // Windows path of a host path, for what host dialogs return (empty: not reachable).
    virtual QString fromHostPath(const QString& hostPath) = 0;
    // Removes what interrupted whole-file writes left behind in `directory` (a kill in the
    // middle of writing); how many were removed. The default has nothing to remove.
    virtual int removeInterruptedWrites(const QString& directory);
    // The drives of the machine, "C:", "D:"... in letter order (GetLogicalDrives). The
    // default asks every letter for its root directory.
    virtual QStringList logicalDrives();

    // --- processes -----------------------------------------------------------------------
    // Creates the process of a command line and waits for it; its exit code, or -1 when it
    // could not be started. `currentDirectory` empty: inherited.
    [[nodiscard]] virtual int runAndWait(const QString& commandLine, ShowMode showMode,
                                         const QString& currentDirectory = {}) = 0;
    // As runAndWait, ended at a ceiling and with its output captured where the backend can;
    // the default does neither.
    [[nodiscard]] virtual int runBounded(const QString& commandLine, ShowMode showMode,
                                         const BoundedRun& run);
    // Creates the process and returns at once; true when a process was created.
    [[nodiscard]] virtual bool startProcess(const QString& commandLine, ShowMode showMode) = 0;
    // WinExec: starts without waiting; above 31 on success, as WinExec answers.
    [[nodiscard]] virtual int winExec(const QString& commandLine, ShowMode showMode) = 0;
    // Runs the host program `hostProgram` in place of this process (same process), started by
    // that path and given `arguments`. Returns only when it could not be run; the default
    // never can.
    virtual void replaceProcess(const QString& hostProgram, const QStringList& arguments);

    // --- registry (string values only) -------------------------------------------------------
    // True when the key exists or, with `create`, could be created.
    [[nodiscard]] virtual bool regOpenKey(RegRoot root, const QString& key, bool create) = 0;
    [[nodiscard]] virtual std::optional<QString> regReadString(RegRoot root, const QString& key,
                                                               const QString& name) = 0;
    [[nodiscard]] virtual bool regWriteString(RegRoot root, const QString& key, const QString& name,
                                              const QString& data) = 0;
    [[nodiscard]] virtual bool regDeleteValue(RegRoot root, const QString& key,
                                              const QString& name) = 0;
    [[nodiscard]] virtual bool regValueExists(RegRoot root, const QString& key,
                                              const QString& name) = 0;

    // --- system information ------------------------------------------------------------------
    virtual VersionRecord versionRecord() = 0;
    virtual QString windowsDirectory() = 0; // "C:\WINDOWS", no trailing "\"
    // The directories a bare program name is looked for in after the current one (PATH);
    // the default: the Windows directory and its SYSTEM32.
    virtual QStringList searchPath();
    virtual QString computerName() = 0; // at most 15 characters
    // How the operator makes an installation appear where the console looks for it (on a
    // hosted Windows: the prefix and its drives); empty where there is nothing to say.
    virtual QString installationHint();
    virtual void setNumLockOn() = 0;

    // --- shell ---------------------------------------------------------------------------
    [[nodiscard]] virtual bool openUrl(const QString& url) = 0; // mailto:, http://
    [[nodiscard]] virtual bool placeCall(const QString& number, const QString& party,
                                         const QString& application, const QString& comment) = 0;

    // --- clock ---------------------------------------------------------------------------
    // Every wait of the program goes through here, so tests can run it on virtual time.
    Clock& clock();
    void setClock(std::unique_ptr<Clock> clock);

private:
    std::unique_ptr<Clock> m_clock;
};

// The platform in use. Created on first use for the host (the POSIX backend reads
// NAVLOR_PREFIX); tests install their own.
Platform& platform();
// Replaces the platform as a whole; returns the one it replaces.
std::unique_ptr<Platform> setPlatform(std::unique_ptr<Platform> replacement);
// A new backend for the host.
std::unique_ptr<Platform> createHostPlatform();

} // namespace navlor
