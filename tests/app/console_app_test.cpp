#include "app/console_app.h"

#include "lib/app_error.h"
#include "tests/support/scripted_dialogs.h"

#include <QIcon>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace navlor {
namespace {

TEST(ConsoleAppTest, HandlerErrorsEndInTheErrorBox)
{
    test::ScopedDialogs dialogs;
    reportHandlerError(std::make_exception_ptr(AppError(QString::fromUtf8("Valor inválido"))));
    reportHandlerError(std::make_exception_ptr(std::runtime_error("falhou")));
    reportHandlerError(std::make_exception_ptr(42));
    EXPECT_EQ(dialogs->messages,
              QStringList({QString::fromUtf8("Valor inválido"), "falhou", "Erro desconhecido."}));
}

TEST(ConsoleAppTest, EveryWindowCarriesTheProgramIcon)
{
    applyProgramIcon();
    QWidget window;
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.windowIcon().availableSizes().size(), 2);
    QApplication::setWindowIcon(QIcon());
}

} // namespace
} // namespace navlor
