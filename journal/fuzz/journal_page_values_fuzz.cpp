// Any text in the days field: atoi's reading never fails, and a purge takes
// only a number that atoi reads the same, within its range, from a text that
// holds nothing but blanks around it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "journal/journal_page_values.h"

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    int maxDays = data[0] * 100;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    int days = DaysFromText(text);
    std::optional<int> purge = PurgeDaysFromText(text, maxDays);
    if (purge) {
        Check(*purge >= 0 && *purge <= maxDays);
        Check(*purge == days);
        for (char c : text)
            Check((c >= '0' && c <= '9') || c == '+' || c == ' ' || (c >= '\t' && c <= '\r'));
    }
    Check(FilterPosition(days, maxDays) >= 0 && FilterPosition(days, maxDays) <= maxDays);
    return 0;
}
