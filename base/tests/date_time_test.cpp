#include "base/date_time.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/date_text.h"

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
static long long DaysFromCivil(long long y, int m, int d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The UTC time that a four-digit form text names.
static long long UtcTimeOf(const std::string& text)
{
    int f[6];
    ParseDateTime(text.c_str(), f);
    return DaysFromCivil(f[kDateYear], f[kDateMonth], f[kDateDay]) * 86400 + f[kDateHour] * 3600 +
           f[kDateMinute] * 60 + f[kDateSecond];
}

TEST(FormatStamp, PrintsTheLocalTimeWithYearsSince1900)
{
    struct tm local = {};
    local.tm_year = 101;
    local.tm_mon = 5;
    local.tm_mday = 15;
    local.tm_hour = 12;
    local.tm_min = 34;
    local.tm_sec = 56;
    local.tm_isdst = -1;
    time_t t = mktime(&local);
    ASSERT_NE(t, static_cast<time_t>(-1));
    std::string text;
    EXPECT_EQ(FormatStamp(text, t), t);
    EXPECT_EQ(text, "15/06/101 12:34:56");
}

TEST(FormatStamp, ZeroStandsForNow)
{
    time_t before = time(nullptr);
    std::string text;
    time_t used = FormatStamp(text, 0);
    time_t after = time(nullptr);
    EXPECT_GE(used, before);
    EXPECT_LE(used, after);
    // The text names the time used, read back as a local time.
    ASSERT_EQ(text.size(), 18u) << text;
    struct tm local = {};  // "dd/mm/yyy hh:mm:ss": three year digits until 2900
    local.tm_mday = std::stoi(text.substr(0, 2));
    local.tm_mon = std::stoi(text.substr(3, 2)) - 1;
    local.tm_year = std::stoi(text.substr(6, 3));
    local.tm_hour = std::stoi(text.substr(10, 2));
    local.tm_min = std::stoi(text.substr(13, 2));
    local.tm_sec = std::stoi(text.substr(16, 2));
    local.tm_isdst = -1;
    EXPECT_EQ(mktime(&local), used) << text;
}

TEST(FormatDaysAgo, PrintsTheMomentThatManyDaysBackInUtc)
{
    for (int days : {0, 1, 30, 365, -2}) {
        time_t before = time(nullptr);
        std::string text;
        size_t length = FormatDaysAgo(text, days);
        time_t after = time(nullptr);
        ASSERT_EQ(length, text.size());
        ASSERT_EQ(length, 19u) << text;
        long long t = UtcTimeOf(text) + static_cast<long long>(days) * 86400;
        EXPECT_GE(t, before) << days << ": " << text;
        EXPECT_LE(t, after) << days << ": " << text;
    }
}

TEST(FormatDaysAgo, PrintsTheFullYear)
{
    long long startOf2001 = DaysFromCivil(2001, 1, 1) * 86400;
    int days = static_cast<int>((time(nullptr) - startOf2001) / 86400) - 10;  // ten days into 2001
    std::string text;
    FormatDaysAgo(text, days);
    EXPECT_EQ(text.substr(2, 9), "/01/2001 ") << text;
    EXPECT_TRUE(text.starts_with("11/") || text.starts_with("12/")) << text;  // 12 just past midnight
}

TEST(FormatDaysAgo, MomentsOutOfReachGiveNoText)
{
    for (int days : {INT_MAX, INT_MIN}) {
        std::string text = "ancien";
        EXPECT_EQ(FormatDaysAgo(text, days), 0u) << days;
        EXPECT_EQ(text, "") << days;
    }
}
