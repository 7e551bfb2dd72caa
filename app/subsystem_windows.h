#pragma once

// The windows one subsystem opens of another's, as the program sets them up.

#include "lib/widgets/console_window.h"

#include <memory>

namespace navlor {

std::unique_ptr<WindowOpener> makeSubsystemWindows();

} // namespace navlor
