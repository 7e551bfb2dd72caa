#pragma once

// Starting a host program with posix_spawn, never through a shell. The spawn attributes and
// file actions live as long as the object, so no path out of a start leaks them.

#include <QByteArray>
#include <QList>

#include <spawn.h>
#include <sys/types.h>

namespace navlor {

class ProcessSpawn
{
public:
    // `argv` includes argv[0]. The environment is this process's unless one is set.
    ProcessSpawn(const QByteArray& program, const QList<QByteArray>& argv);
    ~ProcessSpawn();
    ProcessSpawn(const ProcessSpawn&) = delete;
    ProcessSpawn& operator=(const ProcessSpawn&) = delete;

    // Entries "NAME=value".
    void setEnvironment(const QList<QByteArray>& entries);
    // Empty: the child starts where this process is.
    void changeDirectory(const QByteArray& directory);
    // Standard output (and error, when `errorsToo`) go to `fd`.
    void redirectOutput(int fd, bool errorsToo);
    // `fd` stays open across the exec under its own number, close-on-exec or not.
    void keepOpen(int fd);
    // The child leads a process group of its own, so a ceiling can end all it started.
    void ownProcessGroup();
    // The child starts with no blocked signals and every signal at its default, whatever
    // this process blocks or ignores.
    void resetSignals();

    // The child's process id, or -1 when it could not be started.
    pid_t start();

private:
    QByteArray m_program;
    QList<QByteArray> m_argv;
    QList<QByteArray> m_environment;
    bool m_ownEnvironment = false;
    QByteArray m_directory;
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
    short m_flags = 0;
};

} // namespace navlor
