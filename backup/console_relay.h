#pragma once

// A run on a thread of its own still talks to a console whose windows live on the window
// thread: every call that reads or shows something is made there, and the run waits for it.
// The work itself (the verdict) stays on the run's thread.

#include "backup/backup_run.h"

#include <QObject>

#include <memory>

namespace navlor {

// `console`'s calls, made on the thread of `context`; both must outlive the relay.
std::unique_ptr<BackupConsole> relayToThreadOf(QObject& context, BackupConsole& console);

} // namespace navlor
