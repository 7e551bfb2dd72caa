#pragma once

// The local Firebird server for the tests that freeze databases through it, sample databases
// made by scripts/make-sample-fdb.sh, and a client that keeps writing while a test works.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace navlor::test {

// Empty when a server accepts connections on localhost:3050 with the credentials this process
// finds; otherwise why a test that needs one must skip. As root it starts Debian's server as
// the firebird user when none listens and leaves it running, as the system service would.
QString ensureFirebirdServer();

// Lets the server, which runs as the firebird user, open databases in `hostDirectory` and create
// their delta files there. Empty, or what could not be done.
QString makeServerReachable(const QString& hostDirectory);

// A database with the sample's tables and `rows` rows, which the server can open. Forced writes
// are off, as they would hold a writer to a few dozen commits a second; the page cache is small,
// so changes reach the file (or the delta, while frozen) within moments.
bool createFirebirdDatabase(const QString& hostPath, int rows, QString* error);

// isql-fb through the server, committing an insert and an update in a transaction of their own,
// about two thousand changes a second, for at most a number of seconds. Wants a database of
// createFirebirdDatabase.
class FirebirdWriter
{
public:
    FirebirdWriter(QString hostPath, int seconds);
    ~FirebirdWriter();
    FirebirdWriter(const FirebirdWriter&) = delete;
    FirebirdWriter& operator=(const FirebirdWriter&) = delete;

    // False when isql-fb could not be started; output() then says why.
    [[nodiscard]] bool start();
    // Waits until the writer ends (at most a minute past its seconds); false if it did not.
    [[nodiscard]] bool waitForEnd();
    // Tells the writer to end after its current change and waits for it.
    [[nodiscard]] bool stop();
    bool isRunning() const;
    // isql-fb ended well, reported no error and said how many changes it made.
    bool sawNoError() const;
    // Rows inserted plus rows updated, each in a committed transaction; -1 if not reported.
    qint64 changes() const;
    QString output() const { return m_output; }

private:
    QString m_hostPath;
    int m_seconds;
    QTemporaryDir m_stopDir; // stop() leaves a file here
    QProcess m_process;
    QString m_output;
    bool m_ended = false;
};

} // namespace navlor::test
