#pragma once

// The dialogs seam where it takes a window. The seam of lib/dialogs.h is QtCore and
// knows no window; the windows show one another modally through here, so tests still script
// the answer and no test waits on a modal window.

#include "lib/dialogs.h"

class QWidget;

namespace navlor {

// A dialogs seam that also shows windows: the one over Qt and the tests' scripted one.
class WindowDialogs : public Dialogs
{
public:
    // Shows a window modally; its result code (QDialog::Accepted is 1, Rejected 0).
    virtual int showModal(QWidget* window) = 0;
};

// Shows `window` modally through the seam in use; 0 (Rejected) at once when that seam shows
// no windows (the headless one).
int showModal(QWidget* window);

} // namespace navlor
