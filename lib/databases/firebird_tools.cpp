#include "lib/databases/firebird_tools.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <utility>

namespace navlor {

namespace {

// The header page as Firebird 3 (ODS 12) lays it out; the fields read here sit at the same
// places in every ODS this reader tells apart.
constexpr qsizetype kHeaderBytes = 1024; // the smallest page a database ever had
constexpr char kHeaderPageType = 1;
constexpr qsizetype kPageSizeOffset = 16;
constexpr qsizetype kOdsOffset = 18;
constexpr qsizetype kFlagsOffset = 42;
constexpr quint16 kFirebirdOdsFlag = 0x8000; // InterBase's versions lack it
constexpr quint16 kOpenedOds = 12;           // the only one Firebird 3 opens
constexpr quint16 kBackupMask = 0xC00;
constexpr quint16 kBackupStalled = 0x400;
constexpr quint16 kBackupMerge = 0x800;

// Embedded access trusts the name it is given, and validation wants the owner or SYSDBA.
const QString kDefaultUser = QStringLiteral("SYSDBA");
const QString kDefaultLockDirectory = QStringLiteral("/tmp/firebird");

quint16 word(const QByteArray& page, qsizetype offset)
{
    return qFromLittleEndian<quint16>(page.constData() + offset);
}

bool isIdentifier(QStringView key)
{
    if (key.isEmpty() || key.front().isDigit())
        return false;
    for (const QChar c : key) {
        if (!(c.isLetterOrNumber() || c == u'_'))
            return false;
    }
    return true;
}

// A value as the shell reads it: bare words and quoted pieces run together up to the first
// blank; a double-quoted part keeps a backslash only before a character it does not escape.
std::optional<QString> shellValue(QStringView text)
{
    QString value;
    qsizetype i = 0;
    while (i < text.size() && !text.at(i).isSpace()) {
        const QChar c = text.at(i++);
        if (c == u'\'') {
            const qsizetype end = text.indexOf(u'\'', i);
            if (end < 0)
                return std::nullopt;
            value += text.mid(i, end - i);
            i = end + 1;
        } else if (c == u'"') {
            for (;;) {
                if (i >= text.size())
                    return std::nullopt;
                const QChar q = text.at(i++);
                if (q == u'"')
                    break;
                if (q == u'\\' && i < text.size() && QStringView(u"\"\\$`").contains(text.at(i))) {
                    value += text.at(i++);
                    continue;
                }
                value += q;
            }
        } else if (c == u'\\' && i < text.size()) {
            value += text.at(i++);
        } else {
            value += c;
        }
    }
    return value;
}

std::optional<FirebirdCredentials> credentialsFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    FirebirdCredentials found;
    const QString text = QString::fromLocal8Bit(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("export ")))
            line = line.mid(7).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals < 0 || !isIdentifier(line.left(equals)))
            continue;
        const std::optional<QString> value = shellValue(line.mid(equals + 1));
        if (!value)
            continue;
        if (line.left(equals) == QLatin1String("ISC_USER"))
            found.user = *value;
        else if (line.left(equals) == QLatin1String("ISC_PASSWORD"))
            found.password = *value;
    }
    if (found.password.isEmpty())
        return std::nullopt;
    if (found.user.isEmpty())
        found.user = kDefaultUser;
    return found;
}

// "[", "PROBLEM ON ...", "SQLCODE:..." and "]" frame nbackup's errors; gfix prints them bare.
bool isFraming(QStringView line)
{
    return line.isEmpty() || line == u'[' || line == u']' ||
           line.startsWith(QLatin1String("PROBLEM ON")) ||
           line.startsWith(QLatin1String("SQLCODE:"));
}

// The first error a tool printed, with the last of its "-" details, which usually says why.
QString firstError(const QString& output)
{
    if (output.contains(QLatin1String("Unable to complete network request")) ||
        output.contains(QLatin1String("Failed to establish a connection")))
        return QStringLiteral("servidor Firebird indisponível");
    if (output.contains(QLatin1String("Your user name and password are not defined")))
        return QStringLiteral("usuário ou senha do Firebird recusados");
    QString head;
    QString detail;
    for (const QStringView raw : QStringView(output).split(u'\n')) {
        const QStringView line = raw.trimmed();
        if (isFraming(line)) {
            if (!head.isEmpty())
                break;
            continue;
        }
        if (head.isEmpty())
            head = line.toString();
        else if (line.startsWith(u'-'))
            detail = line.mid(1).trimmed().toString();
        else
            break;
    }
    return detail.isEmpty() ? head : head + QStringLiteral(": ") + detail;
}

QString failure(const QString& tool, int exitCode, const QString& output)
{
    const QString error = firstError(output);
    return error.isEmpty() ? QStringLiteral("%1 falhou (código %2)").arg(tool).arg(exitCode)
                           : error;
}

// gfix ends well even when it found damage; its summary counts what it found. Errors are
// damage; warnings alone (a pointer page's fill bits behind its data pages) are not, and
// Firebird itself opens and uses such a database as it is.
struct ValidationSummary
{
    bool found = false;
    QStringList errors;
    QStringList warnings;
};

ValidationSummary validationSummary(const QString& output)
{
    ValidationSummary summary;
    const qsizetype start = output.indexOf(QLatin1String("Summary of validation errors"));
    if (start < 0)
        return summary;
    summary.found = true;
    const QString rest = output.mid(start);
    for (const QStringView raw : QStringView(rest).split(u'\n')) {
        const QStringView line = raw.trimmed();
        if (!line.startsWith(QLatin1String("Number of ")))
            continue;
        const qsizetype colon = line.lastIndexOf(u':');
        const QString what = line.mid(10, colon < 0 ? -1 : colon - 10).trimmed().toString();
        const QString count = colon < 0 ? QString() : line.mid(colon + 1).trimmed().toString();
        if (count == QLatin1String("0"))
            continue;
        (what.endsWith(QLatin1String("warnings")) ? summary.warnings : summary.errors)
            << (count.isEmpty() ? what : what + u' ' + count);
    }
    return summary;
}

// Embedded Firebird keeps its lock files in a directory of the firebird group; anyone else
// needs one of their own. Embedded work here is on copies no server holds, so that is safe.
bool needsOwnLockDirectory(const QProcessEnvironment& environment)
{
    if (environment.contains(QStringLiteral("FIREBIRD_LOCK")))
        return false;
    const QFileInfo lock(kDefaultLockDirectory);
    if (!lock.exists())
        return !QFileInfo(lock.absolutePath()).isWritable();
    return !(lock.isDir() && lock.isWritable() && lock.isExecutable());
}

} // namespace

std::optional<FirebirdCredentials> firebirdCredentials(const QProcessEnvironment& environment,
                                                       const QString& passwordFile)
{
    const QString password = environment.value(QStringLiteral("ISC_PASSWORD"));
    if (!password.isEmpty()) {
        const QString user = environment.value(QStringLiteral("ISC_USER"));
        return FirebirdCredentials{user.isEmpty() ? kDefaultUser : user, password};
    }
    return credentialsFromFile(passwordFile);
}

FirebirdState readFirebirdState(const QString& hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return FirebirdState::Unreadable;
    const QByteArray page = file.read(kHeaderBytes);
    if (page.size() < kHeaderBytes || page.at(0) != kHeaderPageType)
        return FirebirdState::Unreadable;
    const quint16 pageSize = word(page, kPageSizeOffset);
    if (pageSize < kHeaderBytes || (pageSize & (pageSize - 1)) != 0)
        return FirebirdState::Unreadable;
    const quint16 ods = word(page, kOdsOffset);
    const quint16 major = ods & ~kFirebirdOdsFlag;
    if (major < 8 || major > 31) // InterBase 4 had ODS 8
        return FirebirdState::Unreadable;
    if (!(ods & kFirebirdOdsFlag) || major != kOpenedOds)
        return FirebirdState::OldFormat;
    switch (word(page, kFlagsOffset) & kBackupMask) {
    case 0:
        return FirebirdState::Normal;
    case kBackupStalled:
        return FirebirdState::Frozen;
    case kBackupMerge:
        return FirebirdState::Merging;
    default: // both bits: no state the server writes
        return FirebirdState::Unreadable;
    }
}

FirebirdTools::FirebirdTools(QProcessEnvironment environment, int ceilingSeconds)
    : m_environment(std::move(environment)), m_ceilingSeconds(ceilingSeconds)
{
}

DatabaseOutcome FirebirdTools::freeze(const QString& hostPath)
{
    return runNbackup(QStringLiteral("-L"), hostPath, Access::Server);
}

DatabaseOutcome FirebirdTools::thaw(const QString& hostPath)
{
    return runNbackup(QStringLiteral("-N"), hostPath, Access::Server);
}

DatabaseOutcome FirebirdTools::fixUp(const QString& hostPath)
{
    return runNbackup(QStringLiteral("-F"), hostPath, Access::Embedded);
}

DatabaseOutcome FirebirdTools::validate(const QString& hostPath)
{
    const QString gfix = findTool(QStringLiteral("gfix"));
    if (gfix.isEmpty())
        return {false, QStringLiteral("gfix não encontrado")};
    const Run done =
        run(gfix,
            {QStringLiteral("-v"), QStringLiteral("-full"), QFileInfo(hostPath).absoluteFilePath()},
            Access::Embedded);
    if (const QString ended = abnormalEnd(QStringLiteral("gfix"), done); !ended.isEmpty())
        return {false, ended};
    const ValidationSummary summary = validationSummary(done.output);
    if (summary.found && (!summary.errors.isEmpty() || summary.warnings.isEmpty()))
        return {false, QStringLiteral("erros de validação") +
                           (summary.errors.isEmpty()
                                ? QString()
                                : QStringLiteral(" (") + summary.errors.join(QStringLiteral(", ")) +
                                      u')')};
    if (summary.found && done.exitCode == 0)
        return {true, {}};
    // A sound database gives no output at all.
    if (done.exitCode != 0 || !done.output.trimmed().isEmpty())
        return {false, failure(QStringLiteral("gfix"), done.exitCode, done.output)};
    return {true, {}};
}

DatabaseOutcome FirebirdTools::runNbackup(const QString& option, const QString& hostPath,
                                          Access access)
{
    const QString nbackup = findTool(QStringLiteral("nbackup"));
    if (nbackup.isEmpty())
        return {false, QStringLiteral("nbackup não encontrado")};
    const QString path = QFileInfo(hostPath).absoluteFilePath();
    if (access == Access::Server && !firebirdCredentials(m_environment))
        return {false, QStringLiteral("sem credenciais do Firebird")};
    const QString database = access == Access::Server ? QStringLiteral("localhost:") + path : path;
    const Run done = run(nbackup, {option, database}, access);
    if (const QString ended = abnormalEnd(QStringLiteral("nbackup"), done); !ended.isEmpty())
        return {false, ended};
    if (done.exitCode != 0)
        return {false, failure(QStringLiteral("nbackup"), done.exitCode, done.output)};
    return {true, {}};
}

QString FirebirdTools::abnormalEnd(const QString& tool, const Run& done)
{
    if (!done.started)
        return tool + QStringLiteral(" não pôde ser iniciado");
    if (done.timedOut)
        return QStringLiteral("tempo máximo do ") + tool + QStringLiteral(" esgotado");
    if (done.crashed)
        return tool + QStringLiteral(" terminou anormalmente");
    return {};
}

QString FirebirdTools::findTool(const QString& name) const
{
    const QString own = m_environment.value(QStringLiteral("NAVLOR_FIREBIRD_BIN"));
    if (!own.isEmpty()) {
        const QString found = QStandardPaths::findExecutable(name, {own});
        if (!found.isEmpty())
            return found;
    }
    // The tools' own environment says where to look, as a shell would.
    if (m_environment.contains(QStringLiteral("PATH")))
        return QStandardPaths::findExecutable(
            name, m_environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts));
    return QStandardPaths::findExecutable(name);
}

FirebirdTools::Run FirebirdTools::run(const QString& program, const QStringList& arguments,
                                      Access access) const
{
    // Credentials go through the child's environment only: any user can read a command line.
    QProcessEnvironment environment = m_environment;
    const std::optional<FirebirdCredentials> credentials = firebirdCredentials(m_environment);
    environment.insert(QStringLiteral("ISC_USER"), credentials ? credentials->user : kDefaultUser);
    if (credentials)
        environment.insert(QStringLiteral("ISC_PASSWORD"), credentials->password);
    QTemporaryDir lockDirectory;
    if (access == Access::Embedded && needsOwnLockDirectory(m_environment) &&
        lockDirectory.isValid())
        environment.insert(QStringLiteral("FIREBIRD_LOCK"), lockDirectory.path());

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    Run done;
    if (!process.waitForStarted())
        return done;
    done.started = true;
    const int ceilingMs = m_ceilingSeconds > 0 ? m_ceilingSeconds * 1000 : -1;
    if (!process.waitForFinished(ceilingMs) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        done.timedOut = true;
    }
    done.output = QString::fromLocal8Bit(process.readAll());
    done.crashed = !done.timedOut && process.exitStatus() != QProcess::NormalExit;
    done.exitCode = process.exitCode();
    return done;
}

} // namespace navlor
