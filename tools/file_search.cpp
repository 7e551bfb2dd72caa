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

bool deleteFoundFile(const QString& entry)
{
    const QString name = entry.mid(entry.lastIndexOf(u'\\') + 1);
    // On a host that allows "*" and "?" in names the entry would be a mask matching other
    // files too; such a name is deleted as it stands.
    if (name.contains(u'*') || name.contains(u'?'))
        platform().deleteFile(entry);
    else
        APAGA_ARQUIVOS(entry, QStringLiteral("A"));
    return !platform().fileExists(entry);
}

} // namespace navlor
