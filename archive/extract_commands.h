#pragma once

// What the extract window hands the archiver: where it looks for ARJ.EXE and the batch lines
// that list an archive and take files out of it.

#include <QString>
#include <QStringList>

namespace navlor {

// The places ARJ.EXE is looked for, in order; the last, a bare name, is left to the command
// interpreter's search path. `programDir` is the program's own directory with its trailing
// "\", `currentDir` the current directory.
QStringList extractArjCandidates(const QString& programDir, const QString& currentDir);

// The first candidate that exists as a file, or the bare "ARJ.EXE".
QString LOCALIZA_ARJ_EXTRAI();

// The working directory of the extract window: W + "\NAVLOR\" when it exists, else W + "\",
// W being the drive of the Windows directory.
QString extractLocalDirectory();

// The line that lists `archive` (entries matching `mask`) into `listingFile`: "V", the operator
// option, the quoted archive, the mask and the output redirected with " >".
QString extractListCommand(const QString& arj, const QString& option, const QString& archive,
                           const QString& mask, const QString& listingFile);

// The line that takes one entry out of `archive` into `target`, without its stored path.
QString extractEntryCommand(const QString& arj, const QString& option, const QString& archive,
                            const QString& target, const QString& entry);

// The line that takes one entry out of `archive` below `target` with its stored path.
QString extractStoredEntryCommand(const QString& arj, const QString& option, const QString& archive,
                                  const QString& target, const QString& entry);

// The line that takes every entry out of `archive` into `target`, each below its stored path
// so that files of the same name in different directories do not overwrite each other;
// " -VA" at the end for an archive in several volumes.
QString extractAllCommand(const QString& arj, const QString& option, const QString& archive,
                          const QString& target, bool multiVolume);

} // namespace navlor
