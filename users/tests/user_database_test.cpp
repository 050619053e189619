#include "users/user_database.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"
#include "users/windows_user.h"

using namespace reseau_fixture;

namespace {

const char kUnusableCaption[] = "Erreur lecture fichier";
const char kUnusableText[] = "Le fichier reseau.dat n'est pas utilisable.";
const char kMissingCaption[] = "Erreur lecture de fichier";
const char kMissingText[] = "Fichier reseau.dat non trouv\xE9.";

void ExpectMessage(const ModalCall& call, const char* caption, const char* text, UINT icon)
{
    EXPECT_EQ(call.kind, "message");
    EXPECT_EQ(call.caption, caption);
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.type & MB_ICONMASK, icon) << call.text;
    EXPECT_EQ(call.type & MB_TYPEMASK, static_cast<UINT>(MB_OK)) << call.text;
}

// The header of a file written by an older console: a description of its own,
// bytes in the reserved area, and two users with station 7 and multi-session 1.
std::vector<uint8_t> OldLayoutFile(const char* signature)
{
    bool wide = std::strcmp(signature, "Serveur2") == 0;
    std::vector<std::vector<uint8_t>> records;
    const char* names[] = {"Martin", "Durand"};
    for (int i = 0; i < 2; ++i) {
        std::vector<uint8_t> r(128, 0);
        PutBytes(r, 0, Scrambled(names[i]));
        PutBytes(r, 13, names[i]);
        PutBytes(r, 34, "ANCIEN");
        r[44] = i == 0 ? 5 : 0;
        r[45] = 0x31;
        r[46] = 0x32;
        if (wide) {
            Put16(r, 47, 7);
            Put16(r, 49, 1);
        } else {
            r[47] = 7;
            r[48] = 1;
        }
        r[60] = 0xEE;  // beyond the fields: not carried over
        records.push_back(r);
    }
    Image image;
    image.signature = signature;
    image.userCount = 2;
    image.records = records;
    std::vector<uint8_t> file = BuildImage(image);
    PutBytes(file, 32, "Poste de l'ancien serveur");
    file[120] = 0x42;
    return file;
}

}  // namespace

class UserDatabaseTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        FreeUserTable();
    }
    void TearDown() override
    {
        SetWindowsUserNameForTests(nullptr);
        FreeUserTable();
        ProgramDirTest::TearDown();
    }
    std::string UserFile() const { return Path("\\reseau.dat"); }
};

TEST_F(UserDatabaseTest, CreatedFileHoldsOneAdministratorNamedAfterTheWindowsUser)
{
    struct Case { const char* windowsName; const char* stored; } cases[] = {
        {"Dupont", "Dupont"},
        {"root", "root"},
        {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},
        {"Administrateur-du-reseau", "Administrateur-du-re"},  // cut to the field's 20 characters
    };
    for (const auto& c : cases) {
        ModalRecorder modal;
        DeleteFileA(UserFile().c_str());
        SetWindowsUserNameForTests(c.windowsName);
        CreateUserDatabase(nullptr, Dir());
        EXPECT_TRUE(modal.Calls().empty());

        std::vector<uint8_t> expected(136224, 0);
        WriteDefaultHeaders(expected, 1);
        PutBytes(expected, 224, Scrambled(c.stored));
        PutBytes(expected, 224 + 21, c.stored);
        expected[224 + 52] = 5;
        EXPECT_EQ(ReadBytes(UserFile()), expected) << c.windowsName;

        LoadUserDatabase(nullptr, Dir());
        ASSERT_EQ(UserCount(), 1) << c.windowsName;
        char password[21];
        std::memcpy(password, UserAt(0).password, 21);
        UnscrambleText(password);
        EXPECT_STREQ(password, c.stored);
    }
}

TEST_F(UserDatabaseTest, CreationLeavesAnExistingFileAsItIs)
{
    std::vector<uint8_t> garbage = {1, 2, 3, 4, 5};
    WriteBytes(UserFile(), garbage);
    ModalRecorder modal;
    CreateUserDatabase(nullptr, Dir());
    EXPECT_EQ(ReadBytes(UserFile()), garbage);
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(UserDatabaseTest, CreationThatCannotWriteSaysSoAndMakesNoFile)
{
    ModalRecorder modal;
    std::string absent = Path("\\absent");
    CreateUserDatabase(nullptr, absent);
    ASSERT_EQ(modal.Calls().size(), 1u);
    ExpectMessage(modal.Calls()[0], "ERREUR", "Impossible de cr\xE9" "er le fichier reseau.dat", MB_ICONSTOP);
    EXPECT_FALSE(Exists(absent + "\\reseau.dat"));
}

TEST_F(UserDatabaseTest, MissingFileIsReportedAndTheTableKept)
{
    Image image;
    image.userCount = 1;
    image.records = {CurrentRecord("ALICE", 5)};
    WriteBytes(UserFile(), BuildImage(image));
    LoadUserDatabase(nullptr, Dir());
    ASSERT_EQ(UserCount(), 1);

    ModalRecorder modal;
    LoadUserDatabase(nullptr, Path("\\absent"));
    ASSERT_EQ(modal.Calls().size(), 1u);
    ExpectMessage(modal.Calls()[0], kMissingCaption, kMissingText, MB_ICONEXCLAMATION);
    EXPECT_EQ(UserCount(), 1);
    EXPECT_STREQ(UserAt(0).name, "ALICE");
}

TEST_F(UserDatabaseTest, UnusableFileIsReportedEmptiesTheTableAndIsNeverWritten)
{
    Image good;
    good.userCount = 2;
    good.records = {CurrentRecord("ALICE", 5), CurrentRecord("BOB", 0)};
    std::vector<uint8_t> header = BuildImage(good);
    header.resize(100);
    struct Case { const char* what; std::vector<uint8_t> file; bool saveRefused = true; } cases[] = {
        {"wrong magic", BuildImage([&] { Image i = good; i.magic = 0x12345678; return i; }())},
        {"other format code", BuildImage([&] { Image i = good; i.formatCode = 0x2011; return i; }())},
        {"unknown signature", BuildImage([&] { Image i = good; i.signature = "Serveur9"; return i; }())},
        {"1001 users", BuildImage([&] { Image i = good; i.userCount = 1001; return i; }())},
        {"older layout, 1001 users",
         BuildImage([&] { Image i = good; i.signature = "Serveur"; i.userCount = 1001; return i; }())},
        {"65535 users", BuildImage([&] { Image i = good; i.userCount = 65535; return i; }())},
        // Nothing in it to lose: saving over it writes a whole new file.
        {"header cut short", header, false},
    };
    for (const auto& c : cases) {
        // A table from an earlier load, which must not survive.
        WriteBytes(UserFile(), BuildImage(good));
        LoadUserDatabase(nullptr, Dir());
        ASSERT_EQ(UserCount(), 2);

        WriteBytes(UserFile(), c.file);
        ModalRecorder modal;
        LoadUserDatabase(nullptr, Dir());
        ASSERT_EQ(modal.Calls().size(), 1u) << c.what;
        ExpectMessage(modal.Calls()[0], kUnusableCaption, kUnusableText, MB_ICONSTOP);
        EXPECT_EQ(UserCount(), 0) << c.what;
        EXPECT_STREQ(UserAt(0).name, "") << c.what;

        EXPECT_EQ(ReadBytes(UserFile()), c.file) << c.what;

        // Saving the empty table would wipe out users the console could not
        // read: the save is refused, with the same message.
        SaveUserDatabase(nullptr, 0);
        EXPECT_FALSE(Exists(UserFile() + ".new")) << c.what;
        if (!c.saveRefused) {
            EXPECT_EQ(modal.Calls().size(), 1u) << c.what;
            EXPECT_EQ(ReadBytes(UserFile()).size(), 136224u) << c.what;
            continue;
        }
        ASSERT_EQ(modal.Calls().size(), 2u) << c.what;
        ExpectMessage(modal.Calls()[1], kUnusableCaption, kUnusableText, MB_ICONSTOP);
        EXPECT_EQ(ReadBytes(UserFile()), c.file) << c.what;
    }
}

TEST_F(UserDatabaseTest, OlderLayoutsAreConvertedAndTheFileRewrittenOnce)
{
    for (const char* signature : {"Serveur", "Serveur2"}) {
        std::vector<uint8_t> old = OldLayoutFile(signature);
        WriteBytes(UserFile(), old);
        ModalRecorder modal;
        LoadUserDatabase(nullptr, Dir());
        EXPECT_TRUE(modal.Calls().empty()) << signature;

        ASSERT_EQ(UserCount(), 2) << signature;
        EXPECT_STREQ(UserAt(0).name, "Martin");
        EXPECT_STREQ(UserAt(1).name, "Durand");
        EXPECT_EQ(UserAt(0).category, 5);
        EXPECT_EQ(UserAt(0).station, 7) << signature;
        EXPECT_EQ(UserAt(0).multiSession, 1) << signature;
        EXPECT_EQ(std::string(UserAt(1).legacyText), "ANCIEN");
        EXPECT_EQ(UserAt(1).legacyByte1, 0x31);
        EXPECT_EQ(UserAt(1).legacyByte2, 0x32);

        // Header and table header as read, the signature now "Serveur3", then
        // the two users in 136-byte records.
        std::vector<uint8_t> expected(224 + 2 * 136, 0);
        std::copy(old.begin(), old.begin() + 224, expected.begin());
        std::fill(expected.begin(), expected.begin() + 32, 0);
        PutBytes(expected, 0, "Serveur3");
        const char* names[] = {"Martin", "Durand"};
        for (int i = 0; i < 2; ++i) {
            size_t at = 224 + 136 * i;
            PutBytes(expected, at, Scrambled(names[i]));
            PutBytes(expected, at + 21, names[i]);
            PutBytes(expected, at + 42, "ANCIEN");
            expected[at + 52] = i == 0 ? 5 : 0;
            expected[at + 53] = 0x31;
            expected[at + 54] = 0x32;
            Put16(expected, at + 55, 7);
            Put16(expected, at + 57, 1);
        }
        std::vector<uint8_t> converted = ReadBytes(UserFile());
        EXPECT_EQ(converted, expected) << signature;

        LoadUserDatabase(nullptr, Dir());
        EXPECT_EQ(ReadBytes(UserFile()), converted) << signature << ": read again without conversion";
        EXPECT_EQ(UserAt(1).station, 7);
        EXPECT_FALSE(Exists(UserFile() + ".new"));
    }
}

TEST_F(UserDatabaseTest, ShortFileIsReadAsFarAsItHolds)
{
    Image image;
    image.userCount = 3;
    std::vector<uint8_t> partial = CurrentRecord("CAROLINE", 0, 9);
    partial.resize(25);  // ends inside the name
    image.records = {CurrentRecord("ALICE", 5), partial};
    std::vector<uint8_t> file = BuildImage(image);
    WriteBytes(UserFile(), file);

    ModalRecorder modal;
    LoadUserDatabase(nullptr, Dir());
    EXPECT_TRUE(modal.Calls().empty());
    ASSERT_EQ(UserCount(), 3);
    EXPECT_STREQ(UserAt(0).name, "ALICE");
    EXPECT_STREQ(UserAt(1).name, "CARO");
    EXPECT_EQ(UserAt(1).station, 0);
    EXPECT_STREQ(UserAt(2).name, "");
    EXPECT_EQ(ReadBytes(UserFile()), file);
}

TEST_F(UserDatabaseTest, SaveKeepsTheHeaderAndWritesEverySlot)
{
    Image image;
    image.userCount = 2;
    image.records = {CurrentRecord("ALICE", 5), CurrentRecord("BOB", 0, 4)};
    std::vector<uint8_t> file = BuildImage(image);
    for (size_t i = 9; i < 80; ++i)
        file[i] = static_cast<uint8_t>(0x80 + i);  // signature tail, description: another program's bytes
    for (size_t i = 96; i < 128; ++i)
        file[i] = static_cast<uint8_t>(i);
    WriteBytes(UserFile(), file);
    LoadUserDatabase(nullptr, Dir());
    ASSERT_EQ(UserCount(), 2);
    UserAt(1).multiSession = 1;
    std::strcpy(UserAt(1).name, "ROBERT");

    ModalRecorder modal;
    SaveUserDatabase(nullptr, 0);
    EXPECT_TRUE(modal.Calls().empty());
    std::vector<uint8_t> saved = ReadBytes(UserFile());
    ASSERT_EQ(saved.size(), 136224u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 224, file.begin()));
    EXPECT_EQ(TextAt(saved, 224 + 21), "ALICE");
    EXPECT_EQ(TextAt(saved, 224 + 136 + 21), "ROBERT");
    EXPECT_EQ(saved[224 + 136 + 55], 4);
    EXPECT_EQ(saved[224 + 136 + 57], 1);
    EXPECT_TRUE(std::all_of(saved.begin() + 224 + 2 * 136, saved.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(UserDatabaseTest, SaveOverNoFileOrAShortOneWritesTheDefaultHeader)
{
    Image image;
    image.userCount = 1;
    image.records = {CurrentRecord("ALICE", 5)};
    WriteBytes(UserFile(), BuildImage(image));
    LoadUserDatabase(nullptr, Dir());
    ASSERT_TRUE(CreateDirectoryA(Path("\\usertemp").c_str(), nullptr));

    std::vector<uint8_t> defaultHeader(128, 0);
    PutBytes(defaultHeader, 0, "Serveur3");
    PutBytes(defaultHeader, 32, "Pa");
    PutBytes(defaultHeader, 34, "Parametrages postes");
    Put32(defaultHeader, 80, 0x0106A9D6);
    Put32(defaultHeader, 84, 0x2012);
    Put32(defaultHeader, 88, 128);
    Put32(defaultHeader, 92, 224);
    for (bool shortFile : {false, true}) {
        std::string work = Path("\\usertemp\\reseau.dat");
        DeleteFileA(work.c_str());
        if (shortFile)
            WriteBytes(work, std::vector<uint8_t>(60, 0x77));
        ModalRecorder modal;
        SaveUserDatabase(nullptr, 1);
        EXPECT_TRUE(modal.Calls().empty());
        std::vector<uint8_t> saved = ReadBytes(work);
        ASSERT_EQ(saved.size(), 136224u) << shortFile;
        EXPECT_TRUE(std::equal(defaultHeader.begin(), defaultHeader.end(), saved.begin())) << shortFile;
        EXPECT_EQ(TextAt(saved, 224 + 21), "ALICE");
    }
}

TEST_F(UserDatabaseTest, SaveThatCannotWriteSaysSo)
{
    ModalRecorder modal;
    SaveUserDatabase(nullptr, 1);  // no usertemp directory
    ASSERT_EQ(modal.Calls().size(), 1u);
    ExpectMessage(modal.Calls()[0], kMissingCaption, kMissingText, MB_ICONEXCLAMATION);
    EXPECT_FALSE(Exists(Path("\\usertemp\\reseau.dat")));
}

TEST_F(UserDatabaseTest, SaveReachesAFileTheServerHoldsOpen)
{
    SetWindowsUserNameForTests("ALICE");
    CreateUserDatabase(nullptr, Dir());
    LoadUserDatabase(nullptr, Dir());
    std::strcpy(UserAt(0).name, "ALINE");
    HANDLE held = CreateFileA(UserFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ModalRecorder modal;
    SaveUserDatabase(nullptr, 0);
    CloseHandle(held);
    EXPECT_TRUE(modal.Calls().empty());
    std::vector<uint8_t> saved = ReadBytes(UserFile());
    ASSERT_EQ(saved.size(), 136224u);
    EXPECT_EQ(TextAt(saved, 224 + 21), "ALINE");
}

TEST_F(UserDatabaseTest, WorkCopyIsMadeCommittedAndDiscarded)
{
    std::string work = Path("\\usertemp\\reseau.dat");
    EXPECT_FALSE(OpenUserWorkCopy());  // nothing to copy
    EXPECT_FALSE(Exists(work));

    SetWindowsUserNameForTests("ALICE");
    CreateUserDatabase(nullptr, Dir());
    std::vector<uint8_t> original = ReadBytes(UserFile());
    WriteBytes(work, {9, 9, 9});  // a copy left from an earlier session
    ASSERT_TRUE(OpenUserWorkCopy());
    EXPECT_EQ(ReadBytes(work), original);

    LoadUserDatabase(nullptr, Path("\\usertemp"));
    std::strcpy(UserAt(0).name, "ALINE");
    SaveUserDatabase(nullptr, 1);
    EXPECT_EQ(ReadBytes(UserFile()), original);
    ASSERT_TRUE(CommitUserWorkCopy());
    EXPECT_EQ(ReadBytes(UserFile()), ReadBytes(work));
    EXPECT_EQ(TextAt(ReadBytes(UserFile()), 224 + 21), "ALINE");

    DiscardUserWorkCopy();
    EXPECT_FALSE(Exists(work));
    EXPECT_FALSE(DirExists(Path("\\usertemp")));
    EXPECT_FALSE(CommitUserWorkCopy());
    EXPECT_EQ(TextAt(ReadBytes(UserFile()), 224 + 21), "ALINE");
}

TEST_F(UserDatabaseTest, StoredPasswordIsReadAfreshByNameInAnyCase)
{
    Image image;
    image.userCount = 2;
    image.records = {CurrentRecord("ALICE", 5), CurrentRecord("BOB", 0)};
    PutBytes(image.records[1], 0, std::string(21, '\0'));
    PutBytes(image.records[1], 0, Scrambled("NOUVEAU"));  // changed by the workstation
    WriteBytes(UserFile(), BuildImage(image));
    std::strcpy(UserAt(0).name, "UNTOUCHED");

    struct Case { const char* name; int found; const char* password; } cases[] = {
        {"bob", 1, "NOUVEAU"}, {"Alice", 1, "ALICE"}, {"BOB ", 0, ""}, {"", 0, ""}, {"CAROL", 0, ""},
    };
    for (const auto& c : cases) {
        char out[21] = {};
        EXPECT_EQ(ReadStoredPassword(c.name, out), c.found) << c.name;
        UnscrambleText(out);
        EXPECT_STREQ(out, c.password) << c.name;
    }
    EXPECT_STREQ(UserAt(0).name, "UNTOUCHED");

    ModalRecorder modal;
    char out[21] = {};
    WriteBytes(UserFile(), BuildImage([&] { Image i = image; i.magic = 1; return i; }()));
    EXPECT_EQ(ReadStoredPassword("bob", out), 0);
    DeleteFileA(UserFile().c_str());
    EXPECT_EQ(ReadStoredPassword("bob", out), 0);
    EXPECT_TRUE(modal.Calls().empty());
}
