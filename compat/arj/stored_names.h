#pragma once

// Stored names judged before anything is extracted: an archive may come from anywhere, and
// arj on this host takes "\" literally and follows ".." and links, so a name is taken apart
// here as Windows would take it, on "/" and "\" alike.

#include <QString>
#include <QStringList>

#include <optional>

namespace navlor::arj {

// The names of a stored path split on "/" and "\", empty and "." names dropped; nothing when
// the entry could land outside the directory it is extracted into: a leading separator, a
// drive ("C:"), any ":" (a drive or a stream), or a name of two dots or more and blanks alone
// (".." or ". ."), which Windows may read as the parent once it trims trailing dots and blanks.
std::optional<QStringList> safeStoredPath(const QString& stored);

// True when `hostPath` lies in the existing directory `root` once both are resolved through
// links (of `hostPath`, its deepest existing component): writing there stays inside `root`.
// A dangling link counts as outside.
bool staysInside(const QString& root, const QString& hostPath);

} // namespace navlor::arj
