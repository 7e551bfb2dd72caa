#pragma once

// What the commands on files share: their messages, switches apart from operands, and the
// parts of full Windows paths.

#include "lib/platform/platform.h"
#include "lib/windows_path.h"

#include <QString>
#include <QStringList>

namespace navlor::cmd {

inline const QString kPathNotFound =
    QStringLiteral("O sistema não pode encontrar o caminho especificado.");
inline const QString kFileNotFound =
    QStringLiteral("O sistema não pode encontrar o arquivo especificado.");
inline const QString kSyntax = QStringLiteral("A sintaxe do comando está incorreta.");

// A command's "/X" switches (in capitals) apart from its operands.
struct CommandArguments
{
    QStringList switches;
    QStringList operands;
    bool has(const char* name) const { return switches.contains(QLatin1String(name)); }
};

inline CommandArguments splitSwitches(const QStringList& arguments)
{
    CommandArguments split;
    for (const QString& a : arguments) {
        if (a.startsWith(u'/'))
            split.switches << a.mid(1).toUpper().split(u'/', Qt::SkipEmptyParts);
        else
            split.operands << a;
    }
    return split;
}

// The directory that holds a path, without its trailing "\" but for a drive root ("C:\").
inline QString directoryPart(const QString& absolutePath)
{
    const qsizetype cut = absolutePath.lastIndexOf(u'\\');
    return cut <= 2 ? absolutePath.left(3) : absolutePath.left(cut);
}

inline QString nameOf(const QString& absolutePath)
{
    return absolutePath.mid(absolutePath.lastIndexOf(u'\\') + 1);
}

// "NUL", the device that is always empty ("NUL.TXT" and "C:\X\NUL" too).
inline bool isNulDevice(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'\\') + 1).section(u'.', 0, 0);
    return name.compare(QLatin1String("NUL"), Qt::CaseInsensitive) == 0;
}

// What wildcards select for COPY, MOVE and FOR: no directories, hidden or system entries.
inline bool isOrdinaryFile(const DirEntry& entry)
{
    return !entry.directory && !entry.hidden && !entry.system;
}

} // namespace navlor::cmd
