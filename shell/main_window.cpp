#include "shell/main_window.h"

#include <algorithm>
#include <array>
#include <string>

#include "gateways/gateway_registry.h"
#include "gateways/gateways_window.h"
#include "journal/journal_columns.h"
#include "journal/journal_file.h"
#include "journal/journal_print.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "base/app.h"
#include "base/date_time.h"
#include "base/drawing_objects.h"
#include "base/log_trace.h"
#include "base/modal_seam.h"
#include "base/picture_button.h"
#include "shell/preferences.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "base/screen_place.h"
#include "shell/tooltips.h"
#include "base/window_utils.h"
#include "states/activity_files.h"
#include "states/states_window.h"
#include "users/user_database.h"
#include "users/user_directories.h"
#include "users/users_window.h"
#include "zemoctln/zemoctln.h"

namespace {

constexpr UINT kPollTimer = 0;
constexpr UINT kPollPeriod = 2000;  // ms
constexpr int kMainHelpContext = 100;

constexpr int kMinimumWidth = 430;
constexpr RECT kDefaultPlacement = {40, 40, 470, 440};

// The journal pane sits under the toolbar and the 20 pixels of its column
// headers.
constexpr int kPaneLeft = 5;
constexpr int kPaneTop = 60;
constexpr int kButtonSide = 35;
constexpr int kButtonStep = 40;


struct ToolbarEntry {
    const char* text;
    int command;
    int bitmapResource;
};

constexpr std::array<ToolbarEntry, 5> kToolbarEntries = {{
    {"Utilisateurs", IDM_USERS, IDB_TOOL_USERS},
    {"Passerelles", IDM_GATEWAYS, IDB_TOOL_GATEWAYS},
    {"Préférences", IDM_PREFERENCES, IDB_TOOL_PREFERENCES},
    {"Quitter", IDM_QUIT, IDB_TOOL_QUIT},
    {"Aide", IDM_HELP, IDB_TOOL_HELP},
}};

struct ToolbarButton {
    HWND window;
    char text[128];
    HBITMAP bitmap;
};

ToolbarButton Toolbar[kToolbarEntries.size()];

// The journal settings as section "Journal" of admin.ini keeps them.
struct JournalKey {
    const char* key;
    int32_t JournalSettingsValues::*field;
    int fallback;
};

constexpr JournalKey kJournalKeys[] = {
    {"User", &JournalSettingsValues::userFilter, 1},
    {"Pass", &JournalSettingsValues::gatewayFilter, 0},
    {"Afficher", &JournalSettingsValues::shown, 1},
    {"Tri", &JournalSettingsValues::sortColumn, kSortByDate},
    {"Purge", &JournalSettingsValues::purge, 0},
    {"NbJours", &JournalSettingsValues::purgeDays, 0},
};

bool ColumnHeadersCreated;
// Set once the settings are saved, and once the loop is told to end:
// "Quitter" does both at once, and the window's later destruction must not
// do them again; the end of the Windows session saves without ending.
bool SettingsSaved;
bool QuitPosted;

}  // namespace

// Settings --------------------------------------------------------------------

// A sort column or a display flag that the view cannot act on would leave the
// pane empty or half shown: such values get their defaults.
static void LoadJournalSettings()
{
    for (const JournalKey& k : kJournalKeys)
        JournalSettings.*k.field = ReadProfileInt("Journal", k.key, k.fallback, AdminIniPath());
    JournalSettings.sortColumn = ValidSortCommand(JournalSettings.sortColumn);
    JournalSettings.shown = JournalSettings.shown != 0;
}

static void SaveJournalSettings()
{
    for (const JournalKey& k : kJournalKeys)
        WriteProfileInt("Journal", k.key, JournalSettings.*k.field, AdminIniPath());
}

// A placement saved on a screen that is no longer there is brought back onto
// the primary screen, keeping its size.
static RECT LoadPlacement()
{
    RECT r;
    r.left = ReadProfileInt("Administrateur", "left", kDefaultPlacement.left, AdminIniPath());
    r.top = ReadProfileInt("Administrateur", "top", kDefaultPlacement.top, AdminIniPath());
    r.right = ReadProfileInt("Administrateur", "right", kDefaultPlacement.right, AdminIniPath());
    r.bottom = ReadProfileInt("Administrateur", "bottom", kDefaultPlacement.bottom, AdminIniPath());
    if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) {
        int width = r.right - r.left, height = r.bottom - r.top;
        r.left = KeepOnScreen(r.left, width, GetSystemMetrics(SM_CXSCREEN));
        r.top = KeepOnScreen(r.top, height, GetSystemMetrics(SM_CYSCREEN));
        r.right = r.left + width;
        r.bottom = r.top + height;
    }
    return r;
}

static void SavePlacement(HWND window)
{
    RECT r;
    if (IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &r))
        return;
    WriteProfileInt("Administrateur", "left", r.left, AdminIniPath());
    WriteProfileInt("Administrateur", "right", r.right, AdminIniPath());
    WriteProfileInt("Administrateur", "top", r.top, AdminIniPath());
    WriteProfileInt("Administrateur", "bottom", r.bottom, AdminIniPath());
}

// Toolbar -----------------------------------------------------------------------

static void LoadToolbarBitmaps()
{
    for (size_t i = 0; i < kToolbarEntries.size(); ++i) {
        HBITMAP fresh = ZemoLoadBitmap(AppInstance, kToolbarEntries[i].bitmapResource);
        if (Toolbar[i].bitmap)
            DeleteObject(Toolbar[i].bitmap);
        Toolbar[i].bitmap = fresh;
    }
}

static void FreeToolbar()
{
    for (ToolbarButton& button : Toolbar) {
        if (button.bitmap)
            DeleteObject(button.bitmap);
        button = {};
    }
}

void CreateToolbarButtons(HWND window)
{
    for (size_t i = 0; i < kToolbarEntries.size(); ++i) {
        const ToolbarEntry& entry = kToolbarEntries[i];
        ToolbarButton& button = Toolbar[i];
        lstrcpynA(button.text, entry.text, sizeof button.text);
        button.window = CreateWindowA("$BtnBulle", button.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                      kPaneLeft + kButtonStep * static_cast<int>(i), 0, kButtonSide, kButtonSide,
                                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.command)),
                                      AppInstance, nullptr);
    }
    LoadToolbarBitmaps();
}

static int FindToolbarButton(HWND button)
{
    for (size_t i = 0; i < kToolbarEntries.size(); ++i)
        if (button && Toolbar[i].window == button)
            return static_cast<int>(i);
    return -1;
}

static void DrawToolbarButton(const DRAWITEMSTRUCT* item)
{
    int i = FindToolbarButton(item->hwndItem);
    if (i >= 0)
        DrawPictureButton(item, Toolbar[i].bitmap);
}

// Layout ------------------------------------------------------------------------

void LayoutMainWindow(HWND window)
{
    if (IsIconic(window))
        return;
    RECT client;
    GetClientRect(window, &client);
    if (JournalPane) {
        MoveWindow(JournalPane, kPaneLeft, kPaneTop, std::max(0L, client.right - 2 * kPaneLeft),
                   std::max(0L, client.bottom - kPaneTop - 5), TRUE);
        if (ColumnHeadersCreated)
            PlaceColumnHeaders(kPaneLeft, kPaneTop, client.right - 2 * kPaneLeft);
        InvalidateRect(JournalPane, nullptr, TRUE);
    }
    for (size_t i = 0; i < kToolbarEntries.size(); ++i)
        if (Toolbar[i].window)
            MoveWindow(Toolbar[i].window, kPaneLeft + kButtonStep * static_cast<int>(i), 0, kButtonSide, kButtonSide,
                       TRUE);
}

// The height leaves the menu bar and 40 pixels of client area.
static void SetMinimumSize(MINMAXINFO* info)
{
    info->ptMinTrackSize.x = kMinimumWidth;
    info->ptMinTrackSize.y = 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYMENU) + 40 +
                             GetSystemMetrics(SM_CYCAPTION);
}

// Messages ----------------------------------------------------------------------

static void OnCreate(HWND window)
{
    MainWindow = window;
    SettingsSaved = false;
    QuitPosted = false;
    SetJournalRefresh(RefreshJournalView);
    SetMenu(window, LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDM_MAIN)));
    SetTimer(window, kPollTimer, kPollPeriod, nullptr);
    LoadGatewayTable();
    ReadActivityFiles();
    ReleaseHeldLines();
    LoadUserDatabase(window, GetProgramDir());
    EnsureUserDirectories();
    LoadJournalSettings();
    RECT r = LoadPlacement();
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

// What closing saves: the journal settings, the running flag and the
// placement, once.
static void SaveOnClosing(HWND window)
{
    if (SettingsSaved)
        return;
    SettingsSaved = true;
    SaveJournalSettings();
    ClearRunningFlag();
    SavePlacement(window);
}

static void OnDestroy(HWND window)
{
    if (QuitPosted)
        return;
    QuitPosted = true;
    SaveOnClosing(window);
    PostQuitMessage(0);
}

// The Windows session ends (a logoff, a shutdown): the process may be ended
// at any moment after this, without its window being destroyed, so what
// closing saves is saved now.
static void OnEndSession(HWND window, bool ending)
{
    if (ending)
        SaveOnClosing(window);
}

static void OnTimer(HWND window)
{
    ReadActivityFiles();
    RefreshJournalOnTimer(window);
}

static void OnSysColorChange()
{
    ZemoSysColorChanged();
    Trace("SysColorChange");
    LoadToolbarBitmaps();
    CreateDrawingObjects();
}

static void OnDrawItem(const DRAWITEMSTRUCT* item)
{
    if (JournalPane && item->hwndItem == JournalPane)
        DrawJournalRow(item);
    else if (item->CtlType == ODT_BUTTON)
        DrawToolbarButton(item);
}

static void SortAgain(HWND window)
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(JournalSettings.sortColumn, 0), 0);
}

static void OnCommand(HWND window, int command)
{
    if (JournalColumnOfCommand(command) >= 0) {
        SortJournal(command);
        return;
    }
    switch (command) {
    case IDM_HELP:
    case ID_HELP_KEY:
        ShowHelpFile(window, ProgramPath("\\admin.hlp"), HELP_CONTEXT, kMainHelpContext);
        break;
    case IDM_QUIT:
        OnDestroy(window);
        break;
    case IDM_GATEWAYS:
        EnableWindow(window, FALSE);
        OpenGatewaysWindow(window);
        break;
    case IDM_USERS:
        ShowUsersWindow(window);
        SortAgain(window);
        break;
    case IDM_PREFERENCES:
        ShowPreferences(window);
        ShowJournalPane();
        break;
    case IDM_ABOUT:
        ShowAboutBox(window);
        break;
    case IDM_STATES:
        ShowStatesWindow(window);
        break;
    case IDM_PRINT_JOURNAL:
        PrintJournal(JournalPane);
        break;
    case IDM_EXPORT_JOURNAL:
        ExportJournal(window);
        break;
    }
}

static LRESULT OnListBoxColour(LPARAM lParam)
{
    HWND list = reinterpret_cast<HWND>(lParam);
    return reinterpret_cast<LRESULT>(list == JournalPane ? WindowBrush : FaceBrush);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_ENDSESSION:
        OnEndSession(window, wParam != 0);
        return 0;
    case WM_NCDESTROY:
        FreeToolbar();
        JournalPane = nullptr;
        ColumnHeadersCreated = false;
        if (MainWindow == window)
            MainWindow = nullptr;
        break;
    case WM_SIZE:
        LayoutMainWindow(window);
        return 0;
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_GETMINMAXINFO:
        SetMinimumSize(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_DRAWITEM:
        OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORLISTBOX:
        return OnListBoxColour(lParam);
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Creation and the message loop ---------------------------------------------------

// The view only tells the pane how many rows it has (no item data), and the
// pane takes exactly the height the layout gives it.
static HWND CreateJournalPane(HWND window, HINSTANCE instance)
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOINTEGRALHEIGHT;
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "arrayed", "", style, 0, 0, 0, 0, window,
                                reinterpret_cast<HMENU>(IDC_JOURNAL_PANE), instance, nullptr);
    if (!pane)
        return nullptr;
    SendMessageA(pane, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont), FALSE);
    ShowWindow(pane, SW_HIDE);
    return pane;
}

HWND CreateMainWindow(HINSTANCE instance, int show)
{
    HWND window = CreateWindowExA(0, "Administrateur", "Administrateur", WS_OVERLAPPEDWINDOW,
                                  kDefaultPlacement.left, kDefaultPlacement.top, 430, 400, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return nullptr;
    JournalPane = CreateJournalPane(window, instance);
    ShowWindow(window, show);
    UpdateWindow(window);
    return window;
}

// Records dated up to FormatDaysAgo(purgeDays) go. A negative number of days
// would put the limit in the future and take every record with it.
static void PurgeOldRecords()
{
    if (!JournalSettings.purge || JournalSettings.purgeDays < 0)
        return;
    std::string limit;
    if (FormatDaysAgo(limit, JournalSettings.purgeDays) > 0)
        PurgeJournal(limit.c_str());
}

int RunMainWindow(HWND window)
{
    InstallTooltipHooks();

    LoadJournal();
    PurgeOldRecords();
    SortAgain(window);
    CreateColumnHeaders(JournalPane);
    ColumnHeadersCreated = true;
    CreateToolbarButtons(window);
    ShowJournalPane();
    LayoutMainWindow(window);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0 && got != -1) {
        // The modeless gateways window, owned by this one, gets its keyboard
        // (Tab, Escape) the same way.
        HWND active = GetActiveWindow();
        if (active && GetWindow(active, GW_OWNER) == window && IsDialogMessageA(active, &message))
            continue;
        if (IsDialogMessageA(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // "Quitter" ends the loop with the window still there.
    if (IsWindow(window))
        DestroyWindow(window);
    RemoveTooltipHooks();
    FreeUserTable();
    return got == -1 ? 0 : static_cast<int>(message.wParam);
}
