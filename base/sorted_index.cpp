#include "base/sorted_index.h"

#include <algorithm>
#include <numeric>

int CompareSignedKeys(const uint8_t* a, const uint8_t* b, size_t limit)
{
    for (size_t i = 0; i < limit; ++i) {
        int x = static_cast<int8_t>(a[i]);
        int y = static_cast<int8_t>(b[i]);
        if (x != y)
            return x - y;
        if (x == 0)
            return 0;
    }
    return 0;
}

void BuildSortedIndex(std::vector<int>& index, const uint8_t* keyInRecord0, size_t recordSize, int count)
{
    index.clear();
    if (count <= 0)
        return;
    index.resize(static_cast<size_t>(count));
    std::iota(index.begin(), index.end(), 0);
    auto key = [&](int record) { return keyInRecord0 + static_cast<size_t>(record) * recordSize; };
    // Each record going in before the equal keys already placed puts equal
    // keys latest first: the record number, decreasing, settles every tie.
    std::sort(index.begin(), index.end(), [&](int a, int b) {
        int order = CompareSignedKeys(key(a), key(b), recordSize);
        return order != 0 ? order < 0 : a > b;
    });
}
