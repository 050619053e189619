#include "telephony/modem_entries.h"

#include <algorithm>

std::vector<std::string> SplitKeyList(std::span<const char> list)
{
    std::vector<std::string> names;
    auto at = list.begin();
    while (at != list.end() && *at != 0) {
        auto end = std::find(at, list.end(), '\0');
        if (end == list.end())
            break;
        names.emplace_back(at, end);
        at = end + 1;
    }
    return names;
}
