#pragma once

// What the program answers on its command line without starting: its usage and its version.

#include <QStringList>

#include <optional>

namespace navlor {

// The usage text of "navlor --help".
QString usageText();
// "navlor <version>".
QString versionText();

// For a first argument that asks for the usage ("--help", "-h", "/?") or the version
// ("--version"), the text to print; nothing for any other command line, which starts the
// console as usual.
std::optional<QString> informationFor(const QStringList& arguments);

} // namespace navlor
