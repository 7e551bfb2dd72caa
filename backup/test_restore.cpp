#include "backup/test_restore.h"

#include "lib/databases/database_tools.h"
#include "lib/platform/platform.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

namespace navlor {

namespace {

bool hasExtension(const QString& path, const char* extension)
{
    return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}

bool isFirebird(const QString& path)
{
    return hasExtension(path, ".FDB") || hasExtension(path, ".GDB");
}

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

struct Checked
{
    bool ok = true;
    bool unchecked = false;
    QString reason;
};

Checked checkFirebird(DatabaseTools& tools, const QString& hostPath)
{
    switch (tools.firebirdState(hostPath)) {
    case FirebirdState::OldFormat:
        return {true, true, QStringLiteral("formato antigo")};
    case FirebirdState::Unreadable:
        return {false, false, QStringLiteral("não é um banco Firebird legível")};
    case FirebirdState::Merging:
        return {false, false, QStringLiteral("copiado no meio de uma fusão do delta")};
    case FirebirdState::Frozen: {
        const DatabaseOutcome fixed = tools.fixUpFirebird(hostPath);
        if (!fixed.ok)
            return {false, false, fixed.reason};
        break;
    }
    case FirebirdState::Normal:
        break;
    }
    const DatabaseOutcome valid = tools.validateFirebird(hostPath);
    return {valid.ok, false, valid.reason};
}

} // namespace

const QStringList& testRestoreMasks()
{
    static const QStringList masks{QStringLiteral("*.FDB"), QStringLiteral("*.GDB"),
                                   QStringLiteral("*.DB"), QStringLiteral("*.MB"),
                                   QStringLiteral("*.PX")};
    return masks;
}

TestRestoreOutcome testRestore(const QString& archiver, const QString& archivePath,
                               const QString& workDirectory, const QString& drive,
                               int ceilingSeconds, int expected)
{
    TestRestoreOutcome outcome;
    Platform& p = platform();
    const QString hostWork = p.toHostPath(workDirectory);
    // Made by the host with a name nobody can guess and only our access, so no one can plant
    // files or links in it meanwhile.
    QTemporaryDir temporary(hostWork + QStringLiteral("/NAVLOR-TESTE-XXXXXX"));
    const QString target = temporary.isValid() ? p.fromHostPath(temporary.path()) : QString();
    if (hostWork.isEmpty() || target.isEmpty()) {
        outcome.ok = false;
        outcome.file = archivePath;
        outcome.reason = QStringLiteral("diretório temporário não criado");
        return outcome;
    }
    const QString line = quoted(archiver) + QStringLiteral(" X ") + quoted(archivePath) + u' ' +
                         quoted(target + u'\\') + u' ' + testRestoreMasks().join(u' ') +
                         QStringLiteral(" -Y");
    QByteArray output;
    const int code = p.runBounded(line, ShowMode::Hide, {ceilingSeconds, &output, {}, {}});

    QStringList found;
    QDirIterator walk(temporary.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (walk.hasNext())
        found << walk.next();
    found.sort();
    if (code != 0 && !found.isEmpty()) {
        outcome.ok = false;
        outcome.file = archivePath;
        outcome.reason = code == kRunTimedOut
                             ? QStringLiteral("tempo máximo do arquivador esgotado")
                             : QStringLiteral("extração falhou (código %1)").arg(code);
        return outcome;
    }

    DatabaseTools& tools = databaseTools();
    int taken = 0;
    for (const QString& host : std::as_const(found))
        taken += isFirebird(host) || hasExtension(host, ".DB") ? 1 : 0;
    if (taken < expected) {
        outcome.ok = false;
        outcome.file = archivePath;
        outcome.reason = QStringLiteral("%1 de %2 bancos extraídos").arg(taken).arg(expected);
        return outcome;
    }
    const QString root = temporary.path() + u'/';
    for (const QString& host : std::as_const(found)) {
        const bool firebird = isFirebird(host);
        if (!firebird && !hasExtension(host, ".DB"))
            continue;
        const QString shown = drive + u'\\' + host.mid(root.size()).replace(u'/', u'\\');
        Checked checked;
        if (firebird) {
            checked = checkFirebird(tools, host);
        } else {
            const DatabaseOutcome table = tools.checkParadoxTable(host);
            checked = {table.ok, false, table.reason};
        }
        if (checked.unchecked) {
            outcome.notes << shown + QStringLiteral(" (") + checked.reason + u')';
            continue;
        }
        ++outcome.databases;
        if (!checked.ok) {
            outcome.ok = false;
            outcome.file = shown;
            outcome.reason = checked.reason;
            return outcome;
        }
    }
    return outcome;
}

} // namespace navlor
