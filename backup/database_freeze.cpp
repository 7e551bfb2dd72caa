#include "backup/database_freeze.h"

#include "backup/schedule.h"
#include "lib/ansi_text.h"
#include "lib/databases/database_tools.h"
#include "lib/platform/platform.h"

#include <QRegularExpression>

#include <utility>

namespace navlor {

namespace {

QStringList readList(const QString& dataDirectory)
{
    const std::optional<QByteArray> bytes = platform().readFile(frozenListPath(dataDirectory));
    if (!bytes)
        return {};
    return fromAnsi(*bytes).split(QRegularExpression(QStringLiteral("\r\n|\n")),
                                  Qt::SkipEmptyParts);
}

bool writeListFile(const QString& dataDirectory, const QStringList& paths)
{
    Platform& p = platform();
    const QString file = frozenListPath(dataDirectory);
    if (paths.isEmpty())
        return !p.fileExists(file) || p.deleteFile(file);
    QByteArray bytes;
    for (const QString& path : paths)
        bytes += toAnsi(path) + "\r\n";
    return p.writeFile(file, bytes);
}

QString hostOf(const QString& path)
{
    return platform().toHostPath(path);
}

} // namespace

QString frozenListPath(const QString& dataDirectory)
{
    return pathInDirectory(dataDirectory, QStringLiteral("CONGELADOS.LST"));
}

QStringList firebirdDatabases(const QStringList& paths)
{
    QStringList databases;
    for (const QString& path : paths) {
        if (path.endsWith(QLatin1String(".FDB"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".GDB"), Qt::CaseInsensitive))
            databases << path;
    }
    return databases;
}

DatabaseFreeze::DatabaseFreeze(QString dataDirectory) : m_dataDirectory(std::move(dataDirectory)) {}

DatabaseFreeze::~DatabaseFreeze()
{
    (void)thaw();
}

bool DatabaseFreeze::writeList(const QStringList& paths)
{
    return writeListFile(m_dataDirectory, paths);
}

QList<DatabaseFreeze::Failure> DatabaseFreeze::freeze(const QStringList& databases)
{
    QList<Failure> failures;
    if (databases.isEmpty())
        return failures;
    // Written down before any is frozen: a kill in between leaves nothing frozen unknown.
    QStringList listed = readList(m_dataDirectory);
    for (const QString& path : databases) {
        if (!listed.contains(path, Qt::CaseInsensitive))
            listed << path;
    }
    if (!writeList(listed)) {
        for (const QString& path : databases)
            failures << Failure{path, QStringLiteral("lista de bancos congelados não gravada")};
        return failures;
    }
    DatabaseTools& tools = databaseTools();
    for (const QString& path : databases) {
        const QString host = hostOf(path);
        DatabaseOutcome outcome{false, QStringLiteral("caminho inacessível")};
        if (!host.isEmpty()) {
            // What the header already tells needs no server to say.
            switch (tools.firebirdState(host)) {
            case FirebirdState::OldFormat:
                outcome.reason = QStringLiteral("formato antigo, o servidor não o abre");
                break;
            case FirebirdState::Unreadable:
                outcome.reason = QStringLiteral("não é um banco Firebird legível");
                break;
            case FirebirdState::Frozen:
            case FirebirdState::Merging:
                outcome.reason = QStringLiteral("já congelado por outro BKP");
                break;
            case FirebirdState::Normal:
                outcome = tools.freezeFirebird(host);
                break;
            }
        }
        if (outcome.ok) {
            m_frozen << path;
            continue;
        }
        failures << Failure{path, outcome.reason};
        listed.removeAll(path);
    }
    (void)writeList(listed);
    return failures;
}

QList<DatabaseFreeze::Failure> DatabaseFreeze::thaw()
{
    QList<Failure> failures;
    if (m_frozen.isEmpty())
        return failures;
    DatabaseTools& tools = databaseTools();
    QStringList listed = readList(m_dataDirectory);
    for (const QString& path : std::as_const(m_frozen)) {
        const DatabaseOutcome outcome = tools.thawFirebird(hostOf(path));
        if (outcome.ok)
            listed.removeAll(path);
        else
            failures << Failure{path, outcome.reason};
    }
    m_frozen.clear();
    (void)writeList(listed);
    return failures;
}

QStringList thawLeftovers(const QString& dataDirectory)
{
    const QStringList listed = readList(dataDirectory);
    if (listed.isEmpty())
        return {};
    DatabaseTools& tools = databaseTools();
    QStringList lines;
    QStringList kept;
    for (const QString& path : listed) {
        const QString host = hostOf(path);
        // Only what is frozen now is thawed: the list may name a database whose freeze the
        // kill came before.
        if (host.isEmpty() || tools.firebirdState(host) != FirebirdState::Frozen)
            continue;
        const DatabaseOutcome outcome = tools.thawFirebird(host);
        if (outcome.ok) {
            lines << QStringLiteral("ATENÇÃO - banco descongelado após BKP interrompido: ") + path;
            continue;
        }
        lines << QStringLiteral("ERRO - banco congelado por BKP interrompido: ") + path +
                     QStringLiteral(" (") + outcome.reason + u')';
        kept << path;
    }
    (void)writeListFile(dataDirectory, kept);
    return lines;
}

} // namespace navlor
