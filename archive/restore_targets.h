#pragma once

// Where a restore puts each entry it takes out of an archive, and which of those places hold a
// file newer than the archived copy, which the restore would replace by an older one.

#include "lib/arj_listing.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace navlor {

enum class RestoreLayout
{
    Flat,        // every entry straight into the target, without its stored path ("E")
    StoredPaths, // below the target, each with its stored path ("X")
};

// The Windows path an entry lands on.
QString restoredPath(const QString& target, const QString& entry, RestoreLayout layout);

// The landing paths of `entries` that hold a file newer than the archived copy, in entry
// order. ARJ keeps times to two seconds: a file counts as newer only from the next two-second
// step on. An entry whose time the listing did not give is not compared.
QStringList newerTargets(const QList<ArjEntry>& entries, const QString& target,
                         RestoreLayout layout);

// The landing paths of `entries` that do not hold the archived copy after a restore: no
// file there, a link in its place, or another size or (to ARJ's two-second step) another
// time than the archive gives. Where several entries land on one path only the last counts.
QStringList notRestoredTargets(const QList<ArjEntry>& entries, const QString& target,
                               RestoreLayout layout);

// What the operator is told of them: at most kNewerFilesShown paths, then how many more.
QString notRestoredText(const QStringList& paths);

// The question put before replacing them: at most kNewerFilesShown paths, then how many more.
inline constexpr int kNewerFilesShown = 20;
QString newerFilesQuestion(const QStringList& paths);

} // namespace navlor
