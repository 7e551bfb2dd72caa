#include "tests/support/temp_prefix.h"

#include "lib/platform/posix_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace navlor::test {

TempPrefix::TempPrefix()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary directory");
    m_hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
    m_oldXdg = qgetenv("XDG_CONFIG_DIRS");
    QDir().mkpath(m_dir.path() + "/xdg/autostart");
    qputenv("XDG_CONFIG_DIRS", (m_dir.path() + "/xdg").toLocal8Bit());

    auto backend = std::make_unique<PosixPlatform>(m_dir.path() + "/prefix");
    auto clock = std::make_unique<FakeClock>();
    m_clock = clock.get();
    backend->setClock(std::move(clock));
    m_previous = setPlatform(std::move(backend));
}

TempPrefix::~TempPrefix()
{
    setPlatform(std::move(m_previous));
    if (m_hadXdg)
        qputenv("XDG_CONFIG_DIRS", m_oldXdg);
    else
        qunsetenv("XDG_CONFIG_DIRS");
}

QString TempPrefix::root() const
{
    return m_dir.path() + "/prefix";
}

QString TempPrefix::host(const QString& windowsPath) const
{
    return platform().toHostPath(windowsPath);
}

void TempPrefix::write(const QString& windowsPath, const QByteArray& bytes) const
{
    const QString path = host(windowsPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray TempPrefix::read(const QString& windowsPath) const
{
    QFile file(host(windowsPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TempPrefix::mkdir(const QString& windowsPath) const
{
    QDir().mkpath(host(windowsPath));
}

QString TempPrefix::addDrive(char letter) const
{
    const QString target = root() + "/drive_" + QChar(letter).toLower();
    QDir().mkpath(target);
    QDir().mkpath(root() + "/dosdevices");
    QFile::link("../drive_" + QString(QChar(letter).toLower()),
                root() + "/dosdevices/" + QChar(letter).toLower() + ":");
    return target;
}

QString TempPrefix::autostartDir() const
{
    return m_dir.path() + "/xdg/autostart";
}

} // namespace navlor::test
