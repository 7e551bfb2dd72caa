#include "lib/choose_directory.h"

#include "lib/dialogs.h"
#include "lib/file_lists.h"

namespace navlor {

QString ESCOLHE_DIRETORIO(const QString& s, const QString& t)
{
    const QString start = DIRETORIO_EXISTE(s) ? s : QString();
    const QString chosen = dialogs().browseFolder(t, start);
    // Only a directory of the file system is an answer; anything else counts as cancelled.
    if (chosen.isEmpty() || !DIRETORIO_EXISTE(chosen))
        return start;
    return chosen;
}

} // namespace navlor
