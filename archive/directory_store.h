#pragma once

// The directory backup window's logic: its history of executions (BKPDIR, BKP0 to BKP10), the
// archive name derived from the origin and the ARJ command lines of store, restore and listing.

#include "lib/windows_path.h"

#include <QString>
#include <QStringList>

namespace navlor {

// The registry section of the history and its number of values read back (BKP0 to BKP10).
inline const QString kHistorySection = QStringLiteral("BKPDIR");
inline constexpr int kHistoryValues = 11;

// The non-empty values BKP0 to BKP10, in that order.
QStringList readDirectoryHistory();

// Records a store that wrote its archive: the entry goes to BKP0, then each item of the list
// that differs from it to BKP2, BKP3 and on, in list order. BKP1 is left as it is.
void recordDirectoryHistory(const QString& entry, const QStringList& items);

// The destination a first use offers: VLDRBKPB at the root of the system drive, the drive
// that holds the Windows directory ("C:\VLDRBKPB"); drive C: when that names no drive.
QString firstUseDestination();

// Where a chooser opens for the text of its field: the field, or up to three times its
// directory part, while that is no existing directory; in the end "C:\".
QString chooserStart(const QString& text);

// The fields of the window a history entry fills.
struct HistoryFields
{
    QString entry;         // the text with "\\" reduced to "\"
    QString operation;     // CB_B_OPERACAO
    QString destination;   // E_B_DIRDESTINO
    QString origin;        // E_B_DIRORIGEM
    bool subdirs = false;  // CB_B_SUBDIR
    QString restoreOrigin; // E_R_ORIGEM
    QString restoreTarget; // E_R_DESTINO
};
HistoryFields applyHistoryEntry(const QString& text);

// The archive name for an origin: its last part with the "\" before it, plus ".ARJ"
// ("C:\DADOS\EMPRESA" gives "\EMPRESA.ARJ", an empty origin ".ARJ").
QString archiveNameFor(const QString& origin);

// An entry as it is kept: every "\\" reduced to "\", upper case.
QString normaliseEntry(const QString& entry);

// The store entry: ARJ#op#archive#origin\mask#[-R#].
QString storeEntry(const QString& arj, const QString& op, const QString& archive,
                   const QString& origin, const QString& mask, bool subdirs);

// The restore entry: ARJ#op#archive#target#mask#-Y# ("X", into the drive root of the target
// directory) or ...#-N# (any other letter, into the target directory itself).
QString restoreEntry(const QString& arj, const QString& op, const QString& archive,
                     const QString& targetDirectory, const QString& mask);

// The command line of an entry: the fields separated by blanks, as the "#" stood. A field
// holding a blank is put in double quotes, so a path with a blank stays one argument.
QString entryCommandLine(const QString& entry);

// The command line of a store entry: as entryCommandLine, except that each mask of the
// "Tipos de Arquivos" list is joined to the origin and quoted on its own
// ("C:\DADOS\*.DB *.TXT" gives C:\DADOS\*.DB C:\DADOS\*.TXT).
QString storeCommandLine(const QString& entry);

// The listing file: "C:\VALDOROTEMP\LIST.LLL" when that directory exists, else "LIST.LLL".
QString contentsListingFile();

// The line that lists `archive` (entries matching `mask`) into `listingFile`.
QString contentsCommand(const QString& arj, const QString& archive, const QString& mask,
                        const QString& listingFile);

} // namespace navlor
