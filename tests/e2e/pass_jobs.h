#pragma once

// Jobs, archives and the log of the sample installation as the e2e tests of the start-up
// pass set them up and read them back.

#include "tests/e2e/sample_installation.h"

#include <QByteArray>
#include <QString>

namespace navlor::e2e {

inline const QString kProgram = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
inline const QString kData = QStringLiteral("C:\\VALDORO\\NAVLOR");

// What a daily job writes today: the archive of yesterday's day number.
QString dailyArchive(const QString& destination, int job);
// Writes a host file, creating its directory; a failure fails the test.
void writeBytes(const QString& hostPath, const QByteArray& bytes);
// A daily job of the sample's kind, lines as the console stores them.
void writeJob(const SampleInstallation& sample, int number, const QByteArray& flags,
              const QByteArray& masks, const QByteArray& source, const QByteArray& destination);
bool stampedToday(const SampleInstallation& sample, int number);
QString backupLog(const SampleInstallation& sample);
// Runs the start-up pass to its end; the exit code, or -1 when it did not end in time.
int runPass(SampleInstallation& sample, int seconds);

} // namespace navlor::e2e
