#pragma once

// The extract window's listing as text: the archiver's printout made into lines, the entries
// read from it as the console reads them, and the text shown for entries read from headers.

#include "lib/arj_listing.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace navlor {

// The lines of a listing joined by "\n", as arjListingLines() splits them.
QString listingText(const QByteArray& bytes);

// Whether a mask given to the listing leaves out no entry.
bool listsEverything(const QString& mask);

// The entries of a listing's text as the console reads them: names from the tenth line on,
// each with the size and time of its details line.
QList<ArjEntry> consoleListingEntries(const QString& text);

// What the text box shows of entries read from the archive's headers: a line for each.
QString headersText(const QString& origin, const QList<ArjEntry>& entries);

} // namespace navlor
