#include "tests/e2e/sample_installation.h"

#include "lib/ansi_text.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

namespace navlor::e2e {

SampleInstallation::SampleInstallation() : m_prefix(m_dir.path() + QStringLiteral("/prefix"))
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return;
    }
    QDir().mkpath(m_dir.path() + QStringLiteral("/xdg/autostart"));
    QProcess make;
    make.setProcessChannelMode(QProcess::MergedChannels);
    make.start(QStringLiteral("bash"),
               {QStringLiteral(NAVLOR_MAKE_SAMPLE), m_prefix, QStringLiteral(NAVLOR_BIN_DIR)});
    if (!make.waitForFinished(60000) || make.exitStatus() != QProcess::NormalExit ||
        make.exitCode() != 0)
        m_error =
            QStringLiteral("make-sample.sh failed: ") + QString::fromLocal8Bit(make.readAll());
}

QString SampleInstallation::host(const QString& windowsPath) const
{
    // "C:\VALDOROW\X" -> <prefix>/dosdevices/c:/VALDOROW/X
    QString rest = windowsPath.mid(2);
    rest.replace(u'\\', u'/');
    return m_prefix + QStringLiteral("/dosdevices/") + windowsPath.left(2).toLower() + rest;
}

bool SampleInstallation::exists(const QString& windowsPath) const
{
    return QFile::exists(host(windowsPath));
}

QByteArray SampleInstallation::read(const QString& windowsPath) const
{
    QFile file(host(windowsPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList SampleInstallation::lines(const QString& windowsPath) const
{
    return fromAnsi(read(windowsPath)).split(QStringLiteral("\r\n"));
}

QStringList SampleInstallation::names(const QString& windowsDirectory,
                                      const QString& wildcard) const
{
    return QDir(host(windowsDirectory)).entryList({wildcard}, QDir::Files, QDir::Name);
}

void SampleInstallation::setConsoleFlags(const QString& flags) const
{
    const QString path = QStringLiteral("C:\\VALDORO\\NAVLOR\\NAV_LOR");
    QStringList text = lines(path);
    text[9] = flags;
    QFile file(host(path));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(toAnsi(text.join(QStringLiteral("\r\n"))));
}

void SampleInstallation::start(QProcess& process, const QString& program,
                               const QStringList& arguments, const QString& outputName)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NAVLOR_PREFIX"), m_prefix);
    if (m_display.isEmpty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), m_display);
    }
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_dir.path() + QStringLiteral("/xdg"));
    // The interpreter beside the program, as an installation has it.
    environment.remove(QStringLiteral("NAVLOR_CMD"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(host(QStringLiteral("C:\\VALDOROW")));
    process.setStandardOutputFile(m_dir.path() + u'/' + outputName + QStringLiteral(".txt"));
    process.setStandardErrorFile(m_dir.path() + u'/' + outputName + QStringLiteral("-err.txt"));
    process.start(host(program), arguments);
}

QString SampleInstallation::output(const QString& outputName) const
{
    QFile file(m_dir.path() + u'/' + outputName + QStringLiteral(".txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool waitUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace navlor::e2e
