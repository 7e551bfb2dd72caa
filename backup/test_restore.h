#pragma once

// A backup proves itself by giving back working databases: the databases of a new archive are
// taken out into a temporary directory beside it and opened there, each Firebird database
// fixed up from its frozen copy and validated, each Paradox table read record by record.

#include <QString>
#include <QStringList>

namespace navlor {

// The entries a test restore takes out: Firebird databases, Paradox tables with their memo
// and primary index files.
const QStringList& testRestoreMasks();

struct TestRestoreOutcome
{
    bool ok = true;
    QString file;      // the database that failed, as "C:\DADOS\FB\VALDORO.FDB"
    QString reason;    // why, in a few words
    int databases = 0; // how many were opened
    QStringList notes; // databases left unchecked, with why
};

// Takes the databases out of `archivePath` with `archiver` ("X", ended at `ceilingSeconds`)
// into a new directory in `workDirectory` (removed whatever happens) and opens each. Stored
// names are shown on `drive` ("C:"). Fewer than `expected` databases taken out is a failure.
TestRestoreOutcome testRestore(const QString& archiver, const QString& archivePath,
                               const QString& workDirectory, const QString& drive,
                               int ceilingSeconds, int expected = 0);

} // namespace navlor
