// Records of any content: every column order is a permutation that agrees
// with the insertion orders, and extending the order of a first part gives
// the same; an arbitrary order handed to the extension is either refused
// unchanged or extended.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "journal/journal_sort.h"
#include "journal/tests/journal_sort_reference.h"

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    int command = 5 + data[0] % 8;  // 12 stands for any other command
    size_t split = data[1];
    data += 2;
    size -= 2;
    // Each input byte becomes a whole record's worth of a few repeated
    // bytes, so that short inputs still make equal and prefixed keys.
    std::vector<JournalRecord> records(std::min<size_t>(size / 4, 64));
    for (size_t i = 0; i < records.size(); ++i) {
        const uint8_t* b = data + 4 * i;
        for (size_t at = 0; at < kJournalRecordSize; ++at)
            records[i].bytes[at] = at % 50 < (b[0] & 15) ? b[1 + at % 3] : 0;
    }
    std::vector<int> order;
    BuildJournalOrder(records, command, order);
    Check(order == reference::JournalOrder(records, command));

    size_t before = records.empty() ? 0 : split % (records.size() + 1);
    std::vector<int> part;
    BuildJournalOrder(std::span<const JournalRecord>(records.data(), before), command, part);
    Check(ExtendJournalOrder(records, command, part));
    Check(part == order);

    std::vector<int> arbitrary;
    for (size_t i = 4 * records.size(); i < size && arbitrary.size() < 70; ++i)
        arbitrary.push_back(static_cast<int8_t>(data[i]));
    std::vector<int> given = arbitrary;
    if (ExtendJournalOrder(records, command, given))
        Check(given == order);
    else
        Check(given == arbitrary);
    return 0;
}
