// Picture buttons ("$BtnBulle"), the tooltip popup ("Bulle") and the two hooks
// of the console's thread: the mouse hook that shows and hides the tooltip,
// and the message-filter hook that turns F1 in a dialog into its help command.
#pragma once
#include <windows.h>

constexpr UINT BULLE_REQUEST = WM_USER + 762;   // to "Bulle": show the tooltip of the hovered control
constexpr UINT BBM_GETENABLED = WM_USER + 763;  // to "$BtnBulle": returns SoftEnabled

// The bulle's timers: the pause before the first tooltip, and the grace after
// one was hidden during which the next shows at once.
constexpr UINT_PTR kBulleShowTimer = 1;
constexpr UINT_PTR kBulleGraceTimer = 2;
constexpr UINT kBulleShowDelay = 1500;   // ms
constexpr UINT kBulleGraceDelay = 500;   // ms

// The platform's button procedure and the size of its per-window data, taken
// when "$BtnBulle" is registered; SoftEnabled lives right after that data.
extern WNDPROC BaseButtonProc;
extern int BaseButtonExtraBytes;

// The tooltip's state, one for the process.
extern HWND BulleWindow;     // created on first need; null once destroyed
extern HWND HoveredControl;  // the control whose text the bulle shows
extern BOOL ShowTimerRunning;
extern BOOL GraceTimerRunning;
extern BOOL RecentlyShown;   // a bulle was shown, and hidden less than 500 ms ago

LRESULT CALLBACK BtnBulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK BulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The hooks. Installed for the calling thread once the console's windows are
// about to show (the main window, or the users or gateways window alone), and
// removed only when the console leaves; installing twice changes nothing.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MsgFilterHookProc(int code, WPARAM wParam, LPARAM lParam);
void InstallTooltipHooks();
void RemoveTooltipHooks();

// The window that F1 pressed on `window` inside a dialog's loop asks for
// help: the main window, or the console's own dialog that holds `window`
// (in a property sheet, the page it shows); null for the platform's dialogs
// (print, save, message boxes), where the help command's number is one of
// their controls.
HWND HelpTargetOf(HWND window);

// What runs the bulle's timers; tests put in one whose time they move
// themselves (they then send the bulle WM_TIMER). nullptr puts the platform's
// SetTimer and KillTimer back.
struct TooltipClock {
    void (*start)(HWND bulle, UINT_PTR timer, UINT milliseconds);
    void (*stop)(HWND bulle, UINT_PTR timer);
};
void SetTooltipClockForTests(const TooltipClock* clock);
