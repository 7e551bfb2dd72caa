#include "compat/cmd/console.h"

#include "lib/ansi_text.h"

#include <QByteArray>

#include <cerrno>

#include <unistd.h>

namespace navlor::cmd {

namespace {

void writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return; // a closed pipe or a full disk: the command goes on, as on Windows
        }
        data += n;
        left -= n;
    }
}

} // namespace

bool isTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

void writeOutput(const QString& text)
{
    if (isTerminal(STDOUT_FILENO)) {
        writeAll(STDOUT_FILENO, text.toLocal8Bit());
        return;
    }
    QString windowsText = text;
    windowsText.replace(u'\n', QLatin1String("\r\n"));
    writeAll(STDOUT_FILENO, toAnsi(windowsText));
}

void writeError(const QString& text)
{
    writeAll(STDERR_FILENO, (text + u'\n').toLocal8Bit());
}

void writeOutputBytes(const QByteArray& bytes)
{
    writeAll(STDOUT_FILENO, bytes);
}

bool readInputLine(QString& line)
{
    QByteArray bytes;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (bytes.isEmpty())
                return false;
            break;
        }
        if (c == '\n')
            break;
        bytes += c;
    }
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    line = QString::fromLocal8Bit(bytes);
    return true;
}

bool confirm(const QString& question)
{
    if (!isTerminal(STDIN_FILENO))
        return true;
    writeOutput(question);
    QString answer;
    if (!readInputLine(answer))
        return false;
    const QString first = answer.trimmed().left(1).toUpper();
    return first == u'S' || first == u'Y';
}

} // namespace navlor::cmd
