#pragma once

// Where ARJ.EXE is looked for. Each part of the program has always searched its own places in
// its own order; the orders are kept as tables here and searched by one rule.

#include <QString>
#include <QStringList>

namespace navlor {

enum class ArchiverSearch
{
    // The directory store and restore: "C:\EXE\ARJ.EXE" (no directory) or "\EXE\ARJ.EXE",
    // directory + "\EXE\ARJ.EXE", "C:\VALDOROW\EXE\ARJ.EXE", "C:\WINDOWS\ARJ.EXE",
    // "C:\VLDRBKP\ARJ.EXE".
    DirectoryStore,
    // The extract window (the directory is the current one): the program's directory,
    // "C:\ARJ.EXE", "C:\WINDOWS\ARJ.EXE", "C:\WINDOWS\SYSTEM\ARJ.EXE", the directory, then
    // "C:\WINNT\ARJ.EXE", "\VLDRBKP\ARJ.EXE" on the directory's drive, and at last the bare
    // "ARJ.EXE", left to the command interpreter's search path.
    Extract,
    // The installation's copies a backup brings next to the program: directory +
    // "\EXE\ARJ.EXE", "\VLDRBKP\ARJ.EXE" on the directory's drive, directory + "\VLDRBKP\ARJ.EXE".
    BackupInstalled,
    // Where a backup looks after those: "C:\ARJ.EXE", "C:\WINDOWS\ARJ.EXE",
    // "C:\WINDOWS\SYSTEM\ARJ.EXE".
    BackupSystem,
};

struct ArchiverPlaces
{
    // The directory searched around, without a trailing "\": the installation's (GB_DIR1) for
    // the store and the backup, the current one for the extract window.
    QString directory;
    // The program's own directory with its trailing "\".
    QString programDirectory;
};

// The candidates of a search, in order.
QStringList archiverCandidates(ArchiverSearch search, const ArchiverPlaces& places);

// The first candidate that exists as a file; the bare name of the extract window is taken as it
// is. Empty when there is none.
QString findArchiver(ArchiverSearch search, const ArchiverPlaces& places);

// The program's directory + "ARJ.EXE", doubled backslashes reduced: where the extract window
// looks first and where a backup uses the archiver from.
QString archiverBesideProgram(const QString& programPath);

// The directory store's search for `b` (GB_DIR1), then "C:\ARJ.EXE" or the first ARJ.EXE
// anywhere below C:\ (a walk of the whole drive). Empty when there is none; the caller says so.
QString LOCALIZA_ARJ(const QString& b);

} // namespace navlor
