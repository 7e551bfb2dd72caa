#include "tools/file_search.h"

#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "lib/text_utils.h"

namespace navlor {

QString searchPath(const QString& directory, const QString& mask)
{
    QString start = directory;
    if (start.size() == 3 && start.at(2) == u'\\')
        start.truncate(2);
    return TROCA_TEXTO(start + u'\\' + mask, QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
}

QStringList searchFiles(const QString& directory, const QString& mask)
{
    return LISTA_ARQUIVOS(searchPath(directory, mask), QStringLiteral("T"));
}

QList<FoundFile> searchFoundFiles(const QString& directory, const QString& mask)
{
    return FOUND_FILES(searchPath(directory, mask), QStringLiteral("T"));
}

bool deleteFoundFile(const FoundFile& file)
{
    return platform().deleteExactFile(file.path);
}

} // namespace navlor
