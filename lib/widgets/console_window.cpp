#include "lib/widgets/console_window.h"

namespace navlor {

namespace {

ConsoleWindow* g_console = nullptr;
WindowOpener* g_opener = nullptr;

} // namespace

ConsoleWindow* mainConsole()
{
    return g_console;
}

void setMainConsole(ConsoleWindow* console)
{
    g_console = console;
}

WindowOpener* windowOpener()
{
    return g_opener;
}

void setWindowOpener(WindowOpener* opener)
{
    g_opener = opener;
}

} // namespace navlor
