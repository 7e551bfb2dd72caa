// FIND, MORE and SORT, the filters batches put after "|", and the dispatch of the programs
// of Windows this interpreter carries out itself (XCOPY too).

#include "compat/cmd/console.h"
#include "compat/cmd/interpreter.h"
#include "lib/ansi_text.h"
#include "lib/platform/platform.h"

#include <algorithm>

#include <unistd.h>

namespace navlor::cmd {

namespace {

QByteArray readAllInput()
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

QStringList textLines(const QByteArray& bytes)
{
    QStringList lines = fromAnsi(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

// FIND's words: switches, the text in quotes (the first quoted word) and the files.
struct FindArguments
{
    QStringList switches;
    QString text;
    bool hasText = false;
    QStringList files;
};

FindArguments readFindArguments(const QString& argumentText)
{
    FindArguments result;
    const qsizetype n = argumentText.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = argumentText.at(i);
        if (c == u' ' || c == u'\t') {
            ++i;
            continue;
        }
        if (c == u'"') {
            const qsizetype close = argumentText.indexOf(u'"', i + 1);
            const QString word = argumentText.mid(i + 1, close < 0 ? -1 : close - i - 1);
            i = close < 0 ? n : close + 1;
            if (!result.hasText) {
                result.text = word;
                result.hasText = true;
            } else {
                result.files << word;
            }
            continue;
        }
        qsizetype end = i;
        while (end < n && argumentText.at(end) != u' ' && argumentText.at(end) != u'\t')
            ++end;
        const QString word = argumentText.mid(i, end - i);
        i = end;
        if (word.startsWith(u'/'))
            result.switches << word.mid(1).toUpper();
        else
            result.files << word;
    }
    return result;
}

} // namespace

bool Interpreter::filterCommand(const QString& name, const QString& argumentText)
{
    if (name.contains(u'\\') || name.contains(u':'))
        return false;
    const QString upper = name.toUpper().section(u'.', 0, 0);
    const QString extension = name.toUpper().section(u'.', 1);
    if (!extension.isEmpty() && extension != QLatin1String("EXE") &&
        extension != QLatin1String("COM"))
        return false;
    m_errorLevel = 0;
    if (upper == QLatin1String("FIND"))
        find(QStringList{argumentText});
    else if (upper == QLatin1String("MORE"))
        more(splitCommandWords(argumentText));
    else if (upper == QLatin1String("SORT"))
        sort(splitCommandWords(argumentText));
    else if (upper == QLatin1String("XCOPY"))
        xcopy(splitCommandWords(argumentText));
    else
        return false;
    return true;
}

QStringList Interpreter::inputLines(const QStringList& files, bool& ok)
{
    ok = true;
    if (files.isEmpty())
        return textLines(readAllInput());
    QStringList lines;
    for (const QString& file : files) {
        const QString full = absolute(file);
        const std::optional<QByteArray> bytes =
            full.isEmpty() ? std::nullopt : m_platform.readFile(full);
        if (!bytes) {
            fail(QStringLiteral("Arquivo não encontrado - %1").arg(file), 2);
            ok = false;
            continue;
        }
        lines << textLines(*bytes);
    }
    return lines;
}

void Interpreter::find(const QStringList& arguments)
{
    const FindArguments a = readFindArguments(arguments.value(0));
    if (!a.hasText) {
        fail(QStringLiteral("FIND: formato de parâmetro incorreto"), 2);
        return;
    }
    const Qt::CaseSensitivity cs =
        a.switches.contains(QLatin1String("I")) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const bool invert = a.switches.contains(QLatin1String("V"));
    const bool count = a.switches.contains(QLatin1String("C"));
    const bool numbered = a.switches.contains(QLatin1String("N"));
    int total = 0;
    const QStringList sources = a.files.isEmpty() ? QStringList{QString()} : a.files;
    for (const QString& source : sources) {
        bool ok = true;
        const QStringList lines =
            inputLines(source.isEmpty() ? QStringList() : QStringList{source}, ok);
        if (!ok)
            continue;
        QString text;
        int found = 0;
        for (qsizetype k = 0; k < lines.size(); ++k) {
            if (lines.at(k).contains(a.text, cs) == invert)
                continue;
            ++found;
            if (!count)
                text += (numbered ? QStringLiteral("[%1]").arg(k + 1) : QString()) + lines.at(k) +
                        u'\n';
        }
        total += found;
        const QString header = QStringLiteral("\n---------- ") + source.toUpper();
        if (count)
            text = source.isEmpty()
                       ? QString::number(found) + u'\n'
                       : header + QStringLiteral(": ") + QString::number(found) + u'\n';
        else if (!source.isEmpty())
            text = header + u'\n' + text;
        writeOutput(text);
    }
    if (m_errorLevel == 0)
        setErrorLevel(total > 0 ? 0 : 1);
}

void Interpreter::more(const QStringList& arguments)
{
    bool ok = true;
    QStringList files;
    for (const QString& a : arguments) {
        if (!a.startsWith(u'/'))
            files << a;
    }
    const QStringList lines = inputLines(files, ok);
    QString text;
    for (const QString& line : lines)
        text += line + u'\n';
    writeOutput(text);
}

void Interpreter::sort(const QStringList& arguments)
{
    bool ok = true;
    bool reverse = false;
    QStringList files;
    for (const QString& a : arguments) {
        if (a.compare(QLatin1String("/R"), Qt::CaseInsensitive) == 0)
            reverse = true;
        else if (!a.startsWith(u'/'))
            files << a;
    }
    QStringList lines = inputLines(files, ok);
    std::stable_sort(lines.begin(), lines.end(), [&](const QString& x, const QString& y) {
        const int order = x.compare(y, Qt::CaseInsensitive);
        return reverse ? order > 0 : order < 0;
    });
    QString text;
    for (const QString& line : lines)
        text += line + u'\n';
    writeOutput(text);
}

} // namespace navlor::cmd
