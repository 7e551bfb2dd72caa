#include "bench/backup_bench_support.h"

#include "lib/platform/clock.h"
#include "lib/platform/posix_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <memory>

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

} // namespace navlor::bench
