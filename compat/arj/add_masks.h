#pragma once

// The list file an "A" or "M" hands arj. arj matches every line of a list against the whole
// directory the line names, so a line per file costs it the square of a directory's size; a
// directory whose every file is added is given as one mask line instead, where arj's own "*"
// is sure to take exactly the same files under exactly the same names, in the same order.
//
// arj stores what a mask takes in the order the directory gives its names. Where that is not
// the order of the list, the directory cache preloaded into arj (directory_cache.c) gives them
// in the list's order: for each such directory a file "<device>-<inode>" (decimal) in an order
// directory holds its names, one a line, and kMaskOrderVariable names that directory in arj's
// environment.

#include <QByteArray>
#include <QList>
#include <QString>

namespace navlor::arj {

inline constexpr char kMaskOrderVariable[] = "NAVLOR_ARJ_ORDER";

// The lines for `stored` (names relative to `rootHostPath`, "/" separators, each once, in the
// order arj is to store them). A run of names that is every file of its directory becomes
// "DIR/*": as it is where the directory gives them in that order, and with an order file in
// `orderDirectory` where it does not (never without one: an empty `orderDirectory` is for an
// arj without the directory cache). Anything arj's "*" could take otherwise (hidden files,
// links, devices, names it reads differently) keeps a line for each name, as listFileLine
// writes it.
QList<QByteArray> addListLines(const QString& rootHostPath, const QList<QByteArray>& stored,
                               const QString& orderDirectory = {});

// A new empty order directory inside `parent`, private to this user; empty when none can be
// made. Each arj run gets its own: a directory masked in its own order has no file there.
QString newMaskOrderDirectory(const QString& parent);

// For as long as it lives, kMaskOrderVariable names `orderDirectory` (none when empty) for
// the arj runs started meanwhile; what it was before comes back after.
class MaskOrderScope
{
public:
    explicit MaskOrderScope(const QString& orderDirectory);
    ~MaskOrderScope();
    MaskOrderScope(const MaskOrderScope&) = delete;
    MaskOrderScope& operator=(const MaskOrderScope&) = delete;

private:
    bool m_had = false;
    QByteArray m_earlier;
};

// Writes `lines`, one a line, into a new file at `path`, never over one already there.
bool writeAddList(const QString& path, const QList<QByteArray>& lines);

} // namespace navlor::arj
