#include "lib/widgets/window_helpers.h"

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace navlor {
namespace {

struct Window
{
};

Window* g_window = nullptr;

TEST(SingleInstance, PointsAtTheLiveWindowAndLeavesANewerOneInPlace)
{
    Window first;
    Window second;
    std::optional<SingleInstance<Window>> older{std::in_place, g_window, &first};
    EXPECT_EQ(g_window, &first);
    {
        std::optional<SingleInstance<Window>> newer{std::in_place, g_window, &second};
        EXPECT_EQ(g_window, &second);
        older.reset(); // the older window goes while the newer one is open
        EXPECT_EQ(g_window, &second);
    }
    EXPECT_EQ(g_window, nullptr);

    // The newer one going first leaves no pointer behind, not even the older's.
    older.emplace(g_window, &first);
    {
        SingleInstance<Window> newer(g_window, &second);
    }
    EXPECT_EQ(g_window, nullptr);
    older.reset();
    EXPECT_EQ(g_window, nullptr);
}

TEST(CentreOnScreen, PutsTheFrameInTheMiddleOfTheFreeAreaAtItsSize)
{
    const struct
    {
        QSize size;
        QPoint start;
    } cases[] = {
        {{300, 200}, {0, 0}},
        {{301, 151}, {5000, -700}}, // odd sizes, started off the screen
        {{4000, 3000}, {10, 10}},   // larger than the screen
    };
    for (const auto& c : cases) {
        QWidget window;
        window.resize(c.size);
        window.move(c.start);
        centreOnScreen(window);
        ASSERT_NE(window.screen(), nullptr);
        EXPECT_EQ(window.frameGeometry().center(), window.screen()->availableGeometry().center())
            << c.size.width() << "x" << c.size.height();
        EXPECT_EQ(window.size(), c.size);
    }
}

} // namespace
} // namespace navlor
