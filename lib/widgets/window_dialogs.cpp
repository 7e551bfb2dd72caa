#include "lib/widgets/window_dialogs.h"

namespace navlor {

int showModal(QWidget* window)
{
    if (auto* windows = dynamic_cast<WindowDialogs*>(&dialogs()))
        return windows->showModal(window);
    return 0;
}

} // namespace navlor
