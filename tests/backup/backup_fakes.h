#pragma once

// Stand-ins for what a backup run talks to: a platform whose batch runs play the archiver, and
// a console that records the message line.

#include "backup/backup_run.h"
#include "lib/ansi_text.h"
#include "lib/platform/clock.h"
#include "tests/support/forwarding_platform.h"
#include "tools/file_search.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include <functional>
#include <memory>

namespace navlor::test {

// Batch runs do not start anything: they record the batch and, like the archiver, add to the
// archive `archive` unless told to fail. Waits run on a fake clock.
class FakeArchiver : public ForwardingPlatform
{
public:
    FakeArchiver()
    {
        // Thursday 05/03/26: a daily job writes the archive of the 4th.
        setClock(std::make_unique<FakeClock>(QDateTime(QDate(2026, 3, 5), QTime(10, 0, 0))));
    }
    FakeClock& fakeClock() { return static_cast<FakeClock&>(clock()); }

    int runAndWait(const QString& command, ShowMode, const QString&) override
    {
        runs << command;
        const std::optional<QByteArray> bytes = inner().readFile(command);
        batches << (bytes ? fromAnsi(*bytes) : QString());
        archiveExistedAtRun << (!archive.isEmpty() && inner().fileExists(archive));
        if (onRun)
            onRun(command);
        if (writesArchive && !archive.isEmpty()) {
            const QByteArray old = inner().readFile(archive).value_or(QByteArray());
            inner().writeFile(archive, old + "ARJ data\r\n");
        }
        return exitCode;
    }
    int runBounded(const QString& command, ShowMode mode, const BoundedRun& run) override
    {
        ceilings << run.ceilingSeconds;
        // The test restore finds no databases in what the fake archiver writes.
        if (command.contains(QLatin1String("\" X \"")))
            return 1;
        // The verdict's own questions to the archiver: its test and its listing.
        static const QRegularExpression check(QStringLiteral(R"re(^"[^"]*" ([TV]) "([^"]*)"$)re"));
        const QRegularExpressionMatch m = check.match(command);
        if (!m.hasMatch())
            return runAndWait(command, mode, run.currentDirectory);
        checks << m.captured(1);
        if (m.captured(1) == QLatin1String("V")) {
            if (run.output)
                *run.output = listing;
            return 0;
        }
        return inner().readFile(m.captured(2)).value_or(QByteArray()).contains("ARJ") ? 0 : 3;
    }
    int winExec(const QString& command, ShowMode) override
    {
        executed << command;
        if (onExec)
            onExec(executed.size());
        return 2;
    }

    QString archive;
    bool writesArchive = true;
    int exitCode = 0;    // of every batch run
    QByteArray listing;  // what "V" answers
    QStringList checks;  // "T" and "V", as the verdict asked them
    QList<int> ceilings; // of every bounded run
    std::function<void(const QString&)> onRun;
    std::function<void(int)> onExec;

    QStringList runs;    // command lines run and waited for
    QStringList batches; // the text of each batch file at the time it ran
    QList<bool> archiveExistedAtRun;
    QStringList executed; // programs started without waiting
};

// The main window as the run sees it.
class FakeConsole : public BackupConsole
{
public:
    QString dataDirectory() override { return data; }
    QString systemDirectory() override { return system; }
    QString programPath() override { return program; }
    void ADD_MSG(const QString& text) override
    {
        messages << text;
        if (onMessage)
            onMessage(text);
    }
    QString messageText() override { return messages.isEmpty() ? QString() : messages.last(); }
    bool stopRequested() override { return stop; }
    QStringList searchFiles(const QString& directory, const QString& name) override
    {
        searches << directory + u'|' + name;
        return navlor::searchFiles(directory, name);
    }
    void jobChanged(const BackupJob& job) override { shownJobs << job.numberText; }
    int archiverCeilingSeconds() override { return 3600; }
    // The archiver's own verdict is tried end to end; here an archive is good when the fake
    // archiver wrote to it.
    ArchiveVerdict verifyArchive(const QString&, const QString& archivePath, const BackupJob&, int,
                                 bool checkListing,
                                 const std::optional<QList<SelectedFile>>&) override
    {
        verifications << checkListing;
        const std::optional<QByteArray> bytes = navlor::platform().readFile(archivePath);
        if (bytes && bytes->contains("ARJ"))
            return {true, {}};
        return {false, QStringLiteral("arquivo de BKP inexistente")};
    }

    bool testRestoreWanted() override { return restoreTest; }

    QString data = QStringLiteral("C:\\VALDORO\\NAVLOR");
    QString system = QStringLiteral("C:\\VALDOROW");
    QString program = QStringLiteral("C:\\NAVLOR\\NAVLOR.EXE");
    bool stop = false;
    bool restoreTest = false; // the archives the fake archiver writes hold no databases
    std::function<void(const QString&)> onMessage;

    QStringList messages;
    QStringList searches;
    QStringList shownJobs;
    QList<bool> verifications; // whether each verdict checked the listing
};

} // namespace navlor::test
