#pragma once

// The sample installation of scripts/make-sample.sh in a fresh prefix, with the built programs
// linked into it, and the programs of the installation started the way Windows starts them.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace navlor::e2e {

class SampleInstallation
{
public:
    SampleInstallation();

    // Empty when the installation was made; else what went wrong.
    const QString& error() const { return m_error; }
    // Host path of the prefix.
    const QString& prefix() const { return m_prefix; }

    // Host path of a Windows path of the sample, spelt as the sample spells it.
    QString host(const QString& windowsPath) const;
    bool exists(const QString& windowsPath) const;
    QByteArray read(const QString& windowsPath) const;
    // Lines of a text file of the installation (Windows-1252, CR LF).
    QStringList lines(const QString& windowsPath) const;
    // Names in a directory matching a wildcard, sorted.
    QStringList names(const QString& windowsDirectory, const QString& wildcard) const;
    // Line 10 of the console parameter file.
    void setConsoleFlags(const QString& flags) const;

    // Programs started afterwards show their windows on this X display instead of offscreen.
    void setDisplay(const QString& display) { m_display = display; }

    // Starts `program` (a Windows path) by the path of its link in the prefix, with the
    // prefix's environment, an offscreen display (or the one set) and standard output kept in a
    // file of that `outputName`, so programs run side by side each have their own.
    void start(QProcess& process, const QString& program, const QStringList& arguments = {},
               const QString& outputName = QStringLiteral("stdout"));
    // What the last program started with `outputName` wrote to its standard output so far.
    QString output(const QString& outputName = QStringLiteral("stdout")) const;

private:
    QTemporaryDir m_dir;
    QString m_prefix;
    QString m_error;
    QString m_display;
};

// Polls `done` every 50 ms for at most `milliseconds`.
bool waitUntil(const std::function<bool()>& done, int milliseconds);

} // namespace navlor::e2e
