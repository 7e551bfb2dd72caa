#include "app/console_app.h"

#include <QApplication>
#include <QIcon>
#include <QWidget>

#include <gtest/gtest.h>

namespace navlor {
namespace {

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
