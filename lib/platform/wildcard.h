#pragma once

#include <QString>

namespace navlor {

// True when `name` matches the Windows file mask `mask`, compared case-insensitively with the
// rules of FindFirstFile: "*" and "*.*" match every name (also names without a dot), "NAME.*"
// also matches "NAME", "*." matches names without an extension, "?" matches one character
// (or none before a dot or the end of the name), "*" before a dot stops at the name's last dot.
bool matchesWildcard(const QString& name, const QString& mask);

// True when the text holds "*" or "?".
bool hasWildcards(const QString& text);

// The order in which a directory lists its names, stable like NTFS: compared upper-cased,
// character by character; names equal but for case in their ordinal order.
bool windowsNameLess(const QString& a, const QString& b);

} // namespace navlor
