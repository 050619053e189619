#include "shell/startup.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resources/resource.h"
#include "base/app.h"
#include "base/log_trace.h"
#include "shell/login_dialog.h"
#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"
#include "users/tests/zemonet_fixture.h"
#include "users/user_database.h"
#include "users/windows_user.h"

namespace {

// Closes the main window as soon as it shows, as its close box would, so that
// a run that gets past the login ends; counts the windows it closed.
class MainWindowCloser {
public:
    MainWindowCloser() : timer_(SetTimer(nullptr, 0, 50, Tick)) { current = this; }
    ~MainWindowCloser()
    {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }
    int Closed() const { return closed_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!current || !MainWindow || !IsWindowVisible(MainWindow) || MainWindow == current->last_)
            return;
        current->last_ = MainWindow;
        ++current->closed_;
        PostMessageA(MainWindow, WM_CLOSE, 0, 0);
    }
    static inline MainWindowCloser* current = nullptr;
    UINT_PTR timer_;
    HWND last_ = nullptr;
    int closed_ = 0;
};

class StartupTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetWindowsUserNameForTests("Dupont");
    }
    void TearDown() override
    {
        SetWindowsUserNameForTests(nullptr);
        ProgramDirTest::TearDown();
    }
    int Run(const char* commandLine)
    {
        return RunConsole(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    }
    std::string Ini(const char* section, const char* key) { return IniText(Path("\\admin.ini"), section, key); }
    MainWindowCloser mainWindow;

    // A user database whose only administrator, Dupont, has logged in once
    // and chosen the password SECRET.
    void MakeDatabaseWithPassword()
    {
        CreateUserDatabase(nullptr, Dir());
        LoadUserDatabase(nullptr, Dir());
        std::strcpy(UserAt(0).password, "SECRET");
        ScrambleText(UserAt(0).password);
        SaveUserDatabase(nullptr, 0);
        FreeUserTable();
    }
};

void Cancel(HWND dialog) { PressButton(dialog, IDCANCEL); }

const char kChoiceCaption[] = "R\xE9""cup\xE9ration des utilisateurs";
HINSTANCE ChoiceInstance;

void ChooseNetwork(HWND dialog)
{
    ChoiceInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    PressButton(dialog, IDOK);
}

}  // namespace

TEST_F(StartupTest, RefusesToRunBesideAnotherConsoleAndTouchesNothing)
{
    WritePrivateProfileStringA("Administrateur", "Etat", "1", Path("\\admin.ini").c_str());
    ModalRecorder modal;
    DialogDriver driver;

    EXPECT_EQ(Run("/s"), 0);

    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].caption, "Attention");
    EXPECT_EQ(modal.Calls()[0].text, "L'administrateur est d\xE9j\xE0 lanc\xE9.");
    EXPECT_EQ(modal.Calls()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(modal.Calls()[0].owner, nullptr);
    EXPECT_EQ(Ini("Administrateur", "Etat"), "1");
    EXPECT_FALSE(Exists(Path("\\ActUser.dat")));
    EXPECT_FALSE(Exists(Path("\\ActPass.dat")));
    EXPECT_FALSE(Exists(Path("\\reseau.dat")));
    EXPECT_EQ(driver.StepsDone() + driver.Unexpected(), 0) << "no login may be shown";
}

TEST_F(StartupTest, SetUpInAnEmptyDirectoryLeavesACompleteProgramDirectory)
{
    ModalRecorder modal;
    DialogDriver driver;
    driver.Then("Quorel", Cancel);

    EXPECT_EQ(Run("/s"), 0);

    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat")), std::vector<uint8_t>(3000, 0));
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), std::vector<uint8_t>(152, 0));
    std::vector<uint8_t> users = ReadBytes(Path("\\reseau.dat"));
    ASSERT_EQ(users.size(), 136224u);
    EXPECT_EQ(users[130], 1);  // one user
    EXPECT_STREQ(reinterpret_cast<const char*>(&users[224 + 21]), "Dupont");
    EXPECT_EQ(users[224 + 52], 5);  // administrator
    EXPECT_EQ(ReadBytes(Path("\\Numaut.dat")).size(), 804004u);
    EXPECT_EQ(Ini("Journal", "User"), "0");
    EXPECT_EQ(Ini("Journal", "Pass"), "0");
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(StartupTest, SetUpSwitchIsFoundInsideALongerToken)
{
    DialogDriver driver;
    driver.Then("Quorel", Cancel);
    EXPECT_EQ(Run("-x/Sfoo"), 0);
    EXPECT_EQ(ReadBytes(Path("\\reseau.dat")).size(), 136224u);
}

TEST_F(StartupTest, PlainStartCreatesTheActivityFilesAndKeepsExistingOnes)
{
    std::vector<uint8_t> activity(3000, 0);
    activity[7] = 1;
    WriteBytes(Path("\\ActUser.dat"), activity);
    DialogDriver driver;
    driver.Then("Quorel", Cancel);

    EXPECT_EQ(Run(""), 0);

    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat")), activity);
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), std::vector<uint8_t>(152, 0));
    EXPECT_FALSE(Exists(Path("\\Numaut.dat"))) << "no set-up without /s";
    EXPECT_EQ(Ini("Journal", "User"), "");
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
}

TEST_F(StartupTest, SetUpWithAnExistingDatabaseDoesNothingMore)
{
    std::vector<uint8_t> database(136224, 0x5A);
    WriteBytes(Path("\\reseau.dat"), database);
    ModalRecorder modal;  // this database is unusable: the login says so
    DialogDriver driver;
    driver.Then("Quorel", Cancel);

    EXPECT_EQ(Run("/s"), 0);

    EXPECT_EQ(ReadBytes(Path("\\reseau.dat")), database);
    EXPECT_FALSE(Exists(Path("\\Numaut.dat")));
    EXPECT_EQ(Ini("Journal", "User"), "");
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
}

TEST_F(StartupTest, WrongPasswordIsRefusedAndTheLoginStaysOpenForAnotherTry)
{
    MakeDatabaseWithPassword();
    ModalRecorder modal;
    DialogDriver driver;
    driver.Then("Quorel", [](HWND dialog) {
        SetItemText(dialog, IDC_LOGIN_PASSWORD, "WRONG");
        PressButton(dialog, IDOK);
    });
    driver.Then("Quorel", [](HWND dialog) {
        char login[64];
        GetDlgItemTextA(dialog, IDC_LOGIN_NAME, login, sizeof login);
        EXPECT_STREQ(login, "Dupont") << "the fields stay as they were";
        SetItemText(dialog, IDC_LOGIN_PASSWORD, "secret");
        PressButton(dialog, IDOK);
    });

    EXPECT_EQ(Run(""), 0);

    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].caption, "Erreur mot de passe");
    EXPECT_EQ(modal.Calls()[0].text, "Ce mot de passe n'est pas celui d'un administrateur");
    EXPECT_EQ(modal.Calls()[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(driver.StepsDone(), 2);
    EXPECT_EQ(driver.Unexpected(), 0) << "the right password closes the login";
    EXPECT_EQ(mainWindow.Closed(), 1) << "and opens the main window";
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
}

TEST_F(StartupTest, CancellingTheLoginLeavesWithTheFlagCleared)
{
    MakeDatabaseWithPassword();
    DialogDriver driver;
    driver.Then("Quorel", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(driver.Unexpected(), 0);
    EXPECT_EQ(mainWindow.Closed(), 0);
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
}

// The session ends while the login is shown: the process may end without
// the dialog closing, so the running flag goes at once, and the next start
// asks for the login again.
TEST_F(StartupTest, TheEndOfTheSessionDuringTheLoginLeavesNoRunningFlag)
{
    MakeDatabaseWithPassword();
    DialogDriver driver;
    static std::string ini, during, after;
    ini = Path("\\admin.ini");
    driver.Then("Quorel", [](HWND dialog) {
        during = IniText(ini, "Administrateur", "Etat");
        SendMessageA(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        after = IniText(ini, "Administrateur", "Etat");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    driver.Then("Quorel", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(during, "1");
    EXPECT_EQ(after, "0");
    ModalRecorder modal;
    // The classes stay registered in this process: the second start is told so.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(RunConsole(instance, instance, "", SW_SHOWNORMAL), 0);
    EXPECT_TRUE(modal.Calls().empty()) << "no \"L'administrateur est déjà lancé.\"";
    EXPECT_EQ(driver.StepsDone(), 2);
    EXPECT_EQ(driver.Unexpected(), 0);
}

TEST_F(StartupTest, UsersOnlyLeavesAtOnceWhenTheWindowsUserIsAlreadyAUser)
{
    MakeDatabaseWithPassword();  // the user Dupont
    SetWindowsUserNameForTests("dUPONT");
    DialogDriver driver;
    EXPECT_EQ(Run("/u"), 0);
    EXPECT_EQ(driver.StepsDone() + driver.Unexpected(), 0) << "no login may be shown";
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
}

TEST_F(StartupTest, UsersOnlyAsksForTheLoginWhenTheWindowsUserIsUnknown)
{
    MakeDatabaseWithPassword();
    SetWindowsUserNameForTests("Martin");
    DialogDriver driver;
    driver.Then("Quorel", Cancel);
    EXPECT_EQ(Run("/U"), 0);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
}

TEST_F(StartupTest, AWindowsUserNameLongerThanANameLogsInUnderItsFirstTwentyCharacters)
{
    SetWindowsUserNameForTests("Abcdefghijklmnopqrstuvwxyz");
    ModalRecorder modal;
    DialogDriver driver;
    driver.Then("Quorel", [](HWND dialog) {
        char login[64];
        GetDlgItemTextA(dialog, IDC_LOGIN_NAME, login, sizeof login);
        EXPECT_STREQ(login, "Abcdefghijklmnopqrst");
        SetItemText(dialog, IDC_LOGIN_PASSWORD, "SECRET");
        PressButton(dialog, IDOK);
    });

    EXPECT_EQ(Run("/s"), 0);

    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(driver.Unexpected(), 0) << "the first login of the set-up administrator passes";
    EXPECT_EQ(mainWindow.Closed(), 1);
}

TEST_F(StartupTest, UsersOnlyKnowsAWindowsUserNameLongerThanAName)
{
    SetWindowsUserNameForTests("Abcdefghijklmnopqrstuvwxyz");
    CreateUserDatabase(nullptr, Dir());
    DialogDriver driver;
    EXPECT_EQ(Run("/u"), 0);
    EXPECT_EQ(driver.StepsDone() + driver.Unexpected(), 0) << "no login may be shown";
}

class LoginDialogTest : public StartupTest {
protected:
    HWND Open()
    {
        return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOGIN), nullptr, LoginDialog, 0);
    }
};

TEST_F(LoginDialogTest, ShowsItsTextsAndStartsOnThePasswordOfTheWindowsUser)
{
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    char text[64];
    struct Item { int id; const char* text; } items[] = {
        {0, "Quorel"},
        {IDC_LOGIN_NAME_LABEL, "&Login :"},
        {IDC_LOGIN_PASSWORD_LABEL, "&Mot de passe :"},
        {IDOK, "&OK"},
        {IDCANCEL, "&Annuler"},
        {IDC_LOGIN_NAME, "Dupont"},
    };
    for (const auto& item : items) {
        GetWindowTextA(item.id ? GetDlgItem(dialog, item.id) : dialog, text, sizeof text);
        EXPECT_STREQ(text, item.text) << item.id;
    }
    LONG style = GetWindowLongA(GetDlgItem(dialog, IDC_LOGIN_PASSWORD), GWL_STYLE);
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_TRUE(style & ES_UPPERCASE);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_LOGIN_PASSWORD));
    DestroyWindow(dialog);
}

TEST_F(LoginDialogTest, StartsOnTheLoginWhenTheWindowsUserIsUnknown)
{
    SetWindowsUserNameForTests("");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, IDC_LOGIN_NAME)), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_LOGIN_NAME));
    DestroyWindow(dialog);
}

// Set-up with ZemoNet.DLL beside the console --------------------------------------

class SetUpImportTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        SetLogPathForTests(Dir() + ".log");
        DeleteFileA((Dir() + ".log").c_str());
        ChoiceInstance = nullptr;
    }
    void TearDown() override
    {
        SetLogPathForTests({});
        DeleteFileA((Dir() + ".log").c_str());
        StartupTest::TearDown();
    }
    // Set-up with the double scripted so, and `choice` in the choice dialog,
    // ends with the one-administrator database of a new installation.
    void ExpectDefaultDatabaseAfter(const char* script, DialogDriver::Action choice);
};

TEST_F(SetUpImportTest, TheNetworksAccountsAreAskedForBeforeTheLoginAndSortedByName)
{
    using namespace reseau_fixture;
    zemonet_fixture::InstallZemoNetDouble(Dir(), "account 2 ADMIN\naccount 1 Zo\xE9\naccount 1 Bob\n");
    AppInstance = nullptr;  // as when the console starts: set-up comes first
    ModalRecorder modal;
    DialogDriver driver;
    driver.Ignore("");  // the progress window
    driver.Then(kChoiceCaption, ChooseNetwork);
    driver.Then("Quorel", Cancel);

    EXPECT_EQ(Run("/s"), 0);

    EXPECT_EQ(driver.StepsDone(), 2) << "the choice, then the login";
    EXPECT_EQ(driver.Unexpected(), 0);
    EXPECT_EQ(ChoiceInstance, GetModuleHandleA(nullptr)) << "the choice dialog comes from the console's module";
    std::vector<uint8_t> expected(136224, 0);
    WriteDefaultHeaders(expected, 3);
    const std::vector<uint8_t> records[] = {CurrentRecord("ADMIN", 5), CurrentRecord("Bob", 0),
                                            CurrentRecord("Zo\xE9", 0)};
    for (size_t i = 0; i < 3; ++i)
        std::copy(records[i].begin(), records[i].end(), expected.begin() + 224 + 136 * i);
    EXPECT_EQ(ReadBytes(Path("\\reseau.dat")), expected);
    for (const char* name : {"ADMIN", "Bob", "Zo\xE9"}) {
        EXPECT_TRUE(DirExists(Path("\\") + name)) << name;
        EXPECT_FALSE(Exists(Path("\\") + name + "\\minitel.ini")) << name;
    }
    EXPECT_EQ(ReadBytes(Path("\\Numaut.dat")).size(), 804004u);
    EXPECT_EQ(Ini("Journal", "User"), "3");
    EXPECT_EQ(Ini("Journal", "Pass"), "0");
    EXPECT_EQ(zemonet_fixture::Lines(Dir() + ".log"),
              (std::vector<std::string>{"3 utilisateurs on \xE9t\xE9 trouv\xE9s", "", ""}));
    EXPECT_TRUE(modal.Calls().empty());
}

// The console registers its window classes once per process: each way of
// importing nothing is a run of its own.
void SetUpImportTest::ExpectDefaultDatabaseAfter(const char* script, DialogDriver::Action choice)
{
    zemonet_fixture::InstallZemoNetDouble(Dir(), script);
    DialogDriver driver;
    driver.Ignore("");
    driver.Then(kChoiceCaption, choice);
    driver.Then("Quorel", Cancel);

    EXPECT_EQ(Run("/s"), 0);

    EXPECT_EQ(driver.StepsDone(), 2);
    std::vector<uint8_t> users = ReadBytes(Path("\\reseau.dat"));
    ASSERT_EQ(users.size(), 136224u);
    EXPECT_EQ(users[130], 1) << "one user";
    EXPECT_STREQ(reinterpret_cast<const char*>(&users[224 + 21]), "Dupont");
    EXPECT_EQ(users[224 + 52], 5);
    EXPECT_EQ(Ini("Journal", "User"), "0");
    EXPECT_FALSE(DirExists(Path("\\ADMIN")));
}

TEST_F(SetUpImportTest, AnnulerInTheChoiceGivesTheDefaultDatabase)
{
    ExpectDefaultDatabaseAfter("account 2 ADMIN\naccount 1 Bob\n", Cancel);
}

TEST_F(SetUpImportTest, AnnulerBeforeTheFirstAccountGivesTheDefaultDatabase)
{
    ExpectDefaultDatabaseAfter("account 2 ADMIN\naccount 1 Bob\ncancel 0\n", ChooseNetwork);
}

TEST_F(SetUpImportTest, NoAccountGivesTheDefaultDatabase)
{
    ExpectDefaultDatabaseAfter("", ChooseNetwork);
}

TEST_F(StartupTest, F1OpensTheHelpOfTheUsersWindowShownAlone)
{
    MakeDatabaseWithPassword();
    SetWindowsUserNameForTests("Martin");
    ModalRecorder modal;
    DialogDriver driver;
    driver.Then("Quorel", [](HWND dialog) {
        SetItemText(dialog, IDC_LOGIN_NAME, "Dupont");
        SetItemText(dialog, IDC_LOGIN_PASSWORD, "SECRET");
        PressButton(dialog, IDOK);
    });
    static HWND users;
    driver.Then("Configuration des utilisateurs", [](HWND dialog) {
        users = dialog;
        PostMessageA(GetDlgItem(dialog, IDC_USERS_LIST), WM_KEYDOWN, VK_F1, 1);
    });
    // Alone, the window starts adding the Windows user: closing drops that.
    modal.Answer(IDYES);
    driver.Then("Configuration des utilisateurs", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });

    EXPECT_EQ(Run("/u"), 0);

    EXPECT_EQ(driver.StepsDone(), 3);
    std::vector<ModalCall> help;
    for (const ModalCall& call : modal.Calls())
        if (call.kind == "help")
            help.push_back(call);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].owner, users);
    EXPECT_EQ(help[0].text, Path("\\admin.hlp"));
    EXPECT_EQ(help[0].type, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(help[0].data, 101u);
}

TEST_F(StartupTest, F1OpensTheHelpOfTheGatewaysWindowShownAlone)
{
    MakeDatabaseWithPassword();
    ModalRecorder modal;
    DialogDriver driver;
    driver.Then("Quorel", [](HWND dialog) {
        SetItemText(dialog, IDC_LOGIN_PASSWORD, "SECRET");
        PressButton(dialog, IDOK);
    });
    static HWND gateways;
    driver.Then("Passerelles", [](HWND dialog) {
        gateways = dialog;
        PostMessageA(GetDlgItem(dialog, IDC_GATEWAY_LIST), WM_KEYDOWN, VK_F1, 1);
    });
    driver.Then("Passerelles", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDC_GATEWAY_QUIT, 0); });

    EXPECT_EQ(Run("/p"), 0);

    EXPECT_EQ(driver.StepsDone(), 3);
    std::vector<ModalCall> help;
    for (const ModalCall& call : modal.Calls())
        if (call.kind == "help")
            help.push_back(call);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].owner, gateways);
    EXPECT_EQ(help[0].text, Path("\\admin.hlp"));
    EXPECT_EQ(help[0].data, 102u);
}
