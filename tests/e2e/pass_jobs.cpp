#include "tests/e2e/pass_jobs.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace navlor::e2e {

QString dailyArchive(const QString& destination, int job)
{
    return destination + QStringLiteral("\\BKP%1_%2_DIARIO.ARJ")
                             .arg(job, 2, 10, QLatin1Char('0'))
                             .arg(QDate::currentDate().addDays(-1).day(), 2, 10, QLatin1Char('0'));
}

void writeBytes(const QString& hostPath, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << hostPath.toStdString();
    file.write(bytes);
}

void writeJob(const SampleInstallation& sample, int number, const QByteArray& flags,
              const QByteArray& masks, const QByteArray& source, const QByteArray& destination)
{
    QByteArray text;
    const QList<QByteArray> lines{"Teste",
                                  "#",
                                  "#",
                                  "#",
                                  "#",
                                  "#",
                                  "#",
                                  "#",
                                  "#",
                                  flags,
                                  "0 - Di\xe1rio",
                                  masks,
                                  source,
                                  destination,
                                  "BKP",
                                  "*.ARJ *_.EXE",
                                  "#",
                                  "#",
                                  "#",
                                  "#",
                                  "0 - Manter os arquivos existentes no BKP ANTERIOR."};
    for (const QByteArray& line : lines)
        text += line + "\r\n";
    writeBytes(sample.host(kData +
                           QStringLiteral("\\VD_BKPA_%1.PAR").arg(number, 2, 10, QLatin1Char('0'))),
               text);
}

bool stampedToday(const SampleInstallation& sample, int number)
{
    return sample
               .lines(kData +
                      QStringLiteral("\\VD_BKPA_%1.PAR").arg(number, 2, 10, QLatin1Char('0')))
               .value(18) == QDate::currentDate().toString("dd/MM/yy");
}

QString backupLog(const SampleInstallation& sample)
{
    return QString::fromLatin1(sample.read(kData + QStringLiteral("\\NAVLOR.LOG")));
}

int runPass(SampleInstallation& sample, int seconds)
{
    QProcess navlor;
    sample.start(navlor, kProgram);
    if (!navlor.waitForStarted() || !navlor.waitForFinished(seconds * 1000)) {
        navlor.kill();
        navlor.waitForFinished();
        return -1;
    }
    return navlor.exitStatus() == QProcess::NormalExit ? navlor.exitCode() : -1;
}

} // namespace navlor::e2e
