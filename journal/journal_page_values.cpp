#include "journal/journal_page_values.h"

#include <climits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t SkipBlanks(std::string_view text, size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at;
}

}  // namespace

int DaysFromText(std::string_view text)
{
    size_t at = SkipBlanks(text, 0);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    // Counted as a negative number, whose range reaches one further.
    long long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 - (text[at] - '0');
        if (value < INT_MIN)
            return negative ? INT_MIN : INT_MAX;
    }
    if (negative)
        return static_cast<int>(value);
    return value < -INT_MAX ? INT_MAX : static_cast<int>(-value);
}

std::optional<int> PurgeDaysFromText(std::string_view text, int maxDays)
{
    size_t at = SkipBlanks(text, 0);
    if (at < text.size() && text[at] == '+')
        ++at;
    size_t digits = at;
    long long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > maxDays)
            return std::nullopt;
    }
    if (at == digits || SkipBlanks(text, at) != text.size())
        return std::nullopt;
    return static_cast<int>(value);
}

int FilterPosition(int position, int count)
{
    return position >= 0 && position <= count ? position : count;
}
