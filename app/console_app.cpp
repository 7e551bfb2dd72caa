#include "app/console_app.h"

#include "lib/app_error.h"
#include "lib/dialogs.h"

#include <QIcon>

namespace navlor {

ConsoleApp::ConsoleApp(int& argc, char** argv) : QApplication(argc, argv) {}

void applyProgramIcon()
{
    QIcon icon;
    for (const char* size : {"48", "128"})
        icon.addFile(QStringLiteral(":/pictures/navlor_icon_%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
}

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
