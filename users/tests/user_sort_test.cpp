#include "users/user_sort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "users/user_tables.h"

namespace {

UserRecord Named(const std::string& name)
{
    UserRecord r;
    std::strcpy(r.name, name.c_str());
    return r;
}

// Tags a numbers record with its user's original position.
NumbersRecord Tagged(uint32_t position)
{
    NumbersRecord r;
    r.count = 1;
    std::snprintf(r.numbers[0], sizeof r.numbers[0], "%u", position);
    return r;
}

}  // namespace

TEST(SortRecordsByName, MovesNumbersPositionsAndKeysWithTheUsers)
{
    struct Case {
        std::vector<std::string> names;
        std::vector<uint32_t> positions;  // the original position of each user once sorted
    } cases[] = {
        {{"C", "B", "A"}, {2, 1, 0}},
        {{"b", "B", "a", "A"}, {3, 1, 2, 0}},  // letter case counts: upper case first
        {{"B", "B", "A"}, {2, 1, 0}},          // equal names keep the exchange order, not the stable one
        {{"B", "A", "A"}, {1, 2, 0}},
        {{"Zo\xE9", "\xC9mile"}, {0, 1}},      // bytes compare unsigned: 0xC9 after 'Z'
        {{"POSTE10", "POSTE2", "POSTE1"}, {2, 0, 1}},
        {{"SEUL"}, {0}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::vector<UserRecord> users;
        std::vector<NumbersRecord> numbers;
        std::vector<uint32_t> positions;
        std::vector<uint32_t> keys;
        for (size_t i = 0; i < c.names.size(); ++i) {
            users.push_back(Named(c.names[i]));
            numbers.push_back(Tagged(static_cast<uint32_t>(i)));
            positions.push_back(static_cast<uint32_t>(i));
            keys.push_back(static_cast<uint32_t>(1000 + 7 * i));
        }
        SortRecordsByName(users, numbers, positions, keys);
        std::string what = c.names.empty() ? "(none)" : c.names[0] + "...";
        EXPECT_EQ(positions, c.positions) << what;
        for (size_t i = 0; i < c.positions.size(); ++i) {
            EXPECT_EQ(users[i].name, c.names[c.positions[i]]) << what << " slot " << i;
            EXPECT_EQ(std::string(numbers[i].numbers[0]), std::to_string(c.positions[i])) << what << " slot " << i;
            EXPECT_EQ(keys[i], 1000 + 7 * c.positions[i]) << what << " slot " << i;
        }
    }
}

TEST(SortUsersByName, SortsTheUsersOfTheCurrentTablesOnly)
{
    FreeUserTable();
    FreeNumbersTable();
    ResetPositionMap();
    ResetUserKeys();
    UserTable& users = CurrentUserTable();
    NumbersTable& numbers = CurrentNumbersTable();
    const char* names[] = {"ZOE", "MARC", "ANNE"};
    users.header.userCount = 3;
    for (int i = 0; i < 3; ++i) {
        std::strcpy(users.records[i].name, names[i]);
        numbers.records[i] = Tagged(i);
    }
    numbers.records[3] = Tagged(3);  // beyond the users: stays where it is
    PositionMap[3] = 77;
    UserKeys[0] = 1005;  // a user added while the window is open
    UserKeys[3] = 88;

    SortUsersByName();

    EXPECT_STREQ(UserAt(0).name, "ANNE");
    EXPECT_STREQ(UserAt(1).name, "MARC");
    EXPECT_STREQ(UserAt(2).name, "ZOE");
    EXPECT_STREQ(numbers.records[0].numbers[0], "2");
    EXPECT_STREQ(numbers.records[2].numbers[0], "0");
    EXPECT_STREQ(numbers.records[3].numbers[0], "3");
    EXPECT_EQ(PositionMap[0], 2u);
    EXPECT_EQ(PositionMap[1], 1u);
    EXPECT_EQ(PositionMap[2], 0u);
    EXPECT_EQ(PositionMap[3], 77u);
    EXPECT_EQ(UserKeys[0], 2u);
    EXPECT_EQ(UserKeys[1], 1u);
    EXPECT_EQ(UserKeys[2], 1005u);
    EXPECT_EQ(UserKeys[3], 88u);

    ResetPositionMap();
    ResetUserKeys();
    EXPECT_EQ(PositionMap[3], 3u);
    EXPECT_EQ(UserKeys[2], 2u);
    EXPECT_STREQ(UserAt(-1).name, "");
    EXPECT_STREQ(UserAt(1000).name, "");
    FreeUserTable();
    FreeNumbersTable();
}
