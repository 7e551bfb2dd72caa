#pragma once

// The console parameter file NAV_LOR in the data directory: line 10 is the flags string, one
// yes/no setting per position ("S" or "N"), line 11 the option handed to ARJ. A blank position
// means what the console did before the setting existed.

#include <QString>

#include <optional>

namespace navlor {

constexpr int kConsoleFlagsLine = 10;
constexpr int kArjOptionLine = 11;
constexpr int kConsoleFlagsWidth = 20;
// Line 12: the longest an archiver run of the backup may take, in minutes (empty: the default).
constexpr int kArchiverCeilingLine = 12;
constexpr int kDefaultArchiverCeilingMinutes = 6 * 60;
// Line 13: "N" when the databases of each new archive are not opened again from it (too big
// for the time the backup has); anything else, the empty line too, leaves that on.
constexpr int kTestRestoreLine = 13;

struct ConsoleFlags
{
    bool deleteLockFiles = false;   // 1: *.LCK under the system directory
    bool deleteQueryTables = false; // 2: _QSQ*.DB* and _QSQ*.MB under the system directory
    bool closeWhenDone = true;      // 3: minimise and close after the start-up run
    bool deleteNetFile = false;     // 5: C:\PDOXUSRS.NET
    bool startNetlog = false;       // 6: C:\NETLOG\NETLOG.EXE

    // As the start-up run obeys them: a blank 5 or 6 counts as "S".
    static ConsoleFlags forStartup(const QString& flags);
    // As the parameters dialog shows them: only "S" ticks 1, 2, 5 and 6.
    static ConsoleFlags asStored(const QString& flags);

    // The 20 characters written back: "S"/"N" at 1, 2, 3, 5 and 6, blanks elsewhere.
    QString text() const;
};

// Line 10 as exactly 20 characters, cut or filled with blanks on the right.
QString consoleFlagsText(const QString& line);

// The parameter file of the console in `dataDirectory` (LA_DIRNAVLOR).
QString consoleParamFile(const QString& dataDirectory);

// Line `line` of the console's parameter file in `dataDirectory`; empty when the file is
// missing or could not be read (the store has told the operator): every line's default.
QString consoleParamLine(const QString& dataDirectory, int line);

// Reads the parameter file and returns its flags string (20 blanks when the file is missing
// or unreadable: every setting off, as on a first start).
QString readConsoleFlags(const QString& dataDirectory);

// Line 11 as the archiver may be given it: "", "-HF2" or "-HF1" (either case, blanks around
// taken off); nothing for any other text, which must not reach the command line.
std::optional<QString> validArchiverOption(const QString& line);

// Line 12 in seconds: a whole number of minutes above 0, else the default.
int archiverCeilingSeconds(const QString& line);

// Line 13: whether each backup's databases are taken out of its archive and opened again.
bool testRestoreWanted(const QString& line);

} // namespace navlor
