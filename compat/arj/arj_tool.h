#pragma once

// ARJ.EXE on a hosted-Windows machine: carries out one ARJ command line with Windows paths
// through Debian's arj, storing names relative to the drive root as ARJ on Windows does with
// full paths, and writing listings as ARJ on Windows writes them. "A" and "M" are carried
// out in arj_add.cpp, "X" and "E" in arj_extract.cpp, the rest in arj_tool.cpp.

#include "compat/arj/arj_command.h"
#include "compat/arj/arj_output.h"
#include "compat/arj/file_selection.h"
#include "compat/arj/host_arj.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <optional>

namespace navlor {
class Platform;
}

namespace navlor::arj {

class ArchiveWorkspace;

class ArjTool
{
public:
    using Output = std::function<void(const QByteArray&)>;

    // `output` receives what goes to standard output besides arj's own progress lines.
    ArjTool(Platform& platform, Output output);

    // The arguments after the program name; ARJ's exit code. Throws EndRequested when a
    // caught signal ends the run (end_signals.h).
    int run(const QStringList& arguments);

private:
    struct Archive
    {
        QString windowsPath;
        QString hostPath; // empty when the drive does not exist
    };

    // One add's or extract's state, shared by its steps.
    struct AddRun;
    struct ExtractRun;

    int add(const CommandLine& line, bool move);
    Selection selectForAdd(const CommandLine& line, const Archive& archive);
    // Says what the selection could not take; the number of errors.
    int reportUnselected(const Selection& selection);
    void prepareAdd(AddRun& run, const QList<SelectedFile>& files, bool move);
    // False when arj could not be run or given its list: the add stops there.
    bool storeFiles(AddRun& run, const QList<SelectedFile>& files);
    bool storeOnDrive(AddRun& run, QChar drive, const QList<const SelectedFile*>& files);
    bool runAdd(AddRun& run, const QList<QByteArray>& names, const QString& directory, int preload);
    // Says why the workspace for `archive` could not be made; ARJ's exit code.
    int refuseArchive(const Archive& archive, const ArchiveWorkspace& workspace);
    // The workspace's archive in place of the archive; false (said, and the code raised)
    // when it could not be put there.
    bool commitAdd(AddRun& run, ArchiveWorkspace& workspace);
    int removeMoved(AddRun& run, const QList<SelectedFile>& files,
                    const QList<ArchiveEntry>& entries);

    int extract(const CommandLine& line, bool withPaths);
    bool makeTarget(ExtractRun& run, const QString& baseDirectory);
    void placeEntries(ExtractRun& run, const QList<ArchiveEntry>& entries,
                      const QStringList& masks);
    void placeEntry(ExtractRun& run, const ArchiveEntry& entry, const QString& stored);
    // arj's line for `name` written in `hostDirectory`, shown under its Windows name.
    void rewriteWritten(ExtractRun& run, const QString& hostDirectory, const QByteArray& name);
    int runExtracts(ExtractRun& run);
    void runExtract(ExtractRun& run, const QString& verb, const QString& directory,
                    const QList<QByteArray>& selected);

    int list(const CommandLine& line, bool verbose);
    int test(const CommandLine& line);
    // arj's output of a test that passed, made by two runs at once over halves of the entries;
    // nothing when the archive is small or either half did not pass.
    std::optional<QByteArray> testInTwo(const Archive& archive);
    // arj's output rewritten as a listing (rewriteListing); arj's exit code.
    int runRewritten(const QStringList& arguments, const Archive& archive, bool volumes,
                     const ListingContext& context);

    Archive archiveOf(const CommandLine& line, bool forReading);
    // arj over an existing archive, ended at the bound its size gives. The overrun is said,
    // at the end of the output when that is collected.
    // With `rewrite`, what arj prints is shown with Windows paths.
    HostResult runBounded(HostRun run, const Archive& archive, bool volumes,
                          const ProgressRewrite* rewrite = nullptr);
    // The entries of an archive, or the exit code of a listing that failed (said unless
    // `quiet`).
    QList<ArchiveEntry> entriesOf(const Archive& archive, bool volumes, int& exitCode,
                                  bool quiet = false);
    // Drive roots and the archive as arj is given them, and what ARJ on Windows names them.
    ProgressRewrite progressRewrite(const Archive& archive);
    void say(const QString& text);

    Platform& m_platform;
    Output m_output;
    QString m_currentDirectory;
};

} // namespace navlor::arj
