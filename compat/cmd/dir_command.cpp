// DIR: a folder's entries, with /B (names only), /A[attributes] and /S (every folder below).

#include "compat/cmd/console.h"
#include "compat/cmd/file_paths.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"

#include <QLocale>

namespace navlor::cmd {

namespace {

QString dirGroupedNumber(qint64 value)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(value);
}

// /A with its letters: D folders, H hidden, S system, "-" before one excludes it. Without /A
// hidden and system entries are left out.
bool dirShows(const DirEntry& entry, const QStringList& switches)
{
    if (entry.name == u'.' || entry.name == QLatin1String(".."))
        return false;
    bool attributes = false;
    for (const QString& s : switches) {
        if (!s.startsWith(u'A'))
            continue;
        attributes = true;
        bool negate = false;
        for (const QChar c : s.mid(1)) {
            bool has = true;
            if (c == u'-') {
                negate = true;
                continue;
            }
            if (c == u'D')
                has = entry.directory;
            else if (c == u'H')
                has = entry.hidden;
            else if (c == u'S')
                has = entry.system;
            if (has == negate)
                return false;
            negate = false;
        }
    }
    return attributes || (!entry.hidden && !entry.system);
}

} // namespace

// One folder's lines into `text`, then the folders below it with /S; totals are files,
// folders and folders listed.
void Interpreter::listTree(const QString& directory, const QString& mask,
                           const QStringList& switches, QString& text, int totals[3], qint64& bytes)
{
    const bool bare = switches.contains(QLatin1String("B"));
    const bool recursive = switches.contains(QLatin1String("S"));
    QString lines;
    int files = 0;
    int directories = 0;
    qint64 size = 0;
    for (const DirEntry& entry : m_platform.findFiles(appendWindowsPath(directory, mask))) {
        if (!dirShows(entry, switches))
            continue;
        if (bare) {
            lines += (recursive ? appendWindowsPath(directory, entry.name) : entry.name) + u'\n';
        } else {
            const QString when = entry.modified.toString(QStringLiteral("dd/MM/yyyy  HH:mm"));
            const QString column = entry.directory
                                       ? QStringLiteral("<DIR>         ")
                                       : dirGroupedNumber(entry.size).rightJustified(14);
            lines += when + QStringLiteral("    ") + column + u' ' + entry.name + u'\n';
        }
        entry.directory ? ++directories : ++files;
        if (!entry.directory)
            size += entry.size;
    }
    if (files + directories > 0) {
        if (!bare) {
            text += QStringLiteral(" Pasta de %1\n\n").arg(directory) + lines;
            text += QStringLiteral("%1 arquivo(s) %2 bytes\n")
                        .arg(files, 16)
                        .arg(dirGroupedNumber(size), 14);
            if (!recursive)
                text += QStringLiteral("%1 pasta(s)\n").arg(directories, 16);
            else
                text += u'\n';
        } else {
            text += lines;
        }
        ++totals[2];
    }
    totals[0] += files;
    totals[1] += directories;
    bytes += size;
    if (!recursive)
        return;
    for (const DirEntry& entry :
         m_platform.findFiles(appendWindowsPath(directory, QStringLiteral("*")))) {
        if (entry.directory && !entry.system && entry.name != u'.' &&
            entry.name != QLatin1String(".."))
            listTree(appendWindowsPath(directory, entry.name), mask, switches, text, totals, bytes);
    }
}

void Interpreter::listDirectory(const QStringList& arguments)
{
    const CommandArguments split = splitSwitches(arguments);
    const bool bare = split.has("B");
    const bool recursive = split.has("S");
    QString pattern = absolute(split.operands.value(0, QStringLiteral(".")));
    if (pattern.isEmpty()) {
        fail(kPathNotFound);
        return;
    }
    if (m_platform.directoryExists(pattern))
        pattern = appendWindowsPath(pattern, QStringLiteral("*"));
    const QString directory = directoryPart(pattern);
    QString text;
    if (!bare)
        text += QStringLiteral(" O volume na unidade %1 não tem nome.\n\n").arg(directory.at(0));
    int totals[3] = {0, 0, 0};
    qint64 bytes = 0;
    listTree(directory, nameOf(pattern), split.switches, text, totals, bytes);
    if (totals[0] + totals[1] == 0) {
        if (!bare)
            text += QStringLiteral(" Pasta de %1\n\n").arg(directory);
        writeOutput(text);
        fail(QStringLiteral("Arquivo não encontrado"));
        return;
    }
    if (!bare && recursive) {
        text += QStringLiteral("     Total de arquivos listados:\n");
        text += QStringLiteral("%1 arquivo(s) %2 bytes\n")
                    .arg(totals[0], 16)
                    .arg(dirGroupedNumber(bytes), 14);
        text += QStringLiteral("%1 pasta(s)\n").arg(totals[1], 16);
    }
    writeOutput(text);
}

} // namespace navlor::cmd
