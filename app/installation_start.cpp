#include "app/installation_start.h"

#include "lib/platform/platform.h"

#include <QFileInfo>

namespace navlor {

QString installationProgram(Platform& platform, const QString& ownExecutable)
{
    const QString started = platform.programPath();
    const QString directory = started.left(started.lastIndexOf(u'\\'));
    if (directory.endsWith(QLatin1String(":\\VALDOROW"), Qt::CaseInsensitive))
        return {};
    const QString own = QFileInfo(ownExecutable).canonicalFilePath();
    if (own.isEmpty())
        return {};
    for (const QString& drive : platform.logicalDrives()) {
        const QString link = platform.toHostPath(drive + QStringLiteral("\\VALDOROW\\NAVLOR.EXE"));
        // Only a link to this same program: another program there is not ours to start.
        if (!link.isEmpty() && QFileInfo(link).canonicalFilePath() == own)
            return link;
    }
    return {};
}

} // namespace navlor
