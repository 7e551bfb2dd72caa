#include "tools/file_search.h"

#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "lib/text_utils.h"

namespace navlor {

QList<FoundFile> searchFoundFiles(const QString& directory, const QString& mask)
{
    return FOUND_FILES(searchPath(directory, mask), FileWalk::Tree);
}

bool deleteFoundFile(const FoundFile& file)
{
    return platform().deleteExactFile(file.path);
}

} // namespace navlor
