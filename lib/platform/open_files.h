#pragma once

// Which processes hold a file open, found as fuser finds them: through /proc/*/fd.

#include <QList>
#include <QString>

namespace navlor {

// Ids of the processes (this one included) with an open descriptor on the file at `hostPath`
// (links followed). Processes whose descriptors cannot be read are passed over.
QList<qint64> processesHoldingFile(const QString& hostPath);

bool isFileOpenByAnyProcess(const QString& hostPath);

} // namespace navlor
