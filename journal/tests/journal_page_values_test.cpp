#include "journal/journal_page_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

// The page copy of the days is what atoi gives, limits included.
TEST(DaysFromText, ReadsAsAtoiDoes)
{
    struct Case { std::string text; int days; } cases[] = {
        {"10", 10},
        {"  7", 7},
        {"\t\n+12", 12},
        {"-2", -2},
        {"12abc", 12},
        {"3 4", 3},
        {"", 0},
        {"abc", 0},
        {"+", 0},
        {"- 5", 0},
        {"0010", 10},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DaysFromText(c.text), c.days) << "\"" << c.text << "\"";
        if (c.days != INT_MAX && c.days != INT_MIN) {
            EXPECT_EQ(DaysFromText(c.text), std::atoi(c.text.c_str())) << "\"" << c.text << "\"";
        }
    }
}

// Only a whole number that the purge can use: never "no number" taken as 0
// (which would purge every record), never a negative number (a limit in the
// future), never one the date arithmetic cannot carry.
TEST(PurgeDaysFromText, TakesOnlyAWholeNumberInRange)
{
    const int maxDays = 20000;
    struct Case { std::string text; std::optional<int> days; } cases[] = {
        {"10", 10},
        {"0", 0},
        {" 10 ", 10},
        {"+10", 10},
        {"007", 7},
        {"20000", 20000},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"10abc", std::nullopt},
        {"1 0", std::nullopt},
        {"-2", std::nullopt},
        {"-0", std::nullopt},
        {"+", std::nullopt},
        {"++1", std::nullopt},
        {"1.5", std::nullopt},
        {"20001", std::nullopt},
        {"2147483648", std::nullopt},
        {"99999999999999999999999999999999", std::nullopt},
        {std::string("1\0" "0", 3), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PurgeDaysFromText(c.text, maxDays), c.days) << "\"" << c.text << "\"";
}

TEST(PurgeDaysFromText, NothingWhenNoDayCanBeCarried)
{
    EXPECT_EQ(PurgeDaysFromText("0", 0), 0);
    EXPECT_EQ(PurgeDaysFromText("1", 0), std::nullopt);
    EXPECT_EQ(PurgeDaysFromText("0", -1), std::nullopt);
}

// "Toutes"/"Tous" sit at position count; anything outside the list means them.
TEST(FilterPosition, OutsideTheListMeansEveryEntry)
{
    struct Case { int position, count, stored; } cases[] = {
        {0, 3, 0}, {2, 3, 2}, {3, 3, 3}, {-1, 3, 3}, {4, 3, 3}, {INT_MIN, 3, 3}, {INT_MAX, 3, 3},
        {0, 0, 0}, {-1, 0, 0}, {1, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterPosition(c.position, c.count), c.stored) << c.position << " of " << c.count;
}
