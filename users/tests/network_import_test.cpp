#include "users/network_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/log_trace.h"
#include "resources/resource.h"
#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"
#include "users/tests/zemonet_fixture.h"
#include "users/windows_user.h"

using namespace reseau_fixture;
using namespace zemonet_fixture;

namespace {

const char kChoiceCaption[] = "R\xE9""cup\xE9ration des utilisateurs";

// What the choice dialog showed when a step met it.
struct ChoiceSeen {
    int shown = 0;
    bool networkChecked = false;
    bool thisComputerChecked = false;
    std::string text;
    HINSTANCE instance = nullptr;
};
ChoiceSeen Seen;

void Look(HWND dialog)
{
    ++Seen.shown;
    Seen.networkChecked = IsDlgButtonChecked(dialog, IDC_IMPORT_NETWORK) == BST_CHECKED;
    Seen.thisComputerChecked = IsDlgButtonChecked(dialog, IDC_IMPORT_THIS_COMPUTER) == BST_CHECKED;
    char text[512];
    GetDlgItemTextA(dialog, IDC_IMPORT_CHOICE_TEXT, text, sizeof text);
    Seen.text = text;
    Seen.instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
}

void ChooseNetwork(HWND dialog)
{
    Look(dialog);
    PressButton(dialog, IDOK);
}

void ChooseThisComputer(HWND dialog)
{
    Look(dialog);
    SendDlgItemMessageA(dialog, IDC_IMPORT_THIS_COMPUTER, BM_CLICK, 0, 0);
    PressButton(dialog, IDOK);
}

void CancelChoice(HWND dialog)
{
    Look(dialog);
    PressButton(dialog, IDCANCEL);
}

void CloseChoice(HWND dialog)
{
    Look(dialog);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
}

// Every text the progress window was given, and how it looked, through a hook
// on the messages sent to the thread's windows.
struct ProgressSeen {
    std::vector<std::string> texts;
    HWND window = nullptr;
    LONG_PTR style = 0;
    std::string cancelText;
};
ProgressSeen Progress;
HHOOK ProgressHook;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_IMPORT_PROGRESS_TEXT) {
        Progress.texts.push_back(reinterpret_cast<const char*>(sent->lParam));
        if (!Progress.window) {
            Progress.window = sent->hwnd;
            Progress.style = GetWindowLongPtrA(sent->hwnd, GWL_STYLE);
            char text[64] = {};
            GetDlgItemTextA(sent->hwnd, IDCANCEL, text, sizeof text);
            Progress.cancelText = text;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class NetworkImportTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        IsWindowsNT = 1;
        SetWindowsUserNameForTests("Dupont");
        SetLogPathForTests(Dir() + ".log");
        DeleteFileA((Dir() + ".log").c_str());
        Seen = {};
        Progress = {};
        ProgressHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchProgress, nullptr, GetCurrentThreadId());
        driver_.Ignore("");  // the progress window, which has no caption
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(ProgressHook);
        SetProgramDriveTypeForTests(0);
        SetLogPathForTests({});
        DeleteFileA((Dir() + ".log").c_str());
        SetWindowsUserNameForTests(nullptr);
        ProgramDirTest::TearDown();
    }

    // The double of ZemoNet.DLL in the program directory, with its script.
    void InstallDouble(const std::string& script, const char* folder = "zemonet")
    {
        InstallZemoNetDouble(Dir(), script, folder);
    }
    std::vector<std::string> DoubleCalls() const { return Lines(Path("\\ZemoNet.log")); }
    std::vector<std::string> LogLines() const { return Lines(Dir() + ".log"); }
    bool LibraryStillLoaded() const { return GetModuleHandleA(Path("\\ZemoNet.DLL").c_str()) != nullptr; }
    std::vector<uint8_t> UserFile() const { return ReadBytes(Path("\\reseau.dat")); }

    // The whole file as the import must write it: the headers of a new file
    // with `count` users, the records given, every other slot zero.
    static std::vector<uint8_t> ExpectedFile(const std::vector<std::vector<uint8_t>>& records)
    {
        std::vector<uint8_t> file(136224, 0);
        WriteDefaultHeaders(file, static_cast<uint16_t>(records.size()));
        for (size_t i = 0; i < records.size(); ++i)
            std::copy(records[i].begin(), records[i].end(), file.begin() + 224 + 136 * i);
        return file;
    }

    DialogDriver driver_;
};

}  // namespace

TEST_F(NetworkImportTest, NetworkAccountsBecomeUsersWithTheirNamesAsPasswords)
{
    InstallDouble("account 2 ADMIN\naccount 1 Zo\xE9\naccount 1 Bob\n");
    ModalRecorder modal;
    driver_.Then(kChoiceCaption, ChooseNetwork);

    EXPECT_EQ(ImportNetworkUsers(nullptr), 3);

    EXPECT_EQ(Seen.shown, 1);
    EXPECT_EQ(Seen.instance, AppInstance);
    EXPECT_TRUE(Seen.networkChecked);
    EXPECT_FALSE(Seen.thisComputerChecked);
    EXPECT_EQ(Seen.text, "Vous avez la possibilit\xE9 de r\xE9""cuperer les comptes d'utilisateurs d\xE9ja existant sur "
                         "votre r\xE9seau ou bien uniquement ceux cr\xE9\xE9s sur cet ordinateur.\nD\xE9sirez vous "
                         "r\xE9""cup\xE9rer les comptes :");
    EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("ADMIN", 5), CurrentRecord("Zo\xE9", 0), CurrentRecord("Bob", 0)}));
    for (const char* name : {"ADMIN", "Zo\xE9", "Bob"}) {
        EXPECT_TRUE(DirExists(Path("\\") + name)) << name;
        EXPECT_FALSE(Exists(Path("\\") + name + "\\minitel.ini")) << name;
    }
    EXPECT_EQ(LogLines(), std::vector<std::string>{"3 utilisateurs on \xE9t\xE9 trouv\xE9s"});
    EXPECT_EQ(Progress.texts, (std::vector<std::string>{
                                  "R\xE9""cuperation des comptes utilisateurs",
                                  "R\xE9""cuperation de 3 utilisateurs",
                                  "R\xE9""cuperation de l'utilisateur ADMIN\n(1/3)",
                                  "R\xE9""cuperation de l'utilisateur Zo\xE9\n(2/3)",
                                  "R\xE9""cuperation de l'utilisateur Bob\n(3/3)",
                              }));
    EXPECT_EQ(Progress.style & WS_CAPTION, 0) << "the progress window has no caption";
    EXPECT_EQ(Progress.cancelText, "Annuler");
    EXPECT_FALSE(IsWindow(Progress.window)) << "the progress window is gone";
    std::vector<std::string> calls = DoubleCalls();
    EXPECT_EQ(CountStartingWith(calls, "SetServer"), 0) << "the network needs no server";
    EXPECT_EQ(CountOf(calls, "UserFindFree"), 1);
    EXPECT_FALSE(LibraryStillLoaded());
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(driver_.Unexpected(), 0);
}

TEST_F(NetworkImportTest, ThisComputerOnlyGivesTheWindowsUserTheLastRecord)
{
    InstallDouble("account 2 NETADMIN\nlocal 1 Alice\nlocal 1 Bob\nlocal 1 Carl\n");
    driver_.Then(kChoiceCaption, ChooseThisComputer);

    EXPECT_EQ(ImportNetworkUsers(nullptr), 3);

    EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("Alice", 0), CurrentRecord("Bob", 0), CurrentRecord("Dupont", 5)}));
    for (const char* name : {"Alice", "Bob", "Carl", "Dupont"})
        EXPECT_TRUE(DirExists(Path("\\") + name)) << name << ": the third account's directory stays";
    char computer[18] = {};
    DWORD size = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    std::vector<std::string> calls = DoubleCalls();
    EXPECT_EQ(CountOf(calls, std::string("SetServer \\\\") + computer), 1);
    ASSERT_FALSE(Progress.texts.empty());
    EXPECT_EQ(Progress.texts.back(), "R\xE9""cuperation de l'utilisateur Carl\n(3/3)");
    EXPECT_EQ(CountOf(LogLines(), "L'utilisateur Dupont devient administrateur"), 1);
}

TEST_F(NetworkImportTest, AWindowsUserAmongTheAccountsReplacesNobodyWhateverTheChoice)
{
    for (DialogDriver::Action choose : {ChooseNetwork, ChooseThisComputer}) {
        InstallDouble("account 2 ADMIN\naccount 1 dupont\nlocal 2 ADMIN\nlocal 1 dupont\n");
        driver_.Then(kChoiceCaption, choose);
        EXPECT_EQ(ImportNetworkUsers(nullptr), 2);
        EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("ADMIN", 5), CurrentRecord("dupont", 0)}));
        DeleteFileA(Path("\\reseau.dat").c_str());
    }
}

TEST_F(NetworkImportTest, RightTwoAloneMakesAnAdministrator)
{
    InstallDouble("account 0 Guest\naccount 1 Ordinary\naccount 2 Boss\naccount 3 Other\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);
    EXPECT_EQ(ImportNetworkUsers(nullptr), 4);
    EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("Guest", 0), CurrentRecord("Ordinary", 0),
                                        CurrentRecord("Boss", 5), CurrentRecord("Other", 0)}));
}

TEST_F(NetworkImportTest, CancellingTheChoiceWritesNothing)
{
    for (DialogDriver::Action cancel : {CancelChoice, CloseChoice}) {
        InstallDouble("account 2 ADMIN\n");
        driver_.Then(kChoiceCaption, cancel);
        EXPECT_EQ(ImportNetworkUsers(nullptr), 0);
        EXPECT_FALSE(Exists(Path("\\reseau.dat")));
        EXPECT_FALSE(DirExists(Path("\\ADMIN")));
        EXPECT_EQ(CountStartingWith(DoubleCalls(), "UserFind"), 0);
        EXPECT_TRUE(Progress.texts.empty()) << "no progress window";
        EXPECT_FALSE(LibraryStillLoaded());
    }
    EXPECT_EQ(Seen.shown, 2);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(NetworkImportTest, NoAccountWritesNothingAndSaysSo)
{
    for (const char* script : {"", "fail\n", "count 0\naccount 2 ADMIN\n"}) {
        InstallDouble(script);
        driver_.Then(kChoiceCaption, ChooseNetwork);
        EXPECT_EQ(ImportNetworkUsers(nullptr), 0) << script;
        EXPECT_FALSE(Exists(Path("\\reseau.dat"))) << script;
        EXPECT_EQ(CountStartingWith(DoubleCalls(), "UserFindNext"), 0) << script;
        EXPECT_FALSE(LibraryStillLoaded()) << script;
        DeleteFileA(Path("\\ZemoNet.log").c_str());
    }
    EXPECT_EQ(LogLines(), std::vector<std::string>(3, "Aucun utilisateur n'est disponible"));
}

TEST_F(NetworkImportTest, OnANetworkDriveTheNetworkIsTakenWithoutAsking)
{
    InstallDouble("account 2 ADMIN\nlocal 1 Alice\n");
    SetProgramDriveTypeForTests(DRIVE_REMOTE);
    EXPECT_EQ(ImportNetworkUsers(nullptr), 1);
    EXPECT_EQ(Seen.shown, 0);
    EXPECT_EQ(driver_.Unexpected(), 0) << "no choice dialog";
    EXPECT_EQ(CountStartingWith(DoubleCalls(), "SetServer"), 0);
    EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("ADMIN", 5)}));
}

TEST_F(NetworkImportTest, WithoutTheLibraryOrOneOfItsEntriesNothingIsAsked)
{
    EXPECT_EQ(ImportNetworkUsers(nullptr), 0) << "no library";
    InstallDouble("account 2 ADMIN\n", "zemonet_partial");
    EXPECT_EQ(ImportNetworkUsers(nullptr), 0) << "no GetUserRight";
    EXPECT_FALSE(LibraryStillLoaded());
    EXPECT_EQ(DoubleCalls(), (std::vector<std::string>{"attach", "detach"})) << "loaded, never called";
    EXPECT_EQ(Seen.shown + driver_.Unexpected(), 0);
    EXPECT_FALSE(Exists(Path("\\reseau.dat")));
}

TEST_F(NetworkImportTest, OutsideWindowsNtTheLibraryIsNotEvenLoaded)
{
    InstallDouble("account 2 ADMIN\n");
    IsWindowsNT = 0;
    EXPECT_EQ(ImportNetworkUsers(nullptr), 0);
    EXPECT_FALSE(Exists(Path("\\ZemoNet.log")));
    EXPECT_EQ(Seen.shown + driver_.Unexpected(), 0);
}

TEST_F(NetworkImportTest, OnlyTheFirstThousandAccountsAreRead)
{
    InstallDouble("account 2 ADMIN\nmany 1199 1 User\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);

    EXPECT_EQ(ImportNetworkUsers(nullptr), 1000);

    std::vector<uint8_t> file = UserFile();
    ASSERT_EQ(file.size(), 136224u);
    EXPECT_EQ(file[130] | file[131] << 8, 1000);
    EXPECT_EQ(TextAt(file, 224 + 21), "ADMIN");
    EXPECT_EQ(TextAt(file, 224 + 999 * 136 + 21), "User0999");
    EXPECT_EQ(file[224 + 999 * 136 + 52], 0);
    EXPECT_TRUE(DirExists(Path("\\User0999")));
    EXPECT_FALSE(DirExists(Path("\\User1000")));
    EXPECT_EQ(CountStartingWith(DoubleCalls(), "UserFindNext"), 1000) << "the 1001st account is never asked for";
    EXPECT_EQ(LogLines(), std::vector<std::string>{"1000 utilisateurs on \xE9t\xE9 trouv\xE9s"});
    EXPECT_EQ(Progress.texts[1], "R\xE9""cuperation de 1000 utilisateurs");
    EXPECT_EQ(Progress.texts.back(), "R\xE9""cuperation de l'utilisateur User0999\n(1000/1000)");
}

TEST_F(NetworkImportTest, NamesThatCannotBeStoredAreSkippedAndLogged)
{
    InstallDouble("account 2 ADMIN\n"
                  "account 1 \n"
                  "account 1 NomBeaucoupTropLong123\n"
                  "account 1 CON\n"
                  "account 1 a/b\n"
                  "account 1 bob\n"
                  "account 2 BOB\n"
                  "account 1 Zo\xE9\n"
                  "account 1 ZO\xC9\n"
                  "account 1 Last\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);

    EXPECT_EQ(ImportNetworkUsers(nullptr), 4);

    EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("ADMIN", 5), CurrentRecord("bob", 0), CurrentRecord("Zo\xE9", 0),
                                        CurrentRecord("Last", 0)}));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "10 utilisateurs on \xE9t\xE9 trouv\xE9s",
                              "Utilisateur sans nom ignor\xE9",
                              "Utilisateur NomBeaucoupTropLong123 ignor\xE9 : nom de plus de 20 caract\xE8res",
                              "Utilisateur CON ignor\xE9 : nom impossible \xE0 enregistrer",
                              "Utilisateur a/b ignor\xE9 : nom impossible \xE0 enregistrer",
                              "Utilisateur BOB ignor\xE9 : nom d\xE9j\xE0 r\xE9""cup\xE9r\xE9",
                              "Utilisateur ZO\xC9 ignor\xE9 : nom d\xE9j\xE0 r\xE9""cup\xE9r\xE9",
                          }));
    EXPECT_FALSE(DirExists(Path("\\NomBeaucoupTropLong1"))) << "never made under a cut name";
    EXPECT_FALSE(DirExists(Path("\\NomBeaucoupTropLong123")));
    EXPECT_FALSE(DirExists(Path("\\a")));
    EXPECT_TRUE(DirExists(Path("\\Last")));
}

TEST_F(NetworkImportTest, TheCountIsBoundedByTheAccountsTheLibraryGives)
{
    InstallDouble("count 5\naccount 2 ADMIN\naccount 1 Bob\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);
    EXPECT_EQ(ImportNetworkUsers(nullptr), 2);
    EXPECT_EQ(UserFile(), ExpectedFile({CurrentRecord("ADMIN", 5), CurrentRecord("Bob", 0)}));
    std::vector<std::string> calls = DoubleCalls();
    EXPECT_EQ(CountStartingWith(calls, "UserFindNext"), 3) << "two names, then the end";
    EXPECT_EQ(CountOf(calls, "UserFindNext end"), 1);
    EXPECT_EQ(CountOf(calls, "UserFindFree"), 1);
}

TEST_F(NetworkImportTest, AnnulerPartWayKeepsTheAccountsReadSoFar)
{
    InstallDouble("account 2 ADMIN\nmany 1199 1 User\ncancel 10\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);

    EXPECT_EQ(ImportNetworkUsers(nullptr), 10);

    std::vector<uint8_t> file = UserFile();
    ASSERT_EQ(file.size(), 136224u);
    EXPECT_EQ(file[130] | file[131] << 8, 10);
    EXPECT_EQ(TextAt(file, 224 + 9 * 136 + 21), "User0009");
    EXPECT_EQ(TextAt(file, 224 + 10 * 136 + 21), "") << "nothing after the users read";
    std::vector<std::string> calls = DoubleCalls();
    EXPECT_EQ(CountOf(calls, "cancel"), 1);
    EXPECT_EQ(CountStartingWith(calls, "UserFindNext"), 10) << "no account is read after Annuler";
    EXPECT_EQ(CountOf(calls, "UserFindFree"), 1);
    EXPECT_FALSE(DirExists(Path("\\User0010")));
    EXPECT_FALSE(IsWindow(Progress.window));
    EXPECT_EQ(ImportCancelled, 1);
}

TEST_F(NetworkImportTest, AnnulerBeforeTheFirstAccountWritesNothing)
{
    InstallDouble("account 2 ADMIN\naccount 1 Bob\ncancel 0\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);
    EXPECT_EQ(ImportNetworkUsers(nullptr), 0);
    EXPECT_FALSE(Exists(Path("\\reseau.dat")));
    EXPECT_EQ(CountStartingWith(DoubleCalls(), "UserFindNext"), 0);
    EXPECT_EQ(CountOf(DoubleCalls(), "UserFindFree"), 1);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"2 utilisateurs on \xE9t\xE9 trouv\xE9s",
                                                    "Aucun utilisateur n'a \xE9t\xE9 r\xE9""cup\xE9r\xE9"}));
}

TEST_F(NetworkImportTest, WithoutAnyAdministratorTheWindowsUserBecomesOne)
{
    struct Case {
        const char* script;
        std::vector<std::vector<uint8_t>> records;
    } cases[] = {
        // Its own record when it was read.
        {"account 1 alice\naccount 1 DUPONT\naccount 1 zed\n",
         {CurrentRecord("alice", 0), CurrentRecord("DUPONT", 5), CurrentRecord("zed", 0)}},
        // Else the last record, as the choice of this computer does.
        {"account 1 alice\naccount 1 zed\n", {CurrentRecord("alice", 0), CurrentRecord("Dupont", 5)}},
        // Cancelled part-way: among the accounts read.
        {"account 1 alice\naccount 1 zed\naccount 2 ADMIN\ncancel 1\n", {CurrentRecord("Dupont", 5)}},
    };
    for (const auto& c : cases) {
        InstallDouble(c.script);
        driver_.Then(kChoiceCaption, ChooseNetwork);
        EXPECT_EQ(ImportNetworkUsers(nullptr), static_cast<int>(c.records.size())) << c.script;
        EXPECT_EQ(UserFile(), ExpectedFile(c.records)) << c.script;
        EXPECT_EQ(CountOf(LogLines(), "L'utilisateur Dupont devient administrateur"), 1) << c.script;
        DeleteFileA(Path("\\reseau.dat").c_str());
        DeleteFileA((Dir() + ".log").c_str());
    }
}

TEST_F(NetworkImportTest, NoAdministratorPossibleWritesNothing)
{
    SetWindowsUserNameForTests("");
    InstallDouble("account 1 alice\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);
    EXPECT_EQ(ImportNetworkUsers(nullptr), 0);
    EXPECT_FALSE(Exists(Path("\\reseau.dat")));
    EXPECT_EQ(CountOf(LogLines(), "Aucun administrateur parmi les utilisateurs r\xE9""cup\xE9r\xE9s"), 1);
}

TEST_F(NetworkImportTest, AFailedWriteIsNeverReportedAsUsersImported)
{
    ASSERT_TRUE(CreateDirectoryA(Path("\\reseau.dat").c_str(), nullptr));  // nothing can take its place
    InstallDouble("account 2 ADMIN\naccount 1 Bob\n");
    driver_.Then(kChoiceCaption, ChooseNetwork);
    EXPECT_EQ(ImportNetworkUsers(nullptr), 0);
    EXPECT_TRUE(DirExists(Path("\\reseau.dat")));
    EXPECT_FALSE(Exists(Path("\\reseau.dat.new")));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"2 utilisateurs on \xE9t\xE9 trouv\xE9s",
                                                    "Impossible de cr\xE9""er le fichier reseau.dat"}));
}

TEST_F(NetworkImportTest, ProgressWindowTakesItsTextAndAnnulerLeavesItOpen)
{
    ImportCancelled = 0;
    HWND window = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_PROGRESS), nullptr,
                                     ImportProgressDialog, 0);
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_USER + 505, 0, reinterpret_cast<LPARAM>("R\xE9""cuperation de l'utilisateur X\n(1/2)"));
    char text[128];
    GetDlgItemTextA(window, IDC_IMPORT_PROGRESS_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "R\xE9""cuperation de l'utilisateur X\n(1/2)");
    PressButton(window, IDCANCEL);
    EXPECT_EQ(ImportCancelled, 1);
    EXPECT_TRUE(IsWindow(window));
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1) << "centred";
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    DestroyWindow(window);
}
