#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/sorted_index.h"

// Input: the record size in the first byte, then records of that size, the
// last one cut where the input ends (and zero-filled); keys may lack their
// terminator. The records sit in a block of exactly their size.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    size_t recordSize = 1 + data[0] % 24;
    size_t count = (size - 1 + recordSize - 1) / recordSize;
    if (count == 0)
        return 0;
    std::unique_ptr<uint8_t[]> records(new uint8_t[count * recordSize]);
    std::memset(records.get(), 0, count * recordSize);
    std::memcpy(records.get(), data + 1, size - 1);

    std::vector<int> index;
    BuildSortedIndex(index, records.get(), recordSize, static_cast<int>(count));
    if (index.size() != count)
        __builtin_trap();
    std::vector<bool> seen(count);
    for (size_t p = 0; p < count; ++p) {
        int r = index[p];
        if (r < 0 || static_cast<size_t>(r) >= count || seen[r])
            __builtin_trap();
        seen[r] = true;
        if (p > 0) {
            int previous = index[p - 1];
            int order = CompareSignedKeys(records.get() + previous * recordSize, records.get() + r * recordSize,
                                          recordSize);
            if (order > 0 || (order == 0 && previous < r))
                __builtin_trap();
        }
    }
    return 0;
}
