#include "compat/cmd/console.h"

#include "lib/ansi_text.h"

#include <algorithm>
#include <cerrno>

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

namespace navlor::cmd {

namespace {

// The encoding of the user's locale, read from the environment: Qt has switched this
// process's own LC_CTYPE to UTF-8, whatever the terminal shows.
QByteArray localeCodeset()
{
    static const QByteArray codeset = [] {
        const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", locale_t(nullptr));
        if (locale == locale_t(nullptr))
            return QByteArray("UTF-8"); // a locale that is not installed
        QByteArray name(::nl_langinfo_l(CODESET, locale));
        ::freelocale(locale);
        return name;
    }();
    return codeset;
}

bool takenAsUtf8(const QByteArray& codeset)
{
    const QByteArray name = codeset.toUpper().replace('-', "").replace('_', "");
    return name.isEmpty() || name == "UTF8" || name == "ANSIX3.41968" || name == "ASCII" ||
           name == "USASCII";
}

// Bytes of one UTF-8 sequence, from its first byte.
size_t sequenceLength(unsigned char first)
{
    if (first < 0xC0)
        return 1;
    if (first < 0xE0)
        return 2;
    return first < 0xF0 ? 3 : 4;
}

// `text` in `codeset` through iconv; what the codeset lacks becomes '?'.
QByteArray converted(const QString& text, const QByteArray& codeset)
{
    const iconv_t cd = ::iconv_open(codeset.constData(), "UTF-8");
    if (cd == iconv_t(-1))
        return text.toUtf8();
    QByteArray in = text.toUtf8();
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    QByteArray out(in.size() + 16, Qt::Uninitialized);
    qsizetype done = 0;
    const auto grow = [&out] { out.resize(out.size() * 2); };
    for (;;) {
        char* outPtr = out.data() + done;
        size_t outLeft = static_cast<size_t>(out.size() - done);
        // With the input used up, one more call ends a shift state the encoding may be in.
        const bool ending = inLeft == 0;
        const size_t result = ending ? ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                     : ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        done = out.size() - static_cast<qsizetype>(outLeft);
        if (result != size_t(-1)) {
            if (ending)
                break;
            continue;
        }
        if (error == E2BIG) {
            grow();
            continue;
        }
        if (ending)
            break;
        // A character the codeset cannot hold: one '?' in its place.
        const size_t skip = std::min(sequenceLength(static_cast<unsigned char>(*inPtr)), inLeft);
        inPtr += skip;
        inLeft -= skip;
        char question = '?';
        char* qPtr = &question;
        size_t qLeft = 1;
        for (;;) {
            outPtr = out.data() + done;
            outLeft = static_cast<size_t>(out.size() - done);
            const size_t r = ::iconv(cd, &qPtr, &qLeft, &outPtr, &outLeft);
            const int qError = errno;
            done = out.size() - static_cast<qsizetype>(outLeft);
            if (r != size_t(-1) || qError != E2BIG)
                break;
            grow();
        }
    }
    ::iconv_close(cd);
    out.truncate(done);
    return out;
}

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

QByteArray terminalBytes(const QString& text, const QByteArray& codeset)
{
    return takenAsUtf8(codeset) ? text.toUtf8() : converted(text, codeset);
}

namespace {

// The one place that decides what a handle gets: see console.h.
QByteArray bytesFor(int fd, const QString& text)
{
    if (isTerminal(fd))
        return terminalBytes(text, localeCodeset());
    QString windowsText = text;
    windowsText.replace(u'\n', QLatin1String("\r\n"));
    return toAnsi(windowsText);
}

} // namespace

void writeOutput(const QString& text)
{
    writeAll(STDOUT_FILENO, bytesFor(STDOUT_FILENO, text));
}

void writeError(const QString& text)
{
    writeAll(STDERR_FILENO, bytesFor(STDERR_FILENO, text + u'\n'));
}

void writeOutputWindowsText(const QByteArray& bytes)
{
    if (isTerminal(STDOUT_FILENO))
        writeOutput(fromAnsi(bytes).remove(u'\r'));
    else
        writeAll(STDOUT_FILENO, bytes); // already what a file or a pipe gets
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
