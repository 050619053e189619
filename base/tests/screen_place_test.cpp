#include "base/screen_place.h"

#include <gtest/gtest.h>

TEST(ScreenPlace, CentresRoundingTowardZero)
{
    struct Case { int area, window, expected; } cases[] = {
        {1280, 400, 440}, {1280, 401, 439}, {300, 401, -50}, {300, 400, -50}, {0, 0, 0}, {-10, 1, -5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CentredOffset(c.area, c.window), c.expected) << c.area << ", " << c.window;
}

TEST(ScreenPlace, KeepsTheWindowOnScreen)
{
    struct Case { int position, window, screen, expected; } cases[] = {
        {100, 100, 1280, 100},
        {-10, 100, 1280, 0},
        {1200, 100, 1280, 1180},  // would pass the right edge: ends there
        {1180, 100, 1280, 1180},
        {5000, 100, 1280, 1180},
        {-50, 1400, 1280, 0},     // larger than the screen: the top left stays visible
        {300, 1400, 1280, 0},
        {2147483000, 2000, 1280, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepOnScreen(c.position, c.window, c.screen), c.expected)
            << c.position << ", " << c.window << ", " << c.screen;
}
