#include "tools/directory_choice.h"

namespace navlor {

DirectoryChoice GB_SELECAO;

} // namespace navlor
