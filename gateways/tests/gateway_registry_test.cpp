#include "gateways/gateway_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "tests/fixtures/byte_fixture.h"
#include "tests/wine/test_support.h"

namespace {

using byte_fixture::Bytes;
using byte_fixture::Put32;

// admin.dat: the count at 0, slot i at 4 + 136 i (modemCount, number, name),
// gateways without modems.
Bytes AdminDat(std::initializer_list<std::pair<uint32_t, const char*>> gateways)
{
    Bytes bytes(1092, 0);
    int slot = 0;
    for (const auto& [number, name] : gateways) {
        size_t at = 4 + 136 * slot++;
        Put32(bytes, at + 4, number);
        std::memcpy(bytes.data() + at + 8, name, std::strlen(name) + 1);
    }
    Put32(bytes, 0, static_cast<uint32_t>(slot));
    return bytes;
}

// Journal.dat: a count, then 564-byte records with the gateway name at 256
// and the user name at 306.
Bytes JournalDat(const std::vector<std::string>& gateways)
{
    Bytes bytes(4 + 564 * gateways.size(), 0);
    Put32(bytes, 0, static_cast<uint32_t>(gateways.size()));
    for (size_t i = 0; i < gateways.size(); ++i) {
        size_t at = 4 + 564 * i;
        std::memcpy(bytes.data() + at + 256, gateways[i].c_str(), gateways[i].size() + 1);
        std::memcpy(bytes.data() + at + 306, "DURAND", 7);
        bytes[at + 456] = static_cast<uint8_t>(i + 1);  // the server's own bytes
    }
    return bytes;
}

void CancelDialog(HWND dialog)
{
    PressButton(dialog, IDCANCEL);
}

std::vector<std::string> JournalGateways(const Bytes& journal)
{
    std::vector<std::string> names;
    for (size_t at = 4; at + 564 <= journal.size(); at += 564)
    {
        auto field = reinterpret_cast<const char*>(journal.data() + at + 256);
        names.emplace_back(field, strnlen(field, 50));
    }
    return names;
}

}  // namespace

class GatewayRegistryTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        Gateways = GatewayTable{};
        CurrentGateway = 0;
    }
    std::string AdminPath() const { return Path("\\admin.dat"); }

    // Creates gateways until the table holds `count`.
    void CreateGateways(int count)
    {
        while (Gateways.count < count)
            ASSERT_GE(AddGatewaySlot(), 0);
    }
};

TEST_F(GatewayRegistryTest, MissingOrShortFileGivesAnEmptyTableAndA1092ByteFile)
{
    struct Case { const char* what; bool write; Bytes content; } cases[] = {
        {"missing", false, {}},
        {"empty", true, {}},
        {"cut", true, Bytes(300, 0)},
    };
    for (const auto& c : cases) {
        DeleteFileA(AdminPath().c_str());
        if (c.write)
            WriteBytes(AdminPath(), c.content);
        Gateways.count = 5;
        LoadGatewayTable();
        EXPECT_EQ(Gateways.count, 0) << c.what;
        EXPECT_EQ(ReadBytes(AdminPath()), Bytes(1092, 0)) << c.what;
    }
}

TEST_F(GatewayRegistryTest, LoadsTheTableAndSavesItByteForByte)
{
    Bytes bytes = AdminDat({{0, "Pass0"}, {3, "Agence Nord"}});
    bytes[4 + 136] = 2;              // modems of the second gateway
    bytes[4 + 136 + 8 + 90] = 0x42;  // after a name's terminator
    WriteBytes(AdminPath(), bytes);
    LoadGatewayTable();
    ASSERT_EQ(Gateways.count, 2);
    EXPECT_EQ(Gateways.slots[1].number, 3u);
    EXPECT_EQ(Gateways.slots[1].modemCount, 2u);
    EXPECT_STREQ(Gateways.slots[1].name, "Agence Nord");
    EXPECT_EQ(GatewayDirectory(1), Path("\\pass3"));
    EXPECT_EQ(ReadBytes(AdminPath()), bytes);  // loading a whole file does not write it

    Gateways.slots[0].modemCount = 4;
    ASSERT_TRUE(SaveGatewayTable());
    bytes[4] = 4;
    EXPECT_EQ(ReadBytes(AdminPath()), bytes);
}

// An admin.dat that is there but cannot be read (another program holds it)
// is said, kept, and never replaced by the empty table the load leaves:
// neither by the load nor by a save, until a load reads it again.
TEST_F(GatewayRegistryTest, AnUnreadableFileIsSaidKeptAndNeverReplaced)
{
    Bytes file = AdminDat({{0, "Paris"}, {1, "Lyon"}});
    WriteBytes(AdminPath(), file);
    HANDLE held = CreateFileA(AdminPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ModalRecorder modal;
    LoadGatewayTable();
    EXPECT_EQ(Gateways.count, 0);
    EXPECT_TRUE(IsGatewayTableUnreadable());
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, "Le fichier admin.dat ne peut pas être lu : il est conservé tel quel, et les "
                                     "passerelles ne peuvent pas être modifiées.");
    EXPECT_EQ(modal.Calls()[0].caption, "Erreur lecture de fichier");
    CloseHandle(held);
    EXPECT_FALSE(SaveGatewayTable());
    EXPECT_EQ(ReadBytes(AdminPath()), file);
    LoadGatewayTable();
    EXPECT_FALSE(IsGatewayTableUnreadable());
    EXPECT_EQ(Gateways.count, 2);
    EXPECT_TRUE(SaveGatewayTable());
    EXPECT_EQ(ReadBytes(AdminPath()), file);
}

TEST_F(GatewayRegistryTest, FailedSaveLeavesThePreviousFile)
{
    Bytes bytes = AdminDat({{0, "Pass0"}});
    WriteBytes(AdminPath(), bytes);
    LoadGatewayTable();
    // Another program holds the file and lets nobody write or replace it.
    HANDLE held = CreateFileA(AdminPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::strcpy(Gateways.slots[0].name, "Nord");
    EXPECT_FALSE(SaveGatewayTable());
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(AdminPath()), bytes);
    EXPECT_FALSE(Exists(AdminPath() + ".new"));
}

TEST_F(GatewayRegistryTest, NewGatewayGetsItsDirectoryAndEmptyLineFiles)
{
    LoadGatewayTable();
    ASSERT_EQ(AddGatewaySlot(), 0);
    EXPECT_EQ(CurrentGateway, 0);
    EXPECT_EQ(ReadBytes(AdminPath()), AdminDat({{0, "Pass0"}}));
    Bytes lines = ReadBytes(Path("\\pass0\\comlines.dat"));
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(lines.data())), "ComLinesManagment");
    EXPECT_EQ(lines[128], 0x80);  // records of 640 bytes
    EXPECT_EQ(lines[129], 0x02);
    EXPECT_EQ(lines[130], 0);  // no line
    Bytes settings = ReadBytes(Path("\\pass0\\Fax0Mid.mid"));
    ASSERT_EQ(settings.size(), 4224u);
    EXPECT_EQ(Bytes(settings.begin(), settings.begin() + 4), (Bytes{'M', 'I', 'D', 2}));
}

TEST_F(GatewayRegistryTest, FreedNumberIsReusedLowestFirst)
{
    LoadGatewayTable();
    CreateGateways(3);
    RemoveGatewayAt(1);
    EXPECT_FALSE(DirExists(Path("\\pass1")));
    EXPECT_TRUE(DirExists(Path("\\pass0")));
    EXPECT_TRUE(DirExists(Path("\\pass2")));
    EXPECT_EQ(ReadBytes(AdminPath()), AdminDat({{0, "Pass0"}, {2, "Pass2"}}));

    ASSERT_EQ(AddGatewaySlot(), 2);
    EXPECT_EQ(Gateways.slots[2].number, 1u);
    EXPECT_STREQ(Gateways.slots[2].name, "Pass1");
    EXPECT_TRUE(Exists(Path("\\pass1\\comlines.dat")));
    Bytes saved = ReadBytes(AdminPath());
    EXPECT_EQ(saved[0], 3);
    EXPECT_EQ(saved[4 + 2 * 136 + 4], 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(saved.data() + 4 + 2 * 136 + 8), "Pass1");
}

TEST_F(GatewayRegistryTest, DeletionRemovesJournalRecordsPcpFileAndDirectory)
{
    LoadGatewayTable();
    CreateGateways(2);
    std::strcpy(Gateways.slots[1].name, "Nord");
    WriteBytes(Path("\\Journal.dat"), JournalDat({"Pass0", "Nord", "Nord2", "nord", "Nord"}));
    WriteBytes(Path("\\Nord.pcp"), {1, 2, 3});
    WriteBytes(Path("\\Pass0.pcp"), {4});
    WriteBytes(Path("\\pass1\\extra.bin"), {5});
    CreateDirectoryA(Path("\\pass1\\sous").c_str(), nullptr);
    WriteBytes(Path("\\pass1\\sous\\a.cnf"), {6});

    RemoveGatewayAt(1);
    EXPECT_EQ(Gateways.count, 1);
    EXPECT_EQ(JournalGateways(ReadBytes(Path("\\Journal.dat"))), (std::vector<std::string>{"Pass0", "Nord2", "nord"}));
    EXPECT_FALSE(Exists(Path("\\Nord.pcp")));
    EXPECT_TRUE(Exists(Path("\\Pass0.pcp")));
    EXPECT_FALSE(DirExists(Path("\\pass1")));
    EXPECT_TRUE(DirExists(Path("\\pass0")));

    RemoveGatewayAt(1);  // no longer a gateway: nothing happens
    RemoveGatewayAt(-1);
    EXPECT_EQ(Gateways.count, 1);
    EXPECT_TRUE(DirExists(Path("\\pass0")));
}

TEST_F(GatewayRegistryTest, NamesThatAreNoFileNameNeverReachAFile)
{
    // Each name, used as a path, would name a file outside the program
    // directory or the program directory's own pass.ini.
    const char* names[] = {"..\\quorel-victim", "../quorel-victim", "", "..", "sous\\..\\..\\quorel-victim",
                           "quorel-victim\x01"};
    std::string outside = Dir() + "\\..\\quorel-victim";
    RemoveTree(outside);
    CreateDirectoryA(outside.c_str(), nullptr);
    WriteBytes(outside + ".pcp", {7, 7});
    WriteBytes(Path("\\.pcp"), {8});
    WritePrivateProfileStringA("pass0", "AccesDirectIP", "1", Path("\\pass.ini").c_str());
    LoadGatewayTable();
    for (const char* name : names) {
        CreateGateways(1);
        std::strcpy(Gateways.slots[0].name, name);
        EXPECT_FALSE(WriteForceActif(0)) << name;
        RemoveGatewayAt(0);
        EXPECT_EQ(Gateways.count, 0) << name;
    }
    EXPECT_EQ(ReadBytes(outside + ".pcp"), (Bytes{7, 7}));
    EXPECT_FALSE(Exists(outside + "\\pass.ini"));
    EXPECT_TRUE(Exists(Path("\\.pcp")));
    EXPECT_EQ(IniText(Path("\\pass.ini"), "Passerelle", "ForceActif"), "");
    DeleteFileA((outside + ".pcp").c_str());
    RemoveTree(outside);
}

TEST_F(GatewayRegistryTest, ForceActifGoesIntoTheDirectoryNamedAfterTheGateway)
{
    LoadGatewayTable();
    CreateGateways(2);
    ASSERT_TRUE(WriteForceActif(1));  // "Pass1" names the directory pass1
    EXPECT_EQ(IniText(Path("\\pass1\\pass.ini"), "Passerelle", "ForceActif"), "1");

    std::strcpy(Gateways.slots[0].name, "Agence Nord");
    EXPECT_FALSE(WriteForceActif(0));  // no such directory, and none is made
    EXPECT_FALSE(DirExists(Path("\\Agence Nord")));
    EXPECT_FALSE(WriteForceActif(2));
}

TEST_F(GatewayRegistryTest, ChangeMarkIsTheStampOfNowInTheSectionOfThePosition)
{
    auto stamp = [] {
        std::time_t now = std::time(nullptr);
        std::tm local = *std::localtime(&now);
        char text[32];
        std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                      local.tm_year, local.tm_hour, local.tm_min, local.tm_sec);
        return std::string(text);
    };
    std::string before = stamp();
    MarkGatewayChanged(3);
    std::string after = stamp();
    std::string written = IniText(Path("\\admin.ini"), "Pass3", "LastChange");
    EXPECT_TRUE(written == before || written == after) << written;
    EXPECT_EQ(written.substr(6, 3), before.substr(6, 3));  // years since 1900: 126 in 2026
    EXPECT_EQ(IniText(Path("\\admin.ini"), "Pass0", "LastChange"), "");
}

TEST_F(GatewayRegistryTest, RenameCarriesTheNewNameIntoTheJournalAndBack)
{
    LoadGatewayTable();
    CreateGateways(2);
    Bytes journal = JournalDat({"Pass1", "Pass0", "Pass1", "Pass10"});
    WriteBytes(Path("\\Journal.dat"), journal);

    EXPECT_FALSE(RenameGatewayInJournal("Pass1", 1));  // name unchanged
    EXPECT_EQ(ReadBytes(Path("\\Journal.dat")), journal);

    std::strcpy(Gateways.slots[1].name, "Agence Nord");
    EXPECT_TRUE(RenameGatewayInJournal("Pass1", 1));
    EXPECT_EQ(JournalGateways(ReadBytes(Path("\\Journal.dat"))),
              (std::vector<std::string>{"Agence Nord", "Pass0", "Agence Nord", "Pass10"}));

    std::strcpy(Gateways.slots[1].name, "Pass1");
    EXPECT_TRUE(RenameGatewayInJournal("Agence Nord", 1));
    Bytes back = ReadBytes(Path("\\Journal.dat"));
    EXPECT_EQ(JournalGateways(back), JournalGateways(journal));
    EXPECT_EQ(back[4 + 564 * 2 + 456], 3);  // the rest of each record stays
}

TEST_F(GatewayRegistryTest, LongNameReachesTheJournalCutToItsField)
{
    LoadGatewayTable();
    CreateGateways(1);
    WriteBytes(Path("\\Journal.dat"), JournalDat({"Pass0"}));
    std::string longName(90, 'L');
    std::strcpy(Gateways.slots[0].name, longName.c_str());
    EXPECT_TRUE(RenameGatewayInJournal("Pass0", 0));
    Bytes journal = ReadBytes(Path("\\Journal.dat"));
    ASSERT_EQ(journal.size(), 4u + 564);
    EXPECT_EQ(JournalGateways(journal), (std::vector<std::string>{std::string(49, 'L')}));
    EXPECT_STREQ(reinterpret_cast<const char*>(journal.data() + 4 + 306), "DURAND");  // the user field is untouched
}

TEST_F(GatewayRegistryTest, NameTakenByAnotherPositionOnly)
{
    LoadGatewayTable();
    EXPECT_EQ(IsGatewayNameTaken("Pass0"), 0);
    CreateGateways(2);
    CurrentGateway = 1;
    EXPECT_EQ(IsGatewayNameTaken("Pass0"), 1);
    EXPECT_EQ(IsGatewayNameTaken("Pass1"), 0);
    EXPECT_EQ(IsGatewayNameTaken("PASS0"), 1);
    EXPECT_EQ(IsGatewayNameTaken("pass1"), 0);
}

// The gateways window as the three commands see it: a parent that records
// the selection-change notifications of its gateway list, and two lists.
class GatewayCommandsTest : public GatewayRegistryTest {
protected:
    void SetUp() override
    {
        GatewayRegistryTest::SetUp();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "GatewayCommandsTest";
        RegisterClassA(&wc);
        window_ = CreateWindowA("GatewayCommandsTest", "Passerelles", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr,
                                nullptr, wc.hInstance, nullptr);
        gatewayList_ = CreateWindowA("LISTBOX", "", WS_CHILD | LBS_NOTIFY, 0, 0, 300, 150, window_,
                                     reinterpret_cast<HMENU>(101), wc.hInstance, nullptr);
        lineList_ = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 200, 300, 150, window_,
                                  reinterpret_cast<HMENU>(102), wc.hInstance, nullptr);
        Selections().clear();
        LoadGatewayTable();
    }
    void TearDown() override
    {
        DestroyWindow(window_);
        GatewayRegistryTest::TearDown();
    }

    void Select(int position)
    {
        FillGatewayList(gatewayList_);
        SendMessageA(gatewayList_, LB_SETCURSEL, position, 0);
        SendMessageA(lineList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Modem"));
    }
    int Selected() const { return static_cast<int>(SendMessageA(gatewayList_, LB_GETCURSEL, 0, 0)); }
    int Items(HWND list) const { return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); }

    // The selection of the gateway list at each notification.
    static std::vector<int>& Selections()
    {
        static std::vector<int> selections;
        return selections;
    }

    HWND window_ = nullptr;
    HWND gatewayList_ = nullptr;
    HWND lineList_ = nullptr;

private:
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COMMAND && LOWORD(wParam) == 101 && HIWORD(wParam) == LBN_SELCHANGE)
            Selections().push_back(static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), LB_GETCURSEL, 0, 0)));
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

TEST_F(GatewayCommandsTest, FullTableRefusesTheNinthGateway)
{
    CreateGateways(8);
    Bytes before = ReadBytes(AdminPath());
    ModalRecorder modal;
    EXPECT_EQ(CreateGateway(gatewayList_, lineList_), 0);
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, "Vous ne pouvez plus créer de passerelle.");
    EXPECT_EQ(modal.Calls()[0].caption, "Création passerelle");
    EXPECT_EQ(modal.Calls()[0].type, UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(modal.Calls()[0].owner, window_);
    EXPECT_EQ(Gateways.count, 8);
    EXPECT_EQ(ReadBytes(AdminPath()), before);
    EXPECT_TRUE(Selections().empty());
}

TEST_F(GatewayCommandsTest, UnconfirmedNewGatewayIsDeletedAgain)
{
    // The configuration dialog is cancelled: the new gateway goes.
    CreateGateways(1);
    Bytes before = ReadBytes(AdminPath());
    ModalRecorder modal;
    DialogDriver driver;
    driver.Then("Configuration de la passerelle", CancelDialog);
    EXPECT_EQ(CreateGateway(gatewayList_, lineList_), 0);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(driver.Unexpected(), 0);
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(Selections(), (std::vector<int>{1, 0}));  // the new one while it existed, then the last one
    EXPECT_EQ(Gateways.count, 1);
    EXPECT_EQ(Items(gatewayList_), 1);
    EXPECT_EQ(Selected(), 0);
    EXPECT_FALSE(DirExists(Path("\\pass1")));
    EXPECT_EQ(ReadBytes(AdminPath()), before);
}

TEST_F(GatewayCommandsTest, DeletionSelectsTheSamePositionOrTheLastOne)
{
    struct Case { int gateways; int selected; int after; } cases[] = {
        {3, 1, 1}, {3, 0, 0}, {3, 2, 1}, {1, 0, LB_ERR},
    };
    for (const auto& c : cases) {
        while (Gateways.count > 0)
            RemoveGatewayAt(0);
        CreateGateways(c.gateways);
        Selections().clear();
        Select(c.selected);
        DeleteGateway(gatewayList_, lineList_);
        EXPECT_EQ(Gateways.count, c.gateways - 1) << c.gateways << " " << c.selected;
        EXPECT_EQ(Items(gatewayList_), c.gateways - 1) << c.gateways << " " << c.selected;
        EXPECT_EQ(Selected(), c.after) << c.gateways << " " << c.selected;
        EXPECT_EQ(Items(lineList_), 0) << c.gateways << " " << c.selected;
        EXPECT_EQ(Selections(), (std::vector<int>{c.after})) << c.gateways << " " << c.selected;
    }
}

TEST_F(GatewayCommandsTest, NothingSelectedNothingDeleted)
{
    CreateGateways(2);
    Select(-1);
    DeleteGateway(gatewayList_, lineList_);
    EXPECT_EQ(Gateways.count, 2);
    EXPECT_TRUE(DirExists(Path("\\pass1")));
    EXPECT_TRUE(Selections().empty());
    ModifyGateway(gatewayList_);
    EXPECT_EQ(Gateways.count, 2);
}

TEST_F(GatewayCommandsTest, ModifyWorksOnTheSelectedGatewayAndKeepsTheJournal)
{
    CreateGateways(3);
    Bytes journal = JournalDat({"Pass1", "Pass2"});
    WriteBytes(Path("\\Journal.dat"), journal);
    CurrentGateway = 0;
    Select(2);
    DialogDriver driver;
    driver.Then("Configuration de la passerelle", CancelDialog);
    ModifyGateway(gatewayList_);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(CurrentGateway, 2);
    EXPECT_EQ(ReadBytes(Path("\\Journal.dat")), journal);  // the name did not change
}

namespace {

INT_PTR DialogAnswer;
int DialogRuns;

INT_PTR AnswerDialog(HWND)
{
    ++DialogRuns;
    return DialogAnswer;
}

}  // namespace

TEST_F(GatewayCommandsTest, NewGatewayStaysOnlyWhenTheDialogConfirmsIt)
{
    // -1 is what a dialog that could not be created answers.
    struct Case { INT_PTR answer; INT_PTR result; int count; } cases[] = {
        {1, 1, 2}, {IDOK, IDOK, 2}, {0, 0, 1}, {-1, 0, 1},
    };
    SetConfigDialogForTests(AnswerDialog);
    for (const auto& c : cases) {
        while (Gateways.count > 0)
            RemoveGatewayAt(0);
        CreateGateways(1);
        DialogAnswer = c.answer;
        DialogRuns = 0;
        EXPECT_EQ(CreateGateway(gatewayList_, lineList_), c.result) << c.answer;
        EXPECT_EQ(DialogRuns, 1);
        EXPECT_EQ(Gateways.count, c.count) << c.answer;
        EXPECT_EQ(DirExists(Path("\\pass1")), c.count == 2) << c.answer;
        EXPECT_EQ(ReadBytes(AdminPath())[0], c.count) << c.answer;
        EXPECT_EQ(Selected(), c.count - 1) << c.answer;
    }
    SetConfigDialogForTests(nullptr);
}

TEST_F(GatewayCommandsTest, CancelledNewGatewayTakesNothingButItsSlotAndDirectory)
{
    // A gateway renamed by hand to the name the new one would have had, in
    // another case, with its journal records and its ".pcp" file; and records
    // and a ".pcp" file of the name the new one gets.
    CreateGateways(1);
    std::strcpy(Gateways.slots[0].name, "PASS1");
    SaveGatewayTable();
    Bytes journal = JournalDat({"PASS1", "Pass1", "Pass2", "Pass0"});
    WriteBytes(Path("\\Journal.dat"), journal);
    WriteBytes(Path("\\PASS1.pcp"), {1});
    WriteBytes(Path("\\Pass2.pcp"), {2});
    Bytes before = ReadBytes(AdminPath());

    DialogAnswer = 0;
    SetConfigDialogForTests([](HWND) -> INT_PTR {
        EXPECT_STREQ(Gateways.slots[1].name, "Pass2") << "Pass1 is carried";
        EXPECT_EQ(Gateways.slots[1].number, 1u);
        return 0;
    });
    EXPECT_EQ(CreateGateway(gatewayList_, lineList_), 0);
    SetConfigDialogForTests(nullptr);
    EXPECT_EQ(ReadBytes(Path("\\Journal.dat")), journal);
    EXPECT_TRUE(Exists(Path("\\PASS1.pcp")));
    EXPECT_TRUE(Exists(Path("\\Pass2.pcp")));
    EXPECT_FALSE(DirExists(Path("\\pass1")));
    EXPECT_TRUE(DirExists(Path("\\pass0")));
    EXPECT_EQ(ReadBytes(AdminPath()), before);
}

TEST_F(GatewayRegistryTest, DeletionWithoutPassIniCreatesNone)
{
    LoadGatewayTable();
    CreateGateways(2);
    RemoveGatewayAt(0);
    EXPECT_FALSE(Exists(Path("\\pass.ini")));
}
