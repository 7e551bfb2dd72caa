#include "archive/extract_commands.h"

#include "lib/platform/platform.h"
#include "lib/system_info.h"
#include "lib/text_utils.h"

namespace navlor {

namespace {

QString singleBackslashes(const QString& text)
{
    return TROCA_TEXTO(text, QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
}

// ARJ reads its own command line: quotes group and a backslash is always itself.
QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

} // namespace

QStringList extractArjCandidates(const QString& programDir, const QString& currentDir)
{
    const QString arj = QStringLiteral("ARJ.EXE");
    return {
        singleBackslashes(programDir + arj),
        QStringLiteral("C:\\ARJ.EXE"),
        QStringLiteral("C:\\WINDOWS\\ARJ.EXE"),
        QStringLiteral("C:\\WINDOWS\\SYSTEM\\ARJ.EXE"),
        // A drive root as current directory ends in "\" already.
        singleBackslashes(currentDir + QStringLiteral("\\") + arj),
        QStringLiteral("C:\\WINNT\\ARJ.EXE"),
        currentDir.left(1) + QStringLiteral(":\\VLDRBKP\\") + arj,
        arj,
    };
}

QString LOCALIZA_ARJ_EXTRAI()
{
    Platform& p = platform();
    const QString program = p.programPath();
    const QStringList candidates =
        extractArjCandidates(program.left(program.lastIndexOf(u'\\') + 1), p.currentDirectory());
    for (qsizetype i = 0; i + 1 < candidates.size(); ++i) {
        if (p.fileExists(candidates.at(i)))
            return candidates.at(i);
    }
    return candidates.last();
}

QString extractLocalDirectory()
{
    const QString drive = DIR_WINDOWS().left(2);
    const QString navlor = drive + QStringLiteral("\\NAVLOR\\");
    return platform().directoryExists(navlor) ? navlor : drive + u'\\';
}

QString extractListCommand(const QString& arj, const QString& option, const QString& archive,
                           const QString& mask, const QString& listingFile)
{
    return arj + QStringLiteral(" V ") + option + u' ' + quoted(archive) + u' ' + mask +
           QStringLiteral(" >") + listingFile;
}

QString extractEntryCommand(const QString& arj, const QString& option, const QString& archive,
                            const QString& target, const QString& entry)
{
    return arj + QStringLiteral(" E ") + option + QStringLiteral(" -Y ") +
           quoted(singleBackslashes(archive)) + u' ' + quoted(QStringLiteral("-HT") + target) +
           u' ' + quoted(entry) + u' ';
}

QString extractStoredEntryCommand(const QString& arj, const QString& option, const QString& archive,
                                  const QString& target, const QString& entry)
{
    return arj + QStringLiteral(" X ") + option + QStringLiteral(" -Y ") +
           quoted(singleBackslashes(archive)) + u' ' + quoted(QStringLiteral("-HT") + target) +
           u' ' + quoted(entry) + u' ';
}

QString extractAllCommand(const QString& arj, const QString& option, const QString& archive,
                          const QString& target, bool multiVolume)
{
    QString line = arj + QStringLiteral(" X ") + option + QStringLiteral(" -Y ") +
                   quoted(singleBackslashes(archive)) + u' ' +
                   quoted(QStringLiteral("-HT") + target);
    if (multiVolume)
        line += QStringLiteral(" -VA");
    return line;
}

} // namespace navlor
