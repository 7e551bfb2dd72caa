#include "archive/extract_commands.h"

#include "lib/archiver_location.h"
#include "lib/platform/platform.h"
#include "lib/system_info.h"
#include "lib/windows_path.h"

namespace navlor {

namespace {

// ARJ reads its own command line: quotes group and a backslash is always itself.
QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

} // namespace

QStringList extractArjCandidates(const QString& programDir, const QString& currentDir)
{
    return archiverCandidates(ArchiverSearch::Extract, {currentDir, programDir});
}

QString LOCALIZA_ARJ_EXTRAI()
{
    Platform& p = platform();
    return findArchiver(ArchiverSearch::Extract,
                        {p.currentDirectory(), upToLastBackslash(p.programPath())});
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
