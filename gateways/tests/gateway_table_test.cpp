#include "gateways/gateway_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/fixtures/byte_fixture.h"

namespace {

using byte_fixture::Put32;

// admin.dat as the server and the console share it: the count at 0, slot i
// at 4 + 136 i with modemCount, number, then the 128-byte name.
void PutSlot(std::vector<uint8_t>& bytes, int slot, uint32_t modems, uint32_t number, const char* name)
{
    size_t at = 4 + 136 * slot;
    Put32(bytes, at, modems);
    Put32(bytes, at + 4, number);
    std::memcpy(bytes.data() + at + 8, name, std::strlen(name) + 1);
}

GatewayTable TableWithNumbers(std::initializer_list<uint32_t> numbers)
{
    GatewayTable table;
    for (uint32_t n : numbers) {
        table.slots[table.count].number = n;
        ++table.count;
    }
    return table;
}

std::vector<uint8_t> Image(const GatewayTable& table)
{
    auto image = EncodeGatewayTable(table);
    return std::vector<uint8_t>(image.begin(), image.end());
}

}  // namespace

TEST(GatewayTableFile, DecodesEverySlotAtItsOffsetAndWritesTheSameBytesBack)
{
    std::vector<uint8_t> bytes(1092, 0);
    Put32(bytes, 0, 3);
    PutSlot(bytes, 0, 2, 0, "Pass0");
    PutSlot(bytes, 1, 8, 5, "Agence Nord");
    PutSlot(bytes, 2, 0, 1, "Si\xE8ge");  // Latin-1 letters are plain bytes
    bytes[4 + 136 * 1 + 8 + 100] = 0x55;  // after the terminator: carried along
    bytes[4 + 136 * 7 + 135] = 0x77;      // a free slot that is not all zero stays as it is

    GatewayTable table = DecodeGatewayTable(bytes);
    ASSERT_EQ(table.count, 3);
    EXPECT_EQ(table.slots[0].modemCount, 2u);
    EXPECT_STREQ(table.slots[0].name, "Pass0");
    EXPECT_EQ(table.slots[1].modemCount, 8u);
    EXPECT_EQ(table.slots[1].number, 5u);
    EXPECT_STREQ(table.slots[1].name, "Agence Nord");
    EXPECT_EQ(table.slots[2].number, 1u);
    EXPECT_STREQ(table.slots[2].name, "Si\xE8ge");
    EXPECT_EQ(Image(table), bytes);
}

TEST(GatewayTableFile, CountOutsideTheTableIsBroughtBackIntoIt)
{
    struct Case { uint32_t stored; int32_t count; } cases[] = {
        {0, 0}, {3, 3}, {8, 8}, {9, 8}, {0x7FFFFFFF, 8}, {0xFFFFFFFF, 0}, {0x80000000, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes(1092, 0);
        Put32(bytes, 0, c.stored);
        EXPECT_EQ(DecodeGatewayTable(bytes).count, c.count) << c.stored;
    }
}

TEST(GatewayTableFile, MissingBytesReadAsZero)
{
    EXPECT_EQ(Image(DecodeGatewayTable({})), std::vector<uint8_t>(1092, 0));

    std::vector<uint8_t> bytes(1092, 0);
    Put32(bytes, 0, 2);
    PutSlot(bytes, 0, 1, 0, "Pass0");
    PutSlot(bytes, 1, 1, 1, "Pass1");
    bytes.resize(4 + 136 + 8 + 3);  // cut inside the second name
    GatewayTable table = DecodeGatewayTable(bytes);
    EXPECT_EQ(table.count, 2);
    EXPECT_STREQ(table.slots[0].name, "Pass0");
    EXPECT_STREQ(table.slots[1].name, "Pas");
    EXPECT_EQ(table.slots[2].number, 0u);
}

TEST(GatewayTableFile, NameFillingItsWholeFieldEndsWithinIt)
{
    std::vector<uint8_t> bytes(1092, 0);
    Put32(bytes, 0, 2);
    std::memset(bytes.data() + 12, 'A', 128);  // no terminator before slot 1
    PutSlot(bytes, 1, 0, 1, "Pass1");
    GatewayTable table = DecodeGatewayTable(bytes);
    EXPECT_EQ(GatewayNameOf(table.slots[0]), std::string(127, 'A'));
    EXPECT_EQ(std::strlen(table.slots[0].name), 127u);
    EXPECT_STREQ(table.slots[1].name, "Pass1");
}

TEST(GatewayNumbering, TakesTheLowestNumberNoGatewayCarries)
{
    struct Case { std::initializer_list<uint32_t> used; uint32_t next; } cases[] = {
        {{}, 0},
        {{0}, 1},
        {{0, 1, 2}, 3},
        {{0, 2}, 1},
        {{1, 2}, 0},
        {{2, 0}, 1},
        {{3, 7, 1, 0}, 2},
        {{100, 200}, 0},  // numbers from a damaged file
        {{0, 1, 2, 3, 4, 5, 6}, 7},
    };
    for (const auto& c : cases) {
        GatewayTable table = TableWithNumbers(c.used);
        EXPECT_EQ(ChooseGatewayNumber(table), c.next) << "with " << c.used.size() << " gateways";
    }
}

TEST(GatewayNumbering, FreedNumberIsReusedAtTheEndOfTheTable)
{
    GatewayTable table;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(AddGatewaySlot(table), i);
    EXPECT_STREQ(table.slots[2].name, "Pass2");
    EXPECT_EQ(table.slots[2].number, 2u);

    ASSERT_TRUE(RemoveGatewaySlot(table, 1));
    EXPECT_EQ(table.count, 2);
    EXPECT_STREQ(table.slots[1].name, "Pass2");

    EXPECT_EQ(AddGatewaySlot(table), 2);
    EXPECT_EQ(table.count, 3);
    EXPECT_EQ(table.slots[2].number, 1u);
    EXPECT_STREQ(table.slots[2].name, "Pass1");
    EXPECT_EQ(table.slots[2].modemCount, 0u);
}

TEST(GatewayNumbering, NinthGatewayIsRefusedAndChangesNothing)
{
    GatewayTable table;
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(AddGatewaySlot(table), i);
    EXPECT_STREQ(table.slots[7].name, "Pass7");
    std::vector<uint8_t> before = Image(table);
    EXPECT_EQ(AddGatewaySlot(table), -1);
    EXPECT_EQ(Image(table), before);
}

TEST(GatewayRemoval, ClosesTheGapAndClearsTheLastSlot)
{
    GatewayTable table;
    for (int i = 0; i < 8; ++i) {
        AddGatewaySlot(table);
        table.slots[i].modemCount = static_cast<uint32_t>(i + 1);
    }
    ASSERT_TRUE(RemoveGatewaySlot(table, 0));
    EXPECT_EQ(table.count, 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(table.slots[i].number, static_cast<uint32_t>(i + 1)) << i;
        EXPECT_EQ(table.slots[i].modemCount, static_cast<uint32_t>(i + 2)) << i;
    }
    std::vector<uint8_t> image = Image(table);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 4 + 136 * 7, image.end()), std::vector<uint8_t>(136, 0));

    ASSERT_TRUE(RemoveGatewaySlot(table, 6));  // the last one
    EXPECT_EQ(table.count, 6);
    EXPECT_STREQ(table.slots[5].name, "Pass6");
    EXPECT_EQ(table.slots[6].number, 0u);
    EXPECT_STREQ(table.slots[6].name, "");
}

TEST(GatewayRemoval, PositionOutsideTheUsedSlotsChangesNothing)
{
    GatewayTable table;
    for (int i = 0; i < 3; ++i)
        AddGatewaySlot(table);
    std::vector<uint8_t> before = Image(table);
    for (int position : {-1, 3, 7, 8, 1000}) {
        EXPECT_FALSE(RemoveGatewaySlot(table, position)) << position;
        EXPECT_EQ(Image(table), before) << position;
    }
    GatewayTable empty;
    EXPECT_FALSE(RemoveGatewaySlot(empty, 0));
    EXPECT_EQ(empty.count, 0);
}

TEST(GatewayNames, TakenOnlyByAnotherPositionWithExactlyThatName)
{
    GatewayTable table;
    for (int i = 0; i < 3; ++i)
        AddGatewaySlot(table);
    std::strcpy(table.slots[1].name, "Nord");
    std::strcpy(table.slots[2].name, "Sud");
    struct Case { int current; const char* name; bool taken; } cases[] = {
        {1, "Nord", false},  // its own name
        {0, "Nord", true},
        {2, "Nord", true},
        {0, "nord", false},  // case counts
        {0, "Nor", false},
        {0, "Nord ", false},
        {0, "Pass0", false},
        {1, "Pass0", true},
        {-1, "Sud", true},
        {1, "Pass1", false},  // the default name it no longer carries
        {0, "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsGatewayNameTaken(table, c.current, c.name), c.taken) << c.current << " " << c.name;

    EXPECT_FALSE(IsGatewayNameTaken(GatewayTable{}, 0, ""));
    EXPECT_FALSE(IsGatewayNameTaken(GatewayTable{}, -1, "Pass0"));
}

TEST(GatewayNames, FormatPassNameGivesTheDefaultNames)
{
    EXPECT_EQ(FormatPassName(0), "Pass0");
    EXPECT_EQ(FormatPassName(7), "Pass7");
    EXPECT_EQ(FormatPassName(0xFFFFFFFF), "Pass-1");  // signed, as the directory names are
}

TEST(GatewayNames, PassIniSectionsAreNamedAfterThePosition)
{
    EXPECT_EQ(FormatPassIniSection(0), "pass0");
    EXPECT_EQ(FormatPassIniSection(7), "pass7");
}

TEST(GatewayNames, NewGatewaySkipsDefaultNamesOthersCarryInAnyCase)
{
    // Gateways renamed by hand to the default name the next one would get.
    struct Case { std::vector<const char*> names; uint32_t number; const char* name; } cases[] = {
        {{"Pass1"}, 1, "Pass2"},           // "Pass0" was renamed "Pass1": number 1, name Pass2
        {{"Pass0", "Pass1"}, 2, "Pass2"},  // nothing carried: the default
        {{"Nord", "pass1"}, 2, "Pass2"},
        {{"Nord", "Pass2"}, 2, "Pass3"},
        {{"Nord", "PASS2", "Pass3"}, 3, "Pass4"},  // number 3, whose name is carried
        {{"Pass3", "Pass2", "Pass4"}, 3, "Pass5"},
    };
    for (const auto& c : cases) {
        GatewayTable table;
        for (const char* name : c.names) {
            int position = AddGatewaySlot(table);
            std::memset(table.slots[position].name, 0, sizeof table.slots[position].name);
            std::strcpy(table.slots[position].name, name);
        }
        int position = AddGatewaySlot(table);
        ASSERT_EQ(position, static_cast<int>(c.names.size()));
        EXPECT_EQ(table.slots[position].number, c.number) << c.name;
        EXPECT_STREQ(table.slots[position].name, c.name);
        EXPECT_FALSE(IsGatewayNameTaken(table, position, table.slots[position].name)) << c.name;
    }
}

TEST(GatewayNames, EveryNewGatewayOfAFullRunGetsAFreeName)
{
    // Seven gateways carrying the default names of the numbers 1 to 7, then
    // the table is filled: every new name is still unique.
    GatewayTable table;
    for (int i = 0; i < 7; ++i) {
        AddGatewaySlot(table);
        std::snprintf(table.slots[i].name, sizeof table.slots[i].name, "Pass%d", i + 1);
    }
    ASSERT_EQ(AddGatewaySlot(table), 7);
    EXPECT_EQ(table.slots[7].number, 7u);
    EXPECT_STREQ(table.slots[7].name, "Pass8");
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(IsGatewayNameTaken(table, i, table.slots[i].name)) << i;
}
