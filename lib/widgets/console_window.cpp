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

void postToConsole(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (g_console)
            g_console->ADD_MSG(line);
    }
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
