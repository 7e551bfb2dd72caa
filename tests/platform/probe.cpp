// A small host program the platform tests start as a Windows program: it exits with a given
// code, holds a file open, or reports how it was started.

#include "lib/platform/platform.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_termed = 0;

// Lines for the test to read: program path, directory, prefix, process id, arguments, the
// Windows command line.
QByteArray report(int argc, char** argv, int first)
{
    QByteArray text;
    text += "program=" + navlor::platform().programPath().toUtf8() + '\n';
    text += "cwd=" + QDir::currentPath().toUtf8() + '\n';
    text += "prefix=" + qgetenv("NAVLOR_PREFIX") + '\n';
    text += "pid=" + QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    for (int i = first; i < argc; ++i)
        text += QByteArray("arg=") + argv[i] + '\n';
    text += "line=" + qgetenv("NAVLOR_COMMAND_LINE") + '\n';
    return text;
}

bool writeHost(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "hold") == 0) {
        // Open until killed; a forgotten probe still ends on its own.
        const int fd = ::open(argv[2], O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return 1;
        for (int i = 0; i < 600; ++i)
            ::usleep(100000);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "say") == 0) {
        // Both streams are taken, in the order written.
        std::fputs(argv[2], stdout);
        std::fflush(stdout);
        std::fputs("\n", stderr);
        return 3;
    }
    if (argc >= 3 && std::strcmp(argv[1], "family") == 0) {
        // A child that outlives nothing: its pid goes to the file, then both wait.
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0; i < 600; ++i)
                ::usleep(100000);
            ::_exit(0);
        }
        FILE* out = std::fopen(argv[2], "w");
        if (!out)
            return 1;
        std::fprintf(out, "%d", int(child));
        std::fclose(out);
        for (int i = 0; i < 600; ++i)
            ::usleep(100000);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "tidy") == 0) {
        // A leader that dies at once on SIGTERM and a child that takes half a second to tidy
        // up, as a batch interpreter and the archiver it runs: the file says it finished.
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGTERM, [](int) { g_termed = 1; });
            for (int i = 0; i < 600 && !g_termed; ++i)
                ::usleep(100000);
            if (!g_termed)
                ::_exit(0);
            ::usleep(500000);
            FILE* done = std::fopen(argv[3], "w");
            if (done)
                std::fclose(done);
            ::_exit(0);
        }
        FILE* out = std::fopen(argv[2], "w");
        if (!out)
            return 1;
        std::fprintf(out, "%d", int(child));
        std::fclose(out);
        for (int i = 0; i < 600; ++i)
            ::usleep(100000);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "report") == 0) {
        // The Windows path of the report file is mapped by the prefix the probe was given.
        const QString out = navlor::platform().toHostPath(QString::fromLocal8Bit(argv[2]));
        return writeHost(out, report(argc, argv, 3)) ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "binary") == 0) {
        const QString out = navlor::platform().toHostPath(QString::fromLocal8Bit(argv[2]));
        return writeHost(out, navlor::platform().programBinary().toUtf8()) ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "become") == 0) {
        // The Windows program argv[2] in this process's place, given the rest; 4: it could not.
        QStringList rest;
        for (int i = 3; i < argc; ++i)
            rest << QString::fromLocal8Bit(argv[i]);
        navlor::Platform& host = navlor::platform();
        host.replaceProcess(host.toHostPath(QString::fromLocal8Bit(argv[2])), rest);
        return 4;
    }
    if (argc >= 2 && (std::strcmp(argv[1], "/C") == 0 || std::strcmp(argv[1], "/c") == 0)) {
        // Standing in for the command interpreter: the lines go to $NAVLOR_PROBE_OUT.
        const QString out = QString::fromLocal8Bit(qgetenv("NAVLOR_PROBE_OUT"));
        return writeHost(out, report(argc, argv, 1)) ? 5 : 1;
    }
    return 2;
}
