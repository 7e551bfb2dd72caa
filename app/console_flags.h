#pragma once

// The console parameter file NAV_LOR in the data directory: line 10 is the flags string, one
// yes/no setting per position ("S" or "N"), line 11 the option handed to ARJ. A blank position
// means what the console did before the setting existed.

#include <QString>

namespace navlor {

constexpr int kConsoleFlagsLine = 10;
constexpr int kArjOptionLine = 11;
constexpr int kConsoleFlagsWidth = 20;

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

// Reads the parameter file into GB_LINHAS and returns its flags string (20 blanks when the
// file is missing or unreadable).
QString readConsoleFlags(const QString& dataDirectory);

} // namespace navlor
