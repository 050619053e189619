// The "Préférences" sheet as the console builds it, run modeless through the
// modal seam and stepped with the sheet's own messages; and the about box.
#include "shell/preferences.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/drawing_objects.h"
#include "gateways/gateway_registry.h"
#include "journal/journal_file.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/window_classes.h"
#include "tests/wine/test_support.h"
#include "users/user_database.h"
#include "users/user_tables.h"
#include "users/windows_user.h"

namespace {

const char kDefaultRas[] = "Connexion Quorel sur IP n\xB0";
const char kDefaultDns[] = "minitelip.quorel.fr";
const char kProtocolQuestion[] =
    "Le changement de protocole r\xE9seau va entra\xEEner le red\xE9marrage du r\xE9seau Quorel.\n"
    "Comfirmez-vous le changement de protocole?";

// Every key the sheet may touch, as section/key.
const char* const kKeys[][2] = {
    {"Reseau", "type"},     {"Reseau", "check"},  {"Minitel", "CnxFinEnabled"}, {"Minitel", "MinitelIP"},
    {"Minitel", "AccesRAS"}, {"Minitel", "ForceIP"}, {"AccesIP", "DNS"},           {"AccesIP", "Port"},
};

using Keys = std::map<std::string, std::string>;  // "section/key" -> text; absent keys left out

constexpr int kApplyButton = 0x3021;  // the sheet's "Apply now" button

void Press(HWND sheet, int button)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    PumpMessages();
}

HWND PageAt(HWND sheet, int index)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

// Shows the page at `index` (creating it the first time) and returns it.
HWND ShowPage(HWND sheet, int index)
{
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    PumpMessages();
    return PageAt(sheet, index);
}

void Click(HWND page, int id)
{
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
    PumpMessages();
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::vector<std::string> TabTitles(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    std::vector<std::string> titles;
    for (int i = 0; i < SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0); ++i) {
        char title[64] = {};
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = title;
        tab.cchTextMax = sizeof title;
        SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
        titles.push_back(title);
    }
    return titles;
}

class PreferencesTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        MainWindow = nullptr;
        JournalSettings = {1, 0, 1, 9, 0, 10};
        Journal = JournalTable{};
        Gateways = GatewayTable{};
        Gateways.count = 1;
        lstrcpynA(Gateways.slots[0].name, "Paris", sizeof Gateways.slots[0].name);
        FreeUserTable();
        CurrentUserTable().header.userCount = 1;
        lstrcpynA(CurrentUserTable().records[0].name, "Durand", 21);
    }
    void TearDown() override
    {
        FreeUserTable();
        Gateways = GatewayTable{};
        ProgramDirTest::TearDown();
    }

    std::string Ini() const { return Path("\\admin.ini"); }
    void SetKeys(const Keys& keys)
    {
        for (const auto& [name, value] : keys) {
            std::string section = name.substr(0, name.find('/'));
            std::string key = name.substr(name.find('/') + 1);
            WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), Ini().c_str());
        }
    }
    // Every key of the sheet that admin.ini holds.
    Keys KeysNow() const
    {
        Keys keys;
        for (const auto& k : kKeys) {
            char text[4096];
            if (GetPrivateProfileStringA(k[0], k[1], "\x01", text, sizeof text, Ini().c_str()) != 1 || text[0] != 1)
                keys[std::string(k[0]) + "/" + k[1]] = text;
        }
        return keys;
    }

    // Runs ShowPreferences with `drive` stepping the sheet; returns the header
    // the console built.
    PROPSHEETHEADERA Run(ModalRecorder& recorder, const std::function<void(HWND sheet)>& drive)
    {
        PROPSHEETHEADERA seen = {};
        recorder.propertySheet = [&](PROPSHEETHEADERA* header) {
            seen = *header;
            return RunSheetModeless(header, drive);
        };
        ShowPreferences(nullptr);
        recorder.propertySheet = nullptr;
        return seen;
    }
};

std::string Repeat(const char* piece, size_t length)
{
    std::string text;
    while (text.size() < length)
        text += piece;
    return text.substr(0, length);
}

}  // namespace

// Two pages, or three when "MinitelIP" is not 0 as the sheet opens; the first
// is shown first; no apply button, a help button. The platform creates a page
// only when it is first shown.
TEST_F(PreferencesTest, TheSheetHasTwoPagesOrThreeWithIpAccess)
{
    struct Case { std::optional<const char*> minitelIp; std::vector<std::string> tabs; } cases[] = {
        {std::nullopt, {"Journal", "R\xE9seau"}},
        {"0", {"Journal", "R\xE9seau"}},
        {"1", {"Journal", "R\xE9seau", "Acc\xE8s IP"}},
        {"5", {"Journal", "R\xE9seau", "Acc\xE8s IP"}},
    };
    for (const Case& c : cases) {
        DeleteFileA(Ini().c_str());
        if (c.minitelIp)
            SetKeys({{"Minitel/MinitelIP", *c.minitelIp}});
        ModalRecorder recorder;
        PROPSHEETHEADERA header = Run(recorder, [&](HWND sheet) {
            char caption[64] = {};
            GetWindowTextA(sheet, caption, sizeof caption);
            EXPECT_STREQ(caption, "Pr\xE9" "f\xE9rences");
            EXPECT_EQ(TabTitles(sheet), c.tabs);
            EXPECT_EQ(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0),
                      reinterpret_cast<LRESULT>(PageAt(sheet, 0)));
            for (size_t i = 1; i < c.tabs.size(); ++i)
                EXPECT_EQ(PageAt(sheet, static_cast<int>(i)), nullptr) << "page " << i << " is made when shown";
            HWND apply = GetDlgItem(sheet, kApplyButton);
            EXPECT_TRUE(!apply || !IsWindowVisible(apply));
            HWND help = GetDlgItem(sheet, IDHELP);
            EXPECT_TRUE(help && IsWindowVisible(help));
            Press(sheet, PSBTN_CANCEL);
        });
        EXPECT_EQ(header.nPages, c.tabs.size());
        EXPECT_TRUE(header.dwFlags & PSH_NOAPPLYNOW);
        EXPECT_EQ(header.nStartPage, 0u);
        EXPECT_TRUE(recorder.Calls().empty());
    }
}

// OK at once writes "CnxFinEnabled" and, with the "Accès IP" page, its four
// keys as they were read (longer texts than the fields show included), and
// never "type" or "check", whether or not the pages were ever shown.
TEST_F(PreferencesTest, ConfirmingAtOnceWritesOnlyWhatItMust)
{
    std::string longRas = Repeat("Acc\xE8s RAS ", 299);  // the platform drops a trailing blank
    std::string longDns = Repeat("serveur.", 40);
    std::string longPort = Repeat("75", 40);
    struct Case { const char* name; Keys before; Keys after; } cases[] = {
        {"defaults", {{"Minitel/MinitelIP", "1"}},
         {{"Minitel/MinitelIP", "1"}, {"Minitel/CnxFinEnabled", "1"}, {"Minitel/AccesRAS", kDefaultRas},
          {"Minitel/ForceIP", "0"}, {"AccesIP/DNS", kDefaultDns}, {"AccesIP/Port", "7516"}}},
        {"set by an installer",
         {{"Minitel/MinitelIP", "1"}, {"Reseau/type", "1"}, {"Reseau/check", "1"}, {"Minitel/CnxFinEnabled", "0"},
          {"Minitel/AccesRAS", longRas}, {"Minitel/ForceIP", "1"}, {"AccesIP/DNS", longDns},
          {"AccesIP/Port", longPort}},
         {{"Minitel/MinitelIP", "1"}, {"Reseau/type", "1"}, {"Reseau/check", "1"}, {"Minitel/CnxFinEnabled", "0"},
          {"Minitel/AccesRAS", longRas}, {"Minitel/ForceIP", "1"}, {"AccesIP/DNS", longDns},
          {"AccesIP/Port", longPort}}},
        {"values other than 0 and 1",
         {{"Minitel/MinitelIP", "1"}, {"Reseau/type", "2"}, {"Reseau/check", "5"}, {"Minitel/CnxFinEnabled", "7"},
          {"Minitel/ForceIP", "3"}},
         {{"Minitel/MinitelIP", "1"}, {"Reseau/type", "2"}, {"Reseau/check", "5"}, {"Minitel/CnxFinEnabled", "1"},
          {"Minitel/AccesRAS", kDefaultRas}, {"Minitel/ForceIP", "1"}, {"AccesIP/DNS", kDefaultDns},
          {"AccesIP/Port", "7516"}}},
        {"without IP access", {{"AccesIP/DNS", "ailleurs"}},
         {{"AccesIP/DNS", "ailleurs"}, {"Minitel/CnxFinEnabled", "1"}}},
    };
    for (const Case& c : cases) {
        for (bool showEveryPage : {false, true}) {
            DeleteFileA(Ini().c_str());
            SetKeys(c.before);
            ModalRecorder recorder;
            Run(recorder, [&](HWND sheet) {
                if (showEveryPage) {
                    int pages = static_cast<int>(TabTitles(sheet).size());
                    for (int i = pages - 1; i >= 0; --i)
                        ShowPage(sheet, i);
                }
                Press(sheet, PSBTN_OK);
            });
            EXPECT_EQ(KeysNow(), c.after) << c.name << (showEveryPage ? ", every page shown" : ", pages not shown");
            EXPECT_TRUE(recorder.Calls().empty()) << c.name;
        }
    }
}

// A protocol that really changed is asked about, by the page; "type" is
// written only on Yes, and the rest of the page is written either way.
TEST_F(PreferencesTest, TheProtocolIsAskedAboutAndWrittenOnlyOnYes)
{
    struct Case {
        const char* name;
        std::optional<const char*> type;
        std::vector<int> clicks;
        int answer;
        bool asked;
        std::optional<std::string> typeAfter;
    } cases[] = {
        {"to TCP/IP, yes", std::nullopt, {IDC_PROTOCOL_TCPIP}, IDYES, true, "1"},
        {"to TCP/IP, no", std::nullopt, {IDC_PROTOCOL_TCPIP}, IDNO, true, std::nullopt},
        {"to TCP/IP from 0, no", "0", {IDC_PROTOCOL_TCPIP}, IDNO, true, "0"},
        {"to IPX/SPX, yes", "1", {IDC_PROTOCOL_IPX}, IDYES, true, "0"},
        {"to IPX/SPX, no", "1", {IDC_PROTOCOL_IPX}, IDNO, true, "1"},
        {"there and back", "0", {IDC_PROTOCOL_TCPIP, IDC_PROTOCOL_IPX}, IDYES, false, "0"},
        {"TCP/IP again", "3", {IDC_PROTOCOL_TCPIP}, IDYES, false, "3"},
    };
    for (const Case& c : cases) {
        DeleteFileA(Ini().c_str());
        if (c.type)
            SetKeys({{"Reseau/type", *c.type}});
        ModalRecorder recorder;
        recorder.Answer(c.answer);
        HWND page = nullptr;
        Run(recorder, [&](HWND sheet) {
            page = ShowPage(sheet, 1);
            for (int id : c.clicks)
                Click(page, id);
            Click(page, IDC_INHIBIT_CONNECTION);
            Press(sheet, PSBTN_OK);
        });
        Keys after = KeysNow();
        EXPECT_EQ(after.count("Reseau/type") ? std::optional<std::string>(after["Reseau/type"]) : std::nullopt,
                  c.typeAfter)
            << c.name;
        EXPECT_EQ(after["Minitel/CnxFinEnabled"], "0") << c.name;
        EXPECT_EQ(after.count("Reseau/check"), 0u) << c.name;
        ASSERT_EQ(recorder.Calls().size(), c.asked ? 1u : 0u) << c.name;
        if (c.asked) {
            const ModalCall& call = recorder.Calls()[0];
            EXPECT_EQ(call.kind, "message");
            EXPECT_EQ(call.owner, page) << "the page owns the question";
            EXPECT_EQ(call.caption, "Administrateur");
            EXPECT_EQ(call.text, kProtocolQuestion);
            EXPECT_EQ(call.type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        }
    }
}

// The "Réseau" page shows the keys; "check" is written when it changed.
TEST_F(PreferencesTest, TheNetworkPageShowsItsKeysAndWritesACheckThatChanged)
{
    struct Case { Keys before; bool tcpIp, check, inhibit; std::optional<std::string> checkAfter; } cases[] = {
        {{}, false, false, false, "1"},
        {{{"Reseau/type", "1"}, {"Reseau/check", "1"}, {"Minitel/CnxFinEnabled", "0"}}, true, true, true, "0"},
        {{{"Reseau/check", "4"}, {"Minitel/CnxFinEnabled", "2"}}, false, true, false, "0"},
    };
    for (const Case& c : cases) {
        DeleteFileA(Ini().c_str());
        SetKeys(c.before);
        ModalRecorder recorder;
        Run(recorder, [&](HWND sheet) {
            HWND page = ShowPage(sheet, 1);
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_PROTOCOL_TCPIP) == BST_CHECKED, c.tcpIp);
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_PROTOCOL_IPX) == BST_CHECKED, !c.tcpIp);
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_CHECK_STATIONS) == BST_CHECKED, c.check);
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_INHIBIT_CONNECTION) == BST_CHECKED, c.inhibit);
            EXPECT_EQ(ItemText(page, IDC_PROTOCOL_GROUP), "Protocole");
            EXPECT_EQ(ItemText(page, IDC_PROTOCOL_IPX), "IPX/SPX");
            EXPECT_EQ(ItemText(page, IDC_PROTOCOL_TCPIP), "TCP/IP");
            EXPECT_EQ(ItemText(page, IDC_CHECK_STATIONS), "V\xE9rification du protocole des postes Quorel");
            EXPECT_EQ(ItemText(page, IDC_INHIBIT_CONNECTION), "&Inhiber Connexion/Fin");
            Click(page, IDC_CHECK_STATIONS);
            Press(sheet, PSBTN_OK);
        });
        Keys after = KeysNow();
        EXPECT_EQ(after.count("Reseau/check") ? std::optional<std::string>(after["Reseau/check"]) : std::nullopt,
                  c.checkAfter);
        EXPECT_EQ(after["Minitel/CnxFinEnabled"], c.inhibit ? "0" : "1");
        EXPECT_TRUE(recorder.Calls().empty());
    }
}

// An edited text is cut to the length the server reads; one left as shown
// is written back whole.
TEST_F(PreferencesTest, EditedTextsAreCutAndUneditedOnesKeptWhole)
{
    std::string longDns = Repeat("abcdefghij", 40);
    SetKeys({{"Minitel/MinitelIP", "1"}, {"AccesIP/DNS", longDns}, {"Minitel/ForceIP", "0"}});
    ModalRecorder recorder;
    Run(recorder, [&](HWND sheet) {
        HWND page = ShowPage(sheet, 2);
        EXPECT_EQ(ItemText(page, IDC_RAS_TEXT), kDefaultRas);
        EXPECT_EQ(ItemText(page, IDC_DNS), longDns.substr(0, 31));
        EXPECT_EQ(ItemText(page, IDC_PORT), "7516");
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_FORCE_IP), static_cast<UINT>(BST_UNCHECKED));
        struct Label { int id; const char* text; } labels[] = {
            {IDC_RAS_LABEL, "Libell\xE9 acc\xE8s RAS :"},
            {IDC_FORCE_IP, "Imposer le mode i.Minitel pour tous les postes"},
            {IDC_IP_SERVER_GROUP, "Configuration serveur minitel IP"},
            {IDC_DNS_LABEL, "&Adresse :"},
            {IDC_PORT_LABEL, "&Port :"},
        };
        for (const Label& label : labels)
            EXPECT_EQ(ItemText(page, label.id), label.text);
        SetDlgItemTextA(page, IDC_PORT, Repeat("0123456789", 40).c_str());
        SetDlgItemTextA(page, IDC_RAS_TEXT, Repeat("R", 300).c_str());
        Click(page, IDC_FORCE_IP);
        Press(sheet, PSBTN_OK);
    });
    Keys after = KeysNow();
    EXPECT_EQ(after["AccesIP/Port"], Repeat("0123456789", 31));
    EXPECT_EQ(after["Minitel/AccesRAS"], Repeat("R", 255));
    EXPECT_EQ(after["AccesIP/DNS"], longDns);
    EXPECT_EQ(after["Minitel/ForceIP"], "1");
}

// Cancel after every control of every page changed: not a byte of admin.ini,
// the settings or the journal moves, and nothing is asked.
TEST_F(PreferencesTest, CancelAfterChangingEveryControlChangesNothing)
{
    SetKeys({{"Minitel/MinitelIP", "1"}, {"Reseau/type", "0"}, {"AccesIP/DNS", "serveur"}});
    WriteBytes(Path("\\Journal.dat"), {0, 0, 0, 0});
    std::vector<uint8_t> ini = ReadBytes(Ini());
    JournalSettingsValues settings = JournalSettings;
    ModalRecorder recorder;
    Run(recorder, [&](HWND sheet) {
        HWND journal = PageAt(sheet, 0);
        SendDlgItemMessageA(journal, IDC_JOURNAL_SHOW, BM_CLICK, 0, 0);
        SendDlgItemMessageA(journal, IDC_JOURNAL_PURGE, BM_CLICK, 0, 0);
        SetDlgItemTextA(journal, IDC_JOURNAL_DAYS, "0");
        HWND network = ShowPage(sheet, 1);
        Click(network, IDC_PROTOCOL_TCPIP);
        Click(network, IDC_CHECK_STATIONS);
        Click(network, IDC_INHIBIT_CONNECTION);
        HWND ip = ShowPage(sheet, 2);
        SetDlgItemTextA(ip, IDC_RAS_TEXT, "autre");
        SetDlgItemTextA(ip, IDC_DNS, "ailleurs");
        SetDlgItemTextA(ip, IDC_PORT, "1");
        Click(ip, IDC_FORCE_IP);
        Press(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(ReadBytes(Ini()), ini);
    EXPECT_EQ(std::memcmp(&JournalSettings, &settings, sizeof settings), 0);
    EXPECT_EQ(ReadBytes(Path("\\Journal.dat")), std::vector<uint8_t>({0, 0, 0, 0}));
    EXPECT_FALSE(Exists(Path("\\Journal.old")));
    EXPECT_TRUE(recorder.Calls().empty());
}

// A purge refused on the journal page stops the OK before any other page
// writes or asks anything.
TEST_F(PreferencesTest, ARefusedPurgeStopsEveryPage)
{
    SetKeys({{"Minitel/MinitelIP", "1"}});
    std::vector<uint8_t> ini = ReadBytes(Ini());
    ModalRecorder recorder;
    recorder.Answer(IDOK);
    Run(recorder, [&](HWND sheet) {
        HWND network = ShowPage(sheet, 1);
        Click(network, IDC_PROTOCOL_TCPIP);
        ShowPage(sheet, 2);
        HWND journal = ShowPage(sheet, 0);
        SendDlgItemMessageA(journal, IDC_JOURNAL_PURGE, BM_CLICK, 0, 0);
        SetDlgItemTextA(journal, IDC_JOURNAL_DAYS, "dix");
        Press(sheet, PSBTN_OK);
        EXPECT_NE(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), 0);
        Press(sheet, PSBTN_CANCEL);
    });
    EXPECT_EQ(ReadBytes(Ini()), ini);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(recorder.Calls()[0].caption, "Attention");
}

// Each page's help button and F1 (command 1056) open its own topic.
TEST_F(PreferencesTest, EachPageOpensItsOwnHelpTopic)
{
    SetKeys({{"Minitel/MinitelIP", "1"}});
    ModalRecorder recorder;
    Run(recorder, [&](HWND sheet) {
        for (int i = 0; i < 3; ++i) {
            HWND page = ShowPage(sheet, i);
            SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDHELP)));
            PostMessageA(page, WM_COMMAND, ID_HELP_KEY, 0);
            PumpMessages();
        }
        Press(sheet, PSBTN_CANCEL);
    });
    const ULONG_PTR contexts[] = {105, 105, 106, 106, 107, 107};
    ASSERT_EQ(recorder.Calls().size(), std::size(contexts));
    for (size_t n = 0; n < std::size(contexts); ++n) {
        const ModalCall& call = recorder.Calls()[n];
        EXPECT_EQ(call.kind, "help") << n;
        EXPECT_EQ(call.text, Path("\\admin.hlp")) << n;
        EXPECT_EQ(call.type, static_cast<UINT>(HELP_CONTEXT)) << n;
        EXPECT_EQ(call.data, contexts[n]) << n;
    }
}

// About box ---------------------------------------------------------------------

namespace {

std::vector<std::string> AboutLines;

void ReadAboutBox(HWND box)
{
    const int ids[] = {1001, 1002, 1003};
    for (int id : ids)
        AboutLines.push_back(ItemText(box, id));
    PressButton(box, IDOK);
}

std::string TestFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

}  // namespace

// The library of the program directory shows the three lines, the version
// being the build's; its entry is reached by ordinal only.
TEST_F(PreferencesTest, TheAboutBoxComesFromTheLibraryOfTheProgramDirectory)
{
    ASSERT_TRUE(CopyFileA((TestFolder() + "\\aboutn.dll").c_str(), Path("\\aboutn.dll").c_str(), FALSE));
    AboutLines.clear();
    {
        DialogDriver driver;
        driver.Then("A propos", ReadAboutBox);
        ShowAboutBox(nullptr);
        EXPECT_EQ(driver.StepsDone(), 1);
        EXPECT_EQ(driver.Unexpected(), 0);
    }
    EXPECT_EQ(AboutLines, (std::vector<std::string>{"Administrateur Quorel", "Version " ADMIN_VERSION_TEXT,
                                                    "Console d'administration du r\xE9seau Quorel"}));
    EXPECT_FALSE(std::string(ADMIN_VERSION_TEXT).empty());
    // Unloaded again once the box is closed.
    EXPECT_EQ(GetModuleHandleA(Path("\\aboutn.dll").c_str()), nullptr);

    HMODULE library = LoadLibraryA(Path("\\aboutn.dll").c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetProcAddress(library, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetProcAddress(library, "ShowAboutDialog"), nullptr) << "exported by ordinal only";
    FreeLibrary(library);
}

// Without the library, or with a file that is not one, nothing shows and
// nothing is said.
TEST_F(PreferencesTest, WithoutTheLibraryThereIsNoAboutBox)
{
    for (bool garbage : {false, true}) {
        if (garbage)
            WriteBytes(Path("\\aboutn.dll"), std::vector<uint8_t>(4096, 0x4D));
        ModalRecorder recorder;
        DialogDriver driver;
        ShowAboutBox(nullptr);
        PumpMessages();
        EXPECT_EQ(driver.Unexpected(), 0) << garbage;
        EXPECT_TRUE(recorder.Calls().empty()) << garbage;
    }
}

// From the main window ---------------------------------------------------------

namespace {

class MainWindowMenuTest : public PreferencesTest {
protected:
    void SetUp() override
    {
        PreferencesTest::SetUp();
        CreateDrawingObjects();
        RegisterWindowClasses(AppInstance);  // fails harmlessly when already done
        SetWindowsUserNameForTests("Dupont");
        CreateUserDatabase(nullptr, Dir());
        WriteBytes(Path("\\ActUser.dat"), std::vector<uint8_t>(3000, 0));
        WriteBytes(Path("\\ActPass.dat"), std::vector<uint8_t>(152, 0));
        WriteBytes(Path("\\Journal.dat"), {0, 0, 0, 0});
        main_ = CreateMainWindow(AppInstance, SW_SHOWNORMAL);
        ASSERT_NE(main_, nullptr);
        CreateColumnHeaders(JournalPane);
        ShowJournalPane();
    }
    void TearDown() override
    {
        if (main_ && IsWindow(main_))
            DestroyWindow(main_);
        PumpMessages();
        SetWindowsUserNameForTests(nullptr);
        PreferencesTest::TearDown();
    }
    void Command(int id) { SendMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    HWND main_ = nullptr;
};

HWND StatesOwner;

void CloseStatesWindow(HWND window)
{
    StatesOwner = GetWindow(window, GW_OWNER);
    PressButton(window, IDOK);
}

}  // namespace

// "P&références" opens the sheet over the main window; unchecking the show
// box and confirming hides the pane and its header buttons.
TEST_F(MainWindowMenuTest, PreferencesHideThePaneWhenItIsNoLongerShown)
{
    ASSERT_TRUE(IsWindowVisible(JournalPane));
    ModalRecorder recorder;
    PROPSHEETHEADERA header = {};
    recorder.propertySheet = [&](PROPSHEETHEADERA* h) {
        header = *h;
        return RunSheetModeless(h, [](HWND sheet) {
            SendDlgItemMessageA(PageAt(sheet, 0), IDC_JOURNAL_SHOW, BM_CLICK, 0, 0);
            Press(sheet, PSBTN_OK);
        });
    };
    Command(IDM_PREFERENCES);
    EXPECT_EQ(header.hwndParent, main_);
    EXPECT_EQ(JournalSettings.shown, 0);
    EXPECT_FALSE(IsWindowVisible(JournalPane));
    for (const JournalColumn& column : JournalColumns)
        EXPECT_FALSE(IsWindowVisible(column.button));
    EXPECT_FALSE(Exists(Path("\\Journal.old"))) << "nothing is purged";
}

// "Gestion des ét&ats" shows the states window owned by the main window.
TEST_F(MainWindowMenuTest, StatesWindowIsOwnedByTheMainWindow)
{
    StatesOwner = nullptr;
    DialogDriver driver;
    driver.Then("Gestion des \xE9tats", CloseStatesWindow);
    Command(IDM_STATES);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(StatesOwner, main_);
}
