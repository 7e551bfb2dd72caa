#pragma once

// What the application object of the program is given at start.

namespace navlor {

// The program's icon on every window it opens (title bar, task bar).
void applyProgramIcon();

} // namespace navlor
