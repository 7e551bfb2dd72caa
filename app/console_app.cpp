#include "app/console_app.h"

#include "lib/app_error.h"
#include "lib/dialogs.h"

namespace navlor {

ConsoleApp::ConsoleApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool ConsoleApp::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportHandlerError(std::current_exception());
    }
    return false;
}

void reportHandlerError(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError& appError) {
        dialogs().message(appError.message());
    } catch (const std::exception& other) {
        dialogs().message(QString::fromLocal8Bit(other.what()));
    } catch (...) {
        dialogs().message(QStringLiteral("Erro desconhecido."));
    }
}

} // namespace navlor
