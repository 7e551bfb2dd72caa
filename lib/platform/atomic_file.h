#pragma once

#include <QByteArray>
#include <QString>

namespace navlor {

// Replaces the file at `hostPath` with `data`: written to a new file beside it, flushed to disk
// and renamed over it, so that a crash or a full disk leaves the old file as it was. Never
// written through a link: a link at the name is itself replaced by the new file, and what it
// names stays untouched. An existing regular file keeps its permissions; a new one (or one
// replacing a link) gets `newMode` less the umask. On failure the temporary file is removed
// and the result is false.
bool writeFileAtomically(const QString& hostPath, const QByteArray& data, int newMode = 0666);

// Removes the temporary files that interrupted writes left in host directory `hostDirectory`:
// names ".<anything>.navlor-<base36>" that are regular files (never links, never directories) and
// were last changed more than `minimumAgeSeconds` ago (a write in progress elsewhere is left
// alone). Returns how many were removed.
int removeInterruptedWrites(const QString& hostDirectory, int minimumAgeSeconds = 60);

} // namespace navlor
