#include "lib/platform/xdg_autostart.h"

#include "lib/platform/atomic_file.h"
#include "lib/platform/command_line.h"
#include "lib/platform/ini_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

namespace navlor {

namespace {

const QString kValueKey = QStringLiteral("X-Navlor-Value");
const QString kDataKey = QStringLiteral("X-Navlor-Data");

// Escaping of a string value in a desktop entry.
QString entryEscaped(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

QString entryUnescaped(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar e = text.at(++i);
        if (e == u's')
            out += u' ';
        else if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u't')
            out += u'\t';
        else
            out += e;
    }
    return out;
}

// The keys of the [Desktop Entry] group.
struct Entry
{
    QString value;
    QString data;
    bool ours = false;
};

Entry readEntry(const QString& path)
{
    Entry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    bool inGroup = false;
    bool hasValue = false;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inGroup || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = entryUnescaped(line.mid(eq + 1));
        if (key == kValueKey) {
            entry.value = value;
            hasValue = true;
        } else if (key == kDataKey) {
            entry.data = value;
        }
    }
    entry.ours = hasValue;
    return entry;
}

// The value name as part of a file name: letters and digits kept (lower case), anything
// else written as _XX so that different names never share a file.
QString fileStem(const QString& name)
{
    QString stem;
    for (const char byte : name.toLower().toUtf8()) {
        const auto b = static_cast<unsigned char>(byte);
        if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.')
            stem += QLatin1Char(char(b));
        else
            stem += QStringLiteral("_%1").arg(b, 2, 16, QChar(u'0')).toUpper();
    }
    return stem;
}

QStringList desktopFiles(const QString& dir)
{
    QStringList files;
    for (const QString& name :
         QDir(dir).entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name))
        files << dir + u'/' + name;
    return files;
}

} // namespace

bool isMachineRunKey(const QString& key)
{
    return normalizedRegistryKey(key).compare(
               QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
               Qt::CaseInsensitive) == 0;
}

QString desktopExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || reserved.contains(c);
    QString out;
    if (quote)
        out += u'"';
    for (const QChar c : argument) {
        if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            out += u'\\';
        out += c;
        if (c == u'%')
            out += u'%'; // a field code otherwise
    }
    if (quote)
        out += u'"';
    return out;
}

XdgAutostart::XdgAutostart(const QString& prefixRoot, std::function<QString(const QString&)> toHost)
    : m_prefixRoot(prefixRoot), m_toHost(std::move(toHost))
{
}

QString XdgAutostart::directory()
{
    QString first;
    for (const QString& dir : qEnvironmentVariable("XDG_CONFIG_DIRS").split(u':')) {
        if (!dir.isEmpty()) {
            first = dir;
            break;
        }
    }
    if (first.isEmpty())
        first = QStringLiteral("/etc/xdg");
    return QDir::cleanPath(first + QStringLiteral("/autostart"));
}

bool XdgAutostart::open(bool create) const
{
    // The Run key is there on every machine; its directory comes with the first entry written,
    // so opening it only to look creates nothing.
    const QString dir = directory();
    return !create || QFileInfo(dir).isDir() || QDir().mkpath(dir);
}

QString XdgAutostart::filePath(const QString& name) const
{
    return directory() + QStringLiteral("/navlor-") + fileStem(name) + QStringLiteral(".desktop");
}

QString XdgAutostart::execLine(const QString& data) const
{
    // The value is normally a program path; a Run value may also be a whole command line.
    QString program = m_toHost(data);
    QStringList arguments;
    if (program.isEmpty() || !QFileInfo(program).isFile()) {
        const QStringList argv = splitCommandLine(data);
        if (!argv.isEmpty()) {
            const QString host = m_toHost(argv.first());
            program = host.isEmpty() ? argv.first() : host;
            arguments = argv.mid(1);
        }
    }
    QStringList line{QStringLiteral("env"), QStringLiteral("NAVLOR_PREFIX=") + m_prefixRoot,
                     program};
    line += arguments;
    QStringList quoted;
    for (const QString& part : line)
        quoted << desktopExecArgument(part);
    return quoted.join(u' ');
}

bool XdgAutostart::write(const QString& name, const QString& data) const
{
    if (!open(true))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "Terminal=false\n"
                                        "%3=%4\n"
                                        "%5=%6\n")
                             .arg(entryEscaped(name), entryEscaped(execLine(data)), kValueKey,
                                  entryEscaped(name), kDataKey, entryEscaped(data));
    // Readable by every user who logs on.
    return writeFileAtomically(filePath(name), text.toUtf8(), 0644);
}

std::optional<QString> XdgAutostart::read(const QString& name) const
{
    for (const QString& file : desktopFiles(directory())) {
        const Entry entry = readEntry(file);
        if (entry.ours && entry.value.compare(name, Qt::CaseInsensitive) == 0)
            return entry.data;
    }
    return std::nullopt;
}

bool XdgAutostart::remove(const QString& name) const
{
    bool found = false;
    bool ok = true;
    for (const QString& file : desktopFiles(directory())) {
        const Entry entry = readEntry(file);
        if (!entry.ours || entry.value.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        found = true;
        ok = ::unlink(QFile::encodeName(file).constData()) == 0 && ok;
    }
    return found && ok;
}

} // namespace navlor
