#pragma once

// What the backup asks of the databases' own tools: Firebird's nbackup and gfix, and pxlib for
// Paradox tables. Paths are host paths, since these are host programs and libraries. Tests
// install a fake.

#include <QString>

#include <memory>

namespace navlor {

// How a tool call went; `reason` says why not, in a few words for the message line.
struct DatabaseOutcome
{
    bool ok = false;
    QString reason;
};

// The backup state a Firebird database's header page records.
enum class FirebirdState
{
    Normal,
    Frozen,     // nbackup -L: the main file is still, changes go to the delta file
    Merging,    // the delta is being merged back after nbackup -N
    OldFormat,  // an on-disk structure the installed server does not open
    Unreadable, // missing, too short or not a Firebird database
};

class DatabaseTools
{
public:
    virtual ~DatabaseTools() = default;
    // Read from the header page; needs no server.
    virtual FirebirdState firebirdState(const QString& hostPath) = 0;
    // nbackup -L through the local server: the main file stays still until thawed while the
    // server's clients go on writing.
    virtual DatabaseOutcome freezeFirebird(const QString& hostPath) = 0;
    // nbackup -N through the local server: merges the delta back.
    virtual DatabaseOutcome thawFirebird(const QString& hostPath) = 0;
    // nbackup -F on a copy taken while frozen, so it opens as a database of its own.
    virtual DatabaseOutcome fixUpFirebird(const QString& hostPath) = 0;
    // gfix -v -full, embedded (no server): every page and record structure is read.
    virtual DatabaseOutcome validateFirebird(const QString& hostPath) = 0;
    // Opens the table (.DB) with its blob file when there is one, reads every record and
    // checks the header's record count against the records read and against the primary
    // index (.PX) when there is one.
    virtual DatabaseOutcome checkParadoxTable(const QString& hostPath) = 0;
};

// The tools in use; created on first use for the host.
DatabaseTools& databaseTools();
// Replaces the tools; returns the ones replaced.
std::unique_ptr<DatabaseTools> setDatabaseTools(std::unique_ptr<DatabaseTools> replacement);
// Firebird's and pxlib's tools on this host.
std::unique_ptr<DatabaseTools> createHostDatabaseTools();

} // namespace navlor
