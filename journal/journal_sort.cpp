#include "journal/journal_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "journal/journal_columns.h"
#include "base/sorted_index.h"

namespace {

struct TextKey {
    size_t offset;
    size_t size;
};

// The field a text column sorts on; false for "Date" and "Durée".
bool TextKeyOf(int command, TextKey& key)
{
    switch (command) {
    case kSortByLine: key = {kJournalLineAt, kJournalLineSize}; return true;
    case kSortByGateway: key = {kJournalGatewayAt, kJournalGatewaySize}; return true;
    case kSortByUser: key = {kJournalUserAt, kJournalUserSize}; return true;
    case kSortByNumber: key = {kJournalNumberAt, kJournalNumberSize}; return true;
    case kSortByRate: key = {kJournalRateAt, kJournalRateSize}; return true;
    }
    return false;
}

const uint8_t* KeyOf(std::span<const JournalRecord> records, int record, const TextKey& key)
{
    return records[static_cast<size_t>(record)].bytes.data() + key.offset;
}

uint64_t LoadWord(const uint8_t* bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

bool HasZeroByte(uint64_t word)
{
    return ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) != 0;
}

// CompareSignedKeys, eight bytes at a time while the keys agree and go on:
// line names share long beginnings.
int CompareKeys(const uint8_t* a, const uint8_t* b, size_t size)
{
    size_t at = 0;
    while (at + 8 <= size) {
        uint64_t x = LoadWord(a + at);
        if (x != LoadWord(b + at) || HasZeroByte(x))
            break;
        at += 8;
    }
    return CompareSignedKeys(a + at, b + at, size - at);
}

// ---- Text columns with few distinct keys (lines, gateways, users, rates):
// the distinct keys are found by hashing, sorted among themselves, and the
// records dealt into one bucket per key, latest first.

// Beyond this many distinct keys the records are sorted directly instead.
constexpr size_t kMostDistinctKeys = 1 << 16;

uint64_t HashKey(const uint8_t* key, size_t length)
{
    uint64_t h = length * 0x9E3779B97F4A7C15ull;
    size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        h = (h ^ LoadWord(key + at)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    uint64_t rest = 0;
    std::memcpy(&rest, key + at, length - at);
    h = (h ^ rest) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}

struct KeySlot {
    uint64_t hash;
    int32_t record;  // the first record seen with the key; -1 for an empty slot
    uint32_t id;
};

// Fills `order` (records first..last - 1) when the key has at most
// kMostDistinctKeys distinct values among them; false otherwise.
bool SortByDistinctKeys(std::span<const JournalRecord> records, const TextKey& key, int first, int last,
                        std::vector<int>& order)
{
    size_t count = static_cast<size_t>(last - first);
    size_t most = std::min(kMostDistinctKeys, std::max<size_t>(count / 4, 16));
    std::vector<KeySlot> slots(std::bit_ceil(2 * most), KeySlot{0, -1, 0});
    size_t mask = slots.size() - 1;
    std::vector<int> firsts;  // by key id
    std::vector<uint32_t> keyOfRecord(count);
    for (int r = first; r < last; ++r) {
        const uint8_t* text = KeyOf(records, r, key);
        size_t length = strnlen(reinterpret_cast<const char*>(text), key.size);
        uint64_t hash = HashKey(text, length);
        size_t at = static_cast<size_t>(hash) & mask;
        for (;; at = (at + 1) & mask) {
            KeySlot& slot = slots[at];
            if (slot.record < 0) {
                if (firsts.size() == most)
                    return false;
                slot = {hash, r, static_cast<uint32_t>(firsts.size())};
                firsts.push_back(r);
                break;
            }
            if (slot.hash == hash) {
                const uint8_t* seen = KeyOf(records, slot.record, key);
                if (strnlen(reinterpret_cast<const char*>(seen), key.size) == length &&
                    std::memcmp(seen, text, length) == 0)
                    break;
            }
        }
        keyOfRecord[static_cast<size_t>(r - first)] = slots[at].id;
    }
    std::vector<uint32_t> byKey(firsts.size());
    for (uint32_t id = 0; id < byKey.size(); ++id)
        byKey[id] = id;
    std::sort(byKey.begin(), byKey.end(), [&](uint32_t a, uint32_t b) {
        return CompareKeys(KeyOf(records, firsts[a], key), KeyOf(records, firsts[b], key), key.size) < 0;
    });
    // Where each key's bucket starts, then the records dealt from the latest.
    std::vector<size_t> start(firsts.size() + 1);
    for (uint32_t id : keyOfRecord)
        ++start[id];
    std::vector<size_t> bucket(firsts.size());
    size_t next = 0;
    for (uint32_t id : byKey) {
        bucket[id] = next;
        next += start[id];
    }
    order.resize(count);
    for (int r = last; r-- > first;)
        order[bucket[keyOfRecord[static_cast<size_t>(r - first)]]++] = r;
    return true;
}

// ---- Text columns with many distinct keys (numbers): a sort of eight-byte
// beginnings, each run of equal beginnings sorted again by the next eight.

// Eight bytes of a key from some depth on, packed into one number whose
// unsigned order is the signed order of the bytes: each byte with its top bit
// flipped, so the terminator becomes 0x80; the bytes after the terminator or
// past the field count as 0, which no byte of the key can be.
struct KeyHead {
    uint64_t head;
    int32_t record;
    int32_t ended;  // the key ends within these eight bytes
};

void ReadHead(const uint8_t* key, size_t size, size_t depth, KeyHead& entry)
{
    uint64_t head = 0;
    bool terminated = false;
    for (size_t at = depth; at < depth + 8; ++at) {
        head <<= 8;
        if (terminated || at >= size)
            continue;
        head |= static_cast<uint8_t>(key[at] ^ 0x80);
        terminated = key[at] == 0;
    }
    entry.head = head;
    entry.ended = terminated || depth + 8 >= size;
}

// Large runs are sorted by the bytes of their heads, last byte first, each
// pass keeping the order of the previous one: linear in the run's length.
constexpr ptrdiff_t kSortByDigitsFrom = 4096;

// A stable sort by head: entries that come in decreasing record order keep
// equal heads latest first.
void SortHeadsByDigits(KeyHead* first, KeyHead* last, std::vector<KeyHead>& spare)
{
    size_t count = static_cast<size_t>(last - first);
    spare.resize(std::max(spare.size(), count));
    KeyHead* from = first;
    KeyHead* to = spare.data();
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 256> start{};
        for (const KeyHead* e = from; e != from + count; ++e)
            ++start[(e->head >> shift) & 0xFF];
        if (std::find(start.begin(), start.end(), count) != start.end())
            continue;
        size_t next = 0;
        for (size_t& s : start)
            next += std::exchange(s, next);
        for (const KeyHead* e = from; e != from + count; ++e)
            to[start[(e->head >> shift) & 0xFF]++] = *e;
        std::swap(from, to);
    }
    if (from != first)
        std::copy(from, from + count, first);
}

// Keys are read once per depth they need, not once per comparison: the
// records lie far apart in memory. The entries come in decreasing record
// order, and each sort keeps them so among equal heads.
void SortByHeads(std::span<const JournalRecord> records, const TextKey& key, KeyHead* first, KeyHead* last,
                 size_t depth, std::vector<KeyHead>& spare)
{
    if (last - first >= kSortByDigitsFrom)
        SortHeadsByDigits(first, last, spare);
    else
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
            SortByHeads(records, key, run, end, depth + 8, spare);
        }
        run = end;
    }
}

void SortByKeyBytes(std::span<const JournalRecord> records, const TextKey& key, int first, int last,
                    std::vector<int>& order)
{
    std::vector<KeyHead> heads(static_cast<size_t>(last - first));
    for (int r = first; r < last; ++r) {
        KeyHead& entry = heads[static_cast<size_t>(last - 1 - r)];
        entry.record = r;
        ReadHead(KeyOf(records, r, key), key.size, 0, entry);
    }
    std::vector<KeyHead> spare;
    SortByHeads(records, key, heads.data(), heads.data() + heads.size(), 0, spare);
    order.clear();
    for (const KeyHead& entry : heads)
        order.push_back(entry.record);
}

// ---- "Durée": largest value first, equal values oldest first. A stable
// sort by digits of the complemented value, from the records in file order;
// digits that every record shares take no pass.
void SortByDuration(std::span<const JournalRecord> records, int first, int last, std::vector<int>& order)
{
    struct Entry {
        uint32_t key;
        int32_t record;
    };
    std::vector<Entry> entries(static_cast<size_t>(last - first)), other(entries.size());
    for (int r = first; r < last; ++r)
        entries[static_cast<size_t>(r - first)] = {~records[static_cast<size_t>(r)].durationValue(), r};
    for (int shift = 0; shift < 32; shift += 8) {
        std::array<size_t, 256> start{};
        for (const Entry& e : entries)
            ++start[(e.key >> shift) & 0xFF];
        if (std::find(start.begin(), start.end(), entries.size()) != start.end())
            continue;
        size_t next = 0;
        for (size_t& s : start)
            next += std::exchange(s, next);
        for (const Entry& e : entries)
            other[start[(e.key >> shift) & 0xFF]++] = e;
        entries.swap(other);
    }
    order.clear();
    for (const Entry& e : entries)
        order.push_back(e.record);
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
        if (!SortByDistinctKeys(records, key, first, last, order))
            SortByKeyBytes(records, key, first, last, order);
    } else if (command == kSortByDuration) {
        SortByDuration(records, first, last, order);
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

// Whether `order` is the command's order of its records. The records are
// fetched a few entries ahead: each comparison reaches a record far from
// the last one.
bool IsInOrder(std::span<const JournalRecord> records, int command, const std::vector<int>& order)
{
    TextKey key;
    bool text = TextKeyOf(command, key);
    if (!text && command != kSortByDuration) {
        for (size_t p = 0; p < order.size(); ++p)
            if (order[p] != static_cast<int>(p))
                return false;
        return true;
    }
    if (!IsPermutation(order))
        return false;
    constexpr size_t kAhead = 16;
    size_t fetchAt = text ? key.offset : kJournalDurationValueAt;
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
        int c = CompareKeys(KeyOf(records, a, key), KeyOf(records, b, key), key.size);
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
    if (order.size() > records.size() || !IsInOrder(records, command, order))
        return false;
    InsertAppendedRecords(records, command, order);
    return true;
}

void InsertAppendedRecords(std::span<const JournalRecord> records, int command, std::vector<int>& order)
{
    size_t old = order.size();
    if (old >= records.size())
        return;
    std::vector<int> added = SortRecords(records, command, static_cast<int>(old));
    // Where each new record goes among the old ones: the places only grow,
    // as the new records come in order.
    std::vector<size_t> places(added.size());
    auto from = order.begin();
    for (size_t j = 0; j < added.size(); ++j) {
        from = std::partition_point(from, order.begin() + static_cast<ptrdiff_t>(old),
                                    [&](int r) { return ComesBefore(records, command, r, added[j]); });
        places[j] = static_cast<size_t>(from - order.begin());
    }
    // Merged from the end, in place: each old entry moves once. Room for a
    // sixteenth more, so that the next appends find it: fresh memory costs
    // far more to fill than memory the process already holds.
    size_t needed = old + added.size();
    if (needed > order.capacity())
        order.reserve(needed + needed / 16);
    order.resize(needed);
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
}
