// Percent expansion of batch lines and FOR variables, and the ~ modifiers of both.

#include "compat/cmd/batch_line.h"
#include "compat/cmd/batch_syntax.h"

namespace navlor::cmd {

namespace {

const QString kModifierLetters = QStringLiteral("fdpnxszFDPNXSZ");

bool isShortName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
    if (base.isEmpty() || base.size() > 8 || extension.size() > 3 || base.contains(u'.'))
        return false;
    for (const QChar c : name) {
        if (c == u' ' || c.unicode() > 127 || QStringLiteral("+,;=[]").contains(c))
            return false;
    }
    return true;
}

QString shortNameOf(const QString& name)
{
    if (isShortName(name) || name == u'.' || name == QLatin1String(".."))
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    auto letters = [](const QString& text, qsizetype count) {
        QString out;
        for (const QChar c : text) {
            if (out.size() >= count)
                break;
            if (c == u' ' || c == u'.')
                continue;
            out += QStringLiteral("+,;=[]").contains(c) || c.unicode() > 127 ? QChar(u'_')
                                                                             : c.toUpper();
        }
        return out;
    };
    const QString base = letters(dot <= 0 ? name : name.left(dot), 6) + QStringLiteral("~1");
    const QString extension = dot <= 0 ? QString() : letters(name.mid(dot + 1), 3);
    return extension.isEmpty() ? base : base + u'.' + extension;
}

} // namespace

QString shortPathOf(const QString& fullPath)
{
    QStringList parts = fullPath.split(u'\\');
    for (qsizetype i = 1; i < parts.size(); ++i)
        parts[i] = shortNameOf(parts.at(i));
    return parts.join(u'\\');
}

QString withModifiers(QString value, const QString& modifiers, const PathLookup& paths)
{
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    else if (value == u'"')
        value.clear();
    if (modifiers.isEmpty() || value.isEmpty())
        return value;
    QString full = paths.fullPath ? paths.fullPath(value) : value;
    QString size;
    if (modifiers.contains(u'z') && paths.fileSize) {
        const qint64 bytes = paths.fileSize(full);
        if (bytes >= 0)
            size = QString::number(bytes);
    }
    if (modifiers.contains(u's'))
        full = shortPathOf(full);
    const bool pathParts = modifiers.contains(u'd') || modifiers.contains(u'p') ||
                           modifiers.contains(u'n') || modifiers.contains(u'x');
    QString path;
    if (pathParts) {
        const qsizetype slash = full.lastIndexOf(u'\\');
        const QString name = full.mid(slash + 1);
        const qsizetype dot = name.lastIndexOf(u'.');
        const bool hasDrive = full.size() >= 2 && full.at(1) == u':';
        if (modifiers.contains(u'd') && hasDrive)
            path += full.left(2);
        if (modifiers.contains(u'p'))
            path += full.mid(hasDrive ? 2 : 0, slash + 1 - (hasDrive ? 2 : 0));
        if (modifiers.contains(u'n'))
            path += dot < 0 ? name : name.left(dot);
        if (modifiers.contains(u'x') && dot >= 0)
            path += name.mid(dot);
    } else if (modifiers.contains(u'f') || modifiers.contains(u's')) {
        path = full;
    }
    if (size.isEmpty() || path.isEmpty())
        return size + path;
    return size + u' ' + path;
}

namespace {

// "%NAME%" or "%NAME:op%" at `i`; true with `i` past it when it stands for something.
bool expandVariable(const QString& line, qsizetype& i, const PercentContext& context, QString& out)
{
    const qsizetype close = line.indexOf(u'%', i + 1);
    if (close <= i + 1)
        return false;
    const QString text = line.mid(i + 1, close - i - 1);
    const qsizetype colon = text.indexOf(u':');
    const QString name = colon > 0 ? text.left(colon) : text;
    const QString value = context.variable ? context.variable(name) : QString();
    if (value.isNull()) {
        if (!context.inBatch) {
            out += line.mid(i, close - i);
            i = close;
        } else {
            i = close + 1; // an unknown variable is nothing inside a batch file
        }
        return true;
    }
    QString result = value;
    if (colon > 0 && !applyVariableOperation(value, text.mid(colon + 1), result))
        result = value;
    out += result;
    i = close + 1;
    return true;
}

} // namespace

QString expandPercents(const QString& line, const PercentContext& context)
{
    QString out;
    const qsizetype n = line.size();
    auto parameter = [&](int index) { return context.parameters.value(index); };
    for (qsizetype i = 0; i < n;) {
        const QChar c = line.at(i);
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        const QChar next = i + 1 < n ? line.at(i + 1) : QChar();
        if (context.inBatch) {
            if (next == u'%') {
                out += u'%';
                i += 2;
                continue;
            }
            if (next >= u'0' && next <= u'9') {
                out += parameter(next.unicode() - u'0');
                i += 2;
                continue;
            }
            if (next == u'*') {
                out += context.parameters.mid(1).join(u' ');
                i += 2;
                continue;
            }
            if (next == u'~') {
                qsizetype j = i + 2;
                QString modifiers;
                while (j < n && kModifierLetters.contains(line.at(j)))
                    modifiers += line.at(j++).toLower();
                if (j < n && line.at(j) >= u'0' && line.at(j) <= u'9') {
                    out += withModifiers(parameter(line.at(j).unicode() - u'0'), modifiers,
                                         context.paths);
                    i = j + 1;
                    continue;
                }
            }
        }
        if (expandVariable(line, i, context, out))
            continue;
        if (!context.inBatch)
            out += c;
        ++i;
    }
    return out;
}

QString substituteForVariables(const QString& command, const QList<QChar>& variables,
                               const QStringList& values, const PathLookup& paths)
{
    auto valueOf = [&](QChar c, QString& value) {
        const qsizetype index = variables.indexOf(c);
        if (index < 0)
            return false;
        value = values.value(index);
        return true;
    };
    QString out;
    QString value;
    const qsizetype n = command.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = command.at(i);
        if (c != u'%' || i + 1 >= n) {
            out += c;
            continue;
        }
        if (valueOf(command.at(i + 1), value)) {
            out += value;
            ++i;
            continue;
        }
        if (command.at(i + 1) != u'~') {
            out += c;
            continue;
        }
        qsizetype j = i + 2;
        while (j < n && kModifierLetters.contains(command.at(j)))
            ++j;
        // "%~nxn" with the variable n: the last letter read as a modifier is the variable.
        if ((j >= n || !valueOf(command.at(j), value)) && j > i + 2 &&
            valueOf(command.at(j - 1), value))
            --j;
        if (j < n && valueOf(command.at(j), value)) {
            out += withModifiers(value, command.mid(i + 2, j - i - 2).toLower(), paths);
            i = j;
            continue;
        }
        out += c;
    }
    return out;
}

QString substituteForVariable(const QString& command, QChar variable, const QString& value,
                              const PathLookup& paths)
{
    return substituteForVariables(command, {variable}, {value}, paths);
}

} // namespace navlor::cmd
