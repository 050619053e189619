#include "states/states_window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/column_width.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "gateways/gateway_registry.h"
#include "resources/resource.h"
#include "states/activity_files.h"
#include "users/user_database.h"
#include "users/user_tables.h"

std::array<ActiveEntry, kMaxActiveEntries> ActiveEntries;
int ActiveEntryCount;

namespace {

constexpr ULONG_PTR kStatesHelpContext = 108;
constexpr int kHeaderHeight = 20;
constexpr int kColumnGap = 5;

struct StateHeader {
    int id;
    const char* title;
    int percent;
};

constexpr StateHeader kHeaders[] = {
    {IDC_STATES_TYPE_HEADER, "Type", 50},
    {IDC_STATES_NAME_HEADER, "Nom", 50},
};
constexpr int kHeaderCount = static_cast<int>(std::size(kHeaders));

std::string ServerIni()
{
    return ProgramPath("\\server.ini");
}

// The entry a list line stands for; null for the server's line and for an
// index the table no longer holds (it is rebuilt while lines still show).
const ActiveEntry* EntryOfLine(LPARAM data)
{
    if (data < 0 || data >= ActiveEntryCount)
        return nullptr;
    return &ActiveEntries[static_cast<size_t>(data)];
}

void AddEntry(int kind, int position, const char* name)
{
    if (ActiveEntryCount >= kMaxActiveEntries)
        return;
    ActiveEntry& entry = ActiveEntries[static_cast<size_t>(ActiveEntryCount++)];
    entry.kind = kind;
    entry.position = position;
    lstrcpynA(entry.name, name, sizeof entry.name);
}

// The list's rectangle in the dialog's client coordinates.
RECT ListRect(HWND dialog)
{
    RECT r;
    HWND list = GetDlgItem(dialog, IDC_STATES_LIST);
    GetWindowRect(list, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

void BuildActiveEntries(HWND owner)
{
    ReadActivityFiles();
    LoadUserDatabase(owner, GetProgramDir());
    ActiveEntryCount = 0;
    for (int i = 0; i < kUserActivityRecordCount; ++i)
        if (UserActive(i))
            AddEntry(kActiveUserKind, i, UserAt(i).name);
    for (int j = 0; j < kGatewayActivityRecordCount; ++j)
        if (GatewayActive(j))
            AddEntry(kActiveGatewayKind, j, Gateways.slots[static_cast<size_t>(j)].name);
}

void FillStatesList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_STATES_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (ReadProfileInt("Serveur", "Etat", 0, ServerIni()) != 0)
        SendMessageA(list, LB_ADDSTRING, 0, kServerLine);
    for (int n = 0; n < ActiveEntryCount; ++n)
        SendMessageA(list, LB_ADDSTRING, 0, n);
}

void LayoutStateHeaders(HWND dialog, int x, int y, int width)
{
    int usable = width - kColumnGap * kHeaderCount;
    int offset = 0;
    for (const StateHeader& h : kHeaders) {
        HWND header = GetDlgItem(dialog, h.id);
        int columnWidth = ColumnWidth(h.percent, usable);
        std::string title = h.title;
        HDC dc = GetDC(header);
        FitText(dc, title, columnWidth);
        ReleaseDC(header, dc);
        SetWindowTextA(header, title.c_str());
        MoveWindow(header, x + offset, y - kHeaderHeight, columnWidth + kColumnGap, kHeaderHeight, TRUE);
        offset += columnWidth + kColumnGap;
    }
}

void DeactivateSelection(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_STATES_LIST);
    ReadActivityFiles();
    int selected = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    std::vector<int> lines(static_cast<size_t>(std::max(selected, 0)));
    if (!lines.empty())
        lines.resize(static_cast<size_t>(std::max<LRESULT>(
            0, SendMessageA(list, LB_GETSELITEMS, lines.size(), reinterpret_cast<LPARAM>(lines.data())))));
    for (int line : lines) {
        LPARAM data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
        if (data == kServerLine) {
            WriteProfileInt("Serveur", "Etat", 0, ServerIni());
        } else if (const ActiveEntry* entry = EntryOfLine(data)) {
            if (entry->kind == kActiveUserKind)
                ClearUserActive(entry->position);
            else if (entry->kind == kActiveGatewayKind)
                ClearGatewayActive(entry->position);
        }
    }
    BuildActiveEntries(dialog);
    FillStatesList(dialog);
}

static void OpenStatesDialog(HWND dialog)
{
    RECT list = ListRect(dialog);
    for (const StateHeader& h : kHeaders) {
        HWND header = CreateWindowA("STATIC", h.title, WS_CHILD | WS_VISIBLE, list.left, list.top - kHeaderHeight, 0,
                                    kHeaderHeight, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(h.id)),
                                    AppInstance, nullptr);
        SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont), FALSE);
    }
    BuildActiveEntries(dialog);
    LayoutStateHeaders(dialog, list.left, list.top, list.right - list.left);
    FillStatesList(dialog);
}

static void DrawFittedText(HDC dc, std::string text, int x, int top, int width)
{
    FitText(dc, text, width);
    TextOutA(dc, x, top + 1, text.c_str(), static_cast<int>(text.size()));
}

// Draws from the line's item data only; a line whose entry is gone shows its
// background alone. The focus frame goes last, over whatever was drawn.
static void DrawStateLine(const DRAWITEMSTRUCT* item)
{
    if (item->itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item->hDC;
    if (item->itemAction == ODA_FOCUS) {
        DrawFocusRect(dc, &item->rcItem);
        return;
    }
    int saved = SaveDC(dc);
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item->rcItem, selected ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : FaceBrush);
    SetTextColor(dc, selected ? GetSysColor(COLOR_WINDOW) : RGB(0, 0, 0));
    SetBkColor(dc, selected ? RGB(0, 0, 0) : GetSysColor(COLOR_BTNFACE));
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageA(item->hwndItem, WM_GETFONT, 0, 0)))
        SelectObject(dc, font);
    int top = item->rcItem.top;
    LPARAM data = static_cast<LPARAM>(item->itemData);
    if (data == kServerLine) {
        TextOutA(dc, 0, top + 1, "Serveur", 7);
    } else if (const ActiveEntry* entry = EntryOfLine(data)) {
        RECT client;
        GetClientRect(item->hwndItem, &client);
        int usable = client.right - kColumnGap * kHeaderCount;
        int typeWidth = ColumnWidth(kHeaders[0].percent, usable);
        int nameWidth = ColumnWidth(kHeaders[1].percent, usable);
        DrawFittedText(dc, entry->kind == kActiveUserKind ? "Utilisateur" : "Passerelle", 0, top, typeWidth);
        DrawFittedText(dc, entry->name, typeWidth + kColumnGap, top, nameWidth);
    }
    RestoreDC(dc, saved);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item->rcItem);
}

static void ShowStatesHelp(HWND dialog)
{
    ShowHelpFile(dialog, ProgramPath("\\admin.hlp"), HELP_CONTEXT, kStatesHelpContext);
}

INT_PTR CALLBACK StatesDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenStatesDialog(dialog);
        return TRUE;
    case WM_DRAWITEM:
        DrawStateLine(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORLISTBOX:
        return reinterpret_cast<INT_PTR>(FaceBrush);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_STATES_REFRESH:
            BuildActiveEntries(dialog);
            FillStatesList(dialog);
            return TRUE;
        case IDC_STATES_DEACTIVATE:
            DeactivateSelection(dialog);
            return TRUE;
        case IDC_STATES_HELP:
        case ID_HELP_KEY:
            ShowStatesHelp(dialog);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void ShowStatesWindow(HWND owner)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_STATES), owner, StatesDialog, 0);
}
