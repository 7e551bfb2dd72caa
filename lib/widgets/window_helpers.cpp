#include "lib/widgets/window_helpers.h"

#include <QScreen>
#include <QWidget>

namespace navlor {

void centreOnScreen(QWidget& window)
{
    // The frame, not the client area, so the title bar counts towards the middle.
    if (const QScreen* desktop = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

} // namespace navlor
