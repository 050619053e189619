#include "journal/journal_sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "journal/journal_columns.h"
#include "shell/sorted_index.h"

namespace {

struct TextKey {
    size_t offset;
    size_t size;
};

// The field a text column sorts on; false for "Date" and "Durée".
bool TextKeyOf(int command, TextKey& key)
{
    switch (command) {
    case kSortByLine: key = {kJournalLineOffset, kJournalLineSize}; return true;
    case kSortByGateway: key = {kJournalGatewayOffset, kJournalGatewaySize}; return true;
    case kSortByUser: key = {kJournalUserOffset, kJournalUserSize}; return true;
    case kSortByNumber: key = {kJournalNumberOffset, kJournalNumberSize}; return true;
    case kSortByRate: key = {kJournalRateOffset, kJournalRateSize}; return true;
    }
    return false;
}

const uint8_t* KeyOf(std::span<const JournalRecord> records, int record, const TextKey& key)
{
    return records[static_cast<size_t>(record)].bytes.data() + key.offset;
}

// A record's place in a text sort: eight bytes of its key, from some depth
// on, packed into one number whose unsigned order is the signed order of the
// bytes. Each byte has its top bit flipped, so the terminator becomes 0x80;
// the bytes after the terminator or past the field count as 0, which no byte
// of the key can be.
struct KeyHead {
    uint64_t head;
    int32_t record;
    int32_t ended;  // the key ends within these eight bytes
};

void ReadHead(const uint8_t* key, size_t size, size_t depth, KeyHead& entry)
{
    uint64_t head = 0;
    bool ended = depth + 8 >= size;
    bool terminated = false;
    for (size_t at = depth; at < depth + 8; ++at) {
        head <<= 8;
        if (terminated || at >= size)
            continue;
        head |= static_cast<uint8_t>(key[at] ^ 0x80);
        terminated = key[at] == 0;
    }
    entry.head = head;
    entry.ended = ended || terminated;
}

// Sorts by the heads at `depth`, equal heads latest record first, then sorts
// again each run of keys that are equal so far and go on, by their next
// eight bytes. Keys are read once per depth they need, not once per
// comparison: the records are far apart in memory.
void SortByHeads(std::span<const JournalRecord> records, const TextKey& key, KeyHead* first, KeyHead* last,
                 size_t depth)
{
    std::sort(first, last, [](const KeyHead& a, const KeyHead& b) {
        return a.head != b.head ? a.head < b.head : a.record > b.record;
    });
    for (KeyHead* run = first; run != last;) {
        KeyHead* end = run + 1;
        while (end != last && end->head == run->head)
            ++end;
        if (end - run > 1 && !run->ended) {
            for (KeyHead* e = run; e != end; ++e)
                ReadHead(KeyOf(records, e->record, key), key.size, depth + 8, *e);
            SortByHeads(records, key, run, end, depth + 8);
        }
        run = end;
    }
}

// The records from `first` to records.size() - 1 in the command's order.
std::vector<int> SortRecords(std::span<const JournalRecord> records, int command, int first)
{
    int last = static_cast<int>(records.size());
    std::vector<int> order;
    if (first >= last)
        return order;
    order.reserve(static_cast<size_t>(last - first));
    TextKey key;
    if (TextKeyOf(command, key)) {
        std::vector<KeyHead> heads(static_cast<size_t>(last - first));
        for (int r = first; r < last; ++r) {
            KeyHead& entry = heads[static_cast<size_t>(r - first)];
            entry.record = r;
            ReadHead(KeyOf(records, r, key), key.size, 0, entry);
        }
        SortByHeads(records, key, heads.data(), heads.data() + heads.size(), 0);
        for (const KeyHead& entry : heads)
            order.push_back(entry.record);
    } else if (command == kSortByDuration) {
        // Largest value first, then the older record: one number per record.
        std::vector<uint64_t> keys;
        keys.reserve(static_cast<size_t>(last - first));
        for (int r = first; r < last; ++r) {
            uint64_t value = records[static_cast<size_t>(r)].durationValue();
            keys.push_back((static_cast<uint64_t>(~static_cast<uint32_t>(value)) << 32) | static_cast<uint32_t>(r));
        }
        std::sort(keys.begin(), keys.end());
        for (uint64_t k : keys)
            order.push_back(static_cast<int>(static_cast<uint32_t>(k)));
    } else {
        for (int r = first; r < last; ++r)
            order.push_back(r);
    }
    return order;
}

// Whether `order` is a permutation of 0 to order.size() - 1.
bool IsPermutation(const std::vector<int>& order)
{
    std::vector<bool> seen(order.size());
    for (int r : order) {
        if (r < 0 || static_cast<size_t>(r) >= order.size() || seen[static_cast<size_t>(r)])
            return false;
        seen[static_cast<size_t>(r)] = true;
    }
    return true;
}

// Whether each entry comes before the next. The records are fetched a few
// entries ahead: each comparison reaches a record far from the last one.
bool IsInOrder(std::span<const JournalRecord> records, int command, const std::vector<int>& order)
{
    constexpr size_t kAhead = 16;
    TextKey key;
    bool text = TextKeyOf(command, key);
    size_t fetchAt = text ? key.offset : kJournalDurationValueOffset;
    for (size_t p = 1; p < order.size(); ++p) {
        if (p + kAhead < order.size())
            __builtin_prefetch(records[static_cast<size_t>(order[p + kAhead])].bytes.data() + fetchAt);
        if (!ComesBefore(records, command, order[p - 1], order[p]))
            return false;
    }
    return true;
}

}  // namespace

bool ComesBefore(std::span<const JournalRecord> records, int command, int a, int b)
{
    TextKey key;
    if (TextKeyOf(command, key)) {
        int c = CompareSignedKeys(KeyOf(records, a, key), KeyOf(records, b, key), key.size);
        return c != 0 ? c < 0 : a > b;
    }
    if (command == kSortByDuration) {
        uint32_t va = records[static_cast<size_t>(a)].durationValue();
        uint32_t vb = records[static_cast<size_t>(b)].durationValue();
        return va != vb ? va > vb : a < b;
    }
    return a < b;
}

void BuildJournalOrder(std::span<const JournalRecord> records, int command, std::vector<int>& order)
{
    order = SortRecords(records, command, 0);
}

bool ExtendJournalOrder(std::span<const JournalRecord> records, int command, std::vector<int>& order)
{
    size_t old = order.size();
    if (old > records.size() || !IsPermutation(order) || !IsInOrder(records, command, order))
        return false;
    std::vector<int> added = SortRecords(records, command, static_cast<int>(old));
    if (added.empty())
        return true;
    // Where each new record goes among the old ones: the places only grow,
    // as the new records come in order.
    std::vector<size_t> places(added.size());
    auto from = order.begin();
    for (size_t j = 0; j < added.size(); ++j) {
        from = std::partition_point(from, order.begin() + static_cast<ptrdiff_t>(old),
                                    [&](int r) { return ComesBefore(records, command, r, added[j]); });
        places[j] = static_cast<size_t>(from - order.begin());
    }
    // Merged from the end, in place: each old entry moves once.
    order.resize(old + added.size());
    size_t oldEnd = old;
    size_t write = order.size();
    for (size_t j = added.size(); j-- > 0;) {
        size_t moving = oldEnd - places[j];
        std::copy_backward(order.begin() + static_cast<ptrdiff_t>(places[j]),
                           order.begin() + static_cast<ptrdiff_t>(oldEnd),
                           order.begin() + static_cast<ptrdiff_t>(write));
        write -= moving;
        order[--write] = added[j];
        oldEnd = places[j];
    }
    return true;
}
