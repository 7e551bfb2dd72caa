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

// The slots of one parameter file, held by whoever reads it: change the lines you know and
// write it back, nothing of another file in between.
class ParamFile
{
public:
    ParamFile() = default;
    explicit ParamFile(const ParamSlots& table) : m_slots(table) {}

    // Slot n is line n; a number outside 1..190 throws.
    QString& operator[](int n) { return m_slots[n]; }
    const QString& operator[](int n) const { return m_slots[n]; }

    const ParamSlots& table() const { return m_slots; }

    // The lines of the file's bytes, as parseParamFile reads them.
    static ParamFile fromBytes(const QByteArray& bytes);
    // The gaps below the last value made "#", as normaliseParamSlots does.
    void normalise() { normaliseParamSlots(m_slots); }
    // The bytes formatParamFile makes of the slots.
    QByteArray bytes() const { return formatParamFile(m_slots); }

private:
    ParamSlots m_slots;
};

} // namespace navlor
