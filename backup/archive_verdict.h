#pragma once

// Whether a backup run left an archive that can be trusted: it is there, the archiver's own
// test reads every entry back, and its listing holds every file the job selects, each as
// recent as the file on disk. The archiver's exit code of the run itself proves none of this.

#include "backup/backup_job.h"
#include "lib/arj_listing.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace navlor {

// The entries of the archiver's verbose ("V") listing, names as stored, wherever its "NNN)
// NAME" lines stand (kArjVerdictRules).
QList<ArjEntry> readVerboseListing(const QByteArray& listing);

// One file the job's archiver line selects.
struct SelectedFile
{
    QString path;   // Windows path
    QString stored; // the name the archive holds it under: relative to the drive root
    qint64 size = 0;
    QDateTime modified;
    bool storable = true; // see storableName
};

// Whether an archive entry can carry `name` (a file name): Windows-1252 holds every
// character and none is one Windows forbids in names (\ * ? < > | ").
bool storableName(const QString& name);

// The files the job's line selects, found as the archiver finds them: its masks (a mask with
// a directory looks there) in the source, subdirectories with "-R", hidden and system entries
// and links to directories left out, and its exclusions. An exclusion naming a directory
// leaves out whatever it may name, so a file is never demanded that the archiver rightly
// skipped. The archive itself is never demanded, nor a Firebird delta file (".delta"), which
// is there only while a database is frozen.
QList<SelectedFile> filesSelectedBy(const BackupJob& job, const QString& archivePath);

// Empty when every selected file stands in the listing (names compared without regard to
// case) with its size and a time no older than its own; else why not, in a few words. A file
// whose name cannot be stored and is not in the listing is "arquivo não copiável".
QString listingShortfall(const QList<ArjEntry>& listed, const QList<SelectedFile>& selected);

struct ArchiveVerdict
{
    bool ok = false;
    QString reason; // why not, for the message line and the log
};

// The whole verdict on `archivePath`, asking `archiver` ("T", then "V" for an archive whose
// headers cannot vouch for its entries, see readArjHeaders); each archiver run is ended at
// `ceilingSeconds`. `checkListing` false: only the archive's presence and its test.
// The listing is held against `expected` (the files as they were archived) when given, else
// against the files the job selects now.
ArchiveVerdict verifyArchive(const QString& archiver, const QString& archivePath,
                             const BackupJob& job, int ceilingSeconds, bool checkListing = true,
                             const std::optional<QList<SelectedFile>>& expected = std::nullopt);

} // namespace navlor
