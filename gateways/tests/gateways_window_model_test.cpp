#include "gateways/gateways_window_model.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Positions = std::array<int32_t, 8>;

Positions Table(const OpeningPositionTable& positions)
{
    return Positions(positions);
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

TEST(OpeningPositions, DeletionsMoveTheFollowingEntriesDownAndRefillWithSeven)
{
    struct Case { std::vector<int> deleted; Positions expected; } cases[] = {
        {{}, {0, 1, 2, 3, 4, 5, 6, 7}},
        {{0}, {1, 2, 3, 4, 5, 6, 7, 7}},
        {{2}, {0, 1, 3, 4, 5, 6, 7, 7}},
        {{7}, {0, 1, 2, 3, 4, 5, 6, 7}},
        {{0, 0}, {2, 3, 4, 5, 6, 7, 7, 7}},
        {{1, 3}, {0, 2, 3, 5, 6, 7, 7, 7}},
        {{-1, 8, 100}, {0, 1, 2, 3, 4, 5, 6, 7}},  // no such position: nothing moves
    };
    for (const auto& c : cases) {
        OpeningPositionTable positions = FirstOpeningPositions();
        for (int d : c.deleted)
            RemoveOpeningPosition(positions, d);
        EXPECT_EQ(Table(positions), c.expected) << "after " << c.deleted.size() << " deletions";
    }
}

TEST(OpeningPositions, RecordOfAPositionIsItsOpeningPositionWhenThatNamesARecord)
{
    OpeningPositionTable positions = FirstOpeningPositions();
    RemoveOpeningPosition(positions, 0);
    EXPECT_EQ(ActivityRecordOf(positions, 0), 1);
    EXPECT_EQ(ActivityRecordOf(positions, 6), 7);
    EXPECT_EQ(ActivityRecordOf(positions, -1), -1);
    EXPECT_EQ(ActivityRecordOf(positions, 8), -1);
    positions[3] = 42;  // never made by the window, but never read past the records either
    positions[4] = -5;
    EXPECT_EQ(ActivityRecordOf(positions, 3), -1);
    EXPECT_EQ(ActivityRecordOf(positions, 4), -1);
}

TEST(JournalFilterFollowsItsGateway, ThroughADeletion)
{
    // Three gateways A, B, C at 0, 1, 2; the filter value 3 means all.
    struct Case { int32_t filter; int deleted; int32_t expected; } cases[] = {
        {2, 0, 1},   // C moves down with its filter
        {2, 1, 1},
        {1, 0, 0},
        {0, 1, 0},   // a deletion after the filtered gateway changes nothing
        {0, 2, 0},
        {1, 1, 2},   // the filtered gateway is gone: every gateway
        {0, 0, 2},
        {2, 2, 2},
        {3, 0, 2},   // every gateway stays every gateway
        {3, 2, 2},
        {-1, 0, -1},  // a filter naming no gateway is left alone
        {7, 0, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterAfterDeletion(c.filter, 3, c.deleted), c.expected) << c.filter << " after deleting " << c.deleted;
    EXPECT_EQ(FilterAfterDeletion(0, 1, 0), 0) << "the only gateway: every gateway of none";
    EXPECT_EQ(FilterAfterDeletion(1, 3, 5), 1) << "no such position";
}

TEST(JournalFilterFollowsItsGateway, ThroughACreation)
{
    struct Case { int32_t filter; int before; int32_t expected; } cases[] = {
        {3, 3, 4},  // every gateway, also the new one
        {0, 0, 1},
        {1, 3, 1},
        {2, 3, 2},
        {5, 3, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterAfterCreation(c.filter, c.before), c.expected) << c.filter << " with " << c.before;
}

TEST(MovedActiveGateways, OnlyActiveGatewaysWhosePositionChanged)
{
    std::array<int32_t, 8> flags{};
    OpeningPositionTable positions = FirstOpeningPositions();
    flags[2] = 1;
    EXPECT_TRUE(FindMovedActiveGateways(positions, flags).empty()) << "nothing moved";

    RemoveOpeningPosition(positions, 0);  // the gateway of record 2 is now at 1
    auto moved = FindMovedActiveGateways(positions, flags);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].position, 1);
    EXPECT_EQ(moved[0].record, 2);

    flags[2] = 0;
    flags[1] = 1;  // idle gateways are never reported, active ones before the deletion stay
    flags[0] = 7;
    moved = FindMovedActiveGateways(positions, flags);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].position, 0);
    EXPECT_EQ(moved[0].record, 1);
}

TEST(MovedActiveGateways, TheTailEntriesNamingSevenComeAfterTheGateway)
{
    std::array<int32_t, 8> flags{};
    flags[7] = 1;
    OpeningPositionTable positions = FirstOpeningPositions();
    RemoveOpeningPosition(positions, 0);
    RemoveOpeningPosition(positions, 0);  // record 7's gateway is now at 5; 6 and 7 name 7 too
    auto moved = FindMovedActiveGateways(positions, flags);
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[0].position, 5);
    EXPECT_EQ(moved[1].position, 6);
    EXPECT_EQ(moved[0].record, 7);
}

TEST(LineList, ListsAtMostEightLinesWhateverTheStoredCount)
{
    struct Case { uint32_t stored; int listed; std::string text; } cases[] = {
        {0, 0, "0 modems"},
        {3, 3, "3 modems"},
        {8, 8, "8 modems"},
        {9, 8, "9 modems"},
        {1000, 8, "1000 modems"},
        {0xFFFFFFFFu, 8, "4294967295 modems"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListedLineCount(c.stored), c.listed) << c.stored;
        EXPECT_EQ(FormatModemCount(c.stored), c.text) << c.stored;
    }
}

TEST(LineList, StateWords)
{
    const char* words[] = {"Inactif", "Inaccessible", "Initialisation", "Numérotation", "Utilisé"};
    for (int state = 0; state < 5; ++state)
        EXPECT_STREQ(LineStateWord(state), words[state]) << state;
    for (int state : {5, 255, -1, 1000})
        EXPECT_STREQ(LineStateWord(state), "") << state;
}

TEST(ServiceIdentifier, OnlyAStringOfOneTo127CharactersIsTaken)
{
    std::string longest(127, 'Q');
    struct Case { const char* what; bool isString; std::vector<uint8_t> data; std::string expected; } cases[] = {
        {"terminated", true, Bytes(std::string("QUORELPRO\0", 10)), "QUORELPRO"},
        {"unterminated", true, Bytes("QUORELPRO"), "QUORELPRO"},
        {"text ends at its first zero", true, Bytes(std::string("AB\0CD\0", 6)), "AB"},
        {"127 characters", true, Bytes(longest + '\0'), longest},
        {"128 characters, no room for the zero", true, Bytes(longest + 'Q'), "QUOREL"},
        {"empty", true, Bytes(std::string("\0", 1)), "QUOREL"},
        {"no data", true, {}, "QUOREL"},
        {"not a string", false, Bytes(std::string("QUORELPRO\0", 10)), "QUOREL"},
        {"a number", false, {1, 0, 0, 0}, "QUOREL"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServiceIdentifierFrom(c.isString, c.data), c.expected) << c.what;
}
