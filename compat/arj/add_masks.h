#pragma once

// The list file an "A" or "M" hands arj. arj matches every line of a list against the whole
// directory the line names, so a line per file costs it the square of a directory's size; a
// directory whose every file is added is given as one mask line instead, where arj's own "*"
// is sure to take exactly the same files under exactly the same names, in the same order.

#include <QByteArray>
#include <QList>
#include <QString>

namespace navlor::arj {

// The lines for `stored` (names relative to `rootHostPath`, "/" separators, each once, in the
// order arj is to store them). A run of names that is every file of its directory, in the
// order the directory gives them, becomes "DIR/*"; anything arj's "*" could take otherwise
// (hidden files, links, devices, names it reads differently, another order) keeps a line for
// each name, as listFileLine writes it.
QList<QByteArray> addListLines(const QString& rootHostPath, const QList<QByteArray>& stored);

// Writes `lines`, one a line, into a new file at `path`, never over one already there.
bool writeAddList(const QString& path, const QList<QByteArray>& lines);

} // namespace navlor::arj
