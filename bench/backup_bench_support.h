#pragma once

// What the backup benchmarks share: a throwaway prefix laid out like an installation, and the
// main window as a run sees it, without windows.

#include "backup/backup_run.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace navlor::bench {

const QString kDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");
const QString kSystemDir = QStringLiteral("C:\\VALDOROW");
const QString kProgram = QStringLiteral("C:\\NAVLOR\\NAVLOR.EXE");

// A fresh prefix in a temporary directory ($TMPDIR), installed as the platform with a fixed
// clock at `now`; the data directory is created. Exits the program when it cannot be made.
class BenchPrefix
{
public:
    explicit BenchPrefix(const QDateTime& now);

    QString root() const { return m_dir.path() + QStringLiteral("/prefix"); }
    QString scratch() const { return m_dir.path(); } // outside the prefix
    QString host(const QString& windowsPath) const;
    void mkdir(const QString& windowsPath) const;
    // Adds drive `letter` as a directory inside the prefix.
    void addDrive(char letter) const;
    // `windowsPath` made a link to the host file `target`.
    void link(const QString& target, const QString& windowsPath) const;

private:
    QTemporaryDir m_dir;
};

// Debian's arj, which the jobs are measured against.
QString hostArj();
// `arj a` with `arguments` (archive, switches, names) run from the root of C: as an operator
// would type it, its output discarded; seconds. Exits the program when arj fails.
double timePlainArjAdd(const BenchPrefix& prefix, const QStringList& arguments);
// Entries of an archive as Debian's arj lists them.
int archiveEntries(const QString& hostPath);
// A fresh start for the next run: no archive, and what the last one wrote on its way to disk.
void clearArchive(const QString& hostPath);

// Keeps the message line and counts the jobs shown; never stops and finds no files.
class BenchConsole : public BackupConsole
{
public:
    QString dataDirectory() override { return kDataDir; }
    QString systemDirectory() override { return kSystemDir; }
    QString programPath() override { return kProgram; }
    void ADD_MSG(const QString& text) override { messages << text; }
    QString messageText() override { return messages.isEmpty() ? QString() : messages.last(); }
    bool stopRequested() override { return false; }
    QStringList searchFiles(const QString&, const QString&) override { return {}; }
    void jobChanged(const BackupJob&) override { ++jobsShown; }

    QStringList messages;
    int jobsShown = 0;
};

} // namespace navlor::bench
