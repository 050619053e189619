#include "users/dir_ops_plan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "users/tests/window_steps.h"
#include "users/user_sort.h"
#include "users/user_tables.h"

using window_steps::Step;

namespace {

void LoadUsers(const std::vector<std::pair<std::string, uint16_t>>& users)
{
    FreeUserTable();
    FreeNumbersTable();
    int p = 0;
    for (const auto& [name, station] : users) {
        window_steps::SetName(p, name);
        UserAt(p).station = station;
        ++p;
    }
    CurrentUserTable().header.userCount = static_cast<uint16_t>(p);
}

// The plan in one line: "-name" a deletion ("-name(rec)" records only,
// "-name(dir)" directory only, "-name()" neither), "j:old>new" a journal
// rename, "d:old>new" a directory rename ("d:>new" only made), "+name" made.
std::string PlanText(const DirOpsPlan& plan)
{
    std::string text;
    auto add = [&](const std::string& item) { text += (text.empty() ? "" : " ") + item; };
    for (const DirDeletion& d : plan.deletions) {
        if (d.removeRecords && d.deleteDirectory)
            add("-" + d.name);
        else
            add("-" + d.name + "(" + (d.removeRecords ? "rec" : "") + (d.deleteDirectory ? "dir" : "") + ")");
    }
    for (const NameChange& c : plan.journalRenames)
        add("j:" + c.oldName + ">" + c.newName);
    for (const DirRename& r : plan.renames)
        add("d:" + r.from + ">" + r.to);
    for (const std::string& name : plan.creations)
        add("+" + name);
    return text;
}

class DirOpsPlanTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        FreeUserTable();
        FreeNumbersTable();
        ClearPendingDirOps();
    }
};

}  // namespace

TEST_F(DirOpsPlanTest, PlansWhatTheWindowsChangesCallFor)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, uint16_t>> users;
        std::vector<Step> steps;
        const char* plan;
    } cases[] = {
        {"nothing changed", {{"Anne", 0}, {"Marc", 1}}, {}, ""},
        {"validated without a new name", {{"Anne", 0}}, {{'r', "Anne", "Anne"}}, ""},
        {"edit cancelled", {{"Anne", 0}}, {{'c', "Anne"}}, ""},
        {"renamed twice", {{"Anne", 4}}, {{'r', "Anne", "Berthe"}, {'r', "Berthe", "Cecile"}}, "j:Anne>Cecile d:Anne>Cecile"},
        {"renamed and back", {{"Anne", 0}}, {{'r', "Anne", "Berthe"}, {'r', "Berthe", "Anne"}}, ""},
        {"letter case only", {{"alice", 0}}, {{'r', "alice", "Alice"}}, "j:alice>Alice d:alice>Alice"},
        {"two station-0 users renamed", {{"Anne", 0}, {"Marc", 0}}, {{'r', "Anne", "Zoe"}, {'r', "Marc", "Bruno"}},
         "j:Anne>Zoe j:Marc>Bruno d:Anne>Zoe d:Marc>Bruno"},
        {"two station-0 users deleted", {{"Anne", 0}, {"Marc", 0}, {"Paul", 0}}, {{'d', "Marc"}, {'d', "Anne"}},
         "-Anne -Marc"},
        {"added, then renamed", {{"Anne", 0}}, {{'a', nullptr, nullptr, 1}, {'r', "Poste2", "Zoe"}}, "+Zoe"},
        {"added as typed", {{"Anne", 0}}, {{'a', "Zoe", nullptr, 1}}, "+Zoe"},
        {"added, then deleted", {{"Anne", 0}}, {{'a', "Zoe", nullptr, 1}, {'d', "Zoe"}}, ""},
        {"deleted, station given again", {{"Anne", 0}, {"Marc", 1}}, {{'d', "Anne"}, {'a', "Zoe", nullptr, 0}},
         "-Anne +Zoe"},
        {"renamed, then deleted", {{"Anne", 0}}, {{'r', "Anne", "Zed"}, {'d', "Zed"}}, "-Anne"},
        {"name of a deleted user taken", {{"Anne", 0}, {"Bob", 1}}, {{'d', "Bob"}, {'r', "Anne", "Bob"}},
         "-Bob j:Anne>Bob d:Anne>Bob"},
        {"swap through a third name", {{"Anne", 2}, {"Marc", 1}},
         {{'r', "Anne", "Tmp"}, {'r', "Marc", "Anne"}, {'r', "Tmp", "Marc"}}, "j:Marc>Anne j:Anne>Marc d:Marc>Anne d:Anne>Marc"},
        {"chain", {{"A", 0}, {"B", 1}}, {{'r', "B", "C"}, {'r', "A", "B"}}, "j:A>B j:B>C d:A>B d:B>C"},
        {"ordered by station", {{"Anne", 7}, {"Marc", 3}}, {{'r', "Anne", "X"}, {'r', "Marc", "Y"}},
         "j:Marc>Y j:Anne>X d:Marc>Y d:Anne>X"},
        {"names that cannot be directories", {{"CON", 0}, {"..", 1}, {"Anne", 2}},
         {{'d', "CON"}, {'r', "..", "Bob"}, {'r', "Anne", "a:b"}}, "-CON(rec) j:..>Bob j:Anne>a:b d:>Bob"},
        {"one of two users of one name deleted", {{"Bob", 0}, {"Bob", 0}}, {{'d', "Bob"}}, "-Bob()"},
        {"one of two users of one name renamed", {{"Bob", 0}, {"Bob", 0}}, {{'r', "Bob", "Carl"}}, "d:>Carl"},
        {"one of two deleted, the other renamed", {{"Bob", 0}, {"Bob", 0}}, {{'d', "Bob"}, {'r', "Bob", "Carl"}},
         "-Bob() j:Bob>Carl d:Bob>Carl"},
        {"deleted name held in another case", {{"bob", 0}, {"Bob", 1}}, {{'d', "Bob"}}, "-Bob(rec)"},
        {"empty name given one", {{"", 0}, {"Anne", 1}}, {{'r', "", "Bob"}}, "d:>Bob"},
        {"empty name given one, then deleted", {{"", 0}, {"Anne", 1}}, {{'r', "", "Bob"}, {'d', "Bob"}}, "-()"},
    };
    for (const Case& c : cases) {
        LoadUsers(c.users);
        window_steps::Open();
        for (const Step& step : c.steps)
            window_steps::Run(step);
        EXPECT_EQ(PlanText(PlanPendingDirOps()), c.plan) << c.what;
    }
}

// The identity of each user follows it through sorts, deletions and
// additions; a deleted user's identity is never given again.
TEST_F(DirOpsPlanTest, UserKeysFollowTheUsers)
{
    LoadUsers({{"Marc", 0}, {"Anne", 0}, {"Zoe", 0}});
    window_steps::Open();
    EXPECT_EQ(UserKeys[0], 1u);  // Anne
    EXPECT_EQ(UserKeys[1], 0u);  // Marc
    EXPECT_EQ(UserKeys[2], 2u);  // Zoe

    window_steps::Delete("Anne");
    EXPECT_EQ(UserKeys[0], 0u);
    EXPECT_EQ(UserKeys[1], 2u);
    window_steps::Add(0, "Bea");
    EXPECT_STREQ(UserAt(0).name, "Bea");
    EXPECT_GE(UserKeys[0], kFirstAddedUserKey);
    for (int p = 1; p < MaxUsers; ++p)
        EXPECT_NE(UserKeys[p], UserKeys[0]) << p;
    EXPECT_EQ(UserKeys[1], 0u);
    EXPECT_EQ(UserKeys[2], 2u);

    ClearPendingDirOps();
    for (uint32_t p = 0; p < MaxUsers; ++p)
        ASSERT_EQ(UserKeys[p], p);
    EXPECT_TRUE(PendingDirOps.entries.empty());
}

// Positions outside the table are ignored rather than reaching past it.
TEST_F(DirOpsPlanTest, PositionsOutsideTheTableAreIgnored)
{
    LoadUsers({{"Anne", 0}});
    window_steps::Open();
    for (int position : {-1, 1, MaxUsers, 5000}) {
        NoteUserAdded(position);
        NoteUserEditStarted(position);
        NoteUserValidated(position);
        NoteUserDeleted(position);
    }
    EXPECT_TRUE(PendingDirOps.entries.empty());
    EXPECT_EQ(PlanText(PlanPendingDirOps()), "");
}

TEST_F(DirOpsPlanTest, FindUserByStationGivesTheFirstInTableOrder)
{
    LoadUsers({{"Anne", 3}, {"Marc", 0}, {"Paul", 3}});
    EXPECT_EQ(FindUserByStation(3), 0);
    EXPECT_EQ(FindUserByStation(0), 1);
    EXPECT_EQ(FindUserByStation(1), -1);
    LoadUsers({});
    EXPECT_EQ(FindUserByStation(0), -1) << "the empty slots after the users are not users";
}

TEST(ReplaceDirectoryPath, ReplacesThePathWhereverItEnds)
{
    const std::string from = "C:\\Prog\\Bob";
    const std::string to = "C:\\Prog\\Carl";
    struct Case { std::string text; std::string expected; } cases[] = {
        {"Path=C:\\Prog\\Bob\r\n", "Path=C:\\Prog\\Carl\r\n"},
        {"Dir=c:\\PROG\\bob\\COMM\\\r\nX=C:\\prog\\BOB", "Dir=C:\\Prog\\Carl\\COMM\\\r\nX=C:\\Prog\\Carl"},
        {"Other=C:\\Prog\\Bobby\\EMIS\\", "Other=C:\\Prog\\Bobby\\EMIS\\"},
        {"Name=Bob\r\nUser=\\Bob\\", "Name=Bob\r\nUser=\\Bob\\"},
        {"Q=\"C:\\Prog\\Bob\"", "Q=\"C:\\Prog\\Carl\""},
        {"C:\\Prog\\Bo", "C:\\Prog\\Bo"},
        {"", ""},
        {std::string("A=C:\\Prog\\Bob\0B", 15), std::string("A=C:\\Prog\\Carl\0B", 16)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceDirectoryPath(c.text, from, to), c.expected) << c.text;

    // Accented letters compare as the system's upper case has them.
    EXPECT_EQ(ReplaceDirectoryPath("D:\\x\\H\xC9L\xC8NE\\a", "D:\\x\\h\xE9l\xE8ne", "D:\\x\\Y"), "D:\\x\\Y\\a");
    EXPECT_EQ(ReplaceDirectoryPath("abc", "", "X"), "abc");

    // Any size: a text of many occurrences that grows by far more than a
    // fixed margin.
    std::string big;
    for (int i = 0; i < 5000; ++i)
        big += "p=C:\\Prog\\Bob\n";
    std::string expected;
    for (int i = 0; i < 5000; ++i)
        expected += "p=C:\\Prog\\Carl\n";
    EXPECT_EQ(ReplaceDirectoryPath(big, from, to), expected);
}

TEST(SameDirectoryName, IgnoresLetterCaseOnly)
{
    EXPECT_TRUE(SameDirectoryName("alice", "ALICE"));
    EXPECT_TRUE(SameDirectoryName("\xE9mile", "\xC9MILE"));
    EXPECT_FALSE(SameDirectoryName("alice", "alice2"));
    EXPECT_FALSE(SameDirectoryName("alice", "alicf"));
}
