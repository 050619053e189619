#include "users/user_table_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

UserRecord User(const std::string& name, uint16_t station = 0)
{
    UserRecord r;
    std::memcpy(r.name, name.data(), std::min(name.size(), sizeof r.name));
    r.station = station;
    return r;
}

std::vector<UserRecord> Stations(const std::vector<uint16_t>& stations)
{
    std::vector<UserRecord> users;
    for (uint16_t s : stations)
        users.push_back(User("U", s));
    return users;
}

}  // namespace

TEST(FindFreeStation, GivesTheLowestStationNoUserHolds)
{
    struct Case {
        std::vector<uint16_t> stations;
        uint16_t expected;
    } cases[] = {
        {{}, 0},                // an empty table
        {{0, 1, 3}, 2},         // the gap
        {{3, 1, 0}, 2},         // in any order
        {{0, 1, 2}, 3},         // every station below the count taken: the count
        {{0, 0, 0}, 1},         // imported users all hold station 0
        {{5, 6}, 0},
        {{1, 900, 2}, 0},
        {{0, 2, 1, 1}, 3},
    };
    for (const auto& c : cases) {
        auto users = Stations(c.stations);
        EXPECT_EQ(FindFreeStation(users), c.expected) << ::testing::PrintToString(c.stations);
    }
}

TEST(FindFreeStation, AFullTableGivesTheCount)
{
    std::vector<UserRecord> users;
    for (int s = MaxUsers - 1; s >= 0; --s)
        users.push_back(User("U", static_cast<uint16_t>(s)));
    EXPECT_EQ(FindFreeStation(users), MaxUsers);
    users[10].station = 5000;
    EXPECT_EQ(FindFreeStation(users), MaxUsers - 1 - 10);
}

TEST(FindNamedUser, ComparesExactlyWithinTheField)
{
    std::vector<UserRecord> users = {User("ALAIN"), User("alain"), User("BRUNO"), User("BRUNO")};
    users.push_back(UserRecord{});
    std::memset(users.back().name, 'Z', sizeof users.back().name);  // no terminator in the field
    struct Case {
        std::string name;
        int expected;
    } cases[] = {
        {"alain", 1},
        {"ALAIN", 0},
        {"Alain", 5},
        {"BRUNO", 2},      // the first of two equal names
        {"BRUN", 5},
        {"BRUNOS", 5},
        {"", 5},           // an empty name: all users
        {std::string(21, 'Z'), 4},
        {std::string(22, 'Z'), 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindNamedUser(users, c.name), c.expected) << c.name;
}

TEST(FindNameClash, IgnoresLetterCaseAndTheUserItself)
{
    std::vector<UserRecord> users = {User("ALAIN"), User("b\xE9" "atrice"), User("Chlo\xEB"), User("Dupont")};
    struct Case {
        std::string name;
        int except;
        int expected;
    } cases[] = {
        {"alain", 3, 0},
        {"ALAIN", 0, -1},          // its own name
        {"Alain", 0, -1},          // its own name in another case
        {"B\xC9" "ATRICE", 0, 1},  // accented letters fold as the code page has it
        {"CHLO\xCB", -1, 2},
        {"CHLOE", -1, -1},         // an accent is not dropped
        {"dupon", 0, -1},
        {"dupontt", 0, -1},
        {"", 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindNameClash(users, c.name, c.except), c.expected) << c.name << " except " << c.except;
}

TEST(FindNameClash, ReadsAnUnterminatedNameWithinItsField)
{
    std::vector<UserRecord> users(2);
    std::memset(users[0].name, 'a', sizeof users[0].name);
    users[1] = User("X");
    EXPECT_EQ(FindNameClash(users, std::string(21, 'A'), 1), 0);
    EXPECT_EQ(FindNameClash(users, std::string(20, 'A'), 1), -1);
}

TEST(RemoveUserSlot, MovesTheLaterEntriesUpAndClearsTheLast)
{
    struct Case {
        size_t count;
        size_t index;
        std::vector<std::string> names;   // the names after the removal
        std::vector<uint32_t> positions;  // the map after the removal
    } cases[] = {
        {4, 0, {"B", "C", "D", ""}, {1, 2, 3, 3}},
        {4, 2, {"A", "B", "D", ""}, {0, 1, 3, 3}},
        {4, 3, {"A", "B", "C", ""}, {0, 1, 2, 3}},
        {1, 0, {""}, {0}},
        {4, 4, {"A", "B", "C", "D"}, {0, 1, 2, 3}},  // outside: nothing moves
    };
    for (const auto& c : cases) {
        std::vector<UserRecord> users;
        std::vector<NumbersRecord> numbers(c.count);
        std::vector<uint32_t> positions;
        for (size_t i = 0; i < c.count; ++i) {
            users.push_back(User(std::string(1, static_cast<char>('A' + i)), static_cast<uint16_t>(i + 7)));
            users.back().reserved[3] = static_cast<uint8_t>(i + 1);
            numbers[i].count = static_cast<uint32_t>(i + 1);
            std::snprintf(numbers[i].numbers[0], sizeof numbers[i].numbers[0], "%d", static_cast<int>(i));
            positions.push_back(static_cast<uint32_t>(i));
        }
        RemoveUserSlot(users, numbers, positions, c.index);
        std::string what = "count " + std::to_string(c.count) + " index " + std::to_string(c.index);
        EXPECT_EQ(positions, c.positions) << what;
        for (size_t i = 0; i < c.count; ++i) {
            EXPECT_EQ(std::string(users[i].name), c.names[i]) << what << " slot " << i;
            if (c.names[i].empty()) {
                // The freed slot writes out as all zero, and so do its numbers.
                std::array<uint8_t, kUserRecordSize> bytes;
                bytes.fill(0xAA);
                WriteUserRecord(users[i], bytes);
                EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(kUserRecordSize)) << what;
                EXPECT_EQ(numbers[i].count, 0u) << what;
                EXPECT_EQ(numbers[i].numbers[0][0], 0) << what;
            } else {
                size_t from = static_cast<size_t>(c.names[i][0] - 'A');
                EXPECT_EQ(users[i].station, from + 7) << what << " slot " << i;
                EXPECT_EQ(users[i].reserved[3], from + 1) << what << " slot " << i;
                EXPECT_EQ(numbers[i].count, from + 1) << what << " slot " << i;
                EXPECT_EQ(std::string(numbers[i].numbers[0]), std::to_string(from)) << what << " slot " << i;
            }
        }
    }
}

TEST(RemoveUserSlot, OverTheWholeMapTheLastEntryBecomes999)
{
    std::vector<UserRecord> users = {User("A"), User("B")};
    std::vector<NumbersRecord> numbers(2);
    std::vector<uint32_t> positions(MaxUsers);
    for (uint32_t p = 0; p < MaxUsers; ++p)
        positions[p] = (p + 5) % MaxUsers;
    RemoveUserSlot(users, numbers, positions, 1);
    EXPECT_EQ(positions[0], 5u);
    EXPECT_EQ(positions[1], 7u);
    EXPECT_EQ(positions[997], 3u);
    EXPECT_EQ(positions[998], 4u);
    EXPECT_EQ(positions[999], 999u);
}

TEST(FindMovedActiveUsers, TakesActiveUsersWhosePositionChanged)
{
    struct Case {
        std::vector<uint32_t> positions;
        std::vector<int32_t> active;
        std::vector<int> expected;
    } cases[] = {
        {{0, 1, 4, 2, 3}, {0, 0, 0, 0, 1}, {2}},        // active, from 4 to 2
        {{0, 1, 4, 2, 3}, {1, 0, 0, 0, 0}, {}},         // active but in place
        {{0, 1, 4, 2, 3}, {1, 0, 1, 1, 1}, {2, 3, 4}},
        {{1, 0}, {0, 0}, {}},                           // moved but not active
        {{7, 0}, {0, 0}, {}},                           // a record number beyond the flags
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindMovedActiveUsers(c.positions, c.active), c.expected) << ::testing::PrintToString(c.positions);
}
