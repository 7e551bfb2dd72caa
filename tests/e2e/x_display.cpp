#include "tests/e2e/x_display.h"

#include "tests/e2e/sample_installation.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace navlor::e2e {

namespace {

QString socketPath(int number)
{
    return QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
}

QString lockPath(int number)
{
    return QStringLiteral("/tmp/.X%1-lock").arg(number);
}

bool displayInUse(int number)
{
    return QFile::exists(socketPath(number)) || QFile::exists(lockPath(number));
}

// The server that holds a display writes its process id into the display's lock file.
qint64 lockOwner(int number)
{
    QFile lock(lockPath(number));
    return lock.open(QIODevice::ReadOnly) ? lock.readAll().trimmed().toLongLong() : 0;
}

// A process that has not ended in time is killed, so a test never leaves one behind.
void stop(QProcess& process, int milliseconds)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(milliseconds)) {
        process.kill();
        process.waitForFinished(milliseconds);
    }
}

} // namespace

PrivateDisplay::PrivateDisplay()
{
    // Test programs run side by side start their search at different numbers: two servers
    // racing for one display can both stall for seconds in Xvfb's locking.
    const int first = int(QCoreApplication::applicationPid() % 100);
    for (int i = 0; i < 100; ++i) {
        const int number = 90 + (first + i) % 100;
        if (!displayInUse(number) && startOn(number))
            return;
    }
    if (m_error.isEmpty())
        m_error = QStringLiteral("no free display from :90 to :189");
}

PrivateDisplay::~PrivateDisplay()
{
    stop(m_server, 3000);
}

QStringList PrivateDisplay::missingTools()
{
    QStringList missing;
    for (const QString& tool : {QStringLiteral("Xvfb"), QStringLiteral("xdotool")}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    }
    return missing;
}

bool PrivateDisplay::startOn(int number)
{
    m_server.setStandardOutputFile(QProcess::nullDevice());
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!m_server.waitForStarted(5000)) {
        m_error = QStringLiteral("Xvfb does not start: ") + m_server.errorString();
        return false;
    }
    // Two tests may pick the same number at once; the one whose server does not hold the lock
    // sees it end and tries the next number.
    const auto ours = [&] {
        return m_server.state() == QProcess::Running && lockOwner(number) == m_server.processId() &&
               QFile::exists(socketPath(number));
    };
    waitUntil([&] { return m_server.state() != QProcess::Running || ours(); }, 10000);
    if (ours()) {
        m_number = number;
        m_error.clear();
        return true;
    }
    stop(m_server, 3000);
    m_error = QStringLiteral("Xvfb did not come up on :%1").arg(number);
    return false;
}

bool PrivateDisplay::xdotool(const QStringList& arguments, int milliseconds, QString* output) const
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), name());
    tool.setProcessEnvironment(environment);
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(milliseconds)) {
        stop(tool, 1000);
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(tool.readAllStandardOutput());
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QString PrivateDisplay::waitForWindow(const QString& title, int milliseconds) const
{
    QString ids;
    if (!xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                  QStringLiteral("--onlyvisible"), QStringLiteral("--name"), title},
                 milliseconds, &ids))
        return QString();
    return ids.split(u'\n', Qt::SkipEmptyParts).value(0);
}

bool PrivateDisplay::click(const QString& window, int x, int y) const
{
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                    QString::number(x), QString::number(y), QStringLiteral("click"),
                    QStringLiteral("1")},
                   5000);
}

} // namespace navlor::e2e
