#include "journal/journal_image.h"

#include <gtest/gtest.h>

#include <climits>

#include "journal/tests/journal_fixture.h"

TEST(RecordsHeld, NeverMoreThanTheFileHoldsNorThanItsCountAnnounces)
{
    struct Case { uint64_t size; int32_t count; int32_t held; } cases[] = {
        {0, 0, 0},
        {3, 1, 0},                      // shorter than its count
        {4, 0, 0},
        {4, 5, 0},
        {4 + 564 * 3, 3, 3},
        {4 + 564 * 3, 2, 2},            // records past the count are not announced
        {4 + 564 * 3, 5, 3},            // fewer records than announced
        {4 + 564 * 3 - 1, 3, 2},        // the last record cut short
        {4 + 564 * 3 + 563, 9, 3},      // a partial record after the whole ones
        {4 + 564 * 3, -1, 0},
        {4 + 564 * 3, INT32_MIN, 0},
        {4 + 564ull * 5000000, INT32_MAX, 5000000},
        {UINT64_MAX, INT32_MAX, INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordsHeld(c.size, c.count), c.held) << "size " << c.size << " count " << c.count;
}

TEST(ReadJournalCount, SignedLittleEndianAtOffsetZero)
{
    const uint8_t bytes[] = {0x03, 0x02, 0x01, 0x00, 0xEE};
    EXPECT_EQ(ReadJournalCount(bytes), 0x010203);
    const uint8_t negative[] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ReadJournalCount(negative), -2);
    EXPECT_EQ(ReadJournalCount(std::span<const uint8_t>(bytes, 3)), 0);
}

TEST(DecodeJournalImage, TakesOnlyTheWholeRecordsTheImageHolds)
{
    std::vector<std::vector<uint8_t>> calls;
    for (int i = 0; i < 3; ++i) {
        CallFields f;
        f.number = "01000000" + std::to_string(i);
        f.filler = static_cast<uint8_t>(0x40 + i * 0x20);
        calls.push_back(CallBytes(f));
    }
    struct Case { const char* name; std::vector<uint8_t> image; size_t held; } cases[] = {
        {"exact", JournalFileBytes(calls), 3},
        {"count larger than the records", JournalFileBytes(calls, 7), 3},
        {"count smaller than the records", JournalFileBytes(calls, 2), 2},
        {"negative count", JournalFileBytes(calls, -3), 0},
        {"empty file", {}, 0},
        {"three bytes", {3, 0, 0}, 0},
    };
    cases[1].image.resize(cases[1].image.size() + 300, 0x55);  // and a partial record
    for (const auto& c : cases) {
        // An exact-size copy, so that a read past the end is caught.
        std::vector<uint8_t> image(c.image);
        std::vector<JournalRecord> records = DecodeJournalImage(image);
        ASSERT_EQ(records.size(), c.held) << c.name;
        for (size_t i = 0; i < records.size(); ++i)
            EXPECT_TRUE(std::equal(records[i].bytes.begin(), records[i].bytes.end(), calls[i].begin()))
                << c.name << " record " << i;
    }
}

TEST(EncodeJournalImage, CountThenRecordsInOrder)
{
    std::vector<std::vector<uint8_t>> calls = {CallBytes({.user = "Martin"}), CallBytes({.user = "Bernard"})};
    std::vector<JournalRecord> records(2);
    ASSERT_TRUE(ParseJournalRecord(calls[0], records[0]));
    ASSERT_TRUE(ParseJournalRecord(calls[1], records[1]));
    EXPECT_EQ(EncodeJournalImage(records), JournalFileBytes(calls));
    EXPECT_EQ(EncodeJournalImage({}), std::vector<uint8_t>({0, 0, 0, 0}));
}
