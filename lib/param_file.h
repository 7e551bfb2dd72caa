#pragma once

// The format of a parameter file, without any file access: line n holds slot n, "#" stands
// for an empty slot, lines end in CR LF, text is Windows-1252.

#include "lib/slot_table.h"

#include <QByteArray>
#include <QStringList>

namespace navlor {

using ParamSlots = SlotTable<190>;

// A file takes at most this many lines in; slot 190 is never filled by a read.
constexpr int kParamLinesRead = 189;

// The values of the lines of a parameter file, line 1 first, at most 189 of them; "#" and
// empty lines are empty values. A line ends at LF (a CR before it belongs to the end); a lone
// CR ends the value and the rest of its line is skipped; Ctrl-Z ends the file.
QStringList parseParamFile(const QByteArray& bytes);

// Fills the gaps below the last non-empty slot with "#" and empties every "#" above it, so the
// file written from the table keeps line n for slot n.
void normaliseParamSlots(ParamSlots& table);

// The bytes of the file: every non-empty slot, 1 to 190, as one line ended by CR LF.
QByteArray formatParamFile(const ParamSlots& table);

} // namespace navlor
