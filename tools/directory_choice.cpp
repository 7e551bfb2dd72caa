#include "tools/directory_choice.h"

#include "lib/platform/platform.h"
#include "lib/text_utils.h"

namespace navlor {

QString startDirectory(const DirectoryChoice& choice)
{
    const QString& start = choice.defaultDirectory;
    if (EM_BRANCO(start) || !platform().directoryExists(start))
        return {};
    return start;
}

} // namespace navlor
