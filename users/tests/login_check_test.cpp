#include "users/login_check.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"
#include "users/user_database.h"
#include "users/windows_user.h"

using namespace reseau_fixture;

class LoginCheckTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        FreeUserTable();
        SetWindowsUserNameForTests("Dupont");
    }
    void TearDown() override
    {
        SetWindowsUserNameForTests(nullptr);
        FreeUserTable();
        ProgramDirTest::TearDown();
    }
    std::string UserFile() const { return Path("\\reseau.dat"); }

    // An administrator DUPONT and a user MARC, both still with their name as
    // password; the table header at `tableAt`.
    std::vector<uint8_t> TwoUsers(uint32_t tableAt = 128)
    {
        Image image;
        image.tableAt = tableAt;
        image.userCount = 2;
        image.records = {CurrentRecord("DUPONT", 5), CurrentRecord("MARC", 0, 1)};
        std::vector<uint8_t> file = BuildImage(image);
        file.resize(tableAt + 96 + 1000 * 136);
        file[tableAt + 96 + 2 * 136 + 100] = 0x5C;  // in a slot past the users
        WriteBytes(UserFile(), file);
        return file;
    }

    // The file with the password of user `slot` replaced by `password`, scrambled.
    static std::vector<uint8_t> WithPassword(std::vector<uint8_t> file, size_t slot, const char* password,
                                             uint32_t tableAt = 128)
    {
        size_t at = tableAt + 96 + slot * 136;
        std::fill(file.begin() + at, file.begin() + at + 21, 0);
        PutBytes(file, at, Scrambled(password));
        return file;
    }
};

TEST_F(LoginCheckTest, FirstLoginStoresTheTypedPasswordInUpperCase)
{
    std::vector<uint8_t> file = TwoUsers();
    ModalRecorder modal;
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "Secret"), 1);
    std::vector<uint8_t> stored = WithPassword(file, 0, "SECRET");
    EXPECT_EQ(ReadBytes(UserFile()), stored);

    struct Case { const char* login; const char* password; int result; } after[] = {
        {"DUPONT", "secret", 1}, {"Dupont", "SECRET", 1}, {"dupont", "dupont", 0}, {"dupont", "other", 0},
        {"dupont", "", 0},       {"dupon", "secret", 0},
    };
    for (const auto& c : after)
        EXPECT_EQ(CheckAdministrator(nullptr, Dir(), c.login, c.password), c.result) << c.login << "/" << c.password;
    EXPECT_EQ(ReadBytes(UserFile()), stored);
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(LoginCheckTest, TypingTheNameAtFirstLoginChangesNothing)
{
    std::vector<uint8_t> file = TwoUsers();
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "DUPONT", "dupont"), 1);
    EXPECT_EQ(ReadBytes(UserFile()), file);
}

TEST_F(LoginCheckTest, UserWhoIsNotAnAdministratorGetsThePasswordStoredAndIsRefused)
{
    std::vector<uint8_t> file = TwoUsers();
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "marc", "motdepasse"), 0);
    EXPECT_EQ(ReadBytes(UserFile()), WithPassword(file, 1, "MOTDEPASSE"));

    UserRecord record;
    EXPECT_EQ(FindUserForLogin(nullptr, Dir(), "Marc", "x", record), 1);
    EXPECT_STREQ(record.name, "MARC");
    EXPECT_EQ(record.category, 0);
    EXPECT_EQ(record.station, 1);
    EXPECT_EQ(UserCount(), 2);  // the table is the file just read
}

TEST_F(LoginCheckTest, RecordsAreWrittenBackRightAfterTheTableHeader)
{
    std::vector<uint8_t> file = TwoUsers(512);
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "neuf"), 1);
    EXPECT_EQ(ReadBytes(UserFile()), WithPassword(file, 0, "NEUF", 512));  // shorter than the name it replaces
}

TEST_F(LoginCheckTest, UnknownLoginFindsNoUserAndEmptiesTheTable)
{
    std::vector<uint8_t> file = TwoUsers();
    ModalRecorder modal;
    for (const char* login : {"DURAND", "DUPONT2", "DUPON"}) {
        UserRecord record;
        EXPECT_EQ(FindUserForLogin(nullptr, Dir(), login, "x", record), 0) << login;
        EXPECT_EQ(UserCount(), 0) << login;
        EXPECT_EQ(CheckAdministrator(nullptr, Dir(), login, ""), 0) << login;
    }
    EXPECT_EQ(ReadBytes(UserFile()), file);
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(LoginCheckTest, EmptyLoginOnlyMeetsAnEmptySlotAndNeverPasses)
{
    std::vector<uint8_t> file = TwoUsers();
    UserRecord record;
    std::strcpy(record.name, "unchanged");
    EXPECT_EQ(FindUserForLogin(nullptr, Dir(), "", "secret", record), 1);
    EXPECT_STREQ(record.name, "");
    EXPECT_STREQ(record.password, "");  // an empty slot is no user: no password is stored in it
    EXPECT_STREQ(UserAt(2).password, "");
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "", "secret"), 0);
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "", ""), 0);
    EXPECT_EQ(ReadBytes(UserFile()), file);
}

// A first login whose password cannot be recorded is refused, and the
// administrator is told why, once.
TEST_F(LoginCheckTest, PasswordTooLongToStoreIsNotStored)
{
    std::vector<uint8_t> file = TwoUsers();
    ModalRecorder modal;
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "ABCDEFGHIJKLMNOPQRSTU"), 0);  // 21 characters
    EXPECT_EQ(CheckLogin(nullptr, Dir(), "dupont", "\x9D" "SECRET"), LoginVerdict::passwordNotRecorded);  // would scramble to a zero byte
    EXPECT_EQ(ReadBytes(UserFile()), file);
    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const ModalCall& call : modal.Calls()) {
        EXPECT_EQ(call.text, "Le nouveau mot de passe n'a pas pu être enregistré dans reseau.dat : la connexion est refusée.");
        EXPECT_EQ(call.caption, "Erreur mot de passe");
        EXPECT_EQ(call.type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
    }
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "ABCDEFGHIJKLMNOPQRST"), 1);
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "abcdefghijklmnopqrst"), 1);
}

TEST_F(LoginCheckTest, MissingDatabaseIsCreatedForTheWindowsUser)
{
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "premier"), 1);
    std::vector<uint8_t> file = ReadBytes(UserFile());
    ASSERT_EQ(file.size(), 136224u);
    EXPECT_EQ(TextAt(file, 224 + 21), "Dupont");
    EXPECT_EQ(TextAt(file, 224), Scrambled("PREMIER"));
}

TEST_F(LoginCheckTest, UnusableDatabaseIsReportedTwiceAndLeftAsItIs)
{
    Image image;
    image.formatCode = 0x2000;
    image.userCount = 1;
    image.records = {CurrentRecord("DUPONT", 5)};
    std::vector<uint8_t> file = BuildImage(image);
    WriteBytes(UserFile(), file);
    ModalRecorder modal;
    EXPECT_EQ(CheckAdministrator(nullptr, Dir(), "dupont", "secret"), 0);
    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const auto& call : modal.Calls()) {
        EXPECT_EQ(call.caption, "Erreur lecture fichier");
        EXPECT_EQ(call.text, "Le fichier reseau.dat n'est pas utilisable.");
        EXPECT_EQ(call.type & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
    }
    EXPECT_EQ(ReadBytes(UserFile()), file);
}

TEST_F(LoginCheckTest, DatabaseThatCannotBeMadeOrOpenedIsReported)
{
    ModalRecorder modal;
    EXPECT_EQ(CheckAdministrator(nullptr, Path("\\absent"), "dupont", "secret"), 0);
    ASSERT_EQ(modal.Calls().size(), 3u);
    EXPECT_EQ(modal.Calls()[0].caption, "ERREUR");
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(modal.Calls()[i].caption, "Erreur lecture de fichier");
        EXPECT_EQ(modal.Calls()[i].text, "Fichier reseau.dat non trouv\xE9.");
        EXPECT_EQ(modal.Calls()[i].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    }
}
