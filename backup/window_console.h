#pragma once

// The console a backup run talks to from the backup window: the main window's message line
// and stop flag, the window's status line, and the progress of a batch while it runs.

#include "backup/backup_run.h"

#include <QString>

#include <memory>

namespace navlor {

class TF_BKPA;

std::unique_ptr<BackupConsole> makeWindowConsole(TF_BKPA& window);

// "00:12 - 1.234 KB": the time a batch has run and how far its archive has grown.
QString batchProgressText(qint64 seconds, const QString& archivePath);

} // namespace navlor
