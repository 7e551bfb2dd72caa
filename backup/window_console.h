#pragma once

// The console a backup run talks to from the backup window: the main window's message line
// and stop flag, the window's status line, and the progress of a batch while it runs.

#include "backup/backup_run.h"

#include <QString>

#include <memory>

namespace navlor {

class TF_BKPA;

std::unique_ptr<BackupConsole> makeWindowConsole(TF_BKPA& window);

} // namespace navlor
