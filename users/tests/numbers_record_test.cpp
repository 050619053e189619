#include "users/numbers_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/fixtures/byte_fixture.h"

// Numaut.dat as the server reads it: a 4-byte head, then 1000 records of 804
// bytes (a 4-byte count and forty 20-byte numbers).
namespace {

using byte_fixture::Put32;

void PutNumber(std::vector<uint8_t>& b, size_t recordAt, int k, const std::string& number)
{
    std::memcpy(b.data() + recordAt + 4 + 20 * k, number.data(), number.size());
}

}  // namespace

TEST(NumbersRecordLayout, ReadsAndWritesCountAndNumbersAtTheirOffsets)
{
    std::vector<uint8_t> b(804, 0);
    Put32(b, 0, 3);
    PutNumber(b, 0, 0, "0836");
    PutNumber(b, 0, 1, "0899");
    PutNumber(b, 0, 2, "1234567890123456789");  // 19 characters, the most a field holds
    NumbersRecord r = ParseNumbersRecord(std::span<const uint8_t, 804>(b.data(), 804));
    EXPECT_EQ(r.count, 3u);
    EXPECT_STREQ(r.numbers[0], "0836");
    EXPECT_STREQ(r.numbers[1], "0899");
    EXPECT_STREQ(r.numbers[2], "1234567890123456789");
    EXPECT_STREQ(r.numbers[3], "");
    std::vector<uint8_t> back(804, 0xEE);
    WriteNumbersRecord(r, std::span<uint8_t, 804>(back.data(), 804));
    EXPECT_EQ(back, b);
}

TEST(NumbersRecordLayout, GarbledRecordIsHeldWithinItsFields)
{
    std::vector<uint8_t> b(804, '9');
    Put32(b, 0, 0xFFFFFFFF);
    NumbersRecord r = ParseNumbersRecord(std::span<const uint8_t, 804>(b.data(), 804));
    EXPECT_EQ(r.count, 40u);
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(std::strlen(r.numbers[k]), 19u) << k;
}

TEST(NumbersFileImage, RecordsSitAtTheirPositionsAndShortFilesReadAsZero)
{
    std::vector<uint8_t> file(804004, 0);
    Put32(file, 0, 17);
    Put32(file, 4 + 804 * 0, 1);
    PutNumber(file, 4 + 804 * 0, 0, "3615");
    Put32(file, 4 + 804 * 999, 2);
    PutNumber(file, 4 + 804 * 999, 1, "0800");

    auto table = std::make_unique<NumbersTable>();
    DecodeNumbersFile(file, *table);
    EXPECT_EQ(table->head, 17u);
    EXPECT_STREQ(table->records[0].numbers[0], "3615");
    EXPECT_EQ(table->records[999].count, 2u);
    EXPECT_STREQ(table->records[999].numbers[1], "0800");
    EXPECT_EQ(EncodeNumbersFile(*table), file);

    // Cut inside record 1, after its count and first number: the rest is zero.
    Put32(file, 4 + 804, 1);
    PutNumber(file, 4 + 804, 0, "0836");
    std::vector<uint8_t> cut(file.begin(), file.begin() + 4 + 804 + 4 + 20);
    DecodeNumbersFile(cut, *table);
    EXPECT_EQ(table->records[1].count, 1u);
    EXPECT_STREQ(table->records[1].numbers[0], "0836");
    EXPECT_EQ(table->records[999].count, 0u);
    std::vector<uint8_t> expected(804004, 0);
    std::copy(cut.begin(), cut.end(), expected.begin());
    EXPECT_EQ(EncodeNumbersFile(*table), expected);

    DecodeNumbersFile({}, *table);
    EXPECT_EQ(EncodeNumbersFile(*table), std::vector<uint8_t>(804004, 0));
}
