#pragma once

// Tells the desktop that the unattended pass left failed jobs, so someone who was not watching
// the console learns it: a freedesktop notification over the session bus, of critical urgency,
// which stays until it is dismissed.

#include <QString>

namespace navlor {

// False when there is no session bus or nobody took the notification; nothing else depends on
// it.
bool notifyFailedPass(const QString& text);

} // namespace navlor
