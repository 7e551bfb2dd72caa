#pragma once

// The delegate of the extract window's entry lists: long names scroll into view whole, and a
// list of many thousand entries is measured a slice at a time, never all at once.

#include <QFont>
#include <QHash>
#include <QListWidget>
#include <QString>

#include <memory>

namespace navlor {

// The widths of the entries of both lists by their text, each measured once: an entry is plain
// text in the list's font, so its text alone decides its size.
struct EntryWidths
{
    QFont font;
    QHash<QString, int> widths;
};

// The list's delegate, measuring entries against the widths shared with the other list.
void useWidestEntryDelegate(QListWidget* list, std::shared_ptr<EntryWidths> widths);

} // namespace navlor
