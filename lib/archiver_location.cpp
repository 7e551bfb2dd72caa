#include "lib/archiver_location.h"

#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "lib/text_utils.h"

#include <QStringList>

namespace navlor {

QString LOCALIZA_ARJ(const QString& b)
{
    const QString first = TROCA_TEXTO((b.isEmpty() ? QStringLiteral("C:") : QString()) +
                                          QStringLiteral("\\EXE\\ARJ.EXE"),
                                      QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
    const QStringList candidates{
        first,
        b + QStringLiteral("\\EXE\\ARJ.EXE"),
        QStringLiteral("C:\\VALDOROW\\EXE\\ARJ.EXE"),
        QStringLiteral("C:\\WINDOWS\\ARJ.EXE"),
        QStringLiteral("C:\\VLDRBKP\\ARJ.EXE"),
    };
    Platform& p = platform();
    for (const QString& candidate : candidates) {
        if (p.fileExists(candidate))
            return candidate;
    }
    return PRIMEIRO_ARQUIVO(QStringLiteral("C:\\ARJ.EXE"));
}

} // namespace navlor
