// Every save of the user files run against a failure, a torn write and the
// end of the process at each of its file operations (tests/wine/fault_injection.h):
// reseau.dat and its work copy, Numaut.dat and its work copy, and the whole
// of the users window's "OK" with the journal and the user directories.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "journal/journal_file.h"
#include "journal/tests/journal_fixture.h"
#include "shell/startup.h"
#include "states/activity_files.h"
#include "tests/wine/fault_injection.h"
#include "tests/wine/test_support.h"
#include "users/login_check.h"
#include "users/numbers_file.h"
#include "users/tests/reseau_fixture.h"
#include "users/tests/window_steps.h"
#include "users/user_database.h"
#include "users/user_sort.h"
#include "users/user_tables.h"
#include "users/users_confirm.h"
#include "users/windows_user.h"

using namespace reseau_fixture;

namespace {

// Users in the order reseau.dat holds them, each its name as password but
// the one given.
std::vector<uint8_t> UsersFile(const std::vector<std::string>& names, const std::string& passwordOf = "",
                               const std::string& password = "")
{
    Image image;
    image.userCount = static_cast<uint16_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        std::vector<uint8_t> record = CurrentRecord(names[i], i == 0 ? 5 : 0, static_cast<uint16_t>(i));
        if (names[i] == passwordOf) {
            std::fill(record.begin(), record.begin() + 21, 0);
            PutBytes(record, 0, Scrambled(password));
        }
        image.records.push_back(record);
    }
    std::vector<uint8_t> file = BuildImage(image);
    PutBytes(file, 34, "Parametrages postes");  // header bytes a save keeps
    file[100] = 0x77;
    file.resize(224 + 1000 * 136);
    return file;
}

// A Numaut.dat whose record p holds the one number "N<p>".
std::vector<uint8_t> TaggedNumbers(int count)
{
    std::vector<uint8_t> file(804004, 0);
    Put32(file, 0, static_cast<uint32_t>(count));
    for (int p = 0; p < count; ++p) {
        Put32(file, 4 + 804 * p, 1);
        PutBytes(file, 4 + 804 * p + 4, "N" + std::to_string(p));
    }
    return file;
}

bool IsMinitelIni(const std::string& path)
{
    return path.size() >= 12 && path.compare(path.size() - 12, 12, "\\minitel.ini") == 0;
}

// The users window as "OK" finds it, and what its files may hold.
struct Confirmation {
    UsersWindowState state;
    std::map<std::string, std::set<std::string>> minitelTexts;  // user -> its texts, old and new
    SaveUnderTest save;
};

class UserFilesFaultsTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetWindowsUserNameForTests("Dupont");
    }
    void TearDown() override
    {
        SetWindowsUserNameForTests(nullptr);
        FreeUserTable();
        FreeNumbersTable();
        ClearPendingDirOps();
        ProgramDirTest::TearDown();
    }
    FaultCounts Run(const SaveUnderTest& save) { return RunEveryInterruption(Dir(), save, FinishInterruptedSaves); }

    // A save run once per interruption; the report is a message, or the
    // result its caller reports.
    void RunEach(std::vector<SaveUnderTest> saves, int& total)
    {
        for (SaveUnderTest& save : saves) {
            FaultCounts counts = Run(save);
            EXPECT_EQ(counts.survived[Interruption::failure], counts.operations) << save.name;
            EXPECT_EQ(counts.survived[Interruption::stop], counts.operations) << save.name;
            total += counts.Total();
        }
    }

    void MakeWorkDir() { CreateDirectoryA(Path("\\usertemp").c_str(), nullptr); }

    void MakeConfirmation(Confirmation& c);
    // A user's "minitel.ini" naming its directory `dir`.
    std::string MinitelText(const std::string& user, const std::string& dir) const
    {
        return "[Minitel]\r\nRep=" + Dir() + "\\" + dir + "\\COMM\\\r\nNom=" + user + "\r\n";
    }
};

}  // namespace

TEST_F(UserFilesFaultsTest, EveryUserDatabaseSaveIsOldOrNewWhateverHappens)
{
    const std::vector<std::string> names = {"DUPONT", "MARC", "ZOE"};
    auto renameMarc = [] { std::strcpy(UserAt(1).name, "MARCEL"); };
    std::vector<SaveUnderTest> saves(7);
    saves[0].name = "reseau.dat saved";
    saves[0].prepare = [&] {
        WriteBytes(Path("\\reseau.dat"), UsersFile(names));
        LoadUserDatabase(nullptr, Dir());
        renameMarc();
    };
    saves[0].run = [] {
        ModalRecorder modal;
        bool saved = SaveUserDatabase(nullptr, 0);
        EXPECT_EQ(saved, modal.Calls().empty());
        return !saved;
    };
    saves[1].name = "work copy saved";
    saves[1].prepare = [&] {
        WriteBytes(Path("\\reseau.dat"), UsersFile(names));
        MakeWorkDir();
        WriteBytes(Path("\\usertemp\\reseau.dat"), UsersFile(names));
        LoadUserDatabase(nullptr, Path("\\usertemp"));
        renameMarc();
    };
    saves[1].run = [] {
        ModalRecorder modal;
        bool saved = SaveUserDatabase(nullptr, 1);
        EXPECT_EQ(saved, modal.Calls().empty());
        return !saved;
    };
    saves[2].name = "reseau.dat created";
    saves[2].prepare = [] {};
    saves[2].run = [&] {
        ModalRecorder modal;
        CreateUserDatabase(nullptr, Dir());
        return !modal.Calls().empty();
    };
    saves[3].name = "older layout converted";
    saves[3].prepare = [&] {
        Image image;
        image.signature = "Serveur";
        image.userCount = 1;
        std::vector<uint8_t> old(128, 0);
        PutBytes(old, 0, Scrambled("DUPONT"));
        PutBytes(old, 13, "DUPONT");
        old[44] = 5;
        image.records = {old};
        WriteBytes(Path("\\reseau.dat"), BuildImage(image));
    };
    saves[3].run = [&] {
        LoadUserDatabase(nullptr, Dir());
        return false;
    };
    saves[3].silent = true;  // the file stays readable as it was; the next load converts it
    saves[4].name = "work copy made";
    saves[4].prepare = [&] {
        WriteBytes(Path("\\reseau.dat"), UsersFile(names));
        MakeWorkDir();
        WriteBytes(Path("\\usertemp\\reseau.dat"), UsersFile({"STALE"}));
    };
    saves[4].run = [] { return !OpenUserWorkCopy(); };
    saves[5].name = "work copy committed";
    saves[5].prepare = [&] {
        WriteBytes(Path("\\reseau.dat"), UsersFile(names));
        MakeWorkDir();
        WriteBytes(Path("\\usertemp\\reseau.dat"), UsersFile({"DUPONT", "MARCEL", "ZOE"}));
    };
    saves[5].run = [] { return !CommitUserWorkCopy(); };
    saves[6].name = "first login's password";
    saves[6].prepare = [&] { WriteBytes(Path("\\reseau.dat"), UsersFile(names)); };
    saves[6].run = [&] {
        ModalRecorder modal;
        LoginVerdict verdict = CheckLogin(nullptr, Dir(), "dupont", "SECRET");
        EXPECT_EQ(verdict == LoginVerdict::passwordNotRecorded, !modal.Calls().empty());
        return verdict != LoginVerdict::accepted;
    };
    int total = 0;
    RunEach(saves, total);
    std::printf("[ faults   ] reseau.dat and its work copy: %d interruptions survived\n", total);
}

TEST_F(UserFilesFaultsTest, EveryNumbersSaveIsOldOrNewWhateverHappens)
{
    auto changeNumbers = [] {
        NumbersRecord& record = CurrentNumbersTable().records[1];
        record.count = 2;
        std::strcpy(record.numbers[1], "3615");
    };
    std::vector<SaveUnderTest> saves(5);
    saves[0].name = "Numaut.dat saved";
    saves[0].prepare = [&] {
        WriteBytes(Path("\\Numaut.dat"), TaggedNumbers(3));
        LoadNumbersFile();
        changeNumbers();
    };
    saves[0].run = [] { return !SaveNumbersFile(); };
    saves[1].name = "its work copy saved";
    saves[1].prepare = [&] {
        WriteBytes(Path("\\Numaut.dat"), TaggedNumbers(3));
        MakeWorkDir();
        WriteBytes(Path("\\usertemp\\Numaut.dat"), TaggedNumbers(3));
        LoadNumbersFile(1);
        changeNumbers();
    };
    saves[1].run = [] { return !SaveNumbersFile(1); };
    saves[2].name = "Numaut.dat created";
    saves[2].prepare = [] { CurrentUserTable().header.userCount = 3; };
    saves[2].run = [] {
        CreateNumbersFile();
        return false;
    };
    saves[2].silent = true;  // a file that cannot be made is left to the next save, silently
    saves[3].name = "its work copy made";
    saves[3].prepare = [&] {
        WriteBytes(Path("\\Numaut.dat"), TaggedNumbers(3));
        MakeWorkDir();
    };
    saves[3].run = [] { return OpenNumbersWorkCopy() == NumbersReading::notCopied; };
    saves[4].name = "its work copy committed";
    saves[4].prepare = [&] {
        WriteBytes(Path("\\Numaut.dat"), TaggedNumbers(3));
        MakeWorkDir();
        WriteBytes(Path("\\usertemp\\Numaut.dat"), TaggedNumbers(2));
    };
    saves[4].run = [] { return !CommitNumbersWorkCopy(); };
    int total = 0;
    RunEach(saves, total);
    std::printf("[ faults   ] Numaut.dat and its work copy: %d interruptions survived\n", total);
}

// "OK" of the users window (ConfirmUserChanges) after names swapped, a user renamed, one deleted
// and one added: reseau.dat and Numaut.dat from their work copies, the
// journal's records, the user directories with their files, a changed
// password and the activity records. Every file is its old or its new
// content; reseau.dat and Numaut.dat are new together or old together; a
// user's files are in its old directory or its new one, never lost; a
// "minitel.ini" holds its old or its new text (its directory and its text
// change in two steps).
void UserFilesFaultsTest::MakeConfirmation(Confirmation& c)
{
    SaveUnderTest& save = c.save;
    const std::vector<std::string> names = {"Emil", "Anne", "Dora", "Bob", "Carl"};
    save.name = "the users window's OK";
    save.prepare = [this, names, &c] {
        UsersWindowState& state = c.state;
        // Emil's workstation changed his password since the window opened.
        WriteBytes(Path("\\reseau.dat"), UsersFile(names));
        WriteBytes(Path("\\Numaut.dat"), TaggedNumbers(5));
        std::vector<std::vector<uint8_t>> calls;
        for (const char* user : {"Anne", "Bob", "Carl", "Dora", "Emil", "Anne"})
            calls.push_back(CallBytes({.user = user, .filler = static_cast<uint8_t>(calls.size() * 16)}));
        WriteBytes(Path("\\Journal.dat"), JournalFileBytes(calls));
        for (const std::string& user : names) {
            CreateDirectoryA(Path("\\" + user).c_str(), nullptr);
            CreateDirectoryA(Path("\\" + user + "\\COMM").c_str(), nullptr);
            WriteBytes(Path("\\" + user + "\\own.txt"), std::vector<uint8_t>(user.begin(), user.end()));
            WriteBytes(Path("\\" + user + "\\COMM\\big.bin"), std::vector<uint8_t>(3000, static_cast<uint8_t>(user[0])));
            std::string text = MinitelText(user, user);
            WriteBytes(Path("\\" + user + "\\minitel.ini"), std::vector<uint8_t>(text.begin(), text.end()));
        }
        // The window as it opens, then its changes, each saved to the work
        // copies as the window saves them.
        std::vector<uint8_t> activity(3000, 0);
        WriteBytes(Path("\\ActUser.dat"), activity);
        ReadActivityFiles();
        ASSERT_TRUE(OpenUserWorkCopy());
        LoadUserDatabase(nullptr, Path("\\usertemp"));
        ASSERT_EQ(OpenNumbersWorkCopy(), NumbersReading::read);
        LoadNumbersFile(1);
        state = UsersWindowState{};
        state.OpeningUsers.assign(CurrentUserTable().records.begin(), CurrentUserTable().records.begin() + 5);
        window_steps::Open();
        window_steps::Rename("Anne", "Tmp");
        window_steps::Rename("Bob", "Anne");
        window_steps::Rename("Tmp", "Bob");
        window_steps::Rename("Dora", "Dorothee");
        window_steps::Delete("Carl");
        window_steps::Add(5, "Zoe");
        ASSERT_TRUE(SaveUserDatabase(nullptr, 1));
        ASSERT_TRUE(SaveNumbersFile(1));
        // Meanwhile: Emil's workstation stores a new password and says so.
        WriteBytes(Path("\\reseau.dat"), UsersFile(names, "Emil", "NOUVEAU"));
        activity[3 * 0 + 2] = 1;
        WriteBytes(Path("\\ActUser.dat"), activity);
    };
    save.run = [&c] {
        ModalRecorder modal;
        bool committed = ConfirmUserChanges(nullptr, c.state);
        EXPECT_TRUE(committed || !modal.Calls().empty());
        return !modal.Calls().empty();
    };
    for (const std::string& user : names) {
        c.minitelTexts[user].insert(MinitelText(user, user));
    }
    c.minitelTexts["Anne"].insert(MinitelText("Anne", "Bob"));
    c.minitelTexts["Bob"].insert(MinitelText("Bob", "Anne"));
    c.minitelTexts["Dora"].insert(MinitelText("Dora", "Dorothee"));
    save.unchecked = IsMinitelIni;
    // A PasswordChanged flag that could not be cleared (the activity files'
    // writes are silent) only has the same password taken over again by the
    // next "OK": the save is complete without it.
    save.complete = [](const TreeImage& now, const TreeImage& fresh) {
        TreeImage a = now, b = fresh;
        a.erase("ActUser.dat");
        b.erase("ActUser.dat");
        return a == b;
    };
    save.alsoCheck = [&c](const FaultRun& run, const TreeImage& now) {
        auto& minitelTexts = c.minitelTexts;
        auto text = [&](const std::string& path) -> std::string {
            auto it = now.find(path);
            return it == now.end() || !it->second ? std::string() : std::string(it->second->begin(), it->second->end());
        };
        // Each user's "minitel.ini" wherever it is, by its "Nom=" line.
        for (const auto& [path, bytes] : now) {
            if (!IsMinitelIni(path) || !bytes)
                continue;
            std::string content = text(path);
            size_t at = content.find("Nom=");
            std::string user = content.substr(at + 4, content.find('\r', at) - at - 4);
            std::string withoutFlag = content;
            size_t flag = withoutFlag.find("ForceUserActif");
            if (flag != std::string::npos)
                withoutFlag.erase(flag);
            EXPECT_TRUE(minitelTexts[user].count(content) || minitelTexts[user].count(withoutFlag))
                << InterruptionName(run.kind) << " at " << run.n << ": " << path << " holds " << content;
        }
        // reseau.dat and Numaut.dat go together.
        bool usersNew = text("reseau.dat").find("Dorothee") != std::string::npos;
        const std::vector<uint8_t> oldNumbers = TaggedNumbers(5);
        bool numbersOld = text("Numaut.dat") == std::string(oldNumbers.begin(), oldNumbers.end());
        EXPECT_NE(usersNew, numbersOld) << InterruptionName(run.kind) << " at " << run.n << " (" << run.operation
                                        << "): reseau.dat and Numaut.dat out of step";
    };
}

// Failures and torn writes at each operation: every file old or new, and
// every failure told to the administrator.
TEST_F(UserFilesFaultsTest, TheUsersWindowsConfirmationSurvivesAFailureAtEachOperation)
{
    Confirmation c;
    MakeConfirmation(c);
    c.save.kinds = {Interruption::failure, Interruption::tornFailure};
    FaultCounts counts = Run(c.save);
    EXPECT_GT(counts.operations, 40);
    EXPECT_EQ(counts.survived[Interruption::failure], counts.operations);
}

// The end of the process at each operation, then the next start.
TEST_F(UserFilesFaultsTest, TheUsersWindowsConfirmationSurvivesTheEndOfTheProcessAtEachOperation)
{
    Confirmation c;
    MakeConfirmation(c);
    c.save.kinds = {Interruption::stop, Interruption::tornStop};
    FaultCounts counts = Run(c.save);
    EXPECT_GT(counts.operations, 40);
    EXPECT_EQ(counts.survived[Interruption::stop], counts.operations);
    std::printf("[ faults   ] the users window's OK: %d interruptions survived\n", counts.Total());
}

TEST_F(UserFilesFaultsTest, TheUsersWindowsConfirmationDoesEverythingWhenNothingFails)
{
    Confirmation c;
    MakeConfirmation(c);
    UsersWindowState& state = c.state;
    SaveUnderTest& save = c.save;
    EmptyDirectory(Dir());
    save.prepare();
    ModalRecorder modal;
    ASSERT_TRUE(ConfirmUserChanges(nullptr, state));
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(ReadBytes(Path("\\Bob\\own.txt")), std::vector<uint8_t>({'A', 'n', 'n', 'e'}));
    EXPECT_EQ(ReadBytes(Path("\\Anne\\own.txt")), std::vector<uint8_t>({'B', 'o', 'b'}));
    EXPECT_FALSE(Exists(Path("\\Carl")));
    EXPECT_TRUE(DirExists(Path("\\Zoe")));
    EXPECT_TRUE(Exists(Path("\\Dorothee\\COMM\\big.bin")));
    auto table = std::make_unique<UserTable>();
    UserFileHeader header;
    ASSERT_EQ(DecodeUserFile(ReadBytes(Path("\\reseau.dat")), header, *table), UserFileVerdict::Usable);
    int emil = -1;
    for (int p = 0; p < table->header.userCount; ++p)
        if (std::string(table->records[p].name) == "Emil")
            emil = p;
    ASSERT_GE(emil, 0);
    char password[21];
    std::memcpy(password, table->records[emil].password, sizeof password);
    UnscrambleText(password);
    EXPECT_STREQ(password, "NOUVEAU") << "the workstation's password survived OK";
    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat"))[2], 0) << "its flag is cleared";
}
