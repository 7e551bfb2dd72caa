#pragma once

// The POSIX backend: a prefix directory made to look like a Windows machine, as Wine's
// prefixes do (see host_prefix.h for the drives and the path mapping).

#include "lib/platform/host_prefix.h"
#include "lib/platform/ini_registry.h"
#include "lib/platform/platform.h"
#include "lib/platform/xdg_autostart.h"

#include <QStringList>

namespace navlor {

// What a host process is started with besides its program and arguments.
struct SpawnExtras
{
    int outputFd = -1;     // standard output and error go here; -1: inherited
    bool ownGroup = false; // leads a process group of its own
    QString commandLine;   // the Windows command line started; empty for a host one
};

class PosixPlatform : public Platform
{
public:
    // Uses (and, when new, lays out) the prefix at `prefixHostPath`.
    explicit PosixPlatform(const QString& prefixHostPath);
    ~PosixPlatform() override;

    const HostPrefix& prefix() const { return m_prefix; }

    // files
    bool fileExists(const QString& path) override;
    bool directoryExists(const QString& path) override;
    bool createDirectory(const QString& path) override;
    bool removeDirectory(const QString& path) override;
    bool deleteFile(const QString& path) override;
    bool deleteExactFile(const QString& path) override;
    bool copyFile(const QString& from, const QString& to) override;
    bool moveFile(const QString& from, const QString& to) override;
    QList<DirEntry> findFiles(const QString& pattern) override;
    QList<DirEntry> findFileKinds(const QString& pattern) override;
    std::optional<QByteArray> readFile(const QString& path) override;
    std::optional<ChangeStamp> changeStamp(const QString& path) override;
    bool writeFile(const QString& path, const QByteArray& data) override;
    AppendOutcome appendToFile(const QString& path, const QByteArray& data, qint64 rotateAt = 0,
                               const QString& rotatedPath = {}) override;
    std::unique_ptr<FileLock> tryLockFile(const QString& path) override;
    bool isLink(const QString& path) override;
    bool removeLink(const QString& path) override;
    QString currentDirectory() override;
    bool setCurrentDirectory(const QString& path) override;
    QString programPath() override;
    QString programBinary() override;
    QString toHostPath(const QString& windowsPath) override;
    QString fromHostPath(const QString& hostPath) override;
    QStringList logicalDrives() override;
    int removeInterruptedWrites(const QString& directory) override;

    // processes
    int runAndWait(const QString& commandLine, ShowMode showMode,
                   const QString& currentDirectory = {}) override;
    int runBounded(const QString& commandLine, ShowMode showMode, const BoundedRun& run) override;
    bool startProcess(const QString& commandLine, ShowMode showMode) override;
    int winExec(const QString& commandLine, ShowMode showMode) override;
    void replaceProcess(const QString& hostProgram, const QStringList& arguments) override;

    // registry
    bool regOpenKey(RegRoot root, const QString& key, bool create) override;
    std::optional<QString> regReadString(RegRoot root, const QString& key,
                                         const QString& name) override;
    bool regWriteString(RegRoot root, const QString& key, const QString& name,
                        const QString& data) override;
    bool regDeleteValue(RegRoot root, const QString& key, const QString& name) override;
    bool regValueExists(RegRoot root, const QString& key, const QString& name) override;

    // system information
    VersionRecord versionRecord() override;
    QString windowsDirectory() override;
    QString installationHint() override;
    QString computerName() override;
    void setNumLockOn() override;

    // shell
    bool openUrl(const QString& url) override;
    bool placeCall(const QString& number, const QString& party, const QString& application,
                   const QString& comment) override;

    // The host program a command line starts, with its argv; empty when it cannot be
    // started. Batch files and COMMAND.COM go to the command interpreter navlor-cmd.
    struct Launch
    {
        QString program;  // host path
        QStringList argv; // argv[0] included
    };
    Launch prepareLaunch(const QString& commandLine);

    // The Windows path of a program name as CreateProcess finds it: ".EXE" added when it has
    // no extension; a bare name is looked for in the current directory, the program's own
    // directory and the prefix's PATH. Empty when there is no such file.
    QString findProgram(const QString& name);

    // The prefix's PATH: the directories a bare program name is looked for in after the
    // current one ([Environment] Path of system.ini, else the Windows directory and its
    // SYSTEM32).
    QStringList searchPath() override;

    // The command interpreter: $NAVLOR_CMD, else navlor-cmd beside this program's binary,
    // else on the host PATH. Empty when there is none.
    static QString commandInterpreter();

    // The interpreter at its prompt, in the desktop's terminal emulator (x-terminal-emulator,
    // else $TERMINAL, else gnome-terminal, konsole or xterm): on Windows a console program
    // started from a window gets a console window of its own. Empty when there is none.
    static Launch inTerminal(const Launch& launch);

private:
    // Deletion of one host path, with the refusals of deleteFile.
    bool deleteHostFile(const QString& hostPath);
    // findFiles, with the size, times and rights of each entry only when `details`.
    QList<DirEntry> enumerate(const QString& pattern, bool details) const;
    QString absolute(const QString& windowsPath) const;
    QString host(const QString& windowsPath) const;
    QString systemIniValue(const QString& section, const QString& key,
                           const QString& fallback) const;
    // Starts the launch in `hostDirectory` (empty: this process's); the process id or -1.
    qint64 spawn(const Launch& launch, const QString& hostDirectory,
                 const SpawnExtras& extras = {}) const;
    // `ownConsole`: started without waiting, so an interpreter that stays at its prompt
    // needs a terminal of its own.
    qint64 start(const QString& commandLine, const QString& windowsDirectory,
                 bool ownConsole = false, const SpawnExtras& extras = {});

    HostPrefix m_prefix;
    IniRegistry m_registry;
    XdgAutostart m_autostart;
    QString m_currentDirectory; // Windows path
};

} // namespace navlor
