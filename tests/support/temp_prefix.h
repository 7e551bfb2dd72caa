#pragma once

#include "lib/platform/clock.h"
#include "lib/platform/platform.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace navlor::test {

// A fresh hosted-Windows prefix in a temporary directory, installed as the platform for the
// lifetime of the object, with a fake clock and its own XDG autostart directory.
class TempPrefix
{
public:
    TempPrefix();
    ~TempPrefix();

    QString root() const;                           // host path of the prefix
    QString host(const QString& windowsPath) const; // host path of a Windows path
    // Creates the file (and its directories) with the given bytes.
    void write(const QString& windowsPath, const QByteArray& bytes) const;
    QByteArray read(const QString& windowsPath) const;
    void mkdir(const QString& windowsPath) const;
    // Adds drive `letter` as a directory inside the prefix.
    QString addDrive(char letter) const;
    QString autostartDir() const;
    FakeClock& clock() const { return *m_clock; }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldXdg;
    bool m_hadXdg = false;
    FakeClock* m_clock = nullptr;
    std::unique_ptr<Platform> m_previous;
};

} // namespace navlor::test
