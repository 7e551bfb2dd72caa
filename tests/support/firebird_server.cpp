#include "tests/support/firebird_server.h"

#include "lib/databases/firebird_tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <optional>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor::test {

namespace {

constexpr quint16 kServerPort = 3050;
constexpr int kStartSeconds = 30;

bool listening()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kServerPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

QProcessEnvironment clientEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (const auto credentials = firebirdCredentials(environment)) {
        environment.insert(QStringLiteral("ISC_USER"), credentials->user);
        environment.insert(QStringLiteral("ISC_PASSWORD"), credentials->password);
    }
    return environment;
}

struct Ran
{
    bool ok = false;
    QString output;
};

Ran runTool(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment, int seconds = 60)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {false, program + QStringLiteral(" could not be started")};
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return {false, program + QStringLiteral(" did not end")};
    }
    const QString output = QString::fromLocal8Bit(process.readAll());
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, output};
}

// fbguard forks the server and leaves; the daemon must not keep the test's pipes open.
QString startServer()
{
    const QString guard = QStringLiteral("/usr/sbin/fbguard");
    if (!QFileInfo(guard).isExecutable())
        return QStringLiteral("Debian's Firebird server is not installed (") + guard + u')';
    const passwd* firebird = ::getpwnam("firebird");
    if (firebird == nullptr)
        return QStringLiteral("there is no firebird user to run the server");
    const QByteArray runtime = "/run/firebird3.0";
    ::mkdir(runtime.constData(), 0770);
    if (::chown(runtime.constData(), firebird->pw_uid, firebird->pw_gid) != 0)
        return QStringLiteral("cannot hand /run/firebird3.0 to the firebird user");
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=firebird"), QStringLiteral("--regid=firebird"),
                   QStringLiteral("--init-groups"), guard, QStringLiteral("-daemon"),
                   QStringLiteral("-forever")});
    if (!process.waitForFinished(kStartSeconds * 1000) || process.exitCode() != 0)
        return QStringLiteral("the Firebird server did not start");
    return {};
}

QString serverVerdict()
{
    if (!firebirdCredentials(QProcessEnvironment::systemEnvironment()))
        return QStringLiteral("no Firebird credentials: set ISC_PASSWORD or make "
                              "/etc/firebird/3.0/SYSDBA.password readable");
    if (!listening()) {
        if (::geteuid() != 0)
            return QStringLiteral("needs root to start the Firebird server");
        // ctest runs test cases side by side: one of them starts the server.
        QLockFile lock(QDir::tempPath() + QStringLiteral("/navlor-firebird-server.lock"));
        lock.setStaleLockTime(0);
        if (!lock.lock())
            return QStringLiteral("cannot take the lock for starting the Firebird server");
        if (!listening()) {
            if (const QString failed = startServer(); !failed.isEmpty())
                return failed;
        }
        for (int tenth = 0; tenth < kStartSeconds * 10 && !listening(); ++tenth)
            QThread::msleep(100);
        if (!listening())
            return QStringLiteral("the Firebird server does not listen on localhost:3050");
    }
    const QString manager = QStandardPaths::findExecutable(QStringLiteral("fbsvcmgr"));
    if (manager.isEmpty())
        return QStringLiteral("fbsvcmgr is missing (firebird3.0-utils)");
    Ran probe;
    // A server that has just opened its port may still turn the first attachment away.
    for (int attempt = 0; attempt < 20 && !probe.ok; ++attempt) {
        if (attempt > 0)
            QThread::msleep(250);
        probe = runTool(
            manager,
            {QStringLiteral("localhost:service_mgr"), QStringLiteral("-info_server_version")},
            clientEnvironment());
        if (probe.output.contains(QLatin1String("user name and password")))
            break;
    }
    if (!probe.ok)
        return QStringLiteral("the Firebird server refuses us: ") + probe.output.trimmed();
    return {};
}

bool setMode(const QByteArray& path, mode_t add, QString* error)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        *error = QString::fromLocal8Bit(path) + QStringLiteral(" does not exist");
        return false;
    }
    if ((info.st_mode & add) == add || ::chmod(path.constData(), (info.st_mode & 07777) | add) == 0)
        return true;
    *error =
        QString::fromLocal8Bit(path) + QStringLiteral(" cannot be opened to the firebird user");
    return false;
}

} // namespace

QString ensureFirebirdServer()
{
    static const QString verdict = serverVerdict();
    return verdict;
}

QString makeServerReachable(const QString& hostDirectory)
{
    const QString directory = QFileInfo(hostDirectory).absoluteFilePath();
    const bool root = ::geteuid() == 0;
    const group* firebird = ::getgrnam("firebird");
    if (root && firebird == nullptr)
        return QStringLiteral("there is no firebird group");
    QString error;
    // QTemporaryDir makes its directories 0700: the server must pass through every parent.
    for (QDir parent(directory); parent.cdUp();) {
        if (!setMode(QFile::encodeName(parent.absolutePath()), S_IXOTH, &error))
            return error;
        if (parent.isRoot())
            break;
    }
    const QByteArray path = QFile::encodeName(directory);
    if (!root)
        return setMode(path, S_IRWXO, &error) ? QString() : error;
    if (::chown(path.constData(), static_cast<uid_t>(-1), firebird->gr_gid) != 0)
        return directory + QStringLiteral(" cannot be given to the firebird group");
    return setMode(path, S_IRWXG, &error) ? QString() : error;
}

bool createFirebirdDatabase(const QString& hostPath, int rows, QString* error)
{
    const QString directory = QFileInfo(hostPath).absolutePath();
    QDir().mkpath(directory);
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    Ran made = runTool(QStringLiteral(NAVLOR_MAKE_SAMPLE_FDB), {hostPath, QString::number(rows)},
                       environment, 120);
    // Embedded, as the file is not yet the server's business; gfix takes one change a run.
    QProcessEnvironment embedded = environment;
    QTemporaryDir lock;
    if (::geteuid() != 0)
        embedded.insert(QStringLiteral("FIREBIRD_LOCK"), lock.path());
    embedded.insert(QStringLiteral("ISC_USER"), QStringLiteral("SYSDBA"));
    for (const QStringList& change :
         {QStringList{QStringLiteral("-write"), QStringLiteral("async")},
          QStringList{QStringLiteral("-buffers"), QStringLiteral("64")}}) {
        if (made.ok)
            made = runTool(QStringLiteral("gfix"), change + QStringList{hostPath}, embedded);
    }
    QString reachable;
    if (made.ok) {
        reachable = makeServerReachable(directory);
        if (::geteuid() != 0 && reachable.isEmpty() &&
            !QFile::setPermissions(hostPath, QFile::permissions(hostPath) | QFile::ReadOther |
                                                 QFile::WriteOther))
            reachable = hostPath + QStringLiteral(" cannot be opened to the firebird user");
    }
    if (error != nullptr)
        *error = !made.ok ? made.output.trimmed() : reachable;
    return made.ok && reachable.isEmpty();
}

FirebirdWriter::FirebirdWriter(QString hostPath, int seconds)
    : m_hostPath(QFileInfo(hostPath).absoluteFilePath()), m_seconds(seconds)
{
}

FirebirdWriter::~FirebirdWriter()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool FirebirdWriter::start()
{
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty() || !m_stopDir.isValid()) {
        m_output = QStringLiteral("isql-fb is missing, or no temporary directory");
        return false;
    }
    // A block of 100 committed inserts and 100 updates every tenth of a second: about two
    // thousand changes a second, paced from outside, since PSQL cannot sleep. New rows take
    // negative keys from a sequence of their own, clear of the sample's rows.
    const QString block = QStringLiteral(R"(EXECUTE BLOCK RETURNS (CHANGES BIGINT) AS
  DECLARE CUSTOMERS INTEGER;
  DECLARE ID INTEGER;
  DECLARE I INTEGER = 0;
BEGIN
  SELECT COUNT(*) FROM CLIENTES INTO :CUSTOMERS;
  WHILE (I < 100) DO BEGIN
    I = I + 1;
    ID = GEN_ID(NAVLOR_WRITER_ID, 1);
    IN AUTONOMOUS TRANSACTION DO BEGIN
      INSERT INTO VENDAS (ID, CLIENTE, PRODUTO, QUANTIDADE, VALOR, DATA)
        VALUES (-:ID, 1 + MOD(:ID, :CUSTOMERS), 1, 1, 1, CURRENT_DATE);
      UPDATE CLIENTES SET SALDO = SALDO + 1 WHERE ID = 1 + MOD(:ID, :CUSTOMERS);
    END
  END
  CHANGES = 2 * I;
  SUSPEND;
END^)");
    const QString prologue =
        QStringLiteral("SET LIST ON;\nCREATE OR ALTER SEQUENCE NAVLOR_WRITER_ID START WITH "
                       "0;\nCOMMIT;\nSET TERM ^ ;\n");
    const QString loop = QStringLiteral(
        R"({ printf '%s\n' "$PROLOGUE"; n=0
while [ ! -e "$STOP" ] && [ "$n" -lt "$TURNS" ]; do printf '%s\n' "$BLOCK"; sleep 0.1; n=$((n+1)); done
printf 'SET TERM ; ^\nEXIT;\n'; })");
    QProcessEnvironment environment = clientEnvironment();
    environment.insert(QStringLiteral("PROLOGUE"), prologue);
    environment.insert(QStringLiteral("BLOCK"), block);
    environment.insert(QStringLiteral("STOP"), m_stopDir.filePath(QStringLiteral("stop")));
    environment.insert(QStringLiteral("TURNS"), QString::number(m_seconds * 10));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), loop + QStringLiteral(" | \"$0\" -q -b \"$1\""), isql,
                     QStringLiteral("localhost:") + m_hostPath});
    if (!m_process.waitForStarted()) {
        m_output = QStringLiteral("the writer could not be started");
        return false;
    }
    return true;
}

bool FirebirdWriter::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

bool FirebirdWriter::stop()
{
    QFile(m_stopDir.filePath(QStringLiteral("stop"))).open(QIODevice::WriteOnly);
    return waitForEnd();
}

bool FirebirdWriter::waitForEnd()
{
    if (!m_process.waitForFinished((m_seconds + 60) * 1000) &&
        m_process.state() != QProcess::NotRunning)
        return false;
    m_output += QString::fromLocal8Bit(m_process.readAll());
    m_ended = true;
    return true;
}

bool FirebirdWriter::sawNoError() const
{
    return m_ended && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0 &&
           !m_output.contains(QLatin1String("SQLSTATE")) &&
           !m_output.contains(QLatin1String("failed")) && changes() >= 0;
}

qint64 FirebirdWriter::changes() const
{
    static const QRegularExpression count(QStringLiteral("CHANGES\\s+(\\d+)"));
    qint64 total = -1;
    for (auto it = count.globalMatch(m_output); it.hasNext();)
        total = std::max<qint64>(total, 0) + it.next().captured(1).toLongLong();
    return total;
}

} // namespace navlor::test
