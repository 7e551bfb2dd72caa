#pragma once

#include "lib/platform/posix_platform.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_prefix.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace navlor::test {

// A fresh prefix with the POSIX backend installed; the host directory is put back afterwards,
// since changing the Windows current directory moves the whole test process.
class PlatformTest : public ::testing::Test
{
protected:
    ~PlatformTest() override { QDir::setCurrent(m_hostDirectory); }

    PosixPlatform& posix() { return static_cast<PosixPlatform&>(platform()); }

    // The host file behind a Windows path, made with its directories.
    void touch(const QString& windowsPath, const QByteArray& bytes = "x")
    {
        prefix.write(windowsPath, bytes);
    }

    static bool waitUntil(const std::function<bool()>& done, int milliseconds = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > milliseconds)
                return false;
            QThread::msleep(10);
        }
        return true;
    }

    QString m_hostDirectory = QDir::currentPath();
    TempPrefix prefix;
};

} // namespace navlor::test
