#pragma once

// The console's start-up pass runs on a thread of its own; a test goes on once it is over,
// with the event loop running meanwhile as the program's does (boxes, messages, clicks).

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>

namespace navlor::test {

template <typename Console> void waitForPass(Console& console)
{
    if (console.passRunning()) {
        QEventLoop loop;
        QObject::connect(&console, &Console::passFinished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // What the end of the pass queued (a close held back meanwhile) happens too.
    QCoreApplication::processEvents();
}

} // namespace navlor::test
