#include "base/column_width.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ColumnWidth, TruncatesWithTheSinglePrecisionHundredth)
{
    struct Case { int percent, tableWidth, expected; } cases[] = {
        {50, 400, 199},  // 200 in exact arithmetic
        {10, 400, 39},
        {100, 400, 399},
        {25, 400, 99},
        {20, 1245, 248},  // 249 exactly
        {15, 565, 84},
        {9, 565, 50},
        {7, 1, 0},
        {33, 0, 0},
        {50, -400, -199},
        {100, 16777217, 16777215},  // the width itself goes through single precision
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnWidth(c.percent, c.tableWidth), c.expected) << c.percent << "% of " << c.tableWidth;
}

TEST(ColumnWidth, HoldsResultsBeyondIntAtItsLimits)
{
    EXPECT_EQ(ColumnWidth(INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(ColumnWidth(INT_MIN, INT_MAX), INT_MIN);
}
