#include "base/date_text.h"

#include <cstdio>
#include <cstring>
#include <string_view>

static std::string FormatDateTime(int day, int month, int year, int hour, int minute, int second)
{
    char text[96];  // six ints at most 11 characters each, and the separators
    std::snprintf(text, sizeof text, "%02i/%02i/%02i %02i:%02i:%02i", day, month, year, hour, minute, second);
    return text;
}

std::string FormatStampText(const struct tm& local)
{
    return FormatDateTime(local.tm_mday, local.tm_mon + 1, local.tm_year, local.tm_hour, local.tm_min,
                          local.tm_sec);
}

std::string FormatFourDigitText(const struct tm& utc)
{
    // The year is widened before adding 1900 so that no year overflows.
    long long year = static_cast<long long>(utc.tm_year) + 1900;
    return FormatDateTime(utc.tm_mday, utc.tm_mon + 1, static_cast<int>(year), utc.tm_hour, utc.tm_min, utc.tm_sec);
}

// atoi over a field of at most four characters: leading blanks, a sign, then
// digits up to the first other character. Four digits never overflow.
static int ReadNumber(std::string_view field)
{
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    int value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = value * 10 + (field[i] - '0');
    return negative ? -value : value;
}

// The characters of the field at `at`, `size` long, cut where the text ends.
static std::string_view FieldAt(std::string_view text, size_t at, size_t size)
{
    if (at >= text.size())
        return {};
    return text.substr(at, size);
}

void ParseDateTime(const char* text, int out[6])
{
    constexpr size_t kTextLength = 19;  // "dd/mm/yyyy hh:mm:ss"
    std::string_view t(text ? text : "", text ? strnlen(text, kTextLength) : 0);
    out[kDateDay] = ReadNumber(FieldAt(t, 0, 2));
    out[kDateMonth] = ReadNumber(FieldAt(t, 3, 2));
    out[kDateYear] = ReadNumber(FieldAt(t, 6, 4));
    out[kDateHour] = ReadNumber(FieldAt(t, 11, 2));
    out[kDateMinute] = ReadNumber(FieldAt(t, 14, 2));
    out[kDateSecond] = ReadNumber(FieldAt(t, 17, 2));
}

int DateNotAfter(const char* a, const char* b)
{
    int first[6];
    int second[6];
    ParseDateTime(a, first);
    ParseDateTime(b, second);
    for (int field : {kDateYear, kDateMonth, kDateDay, kDateHour, kDateMinute, kDateSecond}) {
        if (first[field] != second[field])
            return first[field] < second[field] ? 1 : 0;
    }
    return 1;
}
