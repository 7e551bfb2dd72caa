#pragma once

// Firebird databases held still while the archiver copies them: each is frozen through the
// local server before the archiver runs and thawed after it, however it ended. The databases
// about to be frozen are written down in the data directory first, so those a killed run left
// frozen are thawed at the next start.

#include <QString>
#include <QStringList>

namespace navlor {

// "CONGELADOS.LST" in the data directory: Windows paths, one a line.
QString frozenListPath(const QString& dataDirectory);

// Firebird's files among `paths`: the names ending in ".FDB" or ".GDB", any case.
QStringList firebirdDatabases(const QStringList& paths);

class DatabaseFreeze
{
public:
    explicit DatabaseFreeze(QString dataDirectory);
    ~DatabaseFreeze(); // thaws what is still frozen
    DatabaseFreeze(const DatabaseFreeze&) = delete;
    DatabaseFreeze& operator=(const DatabaseFreeze&) = delete;

    struct Failure
    {
        QString path;
        QString reason;
    };

    // Freezes each database (Windows paths); those that could not be frozen, with why.
    QList<Failure> freeze(const QStringList& databases);
    // The databases frozen now.
    const QStringList& frozen() const { return m_frozen; }
    // Thaws every frozen database; those that stay frozen, with why (they stay written down).
    QList<Failure> thaw();

private:
    bool writeList(const QStringList& paths);

    QString m_dataDirectory;
    QStringList m_frozen;
};

// Thaws the databases a run that did not end left frozen; one line for each, for the message
// line and the log ("ATENÇÃO - ..." when thawed, "ERRO - ..." when it could not be).
QStringList thawLeftovers(const QString& dataDirectory);

} // namespace navlor
