#include "users/user_dir_ops.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "journal/tests/journal_fixture.h"
#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"
#include "users/tests/window_steps.h"
#include "users/user_database.h"
#include "users/user_tables.h"

using window_steps::Step;

namespace {

using Files = std::map<std::string, std::string>;  // relative path -> content

class UserDirOpsTest : public ProgramDirTest {
protected:
    void TearDown() override
    {
        FreeUserTable();
        FreeNumbersTable();
        ClearPendingDirOps();
        ProgramDirTest::TearDown();
    }

    // reseau.dat holding these users, loaded, and the window opened on it.
    void OpenWindowOn(const std::vector<std::pair<std::string, uint16_t>>& users)
    {
        reseau_fixture::Image image;
        image.userCount = static_cast<uint16_t>(users.size());
        for (const auto& [name, station] : users)
            image.records.push_back(reseau_fixture::CurrentRecord(name, 0, station));
        WriteBytes(Path("\\reseau.dat"), reseau_fixture::BuildImage(image));
        LoadUserDatabase(nullptr, Dir());
        ASSERT_EQ(UserCount(), static_cast<int>(users.size()));
        window_steps::Open();
    }

    // A directory of the program directory with these files; a name with a
    // backslash makes its subdirectory.
    void MakeDir(const std::string& name, const Files& files)
    {
        CreateDirectoryA(Path("\\" + name).c_str(), nullptr);
        for (const auto& [file, content] : files) {
            std::string path = Path("\\" + name + "\\" + file);
            size_t slash = path.rfind('\\');
            CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
            WriteBytes(path, std::vector<uint8_t>(content.begin(), content.end()));
        }
    }

    // What a directory holds, subdirectories included, as relative paths.
    Files FilesIn(const std::string& name) const
    {
        Files files;
        Collect(Path("\\" + name), "", files);
        return files;
    }

    // The names in the program directory, in the letter case they have.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(Path("\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.insert(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    void WriteJournal(const std::vector<std::string>& users)
    {
        std::vector<std::vector<uint8_t>> records;
        for (size_t i = 0; i < users.size(); ++i) {
            CallFields fields;
            fields.user = users[i];
            fields.filler = static_cast<uint8_t>(0x50 + i);
            records.push_back(CallBytes(fields));
        }
        WriteBytes(Path("\\Journal.dat"), JournalFileBytes(records));
    }

    // The user of each record of Journal.dat, by the file's layout.
    std::vector<std::string> JournalUsers() const
    {
        std::vector<uint8_t> bytes = ReadBytes(Path("\\Journal.dat"));
        std::vector<std::string> users;
        for (size_t at = 4; at + 564 <= bytes.size(); at += 564)
            users.push_back(reseau_fixture::TextAt(bytes, at + 306));
        return users;
    }

private:
    static void Collect(const std::string& dir, const std::string& prefix, Files& files)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                files[prefix + name + "\\"] = "";
                Collect(dir + "\\" + name, prefix + name + "\\", files);
            } else {
                std::vector<uint8_t> bytes = ReadBytes(dir + "\\" + name);
                files[prefix + name] = std::string(bytes.begin(), bytes.end());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
};

const Files kAnneFiles = {{"minitel.ini", ""}, {"COMM\\msg.txt", "anne comm"}, {"COMM\\sub\\deep", "anne deep"},
                          {"FILEMIS.CAH", "anne cah"}};

}  // namespace

// A renamed user's directory moves whole, subdirectories included; its
// "minitel.ini" gets the new path wherever the old one stood, in any letter
// case, and keeps the rest; its journal records take the new name.
TEST_F(UserDirOpsTest, RenameMovesTheDirectoryRewritesMinitelIniAndTheJournal)
{
    OpenWindowOn({{"Anne", 0}, {"Marc", 1}});
    MakeDir("Anne", kAnneFiles);
    std::string old = Dir() + "\\Anne";
    std::string upper = Dir() + "\\ANNE";
    std::string ini = "[Minitel]\r\nForceUserActif=1\r\nRep=" + old + "\\COMM\\\r\nAutre=" + upper +
                      "\r\nNom=Anne\r\nVoisin=" + old + "tte\\EMIS\r\n";
    WriteBytes(Path("\\Anne\\minitel.ini"), std::vector<uint8_t>(ini.begin(), ini.end()));
    WriteJournal({"Anne", "Marc", "anne", "Anne2", "Anne"});

    window_steps::Rename("Anne", "Berthe");
    ApplyPendingDirOps();

    EXPECT_FALSE(Exists(Path("\\Anne")));
    Files expected = kAnneFiles;
    std::string fresh = Dir() + "\\Berthe";
    expected["minitel.ini"] = "[Minitel]\r\nForceUserActif=1\r\nRep=" + fresh + "\\COMM\\\r\nAutre=" + fresh +
                              "\r\nNom=Anne\r\nVoisin=" + old + "tte\\EMIS\r\n";
    expected["COMM\\"] = "";
    expected["COMM\\sub\\"] = "";
    EXPECT_EQ(FilesIn("Berthe"), expected);
    EXPECT_EQ(JournalUsers(), (std::vector<std::string>{"Berthe", "Marc", "anne", "Anne2", "Berthe"}));
}

// Users made by set-up or by the import share station 0: each still gets
// its own directory work.
TEST_F(UserDirOpsTest, StationZeroUsersEachGetTheirOwnWork)
{
    OpenWindowOn({{"Anne", 0}, {"Marc", 0}, {"Paul", 0}, {"Zoe", 0}, {"Yves", 0}});
    for (const char* name : {"Anne", "Marc", "Paul", "Zoe", "Yves"})
        MakeDir(name, {{"own.txt", name}});
    WriteJournal({"Anne", "Marc", "Paul", "Zoe", "Yves", "Marc"});

    window_steps::Rename("Anne", "Alice");
    window_steps::Rename("Marc", "Bruno");
    window_steps::Delete("Paul");
    window_steps::Delete("Zoe");
    ApplyPendingDirOps();

    EXPECT_EQ(Names(), (std::set<std::string>{"reseau.dat", "Journal.dat", "Alice", "Bruno", "Yves"}));
    EXPECT_EQ(FilesIn("Alice"), (Files{{"own.txt", "Anne"}}));
    EXPECT_EQ(FilesIn("Bruno"), (Files{{"own.txt", "Marc"}}));
    EXPECT_EQ(FilesIn("Yves"), (Files{{"own.txt", "Yves"}}));
    EXPECT_EQ(JournalUsers(), (std::vector<std::string>{"Alice", "Bruno", "Yves", "Bruno"}));
}

// Names swapped, passed along or given up by a deleted user, and a change of
// letter case: every user ends with its own files and records only, and no
// temporary directory is left behind.
TEST_F(UserDirOpsTest, NamesPassedBetweenUsersNeverMixThem)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, uint16_t>> users;
        std::vector<Step> steps;
        std::map<std::string, std::string> owners;  // directory -> the user whose file it must hold
        std::vector<std::string> journal;           // users of the records afterwards
    } cases[] = {
        {"swap", {{"Anne", 2}, {"Marc", 1}}, {{'r', "Anne", "Tmp"}, {'r', "Marc", "Anne"}, {'r', "Tmp", "Marc"}},
         {{"Anne", "Marc"}, {"Marc", "Anne"}}, {"Marc", "Anne", "Marc"}},
        {"chain", {{"A", 0}, {"B", 1}}, {{'r', "B", "C"}, {'r', "A", "B"}}, {{"B", "A"}, {"C", "B"}}, {"B", "C", "B"}},
        {"name of a deleted user", {{"Anne", 0}, {"Bob", 1}}, {{'d', "Bob"}, {'r', "Anne", "Bob"}},
         {{"Bob", "Anne"}}, {"Bob", "Bob"}},
        {"letter case only", {{"alice", 0}}, {{'r', "alice", "Alice"}}, {{"Alice", "alice"}}, {"Alice", "Alice"}},
    };
    for (const Case& c : cases) {
        RemoveTree(Dir());
        CreateDirectoryA(Dir().c_str(), nullptr);
        OpenWindowOn(c.users);
        std::vector<std::string> records;
        for (const auto& [name, station] : c.users) {
            MakeDir(name, {{"own.txt", name}, {"sub\\f", name}});
            records.push_back(name);
        }
        records.push_back(c.users[0].first);
        WriteJournal(records);

        for (const Step& step : c.steps)
            window_steps::Run(step);
        ApplyPendingDirOps();

        std::set<std::string> names{"reseau.dat", "Journal.dat"};
        for (const auto& [dir, owner] : c.owners) {
            names.insert(dir);
            EXPECT_EQ(FilesIn(dir), (Files{{"own.txt", owner}, {"sub\\", ""}, {"sub\\f", owner}})) << c.what << " " << dir;
        }
        EXPECT_EQ(Names(), names) << c.what;
        EXPECT_EQ(JournalUsers(), c.journal) << c.what;
    }
}

// A user added and renamed before "OK" gets one directory, under its last
// name; a deleted user's station given to a new user: the old directory and
// records go, the new directory is made; a user renamed and renamed back
// has nothing done at all.
TEST_F(UserDirOpsTest, AdditionsAndRenamesBackDoOnlyWhatIsNeeded)
{
    OpenWindowOn({{"Anne", 0}, {"Marc", 1}, {"Paul", 2}});
    MakeDir("Anne", {{"own.txt", "Anne"}});
    MakeDir("Marc", {{"own.txt", "Marc"}});
    MakeDir("Paul", {{"own.txt", "Paul"}});
    WriteJournal({"Anne", "Marc", "Paul"});
    std::vector<uint8_t> journalBefore = ReadBytes(Path("\\Journal.dat"));

    window_steps::Add(3, nullptr);  // "Poste4", kept by "Annu&ler"
    window_steps::Rename("Poste4", "Zoe");
    window_steps::Rename("Paul", "Pierre");
    window_steps::Rename("Pierre", "Paul");
    ApplyPendingDirOps();

    EXPECT_EQ(Names(), (std::set<std::string>{"reseau.dat", "Journal.dat", "Anne", "Marc", "Paul", "Zoe"}));
    EXPECT_EQ(FilesIn("Zoe"), Files{});
    EXPECT_EQ(FilesIn("Paul"), (Files{{"own.txt", "Paul"}}));
    EXPECT_EQ(ReadBytes(Path("\\Journal.dat")), journalBefore) << "no journal change";

    ClearPendingDirOps();
    window_steps::Delete("Anne");
    window_steps::Add(0, nullptr);  // takes Anne's station, named "Poste1"
    ApplyPendingDirOps();

    EXPECT_EQ(Names(), (std::set<std::string>{"reseau.dat", "Journal.dat", "Marc", "Paul", "Poste1", "Zoe"}));
    EXPECT_EQ(FilesIn("Poste1"), Files{});
    EXPECT_EQ(JournalUsers(), (std::vector<std::string>{"Marc", "Paul"}));
}

// A new directory that exists already and holds a file of the same name:
// everything else joins it, the clash stays in the old directory, which is
// kept; nothing is lost.
TEST_F(UserDirOpsTest, MoveIntoAnExistingDirectoryKeepsWhatCannotMove)
{
    OpenWindowOn({{"Anne", 0}});
    MakeDir("Anne", {{"notes.txt", "Anne's notes"}, {"other.txt", "other"}, {"COMM\\msg", "msg"}});
    MakeDir("Bob", {{"notes.txt", "left by someone"}, {"COMM\\old", "old"}});
    WriteJournal({"Anne"});

    window_steps::Rename("Anne", "Bob");
    ApplyPendingDirOps();

    EXPECT_EQ(FilesIn("Bob"), (Files{{"notes.txt", "left by someone"}, {"other.txt", "other"}, {"COMM\\", ""},
                                     {"COMM\\msg", "msg"}, {"COMM\\old", "old"}}));
    EXPECT_EQ(FilesIn("Anne"), (Files{{"notes.txt", "Anne's notes"}}));
    EXPECT_EQ(Names(), (std::set<std::string>{"reseau.dat", "Journal.dat", "Anne", "Bob"}));
}

// A file held open so that it may not be moved or deleted stays in the old
// directory, which is kept under its name; everything else moves.
TEST_F(UserDirOpsTest, FileHeldOpenStaysInTheOldDirectory)
{
    OpenWindowOn({{"Anne", 0}});
    MakeDir("Anne", {{"held.txt", "held"}, {"free.txt", "free"}, {"COMM\\msg", "msg"}});
    MakeDir("Bob", {{"there.txt", "there"}});  // the move goes entry by entry
    WriteJournal({"Anne"});
    HANDLE held = CreateFileA(Path("\\Anne\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    window_steps::Rename("Anne", "Bob");
    ApplyPendingDirOps();
    CloseHandle(held);

    EXPECT_EQ(FilesIn("Bob"), (Files{{"free.txt", "free"}, {"COMM\\", ""}, {"COMM\\msg", "msg"}, {"there.txt", "there"}}));
    EXPECT_EQ(FilesIn("Anne"), (Files{{"held.txt", "held"}}));
    EXPECT_EQ(Names(), (std::set<std::string>{"reseau.dat", "Journal.dat", "Anne", "Bob"}))
        << "nothing parked under a temporary name";
}

// Names read from a reseau.dat edited by hand never lead a directory
// operation outside the program directory; the journal work still runs.
TEST_F(UserDirOpsTest, NamesThatAreNotDirectoryNamesGetNoDirectoryWork)
{
    const std::string outside = "qx" + std::to_string(GetCurrentProcessId() % 100000);
    const std::string escaping = "..\\" + outside;
    const std::string outsideDir = Dir() + "\\..\\" + outside;
    CreateDirectoryA(outsideDir.c_str(), nullptr);
    WriteBytes(outsideDir + "\\keep.txt", {'k'});
    OpenWindowOn({{escaping, 0}, {"CON", 1}, {"Anne", 2}});
    MakeDir("Anne", {{"own.txt", "Anne"}});
    WriteJournal({escaping, "CON", "Anne"});

    window_steps::Delete(escaping);
    window_steps::Rename("CON", "..");
    window_steps::Rename("Anne", "a:b");
    ApplyPendingDirOps();

    EXPECT_EQ(ReadBytes(outsideDir + "\\keep.txt"), std::vector<uint8_t>{'k'});
    EXPECT_EQ(FilesIn("Anne"), (Files{{"own.txt", "Anne"}}));
    EXPECT_FALSE(Exists(Path("\\a")));
    EXPECT_EQ(Names(), (std::set<std::string>{"reseau.dat", "Journal.dat", "Anne"}));
    EXPECT_EQ(JournalUsers(), (std::vector<std::string>{"..", "a:b"}));
    RemoveTree(outsideDir);
}

// RenameUserData on its own: the journal, then "minitel.ini" of the old
// directory rewritten whole whatever its size; no file is made where there
// is none.
TEST_F(UserDirOpsTest, RenameUserDataRewritesMinitelIniOfAnySize)
{
    MakeDir("Anne", {});
    std::string line = "P=" + Dir() + "\\anne\\EMIS\\\r\nN=Anne\r\n";
    std::string ini, expected;
    for (int i = 0; i < 3000; ++i) {
        ini += line;
        expected += "P=" + Dir() + "\\Annabelle-Marie\\EMIS\\\r\nN=Anne\r\n";
    }
    WriteBytes(Path("\\Anne\\minitel.ini"), std::vector<uint8_t>(ini.begin(), ini.end()));
    WriteJournal({"Anne", "Marc"});

    RenameUserData("Annabelle-Marie", "Anne");

    EXPECT_EQ(FilesIn("Anne"), (Files{{"minitel.ini", expected}}));
    EXPECT_EQ(JournalUsers(), (std::vector<std::string>{"Annabelle-Marie", "Marc"}));

    RenameUserData("Zed", "Marc");
    EXPECT_FALSE(Exists(Path("\\Marc"))) << "no directory or minitel.ini is made";
    EXPECT_FALSE(Exists(Path("\\Zed")));
    EXPECT_EQ(JournalUsers(), (std::vector<std::string>{"Annabelle-Marie", "Zed"}));
}
