#include "bench/backup_bench_support.h"

#include "lib/platform/clock.h"
#include "lib/platform/posix_platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace navlor::bench {

BenchPrefix::BenchPrefix(const QDateTime& now)
{
    if (!m_dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        std::exit(1);
    }
    auto backend = std::make_unique<PosixPlatform>(root());
    backend->setClock(std::make_unique<FakeClock>(now));
    setPlatform(std::move(backend));
    mkdir(kDataDir);
}

QString BenchPrefix::host(const QString& windowsPath) const
{
    return platform().toHostPath(windowsPath);
}

void BenchPrefix::mkdir(const QString& windowsPath) const
{
    QDir().mkpath(host(windowsPath));
}

void BenchPrefix::addDrive(char letter) const
{
    const QString drive = QStringLiteral("drive_") + QChar::fromLatin1(letter).toLower();
    QDir().mkpath(root() + u'/' + drive);
    QDir().mkpath(root() + QStringLiteral("/dosdevices"));
    QFile::link(QStringLiteral("../") + drive, root() + QStringLiteral("/dosdevices/") +
                                                   QChar::fromLatin1(letter).toLower() + u':');
}

void BenchPrefix::link(const QString& target, const QString& windowsPath) const
{
    const QString path = host(windowsPath);
    QDir().mkpath(QFileInfo(path).path());
    if (!QFile::link(target, path)) {
        std::fprintf(stderr, "cannot link %s\n", qPrintable(path));
        std::exit(1);
    }
}

QString hostArj()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("arj"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/arj") : found;
}

double timePlainArjAdd(const BenchPrefix& prefix, const QStringList& arguments)
{
    QProcess arj;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ARJ_SW"));
    arj.setProcessEnvironment(environment);
    arj.setWorkingDirectory(prefix.host(QStringLiteral("C:\\")));
    arj.setStandardInputFile(QProcess::nullDevice());
    arj.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    arj.start(hostArj(), QStringList{QStringLiteral("a")} + arguments);
    const bool finished = arj.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!finished || arj.exitStatus() != QProcess::NormalExit || arj.exitCode() != 0) {
        std::fprintf(stderr, "arj a failed: %s\n", arj.readAllStandardError().constData());
        std::exit(1);
    }
    return seconds;
}

int archiveEntries(const QString& hostPath)
{
    QProcess arj;
    arj.start(hostArj(), {QStringLiteral("v"), hostPath});
    arj.waitForFinished(-1);
    static const QRegularExpression entry(QStringLiteral("^\\d{3,}\\) "),
                                          QRegularExpression::MultilineOption);
    return static_cast<int>(QString::fromLocal8Bit(arj.readAllStandardOutput()).count(entry));
}

void clearArchive(const QString& hostPath)
{
    QFile::remove(hostPath);
    ::sync();
}

} // namespace navlor::bench
