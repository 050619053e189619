#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "users/tests/dir_ops_model.h"

using dir_model::Scenario;
using dir_model::Step;

namespace {

Step Rename(const char* who, const char* name)
{
    Step step;
    step.kind = Step::rename;
    step.byName = true;
    step.who = who;
    step.name = name;
    return step;
}

Step Delete(const char* who)
{
    Step step;
    step.kind = Step::remove;
    step.byName = true;
    step.who = who;
    return step;
}

Step Cancel(const char* who)
{
    Step step;
    step.kind = Step::cancel;
    step.byName = true;
    step.who = who;
    return step;
}

// "A&jouter", then "&Valider" with `name` ("Annu&ler" when empty).
Step Add(const char* name = "")
{
    Step step;
    step.kind = Step::add;
    step.name = name;
    return step;
}

class DirOpsModelTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        FreeUserTable();
        FreeNumbersTable();
        ClearPendingDirOps();
    }
};

}  // namespace

// The window's steps carried out on a file system and a journal held in
// memory: every user's files end under its last name, no two users' files
// meet, nothing of a deleted user stays, every record carries its user's name.
TEST_F(DirOpsModelTest, KeepsEveryUsersFilesAndRecordsWithTheUser)
{
    struct Case {
        const char* what;
        Scenario scenario;
    } cases[] = {
        {"swap through a third name",
         {{{"Anne", 2}, {"Marc", 1}}, {Rename("Anne", "Tmp"), Rename("Marc", "Anne"), Rename("Tmp", "Marc")}}},
        {"chain", {{{"A", 0}, {"B", 1}, {"C", 2}}, {Rename("C", "D"), Rename("B", "C"), Rename("A", "B")}}},
        {"delete, then take the name", {{{"Anne", 0}, {"Bob", 1}}, {Delete("Bob"), Rename("Anne", "Bob")}}},
        {"delete, then an added user takes the name", {{{"Anne", 0}, {"Bob", 1}}, {Delete("Bob"), Add("Bob")}}},
        {"add, rename, delete", {{{"Anne", 0}}, {Add(), Rename("Poste2", "Zoe"), Delete("Zoe")}}},
        {"add, rename twice", {{{"Anne", 0}}, {Add("Zoe"), Rename("Zoe", "Carl"), Cancel("Carl")}}},
        {"two station-0 users renamed",
         {{{"Anne", 0}, {"Marc", 0}, {"Zoe", 0}}, {Rename("Anne", "Zed"), Rename("Marc", "Bruno")}}},
        {"two station-0 users swap", {{{"Anne", 0}, {"Marc", 0}}, {Rename("Anne", "x"), Rename("Marc", "Anne"), Rename("x", "Marc")}}},
        {"letter case only", {{{"anne", 0}, {"Bob", 1}}, {Rename("anne", "Anne")}}},
        {"renamed, then back", {{{"Anne", 0}}, {Rename("Anne", "Bob"), Rename("Bob", "Anne")}}},
        {"renamed, then deleted", {{{"Anne", 0}, {"Bob", 1}}, {Rename("Anne", "Zed"), Delete("Zed")}}},
        {"an added user named like a user that leaves",
         {{{"Poste2", 5}, {"Anne", 0}}, {Add(), Rename("Poste2", "Bob")}}},
        {"an added user named like a user that is deleted", {{{"Poste2", 5}, {"Anne", 0}}, {Add(), Delete("Poste2")}}},
        {"names that cannot be directories", {{{"a:b", 0}, {"..", 1}, {"Anne", 2}}, {Rename("a:b", "Bob"), Delete("..")}}},
        {"two users of one name, one renamed", {{{"Bob", 0}, {"Bob", 0}}, {Rename("Bob", "Carl")}}},
        {"two users of one name, one deleted, the other renamed",
         {{{"Bob", 0}, {"Bob", 0}}, {Delete("Bob"), Rename("Bob", "Carl")}}},
        {"a user of no name given one", {{{"", 0}, {"Anne", 1}}, {Rename("", "Carl")}}},
        {"a user of no name given one, then deleted", {{{"", 0}, {"Bob", 1}}, {Rename("", "Carl"), Delete("Carl")}}},
        {"one directory in two letter cases, both renamed",
         {{{"bob", 0}, {"Bob", 1}}, {Rename("bob", "Carl"), Rename("Bob", "Dan")}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dir_model::CheckScenario(c.scenario), "") << c.what;
}

// The checks see what a faulty plan would do, so the cases above cannot pass
// for want of looking.
TEST_F(DirOpsModelTest, ReportsTheFaultsOfAnAlteredPlan)
{
    struct Case {
        const char* what;
        Scenario scenario;
        std::function<void(DirOpsPlan&)> alter;
        const char* fault;
    } cases[] = {
        {"deletion dropped", {{{"Anne", 0}, {"Bob", 1}}, {Delete("Bob")}},
         [](DirOpsPlan& p) { p.deletions.clear(); }, "deleted, its files remain"},
        {"records kept", {{{"Anne", 0}, {"Bob", 1}}, {Delete("Bob")}},
         [](DirOpsPlan& p) { p.deletions[0].removeRecords = false; }, "left after its deletion"},
        {"journal rename dropped", {{{"Anne", 0}}, {Rename("Anne", "Zoe")}},
         [](DirOpsPlan& p) { p.journalRenames.clear(); }, "carries Anne"},
        {"another user's records renamed", {{{"A", 0}, {"B", 1}}, {Rename("A", "Z")}},
         [](DirOpsPlan& p) { p.journalRenames.push_back({"B", "Z"}); }, "carries Z"},
        {"directory made under a name no user has", {{{"Anne", 0}}, {Cancel("Anne")}},
         [](DirOpsPlan& p) { p.creations.push_back("Old"); }, "left under a name no user has"},
        {"directory made, not moved", {{{"Anne", 0}}, {Rename("Anne", "Zoe")}},
         [](DirOpsPlan& p) { p.renames[0].from.clear(); }, "outside the directory of its name"},
        {"added user made under its first name", {{{"Anne", 0}}, {Add("Zoe")}},
         [](DirOpsPlan& p) { p.creations = {"Poste2"}; }, "added without a directory"},
        {"swap into a taken name", {{{"Anne", 0}, {"Marc", 1}}, {Rename("Anne", "Zed")}},
         [](DirOpsPlan& p) { p.renames[0].to = "Marc"; }, "holds files of two users"},
        {"unusable name", {{{"Anne", 0}}, {Rename("Anne", "Zoe")}},
         [](DirOpsPlan& p) { p.creations.push_back("a:b"); }, "unusable directory name"},
    };
    for (const Case& c : cases) {
        dir_model::Session session(c.scenario);
        std::string fault = session.Run(c.alter);
        EXPECT_NE(fault.find(c.fault), std::string::npos) << c.what << ": " << fault;
        TearDown();
    }
}
