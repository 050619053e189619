// The column orders computed the slow, literal way, as the yardstick of the
// tests and the benchmark: every key copied as a zero-terminated text into a
// key array of fixed slots, and the index built by insertion (each record
// going just before the first placed key that is not smaller than its own);
// "Durée" by insertion on the 32-bit value at offset 560; "Date" the file
// order. Offsets and slot sizes are written out here, not taken from the
// code under test. Quadratic in the number of records.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "journal/journal_record.h"

namespace reference {

struct KeyColumn {
    int command;
    size_t offset;
    size_t slot;
};

constexpr KeyColumn kKeyColumns[] = {
    {5, 0, 256}, {6, 256, 50}, {7, 306, 50}, {8, 356, 50}, {10, 460, 50},
};

// Signed bytes, the terminator taking part, never past the slot.
inline int CompareSlots(const uint8_t* a, const uint8_t* b, size_t slot)
{
    for (size_t i = 0; i < slot; ++i) {
        int x = static_cast<int8_t>(a[i]);
        int y = static_cast<int8_t>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
    return 0;
}

inline std::vector<int> TextOrder(std::span<const JournalRecord> records, const KeyColumn& column)
{
    size_t n = records.size();
    std::vector<uint8_t> keys(n * column.slot, 0);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* field = records[i].bytes.data() + column.offset;
        size_t length = strnlen(reinterpret_cast<const char*>(field), column.slot);
        std::memcpy(&keys[i * column.slot], field, length);  // the slot's zeros terminate it
    }
    std::vector<int> index;
    if (n == 0)
        return index;
    index.push_back(0);
    for (size_t k = 1; k < n; ++k) {
        size_t p = 0;
        while (p < index.size() &&
               CompareSlots(&keys[static_cast<size_t>(index[p]) * column.slot], &keys[k * column.slot], column.slot) < 0)
            ++p;
        index.insert(index.begin() + static_cast<ptrdiff_t>(p), static_cast<int>(k));
    }
    return index;
}

inline uint32_t DurationValue(const JournalRecord& record)
{
    const uint8_t* b = record.bytes.data() + 560;
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

inline std::vector<int> DurationOrder(std::span<const JournalRecord> records)
{
    std::vector<int> index;
    if (records.empty())
        return index;
    index.push_back(0);
    for (size_t i = 1; i < records.size(); ++i) {
        uint32_t own = DurationValue(records[i]);
        size_t p = 0;
        while (p < index.size() && !(DurationValue(records[static_cast<size_t>(index[p])]) < own))
            ++p;
        index.insert(index.begin() + static_cast<ptrdiff_t>(p), static_cast<int>(i));
    }
    return index;
}

inline std::vector<int> JournalOrder(std::span<const JournalRecord> records, int command)
{
    for (const KeyColumn& column : kKeyColumns)
        if (column.command == command)
            return TextOrder(records, column);
    if (command == 11)
        return DurationOrder(records);
    std::vector<int> index(records.size());
    for (size_t i = 0; i < index.size(); ++i)
        index[i] = static_cast<int>(i);
    return index;
}

}  // namespace reference
