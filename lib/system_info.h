#pragma once

// Three queries of the operating system shown on the main window and relied on by the batch
// runner and the extract window. No state, no messages.

#include "lib/platform/platform.h"

#include <QString>

namespace navlor {

// One line such as "Microsoft Windows XP Service pack: Service Pack 2, Build: 2600".
QString versionText(const VersionRecord& record);
QString VERSAO_WINDOWS();

// The Windows directory ("C:\WINDOWS"), at most 255 characters.
QString DIR_WINDOWS();

// The computer's network name, at most 15 characters.
QString NOME_COMPUTADOR();

} // namespace navlor
