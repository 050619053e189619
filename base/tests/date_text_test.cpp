#include "base/date_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

static struct tm BrokenDown(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(DateText, BothFormsPrintDayFirstWithTheirOwnYear)
{
    struct Case { struct tm t; const char* stamp; const char* fourDigit; } cases[] = {
        {BrokenDown(2001, 3, 4, 5, 6, 7), "04/03/101 05:06:07", "04/03/2001 05:06:07"},
        {BrokenDown(1999, 12, 31, 23, 59, 59), "31/12/99 23:59:59", "31/12/1999 23:59:59"},
        {BrokenDown(2000, 1, 1, 0, 0, 0), "01/01/100 00:00:00", "01/01/2000 00:00:00"},
        {BrokenDown(1905, 10, 15, 12, 30, 0), "15/10/05 12:30:00", "15/10/1905 12:30:00"},
        {BrokenDown(2026, 2, 28, 9, 0, 1), "28/02/126 09:00:01", "28/02/2026 09:00:01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatStampText(c.t), c.stamp);
        EXPECT_EQ(FormatFourDigitText(c.t), c.fourDigit);
    }
}

TEST(DateText, ExtremeYearsArePrintedWhole)
{
    struct tm t = BrokenDown(2001, 1, 1, 0, 0, 0);
    t.tm_year = 2147483647;
    EXPECT_EQ(FormatStampText(t), "01/01/2147483647 00:00:00");
    t.tm_year = 2147483647 - 1900;
    EXPECT_EQ(FormatFourDigitText(t), "01/01/2147483647 00:00:00");
}

// Each text is parsed from a heap block of exactly its length, so that a read
// past its terminating zero is caught by the address sanitizer.
static void Parse(const char* text, int out[6])
{
    size_t size = std::strlen(text) + 1;
    std::unique_ptr<char[]> exact(new char[size]);
    std::memcpy(exact.get(), text, size);
    ParseDateTime(exact.get(), out);
}

TEST(ParseDateTime, ReadsTheFieldsAtTheirPositionsIntoSecondFirstOrder)
{
    struct Case { const char* text; int second, minute, hour, day, month, year; } cases[] = {
        {"31/12/2000 23:59:59", 59, 59, 23, 31, 12, 2000},
        {"02/01/2001 00:00:00", 0, 0, 0, 2, 1, 2001},
        {"07/08/1999 10:20:30 and more", 30, 20, 10, 7, 8, 1999},
        // atoi rules: leading blanks and a sign, digits up to the first other character.
        {" 7/ 8/ 999  1: 2: 3", 3, 2, 1, 7, 8, 999},
        {"-1/+2/12a4 x1:9z:05", 5, 9, 0, -1, 2, 12},
        // Texts that end early: the fields not reached are 0.
        {"", 0, 0, 0, 0, 0, 0},
        {"3", 0, 0, 0, 3, 0, 0},
        {"31/1", 0, 0, 0, 31, 1, 0},
        {"31/12/20", 0, 0, 0, 31, 12, 20},
        {"31/12/2000 23:5", 0, 5, 23, 31, 12, 2000},
        {"31/12/2000 23:59:5", 5, 59, 23, 31, 12, 2000},
        {"garbage text", 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int out[6] = {-7, -7, -7, -7, -7, -7};
        Parse(c.text, out);
        const int expected[6] = {c.second, c.minute, c.hour, c.day, c.month, c.year};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(out[i], expected[i]) << '"' << c.text << "\" field " << i;
    }
}

TEST(ParseDateTime, NullTextReadsAsEmpty)
{
    int out[6] = {1, 1, 1, 1, 1, 1};
    ParseDateTime(nullptr, out);
    for (int v : out)
        EXPECT_EQ(v, 0);
}

TEST(DateNotAfter, ComparesYearThenMonthDayHourMinuteSecond)
{
    struct Case { const char* a; const char* b; int expected; } cases[] = {
        {"15/06/2001 12:00:00", "15/06/2001 12:00:00", 1},
        {"02/01/2001 00:00:00", "01/02/2001 00:00:00", 1},  // the month weighs more than the day
        {"01/02/2001 00:00:00", "02/01/2001 00:00:00", 0},
        {"31/12/2000 23:59:59", "01/01/2001 00:00:00", 1},  // the year weighs most
        {"01/01/2001 00:00:00", "31/12/2000 23:59:59", 0},
        {"01/01/2001 23:00:00", "02/01/2001 00:00:00", 1},  // the day weighs more than the hour
        {"02/01/2001 00:00:00", "01/01/2001 23:00:00", 0},
        {"01/01/2001 10:00:59", "01/01/2001 10:01:00", 1},  // the minute weighs more than the second
        {"01/01/2001 10:01:00", "01/01/2001 10:00:59", 0},
        {"01/01/2001 10:00:01", "01/01/2001 10:00:00", 0},
        {"01/01/2001 10:00:00", "01/01/2001 10:00:01", 1},
        {"", "", 1},
        {"", "01/01/0001 00:00:00", 1},
        {"01/01/0001 00:00:00", "", 0},
        {"01/01/2001", "01/01/2001 00:00:01", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateNotAfter(c.a, c.b), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
}
