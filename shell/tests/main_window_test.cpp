#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "journal/journal_file.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "base/app.h"
#include "base/drawing_objects.h"
#include "base/program_dir.h"
#include "shell/window_classes.h"
#include "states/activity_files.h"
#include "tests/wine/test_pixels.h"
#include "tests/wine/test_support.h"
#include "users/user_database.h"
#include "users/user_tables.h"
#include "users/windows_user.h"

namespace {

class MainWindowTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        CreateDrawingObjects();
        RegisterWindowClasses(AppInstance);  // fails harmlessly when already done
        JournalSettings = {};
        SetWindowsUserNameForTests("Dupont");
        CreateUserDatabase(nullptr, Dir());  // the administrator Dupont
        WriteBytes(Path("\\ActUser.dat"), std::vector<uint8_t>(3000, 0));
        WriteBytes(Path("\\ActPass.dat"), std::vector<uint8_t>(152, 0));
    }
    void TearDown() override
    {
        if (window_ && IsWindow(window_))
            DestroyWindow(window_);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        FreeUserTable();
        SetWindowsUserNameForTests(nullptr);
        ProgramDirTest::TearDown();
    }
    HWND Create(int show = SW_SHOWNORMAL)
    {
        window_ = CreateMainWindow(AppInstance, show);
        return window_;
    }
    std::string Ini(const char* section, const char* key) { return IniText(Path("\\admin.ini"), section, key); }
    void SetIni(const char* section, const char* key, const char* value)
    {
        WritePrivateProfileStringA(section, key, value, Path("\\admin.ini").c_str());
    }
    static bool QuitPosted()
    {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && message.wParam == 0;
    }

    HWND window_ = nullptr;
};

RECT WindowRect(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

// The rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child)
{
    RECT r = WindowRect(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Text(HWND window)
{
    char text[256];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MenuText(HMENU menu, UINT position)
{
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST_F(MainWindowTest, IsAnOverlappedWindowOfItsClassWithAHiddenJournalPane)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MainWindow, window);
    char className[64];
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "Administrateur");
    EXPECT_EQ(Text(window), "Administrateur");
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowVisible(window));

    ASSERT_NE(JournalPane, nullptr);
    EXPECT_EQ(GetParent(JournalPane), window);
    GetClassNameA(JournalPane, className, sizeof className);
    EXPECT_STREQ(className, "arrayed");
    LONG paneStyle = GetWindowLongA(JournalPane, GWL_STYLE);
    EXPECT_TRUE(paneStyle & WS_CHILD);
    EXPECT_TRUE(paneStyle & LBS_OWNERDRAWFIXED);
    EXPECT_FALSE(paneStyle & LBS_OWNERDRAWVARIABLE);
    EXPECT_TRUE(GetWindowLongA(JournalPane, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(IsWindowVisible(JournalPane)) << "the pane waits for the journal";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(JournalPane, WM_GETFONT, 0, 0)), GuiFont);
}

TEST_F(MainWindowTest, HasTheMenuOfEveryCommand)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    struct Item {
        int menu;
        const char* menuText;
        int item;
        const char* text;
        UINT command;
    } items[] = {
        {0, "&Fichier", 0, "&Enregistrer le journal sous...", 40020},
        {0, "&Fichier", 1, "&Imprimer le journal...", 40019},
        {0, "&Fichier", 2, "&Quitter", 1011},
        {1, "&Configuration", 0, "Gestion des &passerelles", 40010},
        {1, "&Configuration", 1, "Gestion des &utilisateurs", 40011},
        {1, "&Configuration", 2, "Gestion des \xE9t&" "ats", 40015},
        {1, "&Configuration", 3, "P&r\xE9" "f\xE9rences", 40013},
        {2, "&Aide", 0, "&Utiliser l'aide", 3},
        {2, "&Aide", 1, "&A propos", 40014},
    };
    const int counts[] = {3, 4, 2};
    for (const Item& item : items) {
        EXPECT_EQ(MenuText(bar, item.menu), item.menuText) << item.menu;
        HMENU popup = GetSubMenu(bar, item.menu);
        ASSERT_NE(popup, nullptr) << item.menu;
        EXPECT_EQ(GetMenuItemCount(popup), counts[item.menu]) << item.menuText;
        EXPECT_EQ(MenuText(popup, item.item), item.text) << item.menu << "/" << item.item;
        EXPECT_EQ(GetMenuItemID(popup, item.item), item.command) << item.text;
    }
}

TEST_F(MainWindowTest, StartsAt40By40With430By400AndTheDefaultSettingsWithoutAdminIni)
{
    JournalSettings = {7, 7, 7, 7, 7, 7};
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    RECT r = WindowRect(window);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 470);
    EXPECT_EQ(r.bottom, 440);
    EXPECT_EQ(JournalSettings.userFilter, 1);
    EXPECT_EQ(JournalSettings.gatewayFilter, 0);
    EXPECT_EQ(JournalSettings.shown, 1);
    EXPECT_EQ(JournalSettings.sortColumn, 9);
    EXPECT_EQ(JournalSettings.purge, 0);
    EXPECT_EQ(JournalSettings.purgeDays, 0);
}

TEST_F(MainWindowTest, TakesItsSettingsAndPlacementFromAdminIni)
{
    const char* keys[][3] = {
        {"Journal", "User", "3"},   {"Journal", "Pass", "2"},  {"Journal", "Afficher", "0"},
        {"Journal", "Tri", "7"},    {"Journal", "Purge", "1"}, {"Journal", "NbJours", "45"},
        {"Administrateur", "left", "100"}, {"Administrateur", "top", "80"},
        {"Administrateur", "right", "700"}, {"Administrateur", "bottom", "580"},
    };
    for (auto& k : keys)
        SetIni(k[0], k[1], k[2]);

    HWND window = Create();
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(JournalSettings.userFilter, 3);
    EXPECT_EQ(JournalSettings.gatewayFilter, 2);
    EXPECT_EQ(JournalSettings.shown, 0);
    EXPECT_EQ(JournalSettings.sortColumn, 7);
    EXPECT_EQ(JournalSettings.purge, 1);
    EXPECT_EQ(JournalSettings.purgeDays, 45);
    RECT r = WindowRect(window);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right, 700);
    EXPECT_EQ(r.bottom, 580);
}

// A sort column the view has no order for, or a display flag other than 0
// and 1, would leave the pane empty: they get the defaults.
TEST_F(MainWindowTest, ASortColumnOrDisplayFlagOutOfRangeGetsTheDefault)
{
    struct Case {
        const char* tri;
        const char* afficher;
        int sortColumn;
        int shown;
    } cases[] = {
        {"5", "1", 5, 1}, {"11", "0", 11, 0}, {"4", "2", 9, 1}, {"12", "-1", 9, 1}, {"-9", "1", 9, 1}, {"abc", "1", 9, 1},
    };
    for (const Case& c : cases) {
        SetIni("Journal", "Tri", c.tri);
        SetIni("Journal", "Afficher", c.afficher);
        HWND window = Create();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(JournalSettings.sortColumn, c.sortColumn) << "Tri=" << c.tri;
        EXPECT_EQ(JournalSettings.shown, c.shown) << "Afficher=" << c.afficher;
        DestroyWindow(window);
        QuitPosted();
    }
}

TEST_F(MainWindowTest, APlacementOffEveryScreenComesBackOntoTheScreenWithItsSize)
{
    SetIni("Administrateur", "left", "20000");
    SetIni("Administrateur", "top", "-20000");
    SetIni("Administrateur", "right", "20500");
    SetIni("Administrateur", "bottom", "-19550");

    HWND window = Create();
    ASSERT_NE(window, nullptr);

    RECT r = WindowRect(window);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 450);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.top, 0);
}

TEST_F(MainWindowTest, CreationReleasesHeldLinesAndMakesTheUsersDirectories)
{
    std::vector<uint8_t> gateways(152, 0);
    gateways[3] = 1;   // gateway 0, line 0: held by a console that ended meanwhile
    gateways[5] = 4;   // gateway 0, line 1: in use
    gateways[19 + 3] = 1;
    gateways[19 + 4] = 0x77;  // the server's byte after a line state
    WriteBytes(Path("\\ActPass.dat"), gateways);

    ASSERT_NE(Create(), nullptr);

    std::vector<uint8_t> expected = gateways;
    expected[3] = 0;
    expected[19 + 3] = 0;
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), expected);
    EXPECT_EQ(UserCount(), 1);
    EXPECT_TRUE(DirExists(Path("\\Dupont")));
    EXPECT_TRUE(Exists(Path("\\Dupont\\minitel.ini")));
}

TEST_F(MainWindowTest, ClosingSavesTheJournalSettingsThePlacementAndTheRunningFlag)
{
    SetIni("Administrateur", "Etat", "1");
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    JournalSettings = {4, 2, 0, 10, 1, 30};
    MoveWindow(window, 100, 120, 500, 450, TRUE);

    DestroyWindow(window);

    const char* expected[][3] = {
        {"Journal", "User", "4"},       {"Journal", "Pass", "2"},        {"Journal", "Afficher", "0"},
        {"Journal", "Tri", "10"},       {"Journal", "Purge", "1"},       {"Journal", "NbJours", "30"},
        {"Administrateur", "Etat", "0"}, {"Administrateur", "left", "100"}, {"Administrateur", "top", "120"},
        {"Administrateur", "right", "600"}, {"Administrateur", "bottom", "570"},
    };
    for (auto& e : expected)
        EXPECT_EQ(Ini(e[0], e[1]), e[2]) << e[0] << " " << e[1];
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(MainWindow, nullptr);
}

// A logoff or a shutdown may end the process without destroying the window:
// what closing saves is saved when the session ends, not when it only asks.
TEST_F(MainWindowTest, TheEndOfTheSessionSavesWhatClosingSaves)
{
    struct Case {
        UINT message;
        WPARAM ending;
        const char* etat;
        const char* user;
    } cases[] = {
        {WM_QUERYENDSESSION, TRUE, "1", ""},
        {WM_ENDSESSION, FALSE, "1", ""},  // another program refused: the session goes on
        {WM_ENDSESSION, TRUE, "0", "4"},
    };
    for (const Case& c : cases) {
        DeleteFileA(Path("\\admin.ini").c_str());
        SetIni("Administrateur", "Etat", "1");
        HWND window = Create();
        ASSERT_NE(window, nullptr);
        JournalSettings = {4, 2, 0, 10, 1, 30};
        MoveWindow(window, 100, 120, 500, 450, TRUE);
        LRESULT answer = SendMessageA(window, c.message, c.ending, ENDSESSION_LOGOFF);
        if (c.message == WM_QUERYENDSESSION)
            EXPECT_NE(answer, 0) << "the console never holds the session up";
        EXPECT_EQ(Ini("Administrateur", "Etat"), c.etat) << c.message << " " << c.ending;
        EXPECT_EQ(Ini("Journal", "User"), c.user) << c.message << " " << c.ending;
        if (c.ending && c.message == WM_ENDSESSION)
            EXPECT_EQ(Ini("Administrateur", "left"), "100");
        EXPECT_TRUE(IsWindow(window));
        DestroyWindow(window);
        QuitPosted();
        EXPECT_EQ(Ini("Administrateur", "Etat"), "0") << "closing after the session's end still clears it";
    }
}

TEST_F(MainWindowTest, ClosingWhileMaximisedOrMinimisedKeepsTheLastNormalPlacement)
{
    for (int show : {SW_MAXIMIZE, SW_MINIMIZE}) {
        SetIni("Administrateur", "left", "60");
        SetIni("Administrateur", "top", "70");
        SetIni("Administrateur", "right", "560");
        SetIni("Administrateur", "bottom", "570");
        HWND window = Create();
        ASSERT_NE(window, nullptr);
        MoveWindow(window, 200, 210, 600, 500, TRUE);
        // Without a window manager on the test display, the X server's answer
        // would restore the window: close it before reading any event.
        ShowWindow(window, show);
        ASSERT_TRUE(show == SW_MAXIMIZE ? IsZoomed(window) : IsIconic(window)) << show;

        DestroyWindow(window);

        EXPECT_EQ(Ini("Administrateur", "left"), "60") << show;
        EXPECT_EQ(Ini("Administrateur", "top"), "70") << show;
        EXPECT_EQ(Ini("Administrateur", "right"), "560") << show;
        EXPECT_EQ(Ini("Administrateur", "bottom"), "570") << show;
        EXPECT_EQ(Ini("Journal", "Tri"), "9") << "the journal settings are saved all the same";
        EXPECT_TRUE(QuitPosted());
    }
}

TEST_F(MainWindowTest, QuitSavesAtOnceAndEndsTheLoopWhileTheWindowStays)
{
    SetIni("Administrateur", "Etat", "1");
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    JournalSettings.sortColumn = 6;

    SendMessageA(window, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), 0);

    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
    EXPECT_EQ(Ini("Journal", "Tri"), "6");
    EXPECT_EQ(Ini("Administrateur", "left"), "40");
    EXPECT_TRUE(QuitPosted());

    // The destruction that follows saves nothing more and posts no second quit.
    JournalSettings.sortColumn = 8;
    DestroyWindow(window);
    EXPECT_EQ(Ini("Journal", "Tri"), "6");
    EXPECT_FALSE(QuitPosted());
}

TEST_F(MainWindowTest, HelpAndF1OpenTheHelpFileAtTheMainWindowContext)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    ModalRecorder modal;

    SendMessageA(window, WM_COMMAND, MAKEWPARAM(3, 0), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(1056, 0), 0);

    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const ModalCall& call : modal.Calls()) {
        EXPECT_EQ(call.kind, "help");
        EXPECT_EQ(call.owner, window);
        EXPECT_EQ(call.text, Dir() + "\\admin.hlp");
        EXPECT_EQ(call.type, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(call.data, 100u);
    }
}

TEST_F(MainWindowTest, ColumnCommandsSortTheJournal)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    for (int command : {5, 8, 9, 11}) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        EXPECT_EQ(JournalSettings.sortColumn, command);
    }
    for (int command : {4, 12}) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        EXPECT_EQ(JournalSettings.sortColumn, 11) << command << " is no column";
    }
}

TEST_F(MainWindowTest, ShrinkingStopsAtWidth430AndAtTheMenuAnd40PixelsOfHeight)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    MINMAXINFO info = {};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 430);
    EXPECT_EQ(info.ptMinTrackSize.y, 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYMENU) + 40 +
                                         GetSystemMetrics(SM_CYCAPTION));

    MoveWindow(window, 40, 40, 200, 50, TRUE);
    RECT r = WindowRect(window);
    EXPECT_EQ(r.right - r.left, 430);
    EXPECT_EQ(r.bottom - r.top, info.ptMinTrackSize.y);
}

TEST_F(MainWindowTest, LayoutPlacesThePaneUnderTheToolbarButtons)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    CreateToolbarButtons(window);
    const struct {
        const char* text;
        int command;
    } buttons[] = {{"Utilisateurs", 40011}, {"Passerelles", 40010}, {"Pr\xE9" "f\xE9rences", 40013},
                   {"Quitter", 1011},       {"Aide", 3}};

    for (SIZE size : {SIZE{430, 400}, SIZE{800, 600}, SIZE{1000, 300}}) {
        MoveWindow(window, 40, 40, size.cx, size.cy, TRUE);
        RECT client;
        GetClientRect(window, &client);
        RECT pane = ChildRect(JournalPane);
        EXPECT_EQ(pane.left, 5) << size.cx;
        EXPECT_EQ(pane.top, 60) << size.cx;
        EXPECT_EQ(pane.right - pane.left, client.right - 10) << size.cx;
        EXPECT_EQ(pane.bottom - pane.top, client.bottom - 65) << size.cy;
        for (int i = 0; i < 5; ++i) {
            HWND button = GetDlgItem(window, buttons[i].command);
            ASSERT_NE(button, nullptr) << buttons[i].text;
            RECT r = ChildRect(button);
            EXPECT_EQ(r.left, 5 + 40 * i) << buttons[i].text;
            EXPECT_EQ(r.top, 0) << buttons[i].text;
            EXPECT_EQ(r.right - r.left, 35) << buttons[i].text;
            EXPECT_EQ(r.bottom - r.top, 35) << buttons[i].text;
        }
    }
    for (const auto& b : buttons) {
        HWND button = GetDlgItem(window, b.command);
        char className[32];
        GetClassNameA(button, className, sizeof className);
        EXPECT_STREQ(className, "$BtnBulle");
        EXPECT_EQ(Text(button), b.text);
        EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << b.text;
        EXPECT_TRUE(IsWindowVisible(button)) << b.text;
    }
}

TEST_F(MainWindowTest, NothingMovesWhileMinimised)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    CreateToolbarButtons(window);
    RECT before = ChildRect(JournalPane);
    ShowWindow(window, SW_MINIMIZE);
    LayoutMainWindow(window);
    RECT after = ChildRect(JournalPane);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(MainWindowTest, TimerRereadsTheActivityFiles)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    std::vector<uint8_t> users(3000, 0);
    users[3 * 7] = 1;  // user 7 active
    WriteBytes(Path("\\ActUser.dat"), users);
    std::vector<uint8_t> gateways(152, 0);
    gateways[19 * 2] = 1;  // gateway 2 active
    WriteBytes(Path("\\ActPass.dat"), gateways);

    SendMessageA(window, WM_TIMER, 0, 0);

    EXPECT_EQ(UserActiveFlags[7], 1);
    EXPECT_EQ(GatewayActiveFlags[2], 1);
}

TEST_F(MainWindowTest, TheJournalPaneGetsTheWindowBrushAndOtherListsTheFaceBrush)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    HWND other = CreateWindowA("listbox", "", WS_CHILD, 0, 0, 10, 10, window, nullptr, AppInstance, nullptr);
    HDC dc = GetDC(window);
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(JournalPane)),
              reinterpret_cast<LRESULT>(WindowBrush));
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(other)),
              reinterpret_cast<LRESULT>(FaceBrush));
    ReleaseDC(window, dc);
}

TEST_F(MainWindowTest, AColourChangeMakesTheSharedObjectsAgain)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    CreateToolbarButtons(window);
    HGDIOBJ old[] = {FaceBrush, WindowBrush, WhitePen, BlackPen, ShadowPen, HighlightPen, FacePen};

    SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);

    HGDIOBJ fresh[] = {FaceBrush, WindowBrush, WhitePen, BlackPen, ShadowPen, HighlightPen, FacePen};
    for (size_t i = 0; i < std::size(old); ++i) {
        EXPECT_NE(fresh[i], old[i]) << i;
        EXPECT_NE(GetObjectType(fresh[i]), 0u) << i;
        EXPECT_EQ(GetObjectType(old[i]), 0u) << i << " is deleted";
    }
}

// Toolbar drawing ----------------------------------------------------------------

namespace {

constexpr COLORREF kPaper = RGB(1, 2, 3);

// What the window draws for one owner-draw request of a 35 × 35 button.
class ButtonPicture : public Canvas {
public:
    ButtonPicture() : Canvas(35, 35, kPaper) {}
    void Draw(HWND window, HWND button, UINT action, UINT state)
    {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = GetDlgCtrlID(button);
        item.itemAction = action;
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = Dc();
        item.rcItem = {0, 0, 35, 35};
        SendMessageA(window, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }
    int Changed() const { return CountOtherThan(kPaper); }
};

}  // namespace

TEST_F(MainWindowTest, AToolbarButtonIsItsPictureInARaisedOrSunkenFrame)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    CreateToolbarButtons(window);
    HWND button = GetDlgItem(window, 40011);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                   black = RGB(0, 0, 0);
    struct Case {
        UINT state;
        COLORREF topLeft, innerTopLeft, bottomRight, innerBottomRight;
    } cases[] = {
        {0, highlight, COLORREF(-1), black, shadow},
        {ODS_SELECTED, black, shadow, highlight, COLORREF(-1)},
    };
    for (const Case& c : cases) {
        ButtonPicture canvas;
        canvas.Draw(window, button, ODA_DRAWENTIRE, c.state);
        EXPECT_EQ(canvas.At(0, 0), c.topLeft) << c.state;
        EXPECT_EQ(canvas.At(17, 0), c.topLeft) << c.state;
        EXPECT_EQ(canvas.At(0, 17), c.topLeft) << c.state;
        EXPECT_EQ(canvas.At(34, 34), c.bottomRight) << c.state;
        EXPECT_EQ(canvas.At(34, 17), c.bottomRight) << c.state;
        EXPECT_EQ(canvas.At(17, 34), c.bottomRight) << c.state;
        if (c.innerTopLeft != COLORREF(-1)) {
            EXPECT_EQ(canvas.At(1, 17), c.innerTopLeft) << c.state;
            EXPECT_EQ(canvas.At(17, 1), c.innerTopLeft) << c.state;
        }
        if (c.innerBottomRight != COLORREF(-1)) {
            EXPECT_EQ(canvas.At(33, 17), c.innerBottomRight) << c.state;
            EXPECT_EQ(canvas.At(17, 33), c.innerBottomRight) << c.state;
        }
        EXPECT_EQ(canvas.Changed(), 35 * 35) << "the picture fills the button";
    }
}

TEST_F(MainWindowTest, AFocusChangeDrawsOnlyTheFocusRectangleTwoPixelsInside)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    CreateToolbarButtons(window);
    ButtonPicture canvas;

    canvas.Draw(window, GetDlgItem(window, 3), ODA_FOCUS, ODS_FOCUS);

    for (int i = 0; i < 35; ++i) {
        EXPECT_EQ(canvas.At(i, 0), kPaper) << i;
        EXPECT_EQ(canvas.At(i, 1), kPaper) << i;
        EXPECT_EQ(canvas.At(0, i), kPaper) << i;
        EXPECT_EQ(canvas.At(1, i), kPaper) << i;
    }
    EXPECT_EQ(canvas.At(17, 17), kPaper);
    EXPECT_NE(canvas.At(2, 2), kPaper) << "the dotted frame starts at (2, 2)";
    EXPECT_GT(canvas.Changed(), 50);
}

TEST_F(MainWindowTest, OtherOwnerDrawnButtonsAreLeftToThemselves)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    CreateToolbarButtons(window);
    HWND other = CreateWindowA("button", "x", WS_CHILD | BS_OWNERDRAW, 0, 0, 35, 35, window,
                               reinterpret_cast<HMENU>(999), AppInstance, nullptr);
    ButtonPicture canvas;
    canvas.Draw(window, other, ODA_DRAWENTIRE, 0);
    EXPECT_EQ(canvas.Changed(), 0);
}

// The whole run ------------------------------------------------------------------

namespace {

// A Journal.dat of one record per date, the date at offset 406 of each
// 564-byte record.
std::vector<uint8_t> JournalFile(std::initializer_list<const char*> dates)
{
    std::vector<uint8_t> file(4, 0);
    file[0] = static_cast<uint8_t>(dates.size());
    for (const char* date : dates) {
        std::vector<uint8_t> record(564, 0);
        std::memcpy(&record[406], date, std::strlen(date));
        std::memcpy(&record[306], "Dupont", 6);
        file.insert(file.end(), record.begin(), record.end());
    }
    return file;
}

}  // namespace

namespace {

void (*DuringLoop)(HWND window);

// Acts once the loop runs, then closes the window as its close box would.
void CALLBACK ActThenClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (DuringLoop)
        DuringLoop(MainWindow);
    PostMessageA(MainWindow, WM_CLOSE, 0, 0);
}

int RunWhileActing(HWND window, void (*action)(HWND))
{
    DuringLoop = action;
    SetTimer(nullptr, 0, 50, ActThenClose);
    int code = RunMainWindow(window);
    DuringLoop = nullptr;
    return code;
}

}  // namespace

TEST_F(MainWindowTest, RunShowsTheJournalAndTheToolbarUntilTheWindowCloses)
{
    SetIni("Administrateur", "Etat", "1");
    WriteBytes(Path("\\Journal.dat"), JournalFile({"01/02/2001 10:00:00", "02/02/2001 11:00:00"}));
    HWND window = Create();
    ASSERT_NE(window, nullptr);

    int code = RunWhileActing(window, [](HWND window) {
        EXPECT_TRUE(IsWindowVisible(JournalPane));
        EXPECT_EQ(SendMessageA(JournalPane, LB_GETCOUNT, 0, 0), 2) << "one row per call of the only user";
        RECT pane = ChildRect(JournalPane);
        EXPECT_EQ(pane.left, 5);
        EXPECT_EQ(pane.top, 60);
        for (int command : {40011, 40010, 40013, 1011, 3})
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, command))) << command;
    });

    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
    EXPECT_EQ(Ini("Journal", "Tri"), "9");
    EXPECT_EQ(UserCount(), 0) << "the user table is freed";
}

// The journal's file code has the shown pane refilled through the refresh
// the main window set: a user's records removed leave the pane at once.
TEST_F(MainWindowTest, RemovingAUsersRecordsRefillsTheShownPane)
{
    WriteBytes(Path("\\Journal.dat"), JournalFile({"01/02/2001 10:00:00", "02/02/2001 11:00:00"}));
    HWND window = Create();
    ASSERT_NE(window, nullptr);

    RunWhileActing(window, [](HWND) {
        ASSERT_EQ(SendMessageA(JournalPane, LB_GETCOUNT, 0, 0), 2);
        RemoveUserEntries("Dupont");
        EXPECT_EQ(SendMessageA(JournalPane, LB_GETCOUNT, 0, 0), 0);
    });
}

TEST_F(MainWindowTest, RunWithTheJournalHiddenKeepsThePaneHidden)
{
    SetIni("Journal", "Afficher", "0");
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    RunWhileActing(window, [](HWND) { EXPECT_FALSE(IsWindowVisible(JournalPane)); });
}

namespace {

void CALLBACK ClickQuit(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    SendMessageA(GetDlgItem(MainWindow, 1011), BM_CLICK, 0, 0);
}

}  // namespace

TEST_F(MainWindowTest, QuitFromTheToolbarEndsTheRunAndTheWindow)
{
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    SetTimer(nullptr, 0, 50, ClickQuit);

    EXPECT_EQ(RunMainWindow(window), 0);

    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Ini("Administrateur", "Etat"), "0");
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no quit left behind";
}


TEST_F(MainWindowTest, RunPurgesTheJournalOnlyWhenAskedWithADayCountThatIsNotNegative)
{
    const std::vector<uint8_t> journal = JournalFile({"01/01/2000 10:00:00", "31/12/2099 10:00:00"});
    struct Case {
        const char* purge;
        const char* days;
        bool purged;
    } cases[] = {{"1", "30", true}, {"0", "30", false}, {"1", "-1", false}, {"1", "0", true}};
    for (const Case& c : cases) {
        WriteBytes(Path("\\Journal.dat"), journal);
        DeleteFileA(Path("\\Journal.old").c_str());
        SetIni("Journal", "Purge", c.purge);
        SetIni("Journal", "NbJours", c.days);
        HWND window = Create();
        ASSERT_NE(window, nullptr);

        RunWhileActing(window, nullptr);

        std::vector<uint8_t> after = ReadBytes(Path("\\Journal.dat"));
        if (c.purged) {
            EXPECT_EQ(after, JournalFile({"31/12/2099 10:00:00"})) << c.purge << " " << c.days;
            EXPECT_EQ(ReadBytes(Path("\\Journal.old")), journal) << c.purge << " " << c.days;
        } else {
            EXPECT_EQ(after, journal) << c.purge << " " << c.days;
            EXPECT_FALSE(Exists(Path("\\Journal.old"))) << c.purge << " " << c.days;
        }
    }
}
