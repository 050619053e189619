#include "gateways/gateways_window.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/le_bytes.h"
#include "base/modal_seam.h"
#include "base/picture_button.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "gateways/gateway_registry.h"
#include "gateways/line_files.h"
#include "gateways/server_service.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "states/activity_files.h"
#include "zemoctln/zemoctln.h"

OpeningPositionTable OpeningPositions = FirstOpeningPositions();
int32_t PendingGatewayFilter;
int GatewayCountAtOpen;

namespace {

constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintPeriod = 1000;  // ms
// Alone ("/p") no main window polls the activity files: the window does.
constexpr UINT_PTR kActivityTimer = 2;
constexpr UINT kActivityPeriod = 2000;  // ms
constexpr ULONG_PTR kGatewaysHelpContext = 102;

// Layout, in pixels.
constexpr int kFirstSplit = 200;
constexpr int kMargin = 5;
constexpr int kLabelHeight = 15;
constexpr int kButtonSide = 35;
constexpr int kButtonStep = 40;
constexpr int kRowHeight = 16;
constexpr int kMarkWidth = 16;
constexpr COLORREF kMarkTransparent = RGB(255, 0, 255);

struct PictureButton {
    int id;
    int bitmapResource;
    bool greyable;  // has a greyed picture for its disabled state
    HBITMAP bitmap;
    HBITMAP greyed;
};

PictureButton Buttons[] = {
    {IDC_GATEWAY_ADD, IDB_GATEWAY_ADD, true, nullptr, nullptr},
    {IDC_GATEWAY_MODIFY, IDB_GATEWAY_MODIFY, true, nullptr, nullptr},
    {IDC_GATEWAY_DELETE, IDB_GATEWAY_DELETE, true, nullptr, nullptr},
    {IDC_GATEWAY_QUIT, IDB_GATEWAY_QUIT, false, nullptr, nullptr},
    {IDC_GATEWAY_HELP, IDB_GATEWAY_HELP, false, nullptr, nullptr},
};

// The selected gateway's lines as its files describe them; only read here.
LineTables ShownLines;
// Shown by DialogBoxParam ("/p") rather than as a modeless window.
bool ShownModal;
// Alone, the journal filter as admin.ini holds it, written back only when the
// window changed it.
int32_t SavedGatewayFilter;

HWND GatewayList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_GATEWAY_LIST);
}

HWND LineList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_LINE_LIST);
}

// The selected position, or -1.
int SelectedPosition(HWND dialog)
{
    auto selected = SendMessageA(GatewayList(dialog), LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

}  // namespace

// ---- Controls

// The button and the menu entry of a command, and the button's picture.
static void SetCommandEnabled(HWND dialog, int id, bool enabled)
{
    HWND button = GetDlgItem(dialog, id);
    EnableWindow(button, enabled);
    InvalidateRect(button, nullptr, FALSE);
    EnableMenuItem(GetMenu(dialog), id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// "Modifier" and "Supprimer" work on a selected gateway, and never alone.
static void EnableGatewayCommands(HWND dialog, bool enabled)
{
    enabled = enabled && !StandaloneDialog;
    SetCommandEnabled(dialog, IDC_GATEWAY_MODIFY, enabled);
    SetCommandEnabled(dialog, IDC_GATEWAY_DELETE, enabled);
}

static void LayOutGatewaysWindow(HWND dialog, int split)
{
    RECT client;
    GetClientRect(dialog, &client);
    int width = std::max(0, static_cast<int>(client.right) - 2 * kMargin);
    int height = client.bottom;
    MoveWindow(GetDlgItem(dialog, IDC_GATEWAYS_LABEL), kMargin, 45, width, kLabelHeight, TRUE);
    MoveWindow(GatewayList(dialog), kMargin, 60, width, std::max(0, split - 65), TRUE);
    MoveWindow(GetDlgItem(dialog, IDC_LINES_LABEL), kMargin, split + 5, width, kLabelHeight, TRUE);
    MoveWindow(LineList(dialog), kMargin, split + 20, width, std::max(0, height - split - 25), TRUE);
    InvalidateRect(GatewayList(dialog), nullptr, TRUE);
    InvalidateRect(LineList(dialog), nullptr, TRUE);
}

static void SetUpButtons(HWND dialog)
{
    for (size_t i = 0; i < std::size(Buttons); ++i) {
        PictureButton& b = Buttons[i];
        HWND button = GetDlgItem(dialog, b.id);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont), FALSE);
        MoveWindow(button, kMargin + kButtonStep * static_cast<int>(i), 0, kButtonSide, kButtonSide, TRUE);
        b.bitmap = ZemoLoadBitmap(AppInstance, b.bitmapResource);
        b.greyed = b.greyable && b.bitmap ? ZemoGreyBitmap(b.bitmap, 1, 1, 0, 0) : nullptr;
    }
}

static void FreeButtons()
{
    for (PictureButton& b : Buttons) {
        if (b.bitmap)
            DeleteObject(b.bitmap);
        if (b.greyed)
            DeleteObject(b.greyed);
        b.bitmap = b.greyed = nullptr;
    }
}

static void RepaintLists(HWND dialog)
{
    InvalidateRect(GatewayList(dialog), nullptr, FALSE);
    InvalidateRect(LineList(dialog), nullptr, FALSE);
}

// ---- The selected gateway's lines

static void FillLineList(HWND dialog)
{
    HWND list = LineList(dialog);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (CurrentGateway < 0 || CurrentGateway >= Gateways.count)
        return;
    int lines = ListedLineCount(Gateways.slots[CurrentGateway].modemCount);
    for (int k = 0; k < lines; ++k)
        SendMessageA(list, LB_ADDSTRING, 0, k);
}

// A gateway whose line files are missing (which LoadLineTables says) or
// unusable shows no line.
static void ShowLinesOf(HWND dialog, int position)
{
    CurrentGateway = position;
    if (LoadLineTables(dialog, GatewayDirectory(position), ShownLines))
        FillLineList(dialog);
    else
        SendMessageA(LineList(dialog), LB_RESETCONTENT, 0, 0);
}

static void SelectGateway(HWND dialog)
{
    int position = SelectedPosition(dialog);
    EnableGatewayCommands(dialog, position >= 0 && Gateways.count > 0);
    if (position >= 0)
        ShowLinesOf(dialog, position);
}

// The activity of the gateway now at `position` is in the record of the
// position it had when the window opened.
static bool IsGatewayActive(int position)
{
    int record = ActivityRecordOf(OpeningPositions, position);
    return record >= 0 && GatewayActiveFlags[record] != 0;
}

// ---- Drawing

static void FillRow(const DRAWITEMSTRUCT* item, bool selected)
{
    FillRect(item->hDC, &item->rcItem, selected ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : WindowBrush);
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, selected ? GetSysColor(COLOR_WINDOW) : RGB(0, 0, 0));
}

static void DrawFitted(HDC dc, int x, int y, std::string text, int width)
{
    FitText(dc, text, width);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Name in the first 70 % of the width left of the mark, "%d modems" in the
// rest, the active mark after them.
static void DrawGatewayRow(const DRAWITEMSTRUCT* item)
{
    auto position = static_cast<int>(item->itemID);
    if (item->itemID == static_cast<UINT>(-1) || position >= Gateways.count)
        return;
    if (item->itemAction == ODA_FOCUS) {
        DrawFocusRect(item->hDC, &item->rcItem);
        return;
    }
    int saved = SaveDC(item->hDC);
    FillRow(item, item->itemState & ODS_SELECTED);
    const RECT& row = item->rcItem;
    int width = row.right - row.left - kMarkWidth;
    int nameWidth = width * 70 / 100;
    const GatewayRecord& gateway = Gateways.slots[position];
    DrawFitted(item->hDC, row.left, row.top, std::string(GatewayNameOf(gateway)), nameWidth);
    DrawFitted(item->hDC, row.left + nameWidth, row.top, FormatModemCount(gateway.modemCount), width - nameWidth);
    if (IsGatewayActive(position))
        ZemoDrawTransparent(item->hDC, row.left + width, row.top, ActiveMarkBitmap, kMarkTransparent);
    RestoreDC(item->hDC, saved);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &item->rcItem);
}

// The line's device name in the first 70 %, the word of its state in the
// rest. Only the lines read from the gateway's files have a name.
static void DrawLineRow(const DRAWITEMSTRUCT* item)
{
    auto line = static_cast<int>(item->itemID);
    if (item->itemID == static_cast<UINT>(-1) || line >= MaxLines)
        return;
    if (item->itemAction == ODA_FOCUS) {
        DrawFocusRect(item->hDC, &item->rcItem);
        return;
    }
    int saved = SaveDC(item->hDC);
    FillRow(item, item->itemState & ODS_SELECTED);
    const RECT& row = item->rcItem;
    int width = row.right - row.left;
    int nameWidth = width * 70 / 100;
    if (line < ShownLines.tableHeader.count) {
        DrawFitted(item->hDC, row.left, row.top, std::string(FieldText(ShownLines.records[line].modemName)),
                   nameWidth);
    }
    int record = ActivityRecordOf(OpeningPositions, CurrentGateway);
    if (record >= 0)
        DrawFitted(item->hDC, row.left + nameWidth, row.top, LineStateWord(LineState(record, line)),
                   width - nameWidth);
    RestoreDC(item->hDC, saved);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &item->rcItem);
}

// Each picture button shows the picture of its state.
static void DrawGatewayButton(const DRAWITEMSTRUCT* item)
{
    for (const PictureButton& b : Buttons) {
        if (static_cast<int>(item->CtlID) != b.id)
            continue;
        bool disabled = (item->itemState & ODS_DISABLED) != 0;
        DrawPictureButton(item, disabled && b.greyed ? b.greyed : b.bitmap);
    }
}

static void DrawGatewaysItem(const DRAWITEMSTRUCT* item)
{
    switch (item->CtlID) {
    case IDC_GATEWAY_LIST: DrawGatewayRow(item); break;
    case IDC_LINE_LIST:    DrawLineRow(item); break;
    default:               DrawGatewayButton(item); break;
    }
}

// ---- Opening and closing

// Alone, no main window has loaded the journal settings: the filter that the
// window keeps pointing at the same gateway is the one admin.ini holds.
static void TakeJournalFilter()
{
    if (StandaloneDialog) {
        SavedGatewayFilter = ReadProfileInt("Journal", "Pass", 0, AdminIniPath());
        JournalSettings.gatewayFilter = SavedGatewayFilter;
    }
    PendingGatewayFilter = JournalSettings.gatewayFilter;
}

static void OpenGatewaysDialog(HWND dialog, bool modal)
{
    ShownModal = modal;
    CentreWindow(dialog);
    LoadGatewayTable();
    GatewayCountAtOpen = Gateways.count;
    TakeJournalFilter();
    LayOutGatewaysWindow(dialog, kFirstSplit);
    SetTimer(dialog, kRepaintTimer, kRepaintPeriod, nullptr);
    OpeningPositions = FirstOpeningPositions();
    if (StandaloneDialog) {
        ReadActivityFiles();
        SetTimer(dialog, kActivityTimer, kActivityPeriod, nullptr);
    }
    FillGatewayList(GatewayList(dialog));
    SetUpButtons(dialog);
    EnableGatewayCommands(dialog, Gateways.count > 0);
    ShownLines = LineTables{};
    if (Gateways.count > 0) {
        SendMessageA(GatewayList(dialog), LB_SETCURSEL, 0, 0);
        CurrentGateway = 0;
        SelectGateway(dialog);
    }
    SetFocus(GatewayList(dialog));
    if (StandaloneDialog) {
        SetCommandEnabled(dialog, IDC_GATEWAY_ADD, false);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GATEWAY_ADD, BN_CLICKED), 0);
    }
}

static void CloseGatewaysWindow(HWND dialog)
{
    ShownLines = LineTables{};
    KillTimer(dialog, kRepaintTimer);
    KillTimer(dialog, kActivityTimer);
    SaveGatewayTable();
    if (MainWindow)
        EnableWindow(MainWindow, TRUE);
    if (ShownModal)
        EndDialog(dialog, 1);
    else
        DestroyWindow(dialog);
}

// The journal pane shows the gateway the filter meant when the window opened.
static void ApplyJournalFilter()
{
    JournalSettings.gatewayFilter = PendingGatewayFilter;
    FillJournalPane();
    if (StandaloneDialog && PendingGatewayFilter != SavedGatewayFilter)
        WriteProfileInt("Journal", "Pass", PendingGatewayFilter, AdminIniPath());
}

// New gateways need the server running as a service of the platform.
static void OfferServerService(HWND dialog)
{
    if (!IsWindowsNT || StandaloneDialog || Gateways.count <= GatewayCountAtOpen)
        return;
    if (ShowMessageBox(dialog, "Voulez-vous installer le service QUOREL", "Création passerelle",
                       MB_YESNO | MB_ICONQUESTION) == IDYES)
        InstallServerService();
}

// An active gateway whose position changed loses its old activity record and
// is asked, through its own pass.ini, to announce itself again.
static void ReactivateMovedGateways()
{
    std::vector<MovedGateway> moved = FindMovedActiveGateways(OpeningPositions, GatewayActiveFlags);
    for (const MovedGateway& m : moved) {
        SetGatewayActive(m.record, false);
        WriteGatewayActivity(m.record);
    }
    for (const MovedGateway& m : moved) {
        if (!GatewayActiveFlags[m.record])
            continue;  // the lower position with this record was the gateway
        GatewayActiveFlags[m.record] = 0;
        WriteForceActif(m.position);
    }
}

static void LeaveGatewaysWindow(HWND dialog)
{
    OfferServerService(dialog);
    ApplyJournalFilter();
    ReactivateMovedGateways();
    CloseGatewaysWindow(dialog);
}

// The close box keeps the journal filter on its gateway, but neither offers
// the service nor touches the activity records.
static void CloseFromCloseBox(HWND dialog)
{
    ApplyJournalFilter();
    CloseGatewaysWindow(dialog);
}

// The Windows session ends (a logoff, a shutdown): the process may be ended
// at any moment after this, without the window closing, so what closing
// saves is saved now. Alone, the window is the console: it is no longer
// running.
static void EndGatewaysSession(HWND dialog)
{
    KillTimer(dialog, kRepaintTimer);
    KillTimer(dialog, kActivityTimer);
    SaveGatewayTable();
    JournalSettings.gatewayFilter = PendingGatewayFilter;
    if (StandaloneDialog) {
        if (PendingGatewayFilter != SavedGatewayFilter)
            WriteProfileInt("Journal", "Pass", PendingGatewayFilter, AdminIniPath());
        ClearRunningFlag();
    }
}

// ---- Commands

static void AddGateway(HWND dialog)
{
    int before = Gateways.count;
    CreateGateway(GatewayList(dialog), LineList(dialog));
    if (Gateways.count > before)
        PendingGatewayFilter = FilterAfterCreation(PendingGatewayFilter, before);
}

static void ModifySelectedGateway(HWND dialog)
{
    int position = SelectedPosition(dialog);
    if (position < 0) {
        SendMessageA(LineList(dialog), LB_RESETCONTENT, 0, 0);
        return;
    }
    ModifyGateway(GatewayList(dialog));
    position = SelectedPosition(dialog);
    if (position >= 0)
        ShowLinesOf(dialog, position);
}

static void DeleteSelectedGateway(HWND dialog)
{
    int position = SelectedPosition(dialog);
    if (position < 0 || position >= Gateways.count)
        return;
    if (IsGatewayActive(position)) {
        ShowMessageBox(dialog, "Impossible de supprimer cette passerelle car elle est en cours d'utilisation",
                       "ATTENTION", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (ShowMessageBox(dialog, "Voulez-vous vraiment supprimer cette passerelle?", "Attention",
                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    RemoveOpeningPosition(OpeningPositions, position);
    PendingGatewayFilter = FilterAfterDeletion(PendingGatewayFilter, Gateways.count, position);
    DeleteGateway(GatewayList(dialog), LineList(dialog));
    // Every following gateway changed position.
    for (int k = 0; k < MaxGateways; ++k)
        MarkGatewayChanged(k);
}

static void ShowGatewaysHelp(HWND dialog)
{
    ShowHelpFile(dialog, ProgramPath("\\admin.hlp"), HELP_CONTEXT, kGatewaysHelpContext);
}

// A double click means "Modifier" only where "Modifier" could be chosen.
static void DoubleClickGateway(HWND dialog)
{
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_GATEWAY_MODIFY)))
        ModifySelectedGateway(dialog);
}

static void OnTimer(HWND dialog, UINT_PTR timer)
{
    if (timer == kActivityTimer)
        ReadActivityFiles();
    RepaintLists(dialog);
}

static INT_PTR OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_GATEWAY_LIST:
        if (code == LBN_SELCHANGE)
            SelectGateway(dialog);
        else if (code == LBN_DBLCLK)
            DoubleClickGateway(dialog);
        return TRUE;
    case IDC_GATEWAY_ADD:    AddGateway(dialog); return TRUE;
    case IDC_GATEWAY_MODIFY: ModifySelectedGateway(dialog); return TRUE;
    case IDC_GATEWAY_DELETE: DeleteSelectedGateway(dialog); return TRUE;
    case IDC_GATEWAY_QUIT:   LeaveGatewaysWindow(dialog); return TRUE;
    case IDC_GATEWAY_HELP:
    case ID_HELP_KEY:        ShowGatewaysHelp(dialog); return TRUE;
    case IDCANCEL:           CloseFromCloseBox(dialog); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK GatewaysDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:  OpenGatewaysDialog(dialog, lParam != 0); return FALSE;
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kRowHeight; return TRUE;
    case WM_DRAWITEM:    DrawGatewaysItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORLISTBOX: return reinterpret_cast<INT_PTR>(WindowBrush);
    case WM_TIMER:       OnTimer(dialog, wParam); return TRUE;
    case WM_CLOSE:       CloseFromCloseBox(dialog); return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndGatewaysSession(dialog);
        return TRUE;
    case WM_DESTROY:     FreeButtons(); return FALSE;
    case WM_COMMAND:     return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

INT_PTR ShowGatewaysWindow(HWND owner)
{
    return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_GATEWAYS), owner, GatewaysDialog, 1);
}

void OpenGatewaysWindow(HWND owner)
{
    HWND window = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_GATEWAYS), owner, GatewaysDialog, 0);
    if (!window) {
        EnableWindow(owner, TRUE);
        return;
    }
    ShowWindow(window, SW_SHOW);
}
