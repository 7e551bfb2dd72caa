#include "lib/param_file.h"

#include "lib/ansi_text.h"

namespace navlor {

namespace {

constexpr char kCtrlZ = 26;
const QString kPlaceholder = QStringLiteral("#");

} // namespace

QStringList parseParamFile(const QByteArray& bytes)
{
    QStringList lines;
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    while (pos < size && bytes.at(pos) != kCtrlZ) {
        const qsizetype start = pos;
        while (pos < size && bytes.at(pos) != '\n' && bytes.at(pos) != '\r' &&
               bytes.at(pos) != kCtrlZ)
            ++pos;
        const QByteArray value = bytes.mid(start, pos - start);
        bool endOfFile = pos < size && bytes.at(pos) == kCtrlZ;
        // What follows a CR up to the next LF is not part of any line.
        while (!endOfFile && pos < size && bytes.at(pos) != '\n') {
            if (bytes.at(pos) == kCtrlZ)
                endOfFile = true;
            else
                ++pos;
        }
        if (pos < size && bytes.at(pos) == '\n')
            ++pos;
        const QString text = fromAnsi(value);
        lines << (text == kPlaceholder ? QString() : text);
        // Lines past the last slot a read fills are dropped unread.
        if (endOfFile || lines.size() == kParamLinesRead)
            break;
    }
    return lines;
}

void normaliseParamSlots(ParamSlots& table)
{
    bool seenValue = false;
    for (int n = ParamSlots::size(); n >= 1; --n) {
        QString& slot = table[n];
        if (slot == kPlaceholder)
            slot.clear();
        if (!slot.isEmpty())
            seenValue = true;
        else if (seenValue)
            slot = kPlaceholder;
    }
}

QByteArray formatParamFile(const ParamSlots& table)
{
    QByteArray bytes;
    for (int n = 1; n <= ParamSlots::size(); ++n) {
        const QString& slot = table[n];
        if (slot.isEmpty())
            continue;
        QByteArray line = toAnsi(slot);
        // A line break inside a value would shift every later slot of the file by one line.
        line.replace('\r', ' ').replace('\n', ' ').replace(kCtrlZ, ' ');
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

ParamFile ParamFile::fromBytes(const QByteArray& bytes)
{
    ParamFile file;
    const QStringList lines = parseParamFile(bytes);
    for (int n = 1; n <= lines.size(); ++n)
        file.m_slots[n] = lines.at(n - 1);
    return file;
}

} // namespace navlor
