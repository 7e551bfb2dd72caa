#include "lib/platform/process_spawn.h"

#include <signal.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace navlor {

namespace {

std::vector<char*> pointersTo(QList<QByteArray>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (QByteArray& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ProcessSpawn::ProcessSpawn(const QByteArray& program, const QList<QByteArray>& argv)
    : m_program(program), m_argv(argv)
{
    posix_spawn_file_actions_init(&m_actions);
    posix_spawnattr_init(&m_attributes);
}

ProcessSpawn::~ProcessSpawn()
{
    posix_spawnattr_destroy(&m_attributes);
    posix_spawn_file_actions_destroy(&m_actions);
}

void ProcessSpawn::setEnvironment(const QList<QByteArray>& entries)
{
    m_environment = entries;
    m_ownEnvironment = true;
}

void ProcessSpawn::changeDirectory(const QByteArray& directory)
{
    if (directory.isEmpty())
        return;
    m_directory = directory; // the action keeps only the pointer
    posix_spawn_file_actions_addchdir_np(&m_actions, m_directory.constData());
}

void ProcessSpawn::redirectOutput(int fd, bool errorsToo)
{
    posix_spawn_file_actions_adddup2(&m_actions, fd, STDOUT_FILENO);
    if (errorsToo)
        posix_spawn_file_actions_adddup2(&m_actions, fd, STDERR_FILENO);
}

void ProcessSpawn::keepOpen(int fd)
{
    // dup2 onto itself clears close-on-exec in the child.
    posix_spawn_file_actions_adddup2(&m_actions, fd, fd);
}

void ProcessSpawn::ownProcessGroup()
{
    posix_spawnattr_setpgroup(&m_attributes, 0);
    m_flags |= POSIX_SPAWN_SETPGROUP;
}

void ProcessSpawn::resetSignals()
{
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&m_attributes, &none);
    posix_spawnattr_setsigdefault(&m_attributes, &all);
    m_flags |= POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
}

pid_t ProcessSpawn::start()
{
    if (m_program.isEmpty() || m_argv.isEmpty())
        return -1;
    posix_spawnattr_setflags(&m_attributes, m_flags);
    std::vector<char*> argv = pointersTo(m_argv);
    std::vector<char*> environment;
    if (m_ownEnvironment)
        environment = pointersTo(m_environment);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, m_program.constData(), &m_actions, &m_attributes,
                                 argv.data(), m_ownEnvironment ? environment.data() : environ);
    return rc == 0 ? pid : -1;
}

} // namespace navlor
