#include "compat/cmd/redirection.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace navlor::cmd {

namespace {

QString messageFor(int error, bool reading)
{
    switch (error) {
    case ENOENT:
        return reading ? QStringLiteral("O sistema não pode encontrar o arquivo especificado.")
                       : QStringLiteral("O sistema não pode encontrar o caminho especificado.");
    case ENOTDIR:
        return QStringLiteral("O sistema não pode encontrar o caminho especificado.");
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return QStringLiteral("Acesso negado.");
    default:
        return QString::fromLocal8Bit(::strerror(error));
    }
}

} // namespace

HandleRedirection::~HandleRedirection()
{
    restore();
}

bool HandleRedirection::save(int handle, QString& error)
{
    for (const Saved& saved : m_saved) {
        if (saved.handle == handle)
            return true; // the first copy is the one to go back to
    }
    // Kept out of the programs started meanwhile.
    const int copy = ::fcntl(handle, F_DUPFD_CLOEXEC, 10);
    if (copy < 0 && errno != EBADF) {
        error = messageFor(errno, false);
        return false;
    }
    m_saved.append({handle, copy});
    return true;
}

bool HandleRedirection::toFile(int handle, const QString& hostPath, bool append, QString& error)
{
    if (!save(handle, error))
        return false;
    const bool reading = handle == STDIN_FILENO;
    const int flags = reading ? O_RDONLY : O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC);
    const int fd = ::open(QFile::encodeName(hostPath).constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = messageFor(errno, reading);
        return false;
    }
    const bool ok = ::dup2(fd, handle) >= 0;
    const int dupError = errno;
    ::close(fd);
    if (!ok)
        error = messageFor(dupError, reading);
    return ok;
}

bool HandleRedirection::toHandle(int handle, int other, QString& error)
{
    if (handle == other)
        return true;
    if (!save(handle, error))
        return false;
    if (::dup2(other, handle) < 0) {
        error = QStringLiteral("A sintaxe do comando está incorreta.");
        return false;
    }
    return true;
}

void HandleRedirection::restore()
{
    for (qsizetype i = m_saved.size() - 1; i >= 0; --i) {
        const Saved& saved = m_saved.at(i);
        if (saved.copy >= 0) {
            ::dup2(saved.copy, saved.handle);
            ::close(saved.copy);
        } else {
            ::close(saved.handle); // it was not open before
        }
    }
    m_saved.clear();
}

} // namespace navlor::cmd
