#include "shell/tooltips.h"

#include <commctrl.h>

#include "base/app.h"
#include "base/screen_place.h"
#include "resources/resource.h"

WNDPROC BaseButtonProc;
int BaseButtonExtraBytes;

HWND BulleWindow;
HWND HoveredControl;
BOOL ShowTimerRunning;
BOOL GraceTimerRunning;
BOOL RecentlyShown;

namespace {

// A tooltip shows at most 63 characters of the control's text.
constexpr int kBulleTextSize = 64;
constexpr COLORREF kEnabledText = RGB(0, 0, 0);
constexpr COLORREF kDisabledText = RGB(192, 192, 192);

HHOOK MouseHook;
HHOOK MsgFilterHook;

void StartPlatformTimer(HWND bulle, UINT_PTR timer, UINT milliseconds)
{
    SetTimer(bulle, timer, milliseconds, nullptr);
}

void StopPlatformTimer(HWND bulle, UINT_PTR timer)
{
    KillTimer(bulle, timer);
}

constexpr TooltipClock kPlatformClock = {StartPlatformTimer, StopPlatformTimer};
TooltipClock Clock = kPlatformClock;

void StartBulleTimer(HWND bulle, UINT_PTR timer)
{
    bool show = timer == kBulleShowTimer;
    Clock.start(bulle, timer, show ? kBulleShowDelay : kBulleGraceDelay);
    (show ? ShowTimerRunning : GraceTimerRunning) = TRUE;
}

void StopBulleTimer(HWND bulle, UINT_PTR timer)
{
    BOOL& running = timer == kBulleShowTimer ? ShowTimerRunning : GraceTimerRunning;
    if (!running)
        return;
    Clock.stop(bulle, timer);
    running = FALSE;
}

int HoveredText(char (&text)[kBulleTextSize])
{
    text[0] = 0;
    return GetWindowTextA(HoveredControl, text, kBulleTextSize);
}

// A control that went away while hovered is forgotten; nothing reads it again.
bool HoveredControlIsAlive()
{
    if (HoveredControl && !IsWindow(HoveredControl))
        HoveredControl = nullptr;
    return HoveredControl != nullptr;
}

bool ClassBeginsWithDollar(HWND window)
{
    char name[2] = {};
    return GetClassNameA(window, name, sizeof name) && name[0] == '$';
}

// Picture buttons answer for themselves; any other control by its window.
bool CountsAsEnabled(HWND control)
{
    if (ClassBeginsWithDollar(control))
        return SendMessageA(control, BBM_GETENABLED, 0, 0) != 0;
    return IsWindowEnabled(control) != 0;
}

// Under the control, as wide as its text; moved left to end at the screen's
// right edge rather than pass it.
void PlaceBulle(HWND bulle)
{
    if (!HoveredControlIsAlive())
        return;
    char text[kBulleTextSize];
    int length = HoveredText(text);
    SIZE size = {0, 0};
    HDC dc = GetDC(bulle);
    HGDIOBJ previous = SelectObject(dc, GuiFont);
    GetTextExtentPoint32A(dc, text, length, &size);
    SelectObject(dc, previous);
    ReleaseDC(bulle, dc);
    RECT control;
    GetWindowRect(HoveredControl, &control);
    int width = size.cx + 10;
    int height = size.cy + 6;
    int x = KeepOnScreen(control.left + 2, width, GetSystemMetrics(SM_CXSCREEN));
    SetWindowPos(bulle, nullptr, x, control.bottom + 2, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
}

// Shown without taking the activation, and above every window of the console:
// the bulle keeps its first owner, under which a window opened later (the
// gateways window) would otherwise cover it.
void ShowBulle(HWND bulle)
{
    if (!HoveredControlIsAlive())
        return;
    ShowWindow(bulle, SW_SHOWNOACTIVATE);
    SetWindowPos(bulle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RecentlyShown = TRUE;
}

// Hiding a visible bulle starts the grace; a tooltip still waiting for its
// pause is called off.
void HideBulle()
{
    if (!BulleWindow)
        return;
    if (IsWindowVisible(BulleWindow))
        ShowWindow(BulleWindow, SW_HIDE);
    else
        StopBulleTimer(BulleWindow, kBulleShowTimer);
}

void OnBulleRequest(HWND bulle)
{
    StopBulleTimer(bulle, kBulleGraceTimer);
    if (RecentlyShown)
        ShowBulle(bulle);
    else
        StartBulleTimer(bulle, kBulleShowTimer);
}

void OnBulleTimer(HWND bulle, UINT_PTR timer)
{
    if (timer == kBulleShowTimer) {
        StopBulleTimer(bulle, kBulleShowTimer);
        ShowBulle(bulle);
    } else if (timer == kBulleGraceTimer) {
        StopBulleTimer(bulle, kBulleGraceTimer);
        RecentlyShown = FALSE;
    }
}

void OnBulleHidden(HWND bulle)
{
    StopBulleTimer(bulle, kBulleShowTimer);
    StopBulleTimer(bulle, kBulleGraceTimer);
    StartBulleTimer(bulle, kBulleGraceTimer);
}

void DrawBulleText(HDC dc)
{
    if (!HoveredControlIsAlive())
        return;
    char text[kBulleTextSize];
    int length = HoveredText(text);
    HGDIOBJ previous = SelectObject(dc, GuiFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CountsAsEnabled(HoveredControl) ? kEnabledText : kDisabledText);
    TextOutA(dc, 4, 2, text, length);
    SelectObject(dc, previous);
}

void PaintBulle(HWND bulle)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(bulle, &paint);
    DrawBulleText(dc);
    EndPaint(bulle, &paint);
}

// Its timers end with it; the next bulle starts afresh.
void OnBulleDestroyed(HWND bulle)
{
    StopBulleTimer(bulle, kBulleShowTimer);
    StopBulleTimer(bulle, kBulleGraceTimer);
    RecentlyShown = FALSE;
    HoveredControl = nullptr;
    if (BulleWindow == bulle)
        BulleWindow = nullptr;
}

bool IsTooltipCandidate(HWND window)
{
    char name[6] = {};  // the first five characters
    if (!window || !GetClassNameA(window, name, sizeof name))
        return false;
    return name[0] == '$' || lstrcmpiA(name, "OnOff") == 0;
}

void HoverControl(HWND control)
{
    HWND parent = GetParent(control);
    if (parent != GetActiveWindow() || control == HoveredControl)
        return;
    HoveredControl = control;
    char text[kBulleTextSize];
    if (HoveredText(text) == 0) {
        HideBulle();
        return;
    }
    if (!BulleWindow) {
        BulleWindow = CreateWindowExA(0, "Bulle", "", WS_POPUP | WS_DISABLED | WS_BORDER, 0, 0, 0, 0, parent, nullptr,
                                      AppInstance, nullptr);
        if (!BulleWindow)
            return;
    }
    if (IsWindowVisible(BulleWindow))
        ShowWindow(BulleWindow, SW_HIDE);
    SendMessageA(BulleWindow, BULLE_REQUEST, 0, 0);
}

void FollowMouse(UINT message, const MOUSEHOOKSTRUCT* mouse)
{
    if (message == WM_MOUSEMOVE && TooltipsEnabled && mouse && IsTooltipCandidate(mouse->hwnd) &&
        mouse->hwnd != GetCapture()) {
        HoverControl(mouse->hwnd);
        return;
    }
    // Elsewhere, another mouse message, or a button being pressed.
    HideBulle();
    HoveredControl = nullptr;
}

bool IsDialogWindow(HWND window)
{
    return GetClassLongPtrA(window, GCL_CBWNDEXTRA) >= DLGWINDOWEXTRA;
}

HMODULE ModuleHolding(const void* address)
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &module);
    return module;
}

// A dialog is the console's own when its dialog procedure is the console's
// code; the platform's dialogs have theirs in the platform's libraries.
bool IsConsoleDialog(HWND dialog)
{
    auto procedure = reinterpret_cast<const void*>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
    return procedure && ModuleHolding(procedure) == ModuleHolding(reinterpret_cast<const void*>(&MsgFilterHookProc));
}

// The page a property sheet shows, or null when `dialog` is no property sheet
// (one has its tab control under this number).
HWND CurrentSheetPage(HWND dialog)
{
    constexpr int kSheetTabControl = 0x3020;
    HWND tabs = GetDlgItem(dialog, kSheetTabControl);
    char name[32] = {};
    if (!tabs || !GetClassNameA(tabs, name, sizeof name) || lstrcmpiA(name, WC_TABCONTROLA) != 0)
        return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
}

}  // namespace

void SetTooltipClockForTests(const TooltipClock* clock)
{
    Clock = clock ? *clock : kPlatformClock;
}

LRESULT CALLBACK BtnBulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetWindowWord(window, BaseButtonExtraBytes, 1);
        break;
    case BBM_GETENABLED:
        return GetWindowWord(window, BaseButtonExtraBytes);
    case WM_DESTROY:
        if (window == HoveredControl) {
            HideBulle();
            HoveredControl = nullptr;
        }
        break;
    }
    return CallWindowProcA(BaseButtonProc, window, message, wParam, lParam);
}

LRESULT CALLBACK BulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BULLE_REQUEST:
        OnBulleRequest(window);
        return 0;
    case WM_TIMER:
        OnBulleTimer(window, wParam);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam)
            PlaceBulle(window);
        else
            OnBulleHidden(window);
        break;
    case WM_PAINT:
        PaintBulle(window);
        return 0;
    case WM_PRINTCLIENT:
        DrawBulleText(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_DESTROY:
        OnBulleDestroyed(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0)
        FollowMouse(static_cast<UINT>(wParam), reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND HelpTargetOf(HWND window)
{
    // Up from the window that has the key to the dialog or top-level window
    // that holds it (a combo box's edit sits inside the combo box).
    for (HWND w = window; w && IsWindow(w);) {
        if (w == MainWindow)
            return w;
        bool child = (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) != 0;
        if (!IsDialogWindow(w) && child) {
            w = GetParent(w);
            continue;
        }
        if (!IsDialogWindow(w))
            return nullptr;
        if (IsConsoleDialog(w))
            return w;
        // The platform's frame of one of the console's property sheets: the
        // page it shows answers.
        HWND page = CurrentSheetPage(w);
        return page && IsConsoleDialog(page) ? page : nullptr;
    }
    return nullptr;
}

LRESULT CALLBACK MsgFilterHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message && message->message == WM_KEYDOWN && message->wParam == VK_F1) {
        if (HWND target = HelpTargetOf(message->hwnd))
            PostMessageA(target, WM_COMMAND, MAKEWPARAM(ID_HELP_KEY, 0), 0);
    }
    return 0;  // the key goes on as usual
}

void InstallTooltipHooks()
{
    DWORD thread = GetCurrentThreadId();
    if (!MouseHook)
        MouseHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, nullptr, thread);
    if (!MsgFilterHook)
        MsgFilterHook = SetWindowsHookExA(WH_MSGFILTER, MsgFilterHookProc, nullptr, thread);
}

void RemoveTooltipHooks()
{
    if (MouseHook)
        UnhookWindowsHookEx(MouseHook);
    if (MsgFilterHook)
        UnhookWindowsHookEx(MsgFilterHook);
    MouseHook = nullptr;
    MsgFilterHook = nullptr;
}
