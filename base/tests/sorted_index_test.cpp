#include "base/sorted_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

// Records of `size` bytes, each key written at `offset` with its terminator.
static std::vector<uint8_t> Records(const std::vector<std::string>& keys, size_t size, size_t offset)
{
    std::vector<uint8_t> bytes(keys.size() * size, 0x5A);
    for (size_t k = 0; k < keys.size(); ++k) {
        std::memcpy(&bytes[k * size + offset], keys[k].data(), keys[k].size());
        bytes[k * size + offset + keys[k].size()] = 0;
    }
    return bytes;
}

TEST(BuildSortedIndex, OrdersBySignedBytesWithEqualKeysLatestFirst)
{
    struct Case { std::vector<std::string> keys; std::vector<int> expected; } cases[] = {
        {{"B", "A", "B"}, {1, 2, 0}},
        {{"x"}, {0}},
        {{"a", "a", "a", "a"}, {3, 2, 1, 0}},
        // 0xE9 (é) is negative: before the end of a text and before ASCII.
        {{"ab", "a", "\xE9", "", "b", "a\xE9", "B"}, {2, 3, 6, 5, 1, 0, 4}},
        {{"Zoé", "Zoe", "zoe", "Zo", "Zoé"}, {4, 0, 3, 1, 2}},
        {{"\x80", "\xFF", "\x7F", "\x01"}, {0, 1, 3, 2}},
    };
    for (const auto& c : cases) {
        for (size_t offset : {size_t{0}, size_t{3}}) {
            auto bytes = Records(c.keys, 12, offset);
            std::vector<int> index{99, 98};  // whatever it held goes
            BuildSortedIndex(index, bytes.data() + offset, 12, static_cast<int>(c.keys.size()));
            EXPECT_EQ(index, c.expected) << c.keys[0] << "... at offset " << offset;
        }
    }
}

TEST(BuildSortedIndex, NoRecordsGiveAnEmptyIndex)
{
    uint8_t key[4] = {'a', 0, 0, 0};
    for (int count : {0, -1}) {
        std::vector<int> index{1, 2, 3};
        BuildSortedIndex(index, key, 4, count);
        EXPECT_TRUE(index.empty()) << count;
    }
}

TEST(BuildSortedIndex, ReadsNoKeyPastItsSlot)
{
    // A key array of 3-byte slots whose keys fill their slots without a
    // terminator, in a block of exactly that size: a slot's key ends with it.
    const char text[] = "zzzaaazz\0aaa";
    std::unique_ptr<uint8_t[]> keys(new uint8_t[12]);
    std::memcpy(keys.get(), text, 12);
    std::vector<int> index;
    BuildSortedIndex(index, keys.get(), 3, 4);
    // "zzz", "aaa", "zz", "aaa": the equal keys latest first.
    EXPECT_EQ(index, (std::vector<int>{3, 1, 2, 0}));
}

// The insertion that sorts the journal's columns, literally: each record goes
// in at the first place whose key is not smaller than its own.
static int SignedCompare(const uint8_t* a, const uint8_t* b)
{
    for (;; ++a, ++b) {
        signed char x = static_cast<signed char>(*a);
        signed char y = static_cast<signed char>(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

static std::vector<int> InsertionIndex(const uint8_t* key0, size_t size, int count)
{
    std::vector<int> index;
    for (int k = 0; k < count; ++k) {
        size_t at = 0;
        while (at < index.size() && SignedCompare(key0 + index[at] * size, key0 + k * size) < 0)
            ++at;
        index.insert(index.begin() + static_cast<long>(at), k);
    }
    return index;
}

TEST(BuildSortedIndex, GivesTheOrderOfTheInsertionOnRandomKeys)
{
    std::mt19937 random(2024);
    const uint8_t alphabet[] = {'a', 'b', 'B', 0xE9, 0x80, 0x7F, ' '};
    for (int round = 0; round < 400; ++round) {
        int count = static_cast<int>(random() % 120);
        size_t offset = random() % 4;
        size_t size = offset + 1 + random() % 6;
        std::vector<std::string> keys(count);
        for (auto& key : keys) {
            key.resize(random() % (size - offset));  // room for the terminator
            for (char& c : key)
                c = static_cast<char>(alphabet[random() % 7]);
        }
        auto bytes = Records(keys, size, offset);
        std::vector<int> index;
        BuildSortedIndex(index, bytes.data() + offset, size, count);
        ASSERT_EQ(index, InsertionIndex(bytes.data() + offset, size, count)) << "round " << round;
    }
}

TEST(BuildSortedIndex, OrdersALargeJournal)
{
    constexpr int kCount = 200000;
    std::vector<uint8_t> keys(kCount * 8, 0);
    for (int k = 0; k < kCount; ++k)
        std::snprintf(reinterpret_cast<char*>(&keys[k * 8]), 8, "%07d", (k * 7919) % kCount);
    std::vector<int> index;
    BuildSortedIndex(index, keys.data(), 8, kCount);
    ASSERT_EQ(index.size(), size_t{kCount});
    for (int p = 1; p < kCount; ++p)
        ASSERT_LT(std::strcmp(reinterpret_cast<char*>(&keys[index[p - 1] * 8]),
                              reinterpret_cast<char*>(&keys[index[p] * 8])), 0) << p;
}
