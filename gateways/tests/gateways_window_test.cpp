#include "gateways/gateways_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/app.h"
#include "base/drawing_objects.h"
#include "base/program_dir.h"
#include "gateways/gateway_registry.h"
#include "gateways/server_service.h"
#include "gateways/tests/line_fixtures.h"
#include "journal/journal_settings.h"
#include "resources/resource.h"
#include "states/activity_files.h"
#include "tests/wine/test_pixels.h"
#include "tests/wine/test_support.h"
#include "zemoctln/zemoctln.h"

namespace {

struct GatewaySpec {
    uint32_t number;
    const char* name;
    uint32_t modems;  // modemCount in admin.dat
    int lines;        // line records in its comlines.dat (of kThreeLines); -1: no line files
};

// admin.dat: the count at 0, slot i at 4 + 136 i (modemCount, number, name).
Bytes AdminDat(const std::vector<GatewaySpec>& gateways)
{
    Bytes bytes(1092, 0);
    for (size_t i = 0; i < gateways.size(); ++i) {
        size_t at = 4 + 136 * i;
        Put32(bytes, at, gateways[i].modems);
        Put32(bytes, at + 4, gateways[i].number);
        PutText(bytes, at + 8, gateways[i].name);
    }
    Put32(bytes, 0, static_cast<uint32_t>(gateways.size()));
    return bytes;
}

// Journal.dat: a count, then 564-byte records with the gateway name at 256.
Bytes JournalDat(const std::vector<std::string>& gateways)
{
    Bytes bytes(4 + 564 * gateways.size(), 0);
    Put32(bytes, 0, static_cast<uint32_t>(gateways.size()));
    for (size_t i = 0; i < gateways.size(); ++i) {
        PutText(bytes, 4 + 564 * i + 256, gateways[i].c_str());
        PutText(bytes, 4 + 564 * i + 306, "DURAND");
    }
    return bytes;
}

std::vector<std::string> JournalGateways(const Bytes& journal)
{
    std::vector<std::string> names;
    for (size_t at = 4; at + 564 <= journal.size(); at += 564)
        names.emplace_back(reinterpret_cast<const char*>(journal.data() + at + 256));
    return names;
}

// The configuration dialog as each test answers it.
INT_PTR ConfigAnswer;
std::vector<int> ConfigPositions;           // CurrentGateway at each run
std::vector<std::vector<bool>> ConfigSaw;   // Ajouter, Modifier, Supprimer enabled at each run
void (*ConfigAction)(HWND owner);

INT_PTR StandInConfigDialog(HWND owner)
{
    ConfigPositions.push_back(CurrentGateway);
    std::vector<bool> enabled;
    for (int id : {IDC_GATEWAY_ADD, IDC_GATEWAY_MODIFY, IDC_GATEWAY_DELETE})
        enabled.push_back(IsWindowEnabled(GetDlgItem(owner, id)) != 0);
    ConfigSaw.push_back(enabled);
    if (ConfigAction)
        ConfigAction(owner);
    return ConfigAnswer;
}

// "CreateServiceEx" as each test sees it called.
std::vector<std::pair<std::string, std::string>> ServiceCalls;

BOOL WINAPI RecordServiceCall(const char* name, const char* path)
{
    ServiceCalls.emplace_back(name, path);
    return TRUE;
}

constexpr UINT kEnabledMenu = MF_ENABLED;

}  // namespace

class GatewaysWindowTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        CreateDrawingObjects();
        RegisterConsoleWindowClasses();  // fails harmlessly when already done
        JournalSettings = {};
        StandaloneDialog = 0;
        IsWindowsNT = 1;
        Gateways = GatewayTable{};
        GatewayActivity.fill(0);
        GatewayActiveFlags.fill(0);
        ConfigAnswer = 0;
        ConfigPositions.clear();
        ConfigSaw.clear();
        ConfigAction = nullptr;
        ServiceCalls.clear();
        SetConfigDialogForTests(StandInConfigDialog);
        SetServiceInstallerForTests(RecordServiceCall);
        SetRegistryPrefixForTests("QuorelTestAbsent\\");  // no such key: "QUOREL"
        WriteBytes(Path("\\ActPass.dat"), Bytes(152, 0));
        main_ = CreateWindowA("STATIC", "Administrateur", WS_OVERLAPPEDWINDOW, 0, 0, 430, 400, nullptr, nullptr,
                              AppInstance, nullptr);
        MainWindow = main_;
        EnableWindow(main_, FALSE);  // as the main window's command does
    }
    void TearDown() override
    {
        if (dialog_ && IsWindow(dialog_))
            DestroyWindow(dialog_);
        DestroyWindow(main_);
        PumpMessages();
        MainWindow = nullptr;
        StandaloneDialog = 0;
        SetConfigDialogForTests(nullptr);
        SetServiceInstallerForTests(nullptr);
        SetRegistryPrefixForTests("");
        ProgramDirTest::TearDown();
    }

    // admin.dat and each gateway's directory with its first `lines` lines.
    void WriteGateways(const std::vector<GatewaySpec>& gateways)
    {
        WriteBytes(Path("\\admin.dat"), AdminDat(gateways));
        for (const GatewaySpec& g : gateways) {
            std::string dir = Path("\\pass" + std::to_string(g.number));
            CreateDirectoryA(dir.c_str(), nullptr);
            if (g.lines < 0)
                continue;
            std::vector<Line> lines(kThreeLines.begin(), kThreeLines.begin() + g.lines);
            WriteBytes(dir + "\\comlines.dat", LineFile(lines, static_cast<uint16_t>(g.lines)));
            WriteBytes(dir + "\\Fax0Mid.mid", DialSettingsFile(std::vector<Settings>(g.lines, {0, 1, "", 0}), 0));
        }
    }
    // Activity record `record` of ActPass.dat: its Active byte, the server's
    // own byte and the line states; then read as the main window's timer does.
    void WriteActivity(int record, uint8_t active, std::vector<uint8_t> states = {})
    {
        Bytes bytes = ReadBytes(Path("\\ActPass.dat"));
        bytes[19 * record] = active;
        bytes[19 * record + 1] = 0x5A;
        for (size_t k = 0; k < states.size(); ++k) {
            bytes[19 * record + 3 + 2 * k] = states[k];
            bytes[19 * record + 4 + 2 * k] = 0x60;
        }
        WriteBytes(Path("\\ActPass.dat"), bytes);
        ReadActivityFiles();
    }

    // The window as the main window opens it: modeless, owned by it.
    HWND Open()
    {
        dialog_ = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_GATEWAYS), main_, GatewaysDialog, 0);
        EXPECT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        PumpMessages();
        return dialog_;
    }
    void Command(int id, int code = BN_CLICKED)
    {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
        PumpMessages();
    }
    void Select(int position)
    {
        SendDlgItemMessageA(dialog_, IDC_GATEWAY_LIST, LB_SETCURSEL, position, 0);
        Command(IDC_GATEWAY_LIST, LBN_SELCHANGE);
    }
    void CloseBox()
    {
        SendMessageA(dialog_, WM_CLOSE, 0, 0);
        PumpMessages();
    }
    int Items(int list) const { return static_cast<int>(SendDlgItemMessageA(dialog_, list, LB_GETCOUNT, 0, 0)); }
    int Selected() const
    {
        return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_GATEWAY_LIST, LB_GETCURSEL, 0, 0));
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != 0; }
    bool MenuEnabled(int id) const
    {
        return (GetMenuState(GetMenu(dialog_), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == kEnabledMenu;
    }
    // The control's place in the window's client area.
    RECT Place(int id) const
    {
        RECT r;
        GetWindowRect(GetDlgItem(dialog_, id), &r);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND main_ = nullptr;
    HWND dialog_ = nullptr;
};

// Opening --------------------------------------------------------------------------

TEST_F(GatewaysWindowTest, OpensOnEveryGatewayWithTheFirstSelectedAndItsLines)
{
    WriteGateways({{0, "Pass0", 2, 2}, {1, "Nord", 3, 3}, {2, "Pass2", 0, 0}});
    Open();
    char caption[64];
    GetWindowTextA(dialog_, caption, sizeof caption);
    EXPECT_STREQ(caption, "Passerelles");
    EXPECT_EQ(Gateways.count, 3);
    EXPECT_EQ(Items(IDC_GATEWAY_LIST), 3);
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(CurrentGateway, 0);
    EXPECT_EQ(Items(IDC_LINE_LIST), 2);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, IDC_GATEWAY_LIST));
    for (int id : {IDC_GATEWAY_ADD, IDC_GATEWAY_MODIFY, IDC_GATEWAY_DELETE, IDC_GATEWAY_QUIT, IDC_GATEWAY_HELP}) {
        EXPECT_TRUE(Enabled(id)) << id;
        EXPECT_TRUE(MenuEnabled(id)) << id;
    }
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window waits for the window to close";

    Select(1);
    EXPECT_EQ(CurrentGateway, 1);
    EXPECT_EQ(Items(IDC_LINE_LIST), 3);
    Select(2);
    EXPECT_EQ(Items(IDC_LINE_LIST), 0);
}

TEST_F(GatewaysWindowTest, ButtonsMenuAndListsAreLaidOutFromTheSplit)
{
    WriteGateways({{0, "Pass0", 0, 0}});
    Open();
    RECT client;
    GetClientRect(dialog_, &client);
    const int w = client.right, h = client.bottom;
    ASSERT_GT(h, 260) << "room for both lists under the split at 200";
    struct Case { int id; RECT expected; } cases[] = {
        {IDC_GATEWAY_ADD, {5, 0, 40, 35}},
        {IDC_GATEWAY_MODIFY, {45, 0, 80, 35}},
        {IDC_GATEWAY_DELETE, {85, 0, 120, 35}},
        {IDC_GATEWAY_QUIT, {125, 0, 160, 35}},
        {IDC_GATEWAY_HELP, {165, 0, 200, 35}},
        {IDC_GATEWAYS_LABEL, {5, 45, w - 5, 60}},
        {IDC_GATEWAY_LIST, {5, 60, w - 5, 195}},
        {IDC_LINES_LABEL, {5, 205, w - 5, 220}},
        {IDC_LINE_LIST, {5, 220, w - 5, h - 5}},
    };
    for (const auto& c : cases) {
        RECT r = Place(c.id);
        EXPECT_EQ(r.left, c.expected.left) << c.id;
        EXPECT_EQ(r.top, c.expected.top) << c.id;
        EXPECT_EQ(r.right, c.expected.right) << c.id;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.id;
    }
    struct Label { int id; const char* text; } labels[] = {
        {IDC_GATEWAY_ADD, "Ajouter"}, {IDC_GATEWAY_MODIFY, "Modifier"}, {IDC_GATEWAY_DELETE, "Supprimer"},
        {IDC_GATEWAY_QUIT, "Quitter"}, {IDC_GATEWAY_HELP, "Aide"},
        {IDC_GATEWAYS_LABEL, "Liste des passerelles :"}, {IDC_LINES_LABEL, "Liste des modems :"},
    };
    for (const auto& l : labels) {
        char text[64];
        GetDlgItemTextA(dialog_, l.id, text, sizeof text);
        EXPECT_STREQ(text, l.text);
    }
    for (int id : {IDC_GATEWAY_ADD, IDC_GATEWAY_QUIT}) {
        char className[16];
        GetClassNameA(GetDlgItem(dialog_, id), className, sizeof className);
        EXPECT_STREQ(className, "$BtnBulle");
        EXPECT_EQ(SendDlgItemMessageA(dialog_, id, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(GuiFont));
    }

    // The menu bar and its entries, each with the command of its button.
    HMENU menu = GetMenu(dialog_);
    ASSERT_NE(menu, nullptr);
    struct Entry { int menu; int item; const char* text; int command; } entries[] = {
        {0, 0, "&Quitter", IDC_GATEWAY_QUIT},
        {1, 0, "&Modifier", IDC_GATEWAY_MODIFY},
        {1, 1, "&Ajouter", IDC_GATEWAY_ADD},
        {1, 2, "&Supprimer", IDC_GATEWAY_DELETE},
        {2, 0, "&Consulter l'aide", IDC_GATEWAY_HELP},
    };
    const char* titles[] = {"&Fichier", "&Edition", "&Aide"};
    for (int m = 0; m < 3; ++m) {
        char text[64];
        GetMenuStringA(menu, m, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, titles[m]);
    }
    for (const auto& e : entries) {
        HMENU popup = GetSubMenu(menu, e.menu);
        char text[64];
        GetMenuStringA(popup, e.item, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, e.text);
        EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, e.item)), e.command) << e.text;
    }
}

TEST_F(GatewaysWindowTest, TooltipTextsOfTheButtonsAreInTheStringTable)
{
    struct Case { int id; const char* text; } cases[] = {
        {IDS_GATEWAY_ADD_TIP, "Ajouter une passerelle"},
        {IDS_GATEWAY_MODIFY_TIP, "Modifier une passerelle"},
        {IDS_GATEWAY_DELETE_TIP, "Supprimer une passerelle"},
        {IDS_GATEWAY_QUIT_TIP, "Quitter"},
        {IDS_GATEWAY_HELP_TIP, "Aide"},
    };
    for (const auto& c : cases) {
        char text[64] = {};
        LoadStringA(GetModuleHandleA(nullptr), c.id, text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.id;
    }
}

TEST_F(GatewaysWindowTest, EmptyTableLeavesModifyAndDeleteDisabled)
{
    Open();
    EXPECT_EQ(Items(IDC_GATEWAY_LIST), 0);
    EXPECT_EQ(Items(IDC_LINE_LIST), 0);
    EXPECT_EQ(Selected(), LB_ERR);
    EXPECT_TRUE(Enabled(IDC_GATEWAY_ADD));
    EXPECT_TRUE(MenuEnabled(IDC_GATEWAY_ADD));
    for (int id : {IDC_GATEWAY_MODIFY, IDC_GATEWAY_DELETE}) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_FALSE(MenuEnabled(id)) << id;
    }
    ModalRecorder modal;
    Command(IDC_GATEWAY_DELETE, 0);
    Command(IDC_GATEWAY_MODIFY, 0);
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_TRUE(ConfigPositions.empty());
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), Bytes(1092, 0));
}

TEST_F(GatewaysWindowTest, LineListShowsAtMostEightLinesAndNoneWithoutLineFiles)
{
    // A damaged modem count, a count above the records in comlines.dat, and
    // a gateway whose line files are missing.
    WriteGateways({{0, "Pass0", 1000, 3}, {1, "Pass1", 5, 2}, {2, "Pass2", 2, -1}});
    Open();
    EXPECT_EQ(Items(IDC_LINE_LIST), 8);
    Select(1);
    EXPECT_EQ(Items(IDC_LINE_LIST), 5);
    ModalRecorder modal;
    Select(2);
    EXPECT_EQ(Items(IDC_LINE_LIST), 0);
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text,
              "Le fichier Comlines.dat n'est pas présent dans le répertoire " + Path("\\pass2") + ".");
    EXPECT_EQ(modal.Calls()[0].caption, "Erreur ouverture fichier");
}

// Drawing ---------------------------------------------------------------------------

namespace {

constexpr int kRowWidth = 300, kRowHeight = 16;
constexpr COLORREF kPaper = RGB(1, 2, 3);

// One row's picture, drawn in the shared font.
class Row : public Canvas {
public:
    Row() : Canvas(kRowWidth, kRowHeight, kPaper) { previousFont_ = SelectObject(Dc(), GuiFont); }
    ~Row() { SelectObject(Dc(), previousFont_); }
    // What the window draws for item `item` of the list `id`.
    void DrawItem(HWND dialog, int id, UINT item, UINT state = 0, UINT action = ODA_DRAWENTIRE)
    {
        DRAWITEMSTRUCT request = {};
        request.CtlType = ODT_LISTBOX;
        request.CtlID = id;
        request.itemID = item;
        request.itemAction = action;
        request.itemState = state;
        request.hwndItem = GetDlgItem(dialog, id);
        request.hDC = Dc();
        request.rcItem = {0, 0, kRowWidth, kRowHeight};
        request.itemData = item;
        SendMessageA(dialog, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&request));
    }
    // The expected picture: a background and texts at their x.
    void Expect(bool selected, const std::vector<std::pair<int, std::string>>& texts)
    {
        RECT all = {0, 0, kRowWidth, kRowHeight};
        FillRect(Dc(), &all, selected ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : WindowBrush);
        SetBkMode(Dc(), TRANSPARENT);
        SetTextColor(Dc(), selected ? GetSysColor(COLOR_WINDOW) : RGB(0, 0, 0));
        for (const auto& [x, text] : texts)
            TextOutA(Dc(), x, 0, text.c_str(), static_cast<int>(text.size()));
    }
    bool SameAs(const Row& other) const
    {
        for (int y = 0; y < kRowHeight; ++y)
            for (int x = 0; x < kRowWidth; ++x)
                if (At(x, y) != other.At(x, y))
                    return false;
        return true;
    }
    bool Untouched() const { return CountOtherThan(kPaper) == 0; }

private:
    HGDIOBJ previousFont_;
};

}  // namespace

TEST_F(GatewaysWindowTest, LineRowShowsTheDeviceAndTheWordOfItsLiveState)
{
    WriteGateways({{0, "Pass0", 6, 3}});
    WriteActivity(0, 1, {0, 1, 2, 3, 4, 9});
    Open();
    ASSERT_EQ(Items(IDC_LINE_LIST), 6);
    const int stateX = kRowWidth * 70 / 100;
    struct Case { UINT line; const char* device; const char* word; } cases[] = {
        {0, "Modem standard 56000 bps", "Inactif"},
        {1, "Adaptateur RNIS", "Inaccessible"},
        {2, "Modem GSM", "Initialisation"},
        {3, nullptr, "Numérotation"},  // past the three records of comlines.dat
        {4, nullptr, "Utilisé"},
        {5, nullptr, nullptr},          // a state without a word
    };
    for (const auto& c : cases) {
        for (bool selected : {false, true}) {
            Row drawn, expected;
            drawn.DrawItem(dialog_, IDC_LINE_LIST, c.line, selected ? ODS_SELECTED : 0);
            std::vector<std::pair<int, std::string>> texts;
            if (c.device)
                texts.emplace_back(0, c.device);
            if (c.word)
                texts.emplace_back(stateX, c.word);
            expected.Expect(selected, texts);
            EXPECT_TRUE(drawn.SameAs(expected)) << "line " << c.line << (selected ? " selected" : "");
        }
    }

    // The server moves line 0 on: the next drawing follows the image.
    WriteActivity(0, 1, {3});
    Row drawn, expected;
    drawn.DrawItem(dialog_, IDC_LINE_LIST, 0);
    expected.Expect(false, {{0, "Modem standard 56000 bps"}, {stateX, "Numérotation"}});
    EXPECT_TRUE(drawn.SameAs(expected));
}

TEST_F(GatewaysWindowTest, GatewayRowShowsNameModemCountAndActiveMark)
{
    WriteGateways({{0, "Agence Nord", 12, 3}, {1, "Pass1", 2, 2}});
    WriteActivity(1, 1);
    Open();
    const int width = kRowWidth - 16, countX = width * 70 / 100;
    {
        Row drawn, expected;
        drawn.DrawItem(dialog_, IDC_GATEWAY_LIST, 0);
        expected.Expect(false, {{0, "Agence Nord"}, {countX, "12 modems"}});
        EXPECT_TRUE(drawn.SameAs(expected)) << "idle, with its stored count";
    }
    {
        Row drawn, expected;
        drawn.DrawItem(dialog_, IDC_GATEWAY_LIST, 1, ODS_SELECTED);
        expected.Expect(true, {{0, "Pass1"}, {countX, "2 modems"}});
        ZemoDrawTransparent(expected.Dc(), width, 0, ActiveMarkBitmap, RGB(255, 0, 255));
        EXPECT_TRUE(drawn.SameAs(expected)) << "active and selected";
    }
    // An empty list asks for item -1 when it gets the focus; items past the
    // table do not exist.
    struct Missing { int list; UINT item; } missing[] = {
        {IDC_GATEWAY_LIST, UINT(-1)}, {IDC_GATEWAY_LIST, 2}, {IDC_GATEWAY_LIST, 7},
        {IDC_LINE_LIST, UINT(-1)}, {IDC_LINE_LIST, 8}, {IDC_LINE_LIST, 100},
    };
    for (const auto& m : missing) {
        for (UINT action : {UINT(ODA_DRAWENTIRE), UINT(ODA_FOCUS)}) {
            Row drawn;
            drawn.DrawItem(dialog_, m.list, m.item, ODS_FOCUS, action);
            EXPECT_TRUE(drawn.Untouched()) << m.list << " item " << static_cast<int>(m.item) << " action " << action;
        }
    }
}

TEST_F(GatewaysWindowTest, ListsAreRepaintedEverySecond)
{
    WriteGateways({{0, "Pass0", 1, 1}});
    Open();
    HWND lines = GetDlgItem(dialog_, IDC_LINE_LIST);
    HWND gateways = GetDlgItem(dialog_, IDC_GATEWAY_LIST);
    ValidateRect(lines, nullptr);
    ValidateRect(gateways, nullptr);
    // Only the timer's message is let through: what it invalidates is seen
    // before anything repaints it.
    DWORD until = GetTickCount() + 1500;
    bool ticked = false;
    MSG message;
    while (!ticked && static_cast<LONG>(GetTickCount() - until) < 0) {
        if (PeekMessageA(&message, dialog_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            DispatchMessageA(&message);
            ticked = true;
        }
        Sleep(10);
    }
    ASSERT_TRUE(ticked);
    EXPECT_TRUE(GetUpdateRect(lines, nullptr, FALSE));
    EXPECT_TRUE(GetUpdateRect(gateways, nullptr, FALSE));
}

// Creating ------------------------------------------------------------------------------

TEST_F(GatewaysWindowTest, AloneTheCreationStartsAtOnceAndCancellingLeavesNothing)
{
    StandaloneDialog = 1;
    MainWindow = nullptr;
    // The stand-in cancels, then leaves with "Quitter" as the administrator would.
    ConfigAction = [](HWND owner) { PostMessageA(owner, WM_COMMAND, IDC_GATEWAY_QUIT, 0); };
    ModalRecorder modal;
    EXPECT_EQ(ShowGatewaysWindow(nullptr), 1);
    ASSERT_EQ(ConfigPositions.size(), 1u);
    EXPECT_EQ(ConfigPositions[0], 0);
    EXPECT_EQ(ConfigSaw[0], (std::vector<bool>{false, false, false})) << "Ajouter, Modifier, Supprimer";
    EXPECT_EQ(Gateways.count, 0);
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), Bytes(1092, 0));
    EXPECT_FALSE(DirExists(Path("\\pass0")));
    EXPECT_TRUE(modal.Calls().empty()) << "leaving asks nothing";
    EXPECT_TRUE(ServiceCalls.empty());
}

TEST_F(GatewaysWindowTest, AloneAddedGatewaysKeepEverythingDisabledAndOfferNoService)
{
    StandaloneDialog = 1;
    WriteGateways({{0, "Pass0", 0, 0}});
    ConfigAnswer = 1;
    Open();
    ASSERT_EQ(ConfigPositions.size(), 1u) << "the creation ran at once";
    EXPECT_EQ(Gateways.count, 2);
    for (int id : {IDC_GATEWAY_ADD, IDC_GATEWAY_MODIFY, IDC_GATEWAY_DELETE}) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_FALSE(MenuEnabled(id)) << id;
    }
    // A double click would be "Modifier", which cannot be chosen here.
    Command(IDC_GATEWAY_LIST, LBN_DBLCLK);
    EXPECT_EQ(ConfigPositions.size(), 1u);
    ModalRecorder modal;
    Command(IDC_GATEWAY_QUIT);
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_TRUE(ServiceCalls.empty());
}

TEST_F(GatewaysWindowTest, AloneTheWindowReadsTheActivityFilesItself)
{
    StandaloneDialog = 1;
    WriteGateways({{0, "Pass0", 2, 2}});
    Bytes activity(152, 0);
    activity[0] = 1;
    activity[3] = 4;
    WriteBytes(Path("\\ActPass.dat"), activity);
    ConfigAction = nullptr;
    Open();
    EXPECT_EQ(GatewayActiveFlags[0], 1) << "read when the window opened";
    EXPECT_EQ(LineState(0, 0), 4);

    activity[3] = 2;
    activity[5] = 3;
    WriteBytes(Path("\\ActPass.dat"), activity);
    DWORD until = GetTickCount() + 2600;
    while (static_cast<LONG>(GetTickCount() - until) < 0 && LineState(0, 1) != 3) {
        PumpMessages();
        Sleep(50);
    }
    EXPECT_EQ(LineState(0, 0), 2) << "read again within two seconds";
    EXPECT_EQ(LineState(0, 1), 3);
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), activity) << "nothing written";
}

TEST_F(GatewaysWindowTest, FromTheMainWindowTheWindowLeavesTheActivityFilesToIt)
{
    WriteGateways({{0, "Pass0", 1, 1}});
    Bytes activity(152, 0);
    activity[0] = 1;
    WriteBytes(Path("\\ActPass.dat"), activity);
    Open();
    EXPECT_EQ(GatewayActiveFlags[0], 0) << "until the main window's next tick";
}

// Leaving --------------------------------------------------------------------------------

TEST_F(GatewaysWindowTest, LeavingWithQuitterAfterAddingOffersTheService)
{
    struct Case {
        const char* what;
        int added;
        int windowsNt;
        bool closeBox;
        int answer;
        bool asked;
        bool installed;
    } cases[] = {
        {"added two, yes", 2, 1, false, IDYES, true, true},
        {"added one, no", 1, 1, false, IDNO, true, false},
        {"close box", 2, 1, true, IDYES, false, false},
        {"not the NT family", 2, 0, false, IDYES, false, false},
        {"nothing added", 0, 1, false, IDYES, false, false},
    };
    for (const auto& c : cases) {
        RemoveTree(Dir());
        CreateDirectoryA(Dir().c_str(), nullptr);
        WriteBytes(Path("\\ActPass.dat"), Bytes(152, 0));
        WriteGateways({{0, "Pass0", 0, 0}});
        IsWindowsNT = c.windowsNt;
        ConfigAnswer = 1;
        ServiceCalls.clear();
        EnableWindow(main_, FALSE);
        Open();
        for (int i = 0; i < c.added; ++i)
            Command(IDC_GATEWAY_ADD);
        ASSERT_EQ(Gateways.count, 1 + c.added) << c.what;
        ModalRecorder modal;
        modal.Answer(c.answer);
        if (c.closeBox)
            CloseBox();
        else
            Command(IDC_GATEWAY_QUIT, 0);
        EXPECT_FALSE(IsWindow(dialog_)) << c.what;
        EXPECT_TRUE(IsWindowEnabled(main_)) << c.what;
        ASSERT_EQ(modal.Calls().size(), c.asked ? 1u : 0u) << c.what;
        if (c.asked) {
            EXPECT_EQ(modal.Calls()[0].text, "Voulez-vous installer le service QUOREL");
            EXPECT_EQ(modal.Calls()[0].caption, "Création passerelle");
            EXPECT_EQ(modal.Calls()[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
            EXPECT_EQ(modal.Calls()[0].owner, dialog_);
        }
        ASSERT_EQ(ServiceCalls.size(), c.installed ? 1u : 0u) << c.what;
        if (c.installed) {
            EXPECT_EQ(ServiceCalls[0].first, "QUOREL");
            EXPECT_EQ(ServiceCalls[0].second, Path("\\services.exe"));
        }
        EXPECT_EQ(ReadBytes(Path("\\admin.dat"))[0], 1 + c.added) << c.what;
    }
}

TEST_F(GatewaysWindowTest, ClosingSavesTheTableAndGivesTheMainWindowBack)
{
    WriteGateways({{0, "Pass0", 0, 0}});
    Open();
    // The table in memory is what the file gets when the window closes.
    Gateways.slots[0].modemCount = 3;
    CloseBox();
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_EQ(ReadBytes(Path("\\admin.dat"))[4], 3);
}

// The end of the session saves what closing saves, and alone ("/p") the
// console is no longer marked as running; a session that goes on changes
// nothing.
TEST_F(GatewaysWindowTest, TheEndOfTheSessionSavesTheTableAndAloneClearsTheRunningFlag)
{
    for (int alone : {0, 1}) {
        std::string what = alone ? "alone" : "from the main window";
        WriteGateways({{0, "Pass0", 0, 0}});
        WritePrivateProfileStringA("Administrateur", "Etat", "1", Path("\\admin.ini").c_str());
        Open();
        StandaloneDialog = alone;  // after the opening, which alone would start a creation
        Gateways.slots[0].modemCount = 3;
        SendMessageA(dialog_, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        EXPECT_EQ(ReadBytes(Path("\\admin.dat"))[4], 0) << what;
        EXPECT_EQ(IniText(Path("\\admin.ini"), "Administrateur", "Etat"), "1") << what;
        SendMessageA(dialog_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ(ReadBytes(Path("\\admin.dat"))[4], 3) << what;
        EXPECT_EQ(IniText(Path("\\admin.ini"), "Administrateur", "Etat"), alone ? "0" : "1") << what;
        DestroyWindow(dialog_);
        StandaloneDialog = 0;
        PumpMessages();
    }
}

TEST_F(GatewaysWindowTest, WindowThatCannotBeCreatedGivesTheMainWindowBack)
{
    // A module without the window's template.
    AppInstance = GetModuleHandleA("kernel32.dll");
    OpenGatewaysWindow(main_);
    EXPECT_TRUE(IsWindowEnabled(main_));
    AppInstance = GetModuleHandleA(nullptr);
}

// Deleting -------------------------------------------------------------------------------

TEST_F(GatewaysWindowTest, DeletingAGatewayInUseIsRefused)
{
    WriteGateways({{0, "Pass0", 0, 0}, {1, "Pass1", 0, 0}});
    WriteActivity(1, 1);
    Open();
    Select(1);
    Bytes before = ReadBytes(Path("\\admin.dat"));
    ModalRecorder modal;
    Command(IDC_GATEWAY_DELETE);
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, "Impossible de supprimer cette passerelle car elle est en cours d'utilisation");
    EXPECT_EQ(modal.Calls()[0].caption, "ATTENTION");
    EXPECT_EQ(modal.Calls()[0].type, UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Gateways.count, 2);
    EXPECT_TRUE(DirExists(Path("\\pass1")));
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), before);
    EXPECT_EQ(IniText(Path("\\admin.ini"), "Pass0", "LastChange"), "");
}

TEST_F(GatewaysWindowTest, DeletingAnIdleGatewayAsksThenTakesEverythingOfIt)
{
    WriteGateways({{0, "Pass0", 1, 1}, {1, "Nord", 2, 2}, {2, "Pass2", 0, 0}});
    WriteBytes(Path("\\Journal.dat"), JournalDat({"Nord", "Pass0", "Nord", "Pass2"}));
    WriteBytes(Path("\\Nord.pcp"), {1, 2, 3});
    WriteBytes(Path("\\Pass2.pcp"), {4});
    // pass.ini: the direct IP access of each position, and keys of others.
    for (int k = 0; k < 8; ++k) {
        std::string section = "pass" + std::to_string(k);
        WritePrivateProfileStringA(section.c_str(), "AccesDirectIP", k == 2 ? "1" : "0", Path("\\pass.ini").c_str());
        WritePrivateProfileStringA(section.c_str(), "Autre", std::to_string(10 + k).c_str(), Path("\\pass.ini").c_str());
    }
    WritePrivateProfileStringA("pass7", "AccesDirectIP", "1", Path("\\pass.ini").c_str());
    WritePrivateProfileStringA("pass4", "AccesDirectIP", nullptr, Path("\\pass.ini").c_str());
    Open();
    Select(1);

    ModalRecorder modal;
    modal.Answer(IDNO);
    Command(IDC_GATEWAY_DELETE);
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, "Voulez-vous vraiment supprimer cette passerelle?");
    EXPECT_EQ(modal.Calls()[0].caption, "Attention");
    EXPECT_EQ(modal.Calls()[0].type, UINT(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(Gateways.count, 3) << "No keeps it";
    EXPECT_TRUE(DirExists(Path("\\pass1")));

    modal.Answer(IDYES);
    Command(IDC_GATEWAY_DELETE);
    EXPECT_EQ(modal.Calls().size(), 2u);
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), AdminDat({{0, "Pass0", 1, 0}, {2, "Pass2", 0, 0}}));
    EXPECT_FALSE(DirExists(Path("\\pass1")));
    EXPECT_FALSE(Exists(Path("\\Nord.pcp")));
    EXPECT_TRUE(Exists(Path("\\Pass2.pcp")));
    EXPECT_EQ(JournalGateways(ReadBytes(Path("\\Journal.dat"))), (std::vector<std::string>{"Pass0", "Pass2"}));
    EXPECT_EQ(Selected(), 1) << "the same position";
    EXPECT_EQ(CurrentGateway, 1);
    EXPECT_EQ(Items(IDC_LINE_LIST), 0);
    for (int k = 0; k < 8; ++k)
        EXPECT_NE(IniText(Path("\\admin.ini"), ("Pass" + std::to_string(k)).c_str(), "LastChange"), "") << k;
    // The direct IP access follows its gateway; nothing else moves.
    const char* access[] = {"0", "1", "0", "", "0", "0", "1", "0"};
    for (int k = 0; k < 8; ++k) {
        std::string section = "pass" + std::to_string(k);
        EXPECT_EQ(IniText(Path("\\pass.ini"), section.c_str(), "AccesDirectIP"), access[k]) << section;
        EXPECT_EQ(IniText(Path("\\pass.ini"), section.c_str(), "Autre"), std::to_string(10 + k)) << section;
    }
}

TEST_F(GatewaysWindowTest, MovedActiveGatewayIsToldOnQuitterOnly)
{
    for (bool quitter : {true, false}) {
        RemoveTree(Dir());
        CreateDirectoryA(Dir().c_str(), nullptr);
        WriteBytes(Path("\\ActPass.dat"), Bytes(152, 0));
        WriteGateways({{0, "Pass0", 0, 0}, {1, "Pass1", 0, 0}, {2, "Pass2", 2, 2}});
        WriteActivity(2, 1, {4, 2});
        Bytes activity = ReadBytes(Path("\\ActPass.dat"));
        EnableWindow(main_, FALSE);
        Open();
        Select(0);
        ModalRecorder modal;
        modal.Answer(IDYES);
        Command(IDC_GATEWAY_DELETE);
        ASSERT_EQ(Gateways.count, 2);
        EXPECT_STREQ(Gateways.slots[1].name, "Pass2");
        // The gateway now at 1 still has its activity record 2 meanwhile.
        EXPECT_EQ(ActivityRecordOf(OpeningPositions, 1), 2);
        if (quitter)
            Command(IDC_GATEWAY_QUIT, 0);
        else
            CloseBox();
        ASSERT_FALSE(IsWindow(dialog_));
        if (quitter)
            activity[2 * 19] = 0;  // its old record loses only its Active byte
        EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), activity) << (quitter ? "Quitter" : "close box");
        EXPECT_EQ(IniText(Path("\\pass2\\pass.ini"), "Passerelle", "ForceActif"), quitter ? "1" : "")
            << (quitter ? "Quitter" : "close box");
        EXPECT_EQ(GatewayActiveFlags[2], quitter ? 0 : 1);
        EXPECT_FALSE(Exists(Path("\\pass0\\pass.ini")));
    }
}

TEST_F(GatewaysWindowTest, JournalFilterKeepsMeaningTheSameGateway)
{
    // Three gateways at 0, 1, 2; the filter 3 means every gateway.
    struct Case {
        int32_t filter;
        int deleted;  // -1: a gateway is added instead
        bool closeBox;
        int32_t expected;
    } cases[] = {
        {2, 0, false, 1},
        {2, 0, true, 1},
        {1, 1, false, 2},  // its gateway is gone: every gateway
        {0, 2, false, 0},
        {3, 1, false, 2},
        {3, -1, false, 4},
        {3, -1, true, 4},  // the close box too: "every" never becomes the new gateway
        {1, -1, true, 1},
    };
    for (const auto& c : cases) {
        RemoveTree(Dir());
        CreateDirectoryA(Dir().c_str(), nullptr);
        WriteBytes(Path("\\ActPass.dat"), Bytes(152, 0));
        WriteGateways({{0, "Pass0", 0, 0}, {1, "Pass1", 0, 0}, {2, "Pass2", 0, 0}});
        JournalSettings.gatewayFilter = c.filter;
        ConfigAnswer = 1;
        EnableWindow(main_, FALSE);
        Open();
        ModalRecorder modal;
        modal.Answer(IDYES);
        modal.Answer(IDNO);  // no service
        if (c.deleted >= 0) {
            Select(c.deleted);
            Command(IDC_GATEWAY_DELETE);
        } else {
            Command(IDC_GATEWAY_ADD);
        }
        EXPECT_EQ(JournalSettings.gatewayFilter, c.filter) << "only when the window closes";
        if (c.closeBox)
            CloseBox();
        else
            Command(IDC_GATEWAY_QUIT, 0);
        EXPECT_EQ(JournalSettings.gatewayFilter, c.expected)
            << c.filter << (c.deleted >= 0 ? " deleting " : " adding ") << c.deleted << (c.closeBox ? " close box" : "");
        EXPECT_FALSE(Exists(Path("\\admin.ini")) && IniText(Path("\\admin.ini"), "Journal", "Pass") != "")
            << "the main window saves its own settings";
    }
}

TEST_F(GatewaysWindowTest, AloneTheSavedJournalFilterFollowsTheCreation)
{
    StandaloneDialog = 1;
    MainWindow = nullptr;
    WriteGateways({{0, "Pass0", 0, 0}, {1, "Pass1", 0, 0}});
    struct Case { const char* saved; INT_PTR answer; const char* expected; } cases[] = {
        {"2", 1, "3"},  // every gateway stays every gateway
        {"1", 1, "1"},
        {"2", 0, "2"},  // cancelled
    };
    for (const auto& c : cases) {
        WritePrivateProfileStringA("Journal", "Pass", c.saved, Path("\\admin.ini").c_str());
        ConfigAnswer = c.answer;
        Open();
        Command(IDC_GATEWAY_QUIT, 0);
        EXPECT_EQ(IniText(Path("\\admin.ini"), "Journal", "Pass"), c.expected) << c.saved << " " << c.answer;
        WriteGateways({{0, "Pass0", 0, 0}, {1, "Pass1", 0, 0}});
    }
}

// Modifying and help -----------------------------------------------------------------

TEST_F(GatewaysWindowTest, ModifierRunsTheDialogOnTheSelectionAndShowsItsNewLines)
{
    WriteGateways({{0, "Pass0", 0, 0}, {1, "Pass1", 1, 1}});
    WriteBytes(Path("\\Journal.dat"), JournalDat({"Pass1", "Pass0"}));
    Open();
    Select(1);
    ASSERT_EQ(Items(IDC_LINE_LIST), 1);
    // The dialog gives the gateway three lines and a new name.
    ConfigAnswer = 1;
    ConfigAction = [](HWND) {
        std::string dir = GetProgramDir() + "\\pass1";
        WriteBytes(dir + "\\comlines.dat", LineFile(kThreeLines, 3));
        WriteBytes(dir + "\\Fax0Mid.mid", DialSettingsFile(std::vector<Settings>(3, {0, 1, "", 0}), 0));
        Gateways.slots[1].modemCount = 3;
        std::strcpy(Gateways.slots[1].name, "Sud");
    };
    Command(IDC_GATEWAY_LIST, LBN_DBLCLK);
    EXPECT_EQ(ConfigPositions, (std::vector<int>{1}));
    EXPECT_EQ(Items(IDC_LINE_LIST), 3);
    EXPECT_EQ(JournalGateways(ReadBytes(Path("\\Journal.dat"))), (std::vector<std::string>{"Sud", "Pass0"}));

    ConfigAction = nullptr;
    Command(IDC_GATEWAY_MODIFY, 0);  // the menu entry
    EXPECT_EQ(ConfigPositions, (std::vector<int>{1, 1}));
    SendDlgItemMessageA(dialog_, IDC_GATEWAY_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Command(IDC_GATEWAY_MODIFY);
    EXPECT_EQ(ConfigPositions.size(), 2u) << "nothing selected: no dialog";
    EXPECT_EQ(Items(IDC_LINE_LIST), 0);
}

TEST_F(GatewaysWindowTest, HelpFromTheButtonTheMenuAndF1)
{
    Open();
    ModalRecorder modal;
    Command(IDC_GATEWAY_HELP);
    Command(IDC_GATEWAY_HELP, 0);
    Command(ID_HELP_KEY, 0);
    ASSERT_EQ(modal.Calls().size(), 3u);
    for (const ModalCall& call : modal.Calls()) {
        EXPECT_EQ(call.kind, "help");
        EXPECT_EQ(call.text, Path("\\admin.hlp"));
        EXPECT_EQ(call.type, UINT(HELP_CONTEXT));
        EXPECT_EQ(call.data, 102u);
        EXPECT_EQ(call.owner, dialog_);
    }
    EXPECT_TRUE(IsWindow(dialog_));
}
