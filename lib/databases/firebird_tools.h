#pragma once

// Firebird's own tools on this host: nbackup freezes and thaws a database through the local
// server, and, embedded, fixes up and validates a copy. Paths are host paths.

#include "lib/databases/database_tools.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace navlor {

struct FirebirdCredentials
{
    QString user;
    QString password;
};

// As Firebird's tools find them: ISC_USER and ISC_PASSWORD from the environment when
// ISC_PASSWORD is set, else the shell-style file the Debian package keeps beside its
// configuration. Nothing when neither gives a password.
[[nodiscard]] std::optional<FirebirdCredentials> firebirdCredentials(
    const QProcessEnvironment& environment,
    const QString& passwordFile = QStringLiteral("/etc/firebird/3.0/SYSDBA.password"));

// From the header page alone; needs neither a server nor a tool.
[[nodiscard]] FirebirdState readFirebirdState(const QString& hostPath);

class FirebirdTools
{
public:
    explicit FirebirdTools(
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(),
        int ceilingSeconds = 3600);

    // nbackup -L through the local server: the main file stays still, changes go to the delta.
    [[nodiscard]] DatabaseOutcome freeze(const QString& hostPath);
    // nbackup -N through the local server: the delta is merged back.
    [[nodiscard]] DatabaseOutcome thaw(const QString& hostPath);
    // nbackup -F, embedded, on a copy taken while frozen.
    [[nodiscard]] DatabaseOutcome fixUp(const QString& hostPath);
    // gfix -v -full, embedded: every page and record structure is read.
    [[nodiscard]] DatabaseOutcome validate(const QString& hostPath);

private:
    struct Run
    {
        bool started = false;
        bool timedOut = false;
        bool crashed = false;
        int exitCode = -1;
        QString output;
    };
    enum class Access
    {
        Server,
        Embedded
    };

    // Why the tool did not end on its own, if it did not.
    [[nodiscard]] static QString abnormalEnd(const QString& tool, const Run& done);
    [[nodiscard]] DatabaseOutcome runNbackup(const QString& option, const QString& hostPath,
                                             Access access);
    [[nodiscard]] QString findTool(const QString& name) const;
    [[nodiscard]] Run run(const QString& program, const QStringList& arguments,
                          Access access) const;

    QProcessEnvironment m_environment;
    int m_ceilingSeconds;
};

} // namespace navlor
