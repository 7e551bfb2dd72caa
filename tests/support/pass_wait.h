#pragma once

// The console's count-down runs from its event loop, its start-up pass and a backup window's
// "Executar" on threads of their own; a test goes on once they are over, with the event loop
// running meanwhile as the program's does (boxes, messages, clicks).

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>

namespace navlor::test {

template <typename Object, typename Signal>
void waitUntilOver(Object& object, bool going, Signal over)
{
    if (going) {
        QEventLoop loop;
        QObject::connect(&object, over, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // What the end queued (a close held back meanwhile) happens too.
    QCoreApplication::processEvents();
}

template <typename Console> void waitForPass(Console& console)
{
    waitUntilOver(console, console.passRunning(), &Console::passFinished);
}

// The count-down and the pass after it, or the count-down alone when it was cancelled.
template <typename Console> void waitForStartupRun(Console& console)
{
    waitUntilOver(console, console.startupRunGoing(), &Console::startupRunOver);
}

template <typename Window> void waitForRun(Window& window)
{
    waitUntilOver(window, window.runGoing(), &Window::runFinished);
}

} // namespace navlor::test
