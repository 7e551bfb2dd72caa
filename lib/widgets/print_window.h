#pragma once

class QPrinter;
class QWidget;

namespace navlor {

// Asks for a printer with the helper window's print dialog and prints the window's client
// area as it looks now, at its on-screen size, on one page. Cancelling prints nothing.
void IMPRIME_JANELA(QWidget* window);

// The printing itself, after the dialog: one job, one page, the image at the top left.
// False when the printer could not be opened.
bool printWindowImage(QWidget* window, QPrinter& printer);

} // namespace navlor
