#include "users/import_accounts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<UserTable> EmptyTable()
{
    auto table = std::make_unique<UserTable>();
    table->header = DefaultUserTableHeader(0);
    return table;
}

std::vector<uint8_t> RecordBytes(const UserRecord& record)
{
    std::vector<uint8_t> bytes(kUserRecordSize);
    WriteUserRecord(record, std::span<uint8_t, kUserRecordSize>(bytes.data(), kUserRecordSize));
    return bytes;
}

// A record image: password at 0, name at 21, category at 52, all else zero.
std::vector<uint8_t> ExpectedRecord(const std::string& password, const std::string& name, uint8_t category)
{
    std::vector<uint8_t> bytes(kUserRecordSize, 0);
    std::memcpy(bytes.data() + 0, password.data(), password.size());
    std::memcpy(bytes.data() + 21, name.data(), name.size());
    bytes[52] = category;
    return bytes;
}

std::string NameAt(const UserTable& table, int position)
{
    return table.records[position].name;
}

struct Account {
    std::string name;
    bool administrator;
};

std::unique_ptr<UserTable> TableOf(const std::vector<Account>& accounts)
{
    auto table = EmptyTable();
    for (const Account& a : accounts)
        EXPECT_EQ(TakeImportedAccount(*table, a.name, a.administrator), AccountVerdict::Taken) << a.name;
    return table;
}

}  // namespace

TEST(TakeImportedAccount, StoresTheNameItsScrambledFormAndTheRight)
{
    auto table = EmptyTable();
    ASSERT_EQ(TakeImportedAccount(*table, "Bob", false), AccountVerdict::Taken);
    ASSERT_EQ(TakeImportedAccount(*table, "ADMIN", true), AccountVerdict::Taken);
    EXPECT_EQ(table->header.userCount, 2);
    // ((byte XOR position) + 99) modulo 256: B 0x42 -> 0xA5, o 0x6F^1 -> 0xD1, b 0x62^2 -> 0xC3.
    EXPECT_EQ(RecordBytes(table->records[0]), ExpectedRecord("\xA5\xD1\xC3", "Bob", 0));
    // A 0x41 -> 0xA4, D 0x44^1 -> 0xA8, M 0x4D^2 -> 0xB2, I 0x49^3 -> 0xAD, N 0x4E^4 -> 0xAD.
    EXPECT_EQ(RecordBytes(table->records[1]), ExpectedRecord("\xA4\xA8\xB2\xAD\xAD", "ADMIN", 5));
    EXPECT_EQ(RecordBytes(table->records[2]), std::vector<uint8_t>(kUserRecordSize, 0)) << "the next slot stays empty";
}

TEST(TakeImportedAccount, RefusesNamesThatCannotBeStoredWholeOrOnce)
{
    struct Case {
        std::string name;
        AccountVerdict verdict;
    } cases[] = {
        {"Zo\xE9", AccountVerdict::Taken},
        {"", AccountVerdict::Empty},
        {"TwentyCharactersLong", AccountVerdict::Taken},   // 20: fits
        {"TwentyOneCharactersXY", AccountVerdict::TooLong}, // 21: would be cut
        {std::string(259, 'x'), AccountVerdict::TooLong},
        {"CON", AccountVerdict::Unusable},
        {"nul.txt", AccountVerdict::Unusable},
        {"a/b", AccountVerdict::Unusable},
        {"a\\b", AccountVerdict::Unusable},
        {"..", AccountVerdict::Unusable},
        {"fin.", AccountVerdict::Unusable},
        {"tab\there", AccountVerdict::Unusable},
        {"\x9Dx", AccountVerdict::Unusable},               // 0x9D at 0 scrambles to zero: the password would end there
        {"zo\xC9", AccountVerdict::Repeated},              // "Zoé" in other letters
        {"TWENTYCHARACTERSLONG", AccountVerdict::Repeated},
        {"Jean Dupont", AccountVerdict::Taken},
    };
    auto table = EmptyTable();
    int taken = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(TakeImportedAccount(*table, c.name, false), c.verdict) << "\"" << c.name << "\"";
        taken += c.verdict == AccountVerdict::Taken;
        EXPECT_EQ(table->header.userCount, taken) << "\"" << c.name << "\"";
    }
    EXPECT_EQ(NameAt(*table, 0), "Zo\xE9");
    EXPECT_EQ(NameAt(*table, 1), "TwentyCharactersLong");
    EXPECT_EQ(NameAt(*table, 2), "Jean Dupont");
    EXPECT_EQ(RecordBytes(table->records[3]), std::vector<uint8_t>(kUserRecordSize, 0));
}

TEST(TakeImportedAccount, AFullTableTakesNoMore)
{
    auto table = EmptyTable();
    for (int i = 0; i < MaxUsers; ++i)
        ASSERT_EQ(TakeImportedAccount(*table, "U" + std::to_string(i), false), AccountVerdict::Taken);
    EXPECT_EQ(TakeImportedAccount(*table, "Extra", false), AccountVerdict::Full);
    EXPECT_EQ(table->header.userCount, MaxUsers);
    EXPECT_EQ(NameAt(*table, MaxUsers - 1), "U999");
}

TEST(FinishImport, LeavesAnAdministratorThatCanLogIn)
{
    struct Case {
        const char* what;
        std::vector<Account> accounts;
        std::string windowsUser;
        bool thisComputerOnly;
        ImportEnding ending;
        std::vector<std::string> names;       // afterwards
        std::vector<uint8_t> categories;      // afterwards
    } cases[] = {
        {"network, with an administrator", {{"ADMIN", true}, {"Bob", false}}, "Dupont", false,
         ImportEnding::AsRead, {"ADMIN", "Bob"}, {5, 0}},
        {"this computer, Windows user not among them: takes over the last",
         {{"Alice", false}, {"Bob", false}, {"Carl", false}}, "Dupont", true,
         ImportEnding::TakenOver, {"Alice", "Bob", "Dupont"}, {0, 0, 5}},
        {"this computer, takes over even when an administrator was read",
         {{"ADMIN", true}, {"Bob", false}}, "Dupont", true,
         ImportEnding::TakenOver, {"ADMIN", "Dupont"}, {5, 5}},
        {"this computer, Windows user among them in other letters", {{"ADMIN", true}, {"DUPONT", false}}, "Dupont",
         true, ImportEnding::AsRead, {"ADMIN", "DUPONT"}, {5, 0}},
        {"network, no administrator, Windows user among them: raised",
         {{"alice", false}, {"dupont", false}, {"zed", false}}, "Dupont", false,
         ImportEnding::CurrentUserRaised, {"alice", "dupont", "zed"}, {0, 5, 0}},
        {"network, no administrator, Windows user not among them: takes over the last",
         {{"alice", false}, {"zed", false}}, "Dupont", false,
         ImportEnding::TakenOver, {"alice", "Dupont"}, {0, 5}},
        {"this computer, no administrator, Windows user among them: raised",
         {{"alice", false}, {"Dupont", false}}, "Dupont", true,
         ImportEnding::CurrentUserRaised, {"alice", "Dupont"}, {0, 5}},
        {"no administrator and a Windows user that cannot be stored", {{"alice", false}}, "", false,
         ImportEnding::NoAdministrator, {"alice"}, {0}},
        {"no administrator and a Windows user that names a device", {{"alice", false}}, "NUL", true,
         ImportEnding::NoAdministrator, {"alice"}, {0}},
        {"this computer, a Windows user that cannot be stored takes nothing over",
         {{"ADMIN", true}, {"Bob", false}}, "a:b", true,
         ImportEnding::AsRead, {"ADMIN", "Bob"}, {5, 0}},
        {"nothing read", {}, "Dupont", true, ImportEnding::AsRead, {}, {}},
    };
    for (const auto& c : cases) {
        auto table = TableOf(c.accounts);
        EXPECT_EQ(FinishImport(*table, c.windowsUser, c.thisComputerOnly), c.ending) << c.what;
        ASSERT_EQ(table->header.userCount, c.names.size()) << c.what;
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(NameAt(*table, static_cast<int>(i)), c.names[i]) << c.what << ", user " << i;
            EXPECT_EQ(table->records[i].category, c.categories[i]) << c.what << ", user " << i;
        }
        EXPECT_EQ(HasAdministrator(*table), c.ending != ImportEnding::NoAdministrator && !c.names.empty()) << c.what;
    }
}

TEST(FinishImport, ATakenOverRecordHoldsOnlyTheWindowsUser)
{
    auto table = EmptyTable();
    ASSERT_EQ(TakeImportedAccount(*table, "Carl", false), AccountVerdict::Taken);
    table->records[0].station = 7;
    table->records[0].multiSession = 1;
    ASSERT_EQ(FinishImport(*table, "Bob", true), ImportEnding::TakenOver);
    EXPECT_EQ(RecordBytes(table->records[0]), ExpectedRecord("\xA5\xD1\xC3", "Bob", 5));
}
