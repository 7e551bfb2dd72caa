#include "lib/archiver_location.h"

#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "lib/windows_path.h"

#include <span>

namespace navlor {

namespace {

// What a candidate's text follows.
enum class Anchor
{
    Fixed,                  // nothing: the text is the whole path
    Directory,              // the directory searched around
    DirectoryDrive,         // the first character of that directory, its drive letter
    ProgramDirectory,       // the program's directory
    DriveCWithoutDirectory, // "C:" when there is no directory, else nothing
    SearchPath,             // nothing, and never checked: the interpreter searches its path
};

struct CandidateRow
{
    Anchor anchor;
    const char16_t* text;
    bool reduced = false; // doubled backslashes reduced after joining
};

constexpr CandidateRow kDirectoryStoreRows[] = {
    {Anchor::DriveCWithoutDirectory, u"\\EXE\\ARJ.EXE"},
    {Anchor::Directory, u"\\EXE\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\VALDOROW\\EXE\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\WINDOWS\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\VLDRBKP\\ARJ.EXE"},
};

constexpr CandidateRow kExtractRows[] = {
    {Anchor::ProgramDirectory, u"ARJ.EXE", true},
    {Anchor::Fixed, u"C:\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\WINDOWS\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\WINDOWS\\SYSTEM\\ARJ.EXE"},
    // A drive root as current directory ends in "\" already.
    {Anchor::Directory, u"\\ARJ.EXE", true},
    {Anchor::Fixed, u"C:\\WINNT\\ARJ.EXE"},
    {Anchor::DirectoryDrive, u":\\VLDRBKP\\ARJ.EXE"},
    {Anchor::SearchPath, u"ARJ.EXE"},
};

constexpr CandidateRow kBackupInstalledRows[] = {
    {Anchor::Directory, u"\\EXE\\ARJ.EXE"},
    {Anchor::DirectoryDrive, u":\\VLDRBKP\\ARJ.EXE"},
    {Anchor::Directory, u"\\VLDRBKP\\ARJ.EXE"},
};

constexpr CandidateRow kBackupSystemRows[] = {
    {Anchor::Fixed, u"C:\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\WINDOWS\\ARJ.EXE"},
    {Anchor::Fixed, u"C:\\WINDOWS\\SYSTEM\\ARJ.EXE"},
};

std::span<const CandidateRow> rowsOf(ArchiverSearch search)
{
    switch (search) {
    case ArchiverSearch::DirectoryStore:
        return kDirectoryStoreRows;
    case ArchiverSearch::Extract:
        return kExtractRows;
    case ArchiverSearch::BackupInstalled:
        return kBackupInstalledRows;
    case ArchiverSearch::BackupSystem:
        return kBackupSystemRows;
    }
    return {};
}

QString candidatePath(const CandidateRow& row, const ArchiverPlaces& places)
{
    const QString text = QString::fromUtf16(row.text);
    QString path;
    switch (row.anchor) {
    case Anchor::Fixed:
    case Anchor::SearchPath:
        path = text;
        break;
    case Anchor::Directory:
        path = places.directory + text;
        break;
    case Anchor::DirectoryDrive:
        path = places.directory.left(1) + text;
        break;
    case Anchor::ProgramDirectory:
        path = places.programDirectory + text;
        break;
    case Anchor::DriveCWithoutDirectory:
        path = (places.directory.isEmpty() ? QStringLiteral("C:") : QString()) + text;
        break;
    }
    return row.reduced ? singleBackslashes(path) : path;
}

} // namespace

QStringList archiverCandidates(ArchiverSearch search, const ArchiverPlaces& places)
{
    QStringList candidates;
    for (const CandidateRow& row : rowsOf(search))
        candidates << candidatePath(row, places);
    return candidates;
}

QString findArchiver(ArchiverSearch search, const ArchiverPlaces& places)
{
    Platform& p = platform();
    for (const CandidateRow& row : rowsOf(search)) {
        const QString candidate = candidatePath(row, places);
        if (row.anchor == Anchor::SearchPath || p.fileExists(candidate))
            return candidate;
    }
    return {};
}

QString archiverBesideProgram(const QString& programPath)
{
    return singleBackslashes(upToLastBackslash(programPath) + QStringLiteral("ARJ.EXE"));
}

QString LOCALIZA_ARJ(const QString& b)
{
    const QString found = findArchiver(ArchiverSearch::DirectoryStore, {b, QString()});
    return found.isEmpty() ? PRIMEIRO_ARQUIVO(QStringLiteral("C:\\ARJ.EXE")) : found;
}

} // namespace navlor
