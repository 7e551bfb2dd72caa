#pragma once

// A job's own batch file (VD_BKPA_xx.BAT beside its parameter file), edited as free text. On
// disk it is 8-bit text with CR LF after every line; in the editor lines end in "\n".

#include <QByteArray>
#include <QString>

#include <optional>

namespace navlor {

// File bytes as editor text: CR LF, CR and LF all end a line.
QString batchTextFromFile(const QByteArray& bytes);
// Editor text as file bytes: every line, the last included, ended by CR LF.
QByteArray batchFileBytes(const QString& text);

// The text of job `number`'s batch file; nothing when it does not exist or cannot be read.
std::optional<QString> readJobBatch(const QString& dataDir, int number);
// Replaces job `number`'s batch file with `text`; false when it could not be written.
bool saveJobBatch(const QString& dataDir, int number, const QString& text);

} // namespace navlor
