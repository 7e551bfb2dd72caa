#pragma once

// Runs the built navlor-cmd in a fresh prefix, as the platform would, and reads what it did.

#include "lib/ansi_text.h"
#include "tests/platform/platform_fixture.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace navlor::test {

struct CmdRun
{
    int exitCode = -1;
    QByteArray out; // standard output as written (Windows-1252, CR LF)
    QString err;    // standard error (written as standard output is), with "\n" line ends
    // Standard output as lines, without the blank lines and command echoes of ECHO ON.
    QStringList lines() const
    {
        QStringList result;
        for (QString line : fromAnsi(out).split(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (!line.isEmpty())
                result << line;
        }
        return result;
    }
};

class CmdTest : public PlatformTest
{
protected:
    CmdTest() { prefix.mkdir("C:\\JOBS"); }

    // navlor-cmd with `arguments`, started in the Windows directory `directory`.
    CmdRun run(const QStringList& arguments, const QString& directory = "C:\\JOBS",
               const QByteArray& input = {})
    {
        QProcess child;
        child.setWorkingDirectory(prefix.host(directory));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NAVLOR_PREFIX", prefix.root());
        env.insert("NAVLOR_CMD", NAVLOR_CMD_BINARY);
        child.setProcessEnvironment(env);
        child.start(NAVLOR_CMD_BINARY, arguments);
        if (!child.waitForStarted())
            return {};
        child.write(input);
        child.closeWriteChannel();
        if (!child.waitForFinished(60000)) {
            child.kill();
            child.waitForFinished();
            return {};
        }
        CmdRun result;
        result.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
        result.out = child.readAllStandardOutput();
        result.err = fromAnsi(child.readAllStandardError()).replace("\r\n", "\n");
        return result;
    }

    // A batch file of `lines`, each ended by CR LF, in Windows-1252.
    void batch(const QString& windowsPath, const QStringList& lines)
    {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += toAnsi(line) + "\r\n";
        prefix.write(windowsPath, bytes);
    }

    // Writes C:\JOBS\RUN.BAT with "@ECHO OFF" and `lines`, and runs it from C:\JOBS.
    CmdRun runBatch(const QStringList& lines, const QByteArray& input = {})
    {
        batch("C:\\JOBS\\RUN.BAT", QStringList{"@ECHO OFF"} + lines);
        return run({"/C", "RUN.BAT"}, "C:\\JOBS", input);
    }

    // A link to a host program, standing as a Windows program.
    void install(const QString& windowsPath, const char* program = NAVLOR_CMD_PRINT_PROBE)
    {
        const QString path = prefix.host(windowsPath);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile::link(program, path));
    }

    QStringList fileLines(const QString& windowsPath)
    {
        return fromAnsi(prefix.read(windowsPath)).split("\r\n");
    }

    bool exists(const QString& windowsPath) { return QFileInfo::exists(prefix.host(windowsPath)); }
};

} // namespace navlor::test
