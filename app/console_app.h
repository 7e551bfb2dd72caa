#pragma once

// The application object. An error thrown by an event handler ends that action only: it is
// shown in the ordinary error box and the program goes on.

#include <QApplication>

#include <exception>

namespace navlor {

class ConsoleApp : public QApplication
{
    Q_OBJECT

public:
    ConsoleApp(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The program's icon on every window it opens (title bar, task bar).
void applyProgramIcon();

// Shows the error that ended a handler in the error box.
void reportHandlerError(std::exception_ptr error);

} // namespace navlor
