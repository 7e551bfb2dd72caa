#pragma once

// "navlor --headless": the start-up pass with no window, no display and no platform plugin,
// for the service. Its messages go to standard output; every box is answered at once with its
// safe answer, since nobody can see it.

namespace navlor {

// Runs the pass and gives the program's exit status (see BackupPass::exitStatus()).
int runHeadlessPass(int argc, char** argv);

} // namespace navlor
