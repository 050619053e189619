#include "shell/tooltips.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <commdlg.h>

#include <map>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/drawing_objects.h"
#include "resources/resource.h"
#include "shell/window_classes.h"
#include "tests/wine/test_support.h"

namespace {

// The bulle's timers as the test's clock keeps them: started with their
// period, stopped, and fired only when the test says so.
std::map<UINT_PTR, UINT> Running;
HWND TimerWindow;

void StartTimer(HWND bulle, UINT_PTR timer, UINT milliseconds)
{
    TimerWindow = bulle;
    Running[timer] = milliseconds;
}

void StopTimer(HWND, UINT_PTR timer)
{
    Running.erase(timer);
}

constexpr TooltipClock kTestClock = {StartTimer, StopTimer};

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// A control class whose name the mouse hook takes as "OnOff".
LRESULT CALLBACK OnOffProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClasses()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TooltipHost";
    RegisterClassA(&wc);
    wc.lpfnWndProc = OnOffProc;
    wc.lpszClassName = "ONOFFSWITCH";
    RegisterClassA(&wc);
}

RECT ScreenRect(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

SIZE TextSize(const char* text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, GuiFont);
    SIZE size;
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size;
}

// Pixels of the text the bulle draws, on a background of its own colour.
struct Ink {
    int black = 0;
    int grey = 0;
};

Ink DrawnInk(HWND bulle)
{
    const int width = 300, height = 40;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 224));
    FillRect(dc, &all, yellow);
    SendMessageA(bulle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    Ink ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            ink.black += c == RGB(0, 0, 0);
            ink.grey += c == RGB(192, 192, 192);
        }
    SelectObject(dc, previous);
    DeleteObject(yellow);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return ink;
}

bool IsAbove(HWND upper, HWND lower)
{
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == upper)
            return true;
    return false;
}

class TooltipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppInstance = GetModuleHandleA(nullptr);
        CreateDrawingObjects();
        RegisterWindowClasses(AppInstance);  // fails harmlessly when already done
        RegisterTestClasses();
        SetTooltipClockForTests(&kTestClock);
        Running.clear();
        TooltipsEnabled = 1;
        host_ = MakeHost(100, 100, nullptr);
        first_ = MakeButton(host_, "Utilisateurs", 5);
        second_ = MakeButton(host_, "Pr\xE9" "f\xE9rences et r\xE9glages", 45);
    }
    void TearDown() override
    {
        if (BulleWindow)
            DestroyWindow(BulleWindow);
        for (HWND window : hosts_)
            if (IsWindow(window))
                DestroyWindow(window);
        PumpMessages();
        SetTooltipClockForTests(nullptr);
        RecentlyShown = FALSE;
        MainWindow = nullptr;
    }

    HWND MakeHost(int x, int y, HWND owner)
    {
        HWND window = CreateWindowExA(0, "TooltipHost", "H\xF4te", WS_POPUP | WS_VISIBLE, x, y, 300, 120, owner, nullptr,
                                      AppInstance, nullptr);
        hosts_.push_back(window);
        SetActiveWindow(window);
        return window;
    }
    static HWND MakeButton(HWND parent, const char* text, int x, const char* className = "$BtnBulle")
    {
        return CreateWindowA(className, text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, 0, 35, 35, parent, nullptr,
                             AppInstance, nullptr);
    }

    // One mouse message as the hook gets it, over `window`, with the
    // window's parent made active just before (as a click on it would).
    static void Mouse(HWND window, UINT message = WM_MOUSEMOVE)
    {
        if (GetParent(window))
            SetActiveWindow(GetParent(window));
        RECT r = ScreenRect(window);
        MOUSEHOOKSTRUCT data = {};
        data.pt = {r.left + 3, r.top + 3};
        data.hwnd = window;
        data.wHitTestCode = HTCLIENT;
        MouseHookProc(HC_ACTION, message, reinterpret_cast<LPARAM>(&data));
    }
    static void Fire(UINT_PTR timer)
    {
        ASSERT_TRUE(Running.count(timer)) << "timer " << timer << " is not running";
        SendMessageA(BulleWindow, WM_TIMER, timer, 0);
    }
    static bool Shown() { return BulleWindow && IsWindowVisible(BulleWindow); }

    HWND host_ = nullptr;
    HWND first_ = nullptr;
    HWND second_ = nullptr;
    std::vector<HWND> hosts_;
};

}  // namespace

TEST_F(TooltipTest, TheFirstTooltipShowsUnderTheButtonAfterThePause)
{
    Mouse(first_);
    ASSERT_NE(BulleWindow, nullptr);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(HoveredControl, first_);
    EXPECT_EQ(Running, (std::map<UINT_PTR, UINT>{{1, 1500}}));
    EXPECT_EQ(TimerWindow, BulleWindow);
    EXPECT_TRUE(ShowTimerRunning);

    Mouse(first_);  // moves within the button change nothing
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Running, (std::map<UINT_PTR, UINT>{{1, 1500}}));

    Fire(1);
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(Running.empty());
    EXPECT_FALSE(ShowTimerRunning);
    EXPECT_TRUE(RecentlyShown);
    EXPECT_EQ(GetActiveWindow(), host_) << "the bulle never takes the activation";

    char className[16];
    GetClassNameA(BulleWindow, className, sizeof className);
    EXPECT_STREQ(className, "Bulle");
    EXPECT_EQ(GetWindow(BulleWindow, GW_OWNER), host_);
    LONG style = GetWindowLongA(BulleWindow, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_DISABLED | WS_BORDER), WS_POPUP | WS_DISABLED | WS_BORDER);
    RECT button = ScreenRect(first_), bulle = ScreenRect(BulleWindow);
    SIZE text = TextSize("Utilisateurs");
    EXPECT_EQ(bulle.left, button.left + 2);
    EXPECT_EQ(bulle.top, button.bottom + 2);
    EXPECT_EQ(bulle.right - bulle.left, text.cx + 10);
    EXPECT_EQ(bulle.bottom - bulle.top, text.cy + 6);
    Ink ink = DrawnInk(BulleWindow);
    EXPECT_GT(ink.black, 0) << "a picture button's tooltip is drawn in black";
    EXPECT_EQ(ink.grey, 0);
}

TEST_F(TooltipTest, TheNextButtonsTooltipShowsAtOnceWithinTheGrace)
{
    Mouse(first_);
    Fire(1);
    Mouse(second_);  // straight to the next button
    EXPECT_TRUE(Shown()) << "no new pause";
    EXPECT_EQ(HoveredControl, second_);
    EXPECT_TRUE(Running.empty()) << "the grace that the hiding started is stopped by the request";
    RECT bulle = ScreenRect(BulleWindow);
    EXPECT_EQ(bulle.left, ScreenRect(second_).left + 2);
    EXPECT_EQ(bulle.right - bulle.left, TextSize("Pr\xE9" "f\xE9rences et r\xE9glages").cx + 10);

    Mouse(host_);  // off the buttons: hidden, the grace runs
    EXPECT_FALSE(Shown());
    EXPECT_EQ(HoveredControl, nullptr);
    EXPECT_EQ(Running, (std::map<UINT_PTR, UINT>{{2, 500}}));
    EXPECT_TRUE(GraceTimerRunning);

    Mouse(first_);  // back within the grace
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(Running.empty());

    Mouse(host_);
    Fire(2);  // the grace ends
    EXPECT_FALSE(RecentlyShown);
    EXPECT_FALSE(GraceTimerRunning);
    Mouse(second_);
    EXPECT_FALSE(Shown()) << "after the grace, the pause again";
    EXPECT_EQ(Running, (std::map<UINT_PTR, UINT>{{1, 1500}}));
}

TEST_F(TooltipTest, PressingAButtonHidesItsTooltip)
{
    for (UINT message : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEWHEEL}) {
        Mouse(first_);
        Fire(1);
        ASSERT_TRUE(Shown());
        Mouse(first_, message);
        EXPECT_FALSE(Shown()) << message;
        EXPECT_EQ(HoveredControl, nullptr) << message;
        Fire(2);
    }
    // The button holds the mouse while it is pressed: moves over it hide.
    Mouse(first_);
    Fire(1);
    SetCapture(first_);
    Mouse(first_);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(HoveredControl, nullptr);
    Mouse(first_);
    EXPECT_FALSE(Shown()) << "not while it is pressed";
    EXPECT_FALSE(Running.count(1));
    ReleaseCapture();
}

TEST_F(TooltipTest, LeavingBeforeThePauseCallsTheTooltipOff)
{
    Mouse(first_);
    ASSERT_TRUE(Running.count(1));
    Mouse(host_);
    EXPECT_TRUE(Running.empty()) << "the pending tooltip is called off, no grace starts";
    EXPECT_FALSE(ShowTimerRunning);
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(RecentlyShown);
    Mouse(second_);
    EXPECT_FALSE(Shown()) << "nothing was shown: the next one waits its pause";
    EXPECT_EQ(Running, (std::map<UINT_PTR, UINT>{{1, 1500}}));
}

TEST_F(TooltipTest, ATooltipNearTheRightEdgeEndsAtTheEdge)
{
    int screen = GetSystemMetrics(SM_CXSCREEN);
    HWND host = MakeHost(screen - 60, 200, nullptr);
    HWND button = MakeButton(host, "Un texte assez long pour d\xE9passer le bord", 20);
    Mouse(button);
    Fire(1);
    RECT bulle = ScreenRect(BulleWindow);
    EXPECT_EQ(bulle.right, screen);
    EXPECT_EQ(bulle.top, ScreenRect(button).bottom + 2);
}

TEST_F(TooltipTest, TheTextIsGreyOnlyForAControlThatCountsAsDisabled)
{
    struct Case {
        const char* className;
        bool enabled;
        bool grey;
    } cases[] = {
        {"$BtnBulle", true, false},
        {"$BtnBulle", false, false},  // a picture button answers for itself: always enabled
        {"ONOFFSWITCH", true, false},
        {"ONOFFSWITCH", false, true},
    };
    int x = 85;
    for (const auto& c : cases) {
        HWND control = MakeButton(host_, "Marche", x += 40, c.className);
        EnableWindow(control, c.enabled);
        Mouse(control);
        ASSERT_EQ(HoveredControl, control) << c.className;
        Ink ink = DrawnInk(BulleWindow);
        EXPECT_EQ(ink.grey > 0, c.grey) << c.className << " enabled " << c.enabled;
        EXPECT_EQ(ink.black > 0, !c.grey) << c.className << " enabled " << c.enabled;
        Mouse(host_);
    }
}

TEST_F(TooltipTest, OnlyTextedCandidatesOfTheActiveWindowGetATooltip)
{
    HWND plain = MakeButton(host_, "Bouton", 85, "Button");
    Mouse(plain);
    EXPECT_EQ(BulleWindow, nullptr) << "not a candidate";
    EXPECT_EQ(HoveredControl, nullptr);

    HWND empty = MakeButton(host_, "", 125);
    Mouse(empty);
    EXPECT_EQ(HoveredControl, empty);
    EXPECT_EQ(BulleWindow, nullptr) << "no text, no bulle";

    TooltipsEnabled = 0;
    Mouse(first_);
    EXPECT_EQ(BulleWindow, nullptr) << "tooltips switched off";
    TooltipsEnabled = 1;

    HWND other = MakeHost(100, 300, nullptr);  // now the active window
    Mouse(host_);
    MOUSEHOOKSTRUCT data = {};
    data.hwnd = first_;  // over a button of a window that is not active
    MouseHookProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(BulleWindow, nullptr);
    EXPECT_EQ(GetActiveWindow(), other);

    Mouse(first_);
    EXPECT_NE(BulleWindow, nullptr);
    MouseHookProc(-1, WM_LBUTTONDOWN, 0);  // a negative code is only passed on
    EXPECT_EQ(HoveredControl, first_);
}

TEST_F(TooltipTest, AButtonDestroyedWhileHoveredIsNeverReadAgain)
{
    Mouse(first_);
    Fire(1);
    ASSERT_TRUE(Shown());
    DestroyWindow(first_);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(HoveredControl, nullptr);

    Mouse(second_);  // waiting for its pause when it goes
    ASSERT_TRUE(Shown()) << "within the grace";
    Mouse(host_);
    Fire(2);
    Mouse(second_);
    ASSERT_TRUE(Running.count(1));
    DestroyWindow(second_);
    EXPECT_FALSE(Running.count(1)) << "its pending tooltip goes with it";
    SendMessageA(BulleWindow, WM_TIMER, 1, 0);  // a tick already on its way
    EXPECT_FALSE(Shown());

    // A control of another class, gone without telling anyone.
    HWND control = MakeButton(host_, "Marche", 85, "ONOFFSWITCH");
    Mouse(control);
    DestroyWindow(control);
    Fire(1);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(HoveredControl, nullptr);
    Ink ink = DrawnInk(BulleWindow);
    EXPECT_EQ(ink.black + ink.grey, 0);
}

TEST_F(TooltipTest, TheBulleGoesWithItsOwnerAndComesBackOnTheNextHover)
{
    HWND owner = MakeHost(100, 300, nullptr);
    HWND button = MakeButton(owner, "Aide", 5);
    Mouse(button);
    Fire(1);
    HWND bulle = BulleWindow;
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(bulle));
    EXPECT_EQ(BulleWindow, nullptr);
    EXPECT_EQ(HoveredControl, nullptr);
    EXPECT_TRUE(Running.empty());
    EXPECT_FALSE(RecentlyShown) << "the next bulle starts afresh";

    Mouse(first_);
    ASSERT_NE(BulleWindow, nullptr);
    EXPECT_EQ(GetWindow(BulleWindow, GW_OWNER), host_);
    Fire(1);
    EXPECT_TRUE(Shown());
}

TEST_F(TooltipTest, TheBulleShowsAboveAWindowOpenedAfterItsOwner)
{
    Mouse(first_);
    Fire(1);
    Mouse(host_);
    Fire(2);
    // The gateways window's place: owned by the main window, over it.
    HWND later = MakeHost(100, 100, host_);
    HWND button = MakeButton(later, "Ajouter", 5);
    Mouse(button);
    Fire(1);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(GetWindow(BulleWindow, GW_OWNER), host_) << "the bulle keeps its first owner";
    EXPECT_TRUE(IsAbove(BulleWindow, later));
    EXPECT_EQ(GetActiveWindow(), later);
}

// F1 ---------------------------------------------------------------------------

namespace {

INT_PTR CALLBACK ConsoleDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// The help commands posted to `window`, taken off the queue.
int HelpCommandsPosted(HWND window)
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        count += message.wParam == ID_HELP_KEY && message.lParam == 0;
    return count;
}

MSG KeyMessage(HWND window, UINT message, WPARAM key)
{
    MSG m = {};
    m.hwnd = window;
    m.message = message;
    m.wParam = key;
    return m;
}

}  // namespace

TEST_F(TooltipTest, F1InADialogPostsTheHelpCommandToTheConsolesWindowThatHoldsIt)
{
    HWND dialog =
        CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_CHOICE), nullptr, ConsoleDialog, 0);
    ASSERT_NE(dialog, nullptr);
    HWND combo = CreateWindowA("ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 5, 5, 80, 80, dialog, nullptr,
                               AppInstance, nullptr);
    HWND comboEdit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    ASSERT_NE(comboEdit, nullptr);
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.hInstance = AppInstance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_IMPORT_PROGRESS);
    page.pfnDlgProc = ConsoleDialog;
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
    header.hInstance = AppInstance;
    header.pszCaption = "Pr\xE9" "f\xE9rences";
    header.nPages = 1;
    header.ppsp = &page;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    ASSERT_NE(sheet, nullptr);
    HWND shown = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(shown, nullptr);
    MainWindow = host_;
    struct Case {
        const char* what;
        HWND window;
        HWND target;
    } cases[] = {
        {"a button of the dialog", GetDlgItem(dialog, IDOK), dialog},
        {"a radio button of the dialog", GetDlgItem(dialog, IDC_IMPORT_NETWORK), dialog},
        {"the dialog itself", dialog, dialog},
        {"the edit of a combo box", comboEdit, dialog},
        {"a button of the main window", first_, host_},
        {"the main window", host_, host_},
        {"a control of a property sheet's page", GetDlgItem(shown, IDCANCEL), shown},
        {"a button of the sheet's own frame", GetDlgItem(sheet, IDOK), shown},
    };
    for (const auto& c : cases) {
        MSG key = KeyMessage(c.window, WM_KEYDOWN, VK_F1);
        EXPECT_EQ(MsgFilterHookProc(MSGF_DIALOGBOX, 0, reinterpret_cast<LPARAM>(&key)), 0) << c.what;
        EXPECT_EQ(HelpTargetOf(c.window), c.target) << c.what;
        EXPECT_EQ(HelpCommandsPosted(c.target), 1) << c.what;
        EXPECT_EQ(HelpCommandsPosted(c.window), 0) << c.what;
    }
    DestroyWindow(sheet);
    DestroyWindow(dialog);
}

TEST_F(TooltipTest, OnlyF1GoingDownInADialogLoopAsksForHelp)
{
    HWND dialog =
        CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_CHOICE), nullptr, ConsoleDialog, 0);
    HWND button = GetDlgItem(dialog, IDOK);
    struct Case {
        const char* what;
        int code;
        MSG message;
    } cases[] = {
        {"F1 in a menu", MSGF_MENU, KeyMessage(button, WM_KEYDOWN, VK_F1)},
        {"F1 in a scroll bar", MSGF_SCROLLBAR, KeyMessage(button, WM_KEYDOWN, VK_F1)},
        {"F1 going up", MSGF_DIALOGBOX, KeyMessage(button, WM_KEYUP, VK_F1)},
        {"F2", MSGF_DIALOGBOX, KeyMessage(button, WM_KEYDOWN, VK_F2)},
        {"a character 'p' (112)", MSGF_DIALOGBOX, KeyMessage(button, WM_CHAR, 112)},
    };
    for (auto& c : cases) {
        EXPECT_EQ(MsgFilterHookProc(c.code, 0, reinterpret_cast<LPARAM>(&c.message)), 0) << c.what;
        EXPECT_EQ(HelpCommandsPosted(dialog), 0) << c.what;
    }
    DestroyWindow(dialog);
}

namespace {

int HelpCommandsSeen;
HHOOK QueueWatch;

// Every help command that leaves the thread's queue, whoever it is for.
LRESULT CALLBACK WatchQueue(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_COMMAND &&
        LOWORD(message->wParam) == ID_HELP_KEY)
        ++HelpCommandsSeen;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found)
{
    char name[16];
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// From a thread timer, which the dialog's own loop dispatches: F1 on the
// dialog's OK button, then (at the next tick) the dialog closed.
int Ticks;
void CALLBACK PressF1ThenClose(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindShownDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    if (Ticks++ == 0)
        PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_F1, 1);
    else
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

INT_PTR CALLBACK HelpAwareDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, 0);
    return message == WM_INITDIALOG;
}

}  // namespace

TEST_F(TooltipTest, F1ReachesTheConsolesDialogsButNeverThePlatformsOwn)
{
    InstallTooltipHooks();
    InstallTooltipHooks();  // once is enough
    QueueWatch = SetWindowsHookExA(WH_GETMESSAGE, WatchQueue, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, 50, PressF1ThenClose);

    HelpCommandsSeen = 0;
    Ticks = 0;
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_CHOICE), host_, HelpAwareDialog, 0);
    EXPECT_EQ(HelpCommandsSeen, 1) << "the console's own dialog";

    HelpCommandsSeen = 0;
    Ticks = 0;
    char file[MAX_PATH] = "journal.txt";
    OPENFILENAMEA save = {};
    save.lStructSize = sizeof save;
    save.hwndOwner = host_;
    save.lpstrFile = file;
    save.nMaxFile = sizeof file;
    GetSaveFileNameA(&save);
    EXPECT_GE(Ticks, 2) << "the save dialog was shown and closed";
    EXPECT_EQ(HelpCommandsSeen, 0) << "1056 is a control of the save dialog";

    HelpCommandsSeen = 0;
    Ticks = 0;
    MessageBoxA(host_, "Texte", "Titre", MB_OKCANCEL);
    EXPECT_GE(Ticks, 2);
    EXPECT_EQ(HelpCommandsSeen, 0) << "nor to a message box";

    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(QueueWatch);
    RemoveTooltipHooks();

    // Once removed, a dialog's loop no longer asks.
    HelpCommandsSeen = 0;
    Ticks = 0;
    QueueWatch = SetWindowsHookExA(WH_GETMESSAGE, WatchQueue, nullptr, GetCurrentThreadId());
    timer = SetTimer(nullptr, 0, 50, PressF1ThenClose);
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_CHOICE), host_, HelpAwareDialog, 0);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(QueueWatch);
    EXPECT_EQ(HelpCommandsSeen, 0);
}
