#include "journal/journal_view.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <string_view>

#include "gateways/gateway_registry.h"
#include "journal/journal_file.h"
#include "journal/journal_reload.h"
#include "journal/journal_rows.h"
#include "journal/journal_settings.h"
#include "journal/journal_sort.h"
#include "base/app.h"
#include "base/column_width.h"
#include "base/window_utils.h"
#include "users/user_tables.h"

std::array<JournalColumn, kJournalColumnCount> JournalColumns;
HWND JournalPane;

namespace {

// The display order of the whole journal for the column it was built for,
// and the rows of the pane drawn from it.
std::vector<int> SortIndex;
int SortIndexColumn;
uint64_t SortIndexStamp;  // Journal.changeStamp when SortIndex was last brought up to date
std::vector<int> Rows;
int ReloadHolds;  // commands working on the rows meanwhile

// Every column is 5 pixels wider than its text area: the table is the pane
// less 5 pixels for each of the seven.
constexpr int kColumnGaps = 5 * kJournalColumnCount;
constexpr int kHeaderHeight = 20;

std::span<const JournalRecord> JournalRecords()
{
    size_t count = std::min(Journal.records.size(), static_cast<size_t>(std::max(Journal.count, 0)));
    return {Journal.records.data(), count};
}

// The gateway table as the filter reads it: its count, and the name of the
// gateway at a position ("" where there is none, as in an unused slot).
int GatewayCountForFilter()
{
    return Gateways.count;
}

std::string_view GatewayNameForFilter(int position)
{
    if (position < 0 || position >= Gateways.count)
        return {};
    return GatewayNameOf(Gateways.slots[static_cast<size_t>(position)]);
}

std::string_view UserNameForFilter(int position)
{
    return StoredName(UserAt(position));
}

JournalFilter CurrentFilter()
{
    JournalFilter filter;
    filter.everyGateway = JournalSettings.gatewayFilter == GatewayCountForFilter();
    if (!filter.everyGateway)
        filter.gateway = GatewayNameForFilter(JournalSettings.gatewayFilter);
    filter.everyUser = JournalSettings.userFilter == UserCount();
    if (!filter.everyUser)
        filter.user = UserNameForFilter(JournalSettings.userFilter);
    return filter;
}

// Whether the records SortIndex covers are the ones it was built for: no
// load or rewrite replaced them since, only appends came.
bool SortIndexCoversSameRecords(size_t recordCount)
{
    return Journal.changeStamp != 0 && SortIndexStamp == Journal.changeStamp && SortIndex.size() <= recordCount;
}

// Brings SortIndex to the current sort column over the whole journal: the
// records appended since it was built go into their places (checking the
// order first unless the records it covers are known unchanged); anything
// else sorts everything again. Both give the one order of the column.
void UpdateSortIndex()
{
    int command = ValidSortCommand(JournalSettings.sortColumn);
    std::span<const JournalRecord> records = JournalRecords();
    try {
        if (SortIndexColumn == command && SortIndexCoversSameRecords(records.size())) {
            InsertAppendedRecords(records, command, SortIndex);
            return;
        }
        SortIndexStamp = Journal.changeStamp;
        if (SortIndexColumn == command && ExtendJournalOrder(records, command, SortIndex))
            return;
        BuildJournalOrder(records, command, SortIndex);
        SortIndexColumn = command;
    } catch (const std::bad_alloc&) {
        std::vector<int>().swap(SortIndex);
        SortIndexColumn = 0;
    }
}

void SetPaneRowCount(size_t count)
{
    if (!JournalPane)
        return;
    SendMessageA(JournalPane, LB_RESETCONTENT, 0, 0);
    SendMessageA(JournalPane, LB_SETCOUNT, count, 0);
}

void ShowHeaders(int show)
{
    for (const JournalColumn& column : JournalColumns)
        if (column.button)
            ShowWindow(column.button, show);
}

// A column's left edge: where the separator before it lies (column 0 has
// none and starts at 0).
int ColumnLeft(int k)
{
    if (k == 0)
        return 0;
    int x = JournalColumns[0].width + 2;
    for (int i = 1; i < k; ++i)
        x += JournalColumns[static_cast<size_t>(i)].width + 5;
    return x;
}

struct RowLook {
    HBRUSH fill;
    COLORREF text;
    COLORREF textBack;
    COLORREF lines;
};

// The paint and the owner-draw request colour a row alike, except that the
// request uses plain black where the paint uses the window-text colour.
RowLook LookOf(bool selected, bool plainBlack)
{
    COLORREF ink = plainBlack ? RGB(0, 0, 0) : GetSysColor(COLOR_WINDOWTEXT);
    if (selected)
        return {static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), GetSysColor(COLOR_WINDOW), ink,
                GetSysColor(COLOR_WINDOW)};
    return {WindowBrush ? WindowBrush : GetSysColorBrush(COLOR_WINDOW), ink, GetSysColor(COLOR_WINDOW),
            GetSysColor(COLOR_GRAYTEXT)};
}

// Fills the row, writes the record's fields (none when there is no record)
// with their tops at textTop, and draws the column separators and the dotted
// line along the row's last pixel line.
void DrawRow(HDC dc, const RECT& row, const JournalRecord* record, const RowLook& look, int textTop)
{
    HGDIOBJ oldFont = SelectObject(dc, GuiFont ? static_cast<HGDIOBJ>(GuiFont) : GetStockObject(DEFAULT_GUI_FONT));
    FillRect(dc, &row, look.fill);
    if (record) {
        SetTextColor(dc, look.text);
        SetBkColor(dc, look.textBack);
        SetBkMode(dc, OPAQUE);
        for (int k = 0; k < kJournalColumnCount; ++k) {
            std::string text(JournalFieldText(*record, k));
            FitText(dc, text, JournalColumns[static_cast<size_t>(k)].width - 10);
            int x = k == 0 ? 5 : ColumnLeft(k) + 5;
            TextOutA(dc, x, textTop, text.c_str(), static_cast<int>(text.size()));
        }
    }
    for (int k = 1; k < kJournalColumnCount; ++k)
        DrawDottedLine(dc, ColumnLeft(k), row.top, ColumnLeft(k), row.bottom, look.lines);
    DrawDottedLine(dc, 0, row.bottom - 1, row.right, row.bottom - 1, look.lines);
    SelectObject(dc, oldFont);
}

const JournalRecord* RecordOfRow(size_t row)
{
    if (row >= Rows.size())
        return nullptr;
    std::span<const JournalRecord> records = JournalRecords();
    size_t r = static_cast<size_t>(Rows[row]);
    return r < records.size() ? &records[r] : nullptr;
}

bool IsSwallowedMouseMessage(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
        return true;
    }
    return false;
}

// The pane holds no item data: it only counts rows, whatever style its
// creator asked for.
void MakeRowsCountOnly(HWND pane)
{
    LONG_PTR style = GetWindowLongPtrA(pane, GWL_STYLE);
    style |= LBS_NODATA | LBS_OWNERDRAWFIXED;
    style &= ~static_cast<LONG_PTR>(LBS_HASSTRINGS | LBS_SORT | LBS_OWNERDRAWVARIABLE);
    SetWindowLongPtrA(pane, GWL_STYLE, style);
}

}  // namespace

LRESULT CALLBACK JournalPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsSwallowedMouseMessage(message))
        return 0;
    switch (message) {
    case WM_NCCREATE:
        MakeRowsCountOnly(window);
        break;
    case WM_PAINT:
        PaintJournalPane(window);
        return 0;
    }
    return CallWindowProcA(BaseListBoxProc, window, message, wParam, lParam);
}

bool RegisterJournalPaneClass(HINSTANCE instance)
{
    return RegisterClassCopy(instance, "listbox", "arrayed", JournalPaneProc, BaseListBoxProc);
}

void CreateColumnHeaders(HWND pane)
{
    if (!JournalPane)
        JournalPane = pane;
    HWND parent = GetParent(pane);
    for (size_t k = 0; k < JournalColumns.size(); ++k) {
        JournalColumn& column = JournalColumns[k];
        const JournalColumnSpec& spec = kJournalColumnSpecs[k];
        if (column.button && IsWindow(column.button))
            DestroyWindow(column.button);
        lstrcpynA(column.title, spec.title, sizeof column.title);
        column.command = spec.command;
        column.percent = spec.percent;
        column.width = 0;
        column.button = CreateWindowExA(0, "BUTTON", column.title, WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.command)), AppInstance,
                                        nullptr);
        if (column.button && GuiFont)
            SendMessageA(column.button, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont), FALSE);
    }
}

void PlaceColumnHeaders(int x, int y, int paneWidth)
{
    int tableWidth = paneWidth - kColumnGaps;
    HDC dc = GetDC(JournalPane);
    HGDIOBJ oldFont = SelectObject(dc, GuiFont ? static_cast<HGDIOBJ>(GuiFont) : GetStockObject(DEFAULT_GUI_FONT));
    int offset = 0;
    for (JournalColumn& column : JournalColumns) {
        int k = static_cast<int>(&column - JournalColumns.data());
        column.width = ColumnWidth(column.percent, tableWidth);
        std::string title = kJournalColumnSpecs[static_cast<size_t>(k)].title;
        FitText(dc, title, column.width);
        lstrcpynA(column.title, title.c_str(), sizeof column.title);
        if (column.button) {
            SetWindowTextA(column.button, column.title);
            MoveWindow(column.button, x + offset, y - kHeaderHeight, column.width + 5, kHeaderHeight, TRUE);
        }
        offset += column.width + 5;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(JournalPane, dc);
}

void SortJournal(int command)
{
    JournalSettings.sortColumn = ValidSortCommand(command);
    UpdateSortIndex();
    FillJournalPane();
}

void FillJournalPane()
{
    std::span<const JournalRecord> records = JournalRecords();
    if (SortIndex.size() != records.size())
        UpdateSortIndex();
    try {
        BuildJournalRows(records, SortIndex, CurrentFilter(), Rows);
    } catch (const std::bad_alloc&) {
        std::vector<int>().swap(Rows);
    }
    SetPaneRowCount(Rows.size());
}

void ShowJournalPane()
{
    if (JournalSettings.shown == 1) {
        if (JournalPane)
            ShowWindow(JournalPane, SW_SHOW);
        ShowHeaders(SW_SHOW);
        FillJournalPane();
        return;
    }
    std::vector<int>().swap(Rows);
    SetPaneRowCount(0);
    if (JournalPane)
        ShowWindow(JournalPane, SW_HIDE);
    ShowHeaders(SW_HIDE);
}

void RefreshJournalOnTimer(HWND mainWindow)
{
    if (JournalSettings.shown != 1 || ReloadHolds > 0)
        return;
    LRESULT selected = JournalPane ? SendMessageA(JournalPane, LB_GETCURSEL, 0, 0) : LB_ERR;
    int32_t count = Journal.count;
    LoadJournalAppends();
    if (Journal.count == count)
        return;
    SendMessageA(mainWindow, WM_COMMAND, static_cast<WPARAM>(ValidSortCommand(JournalSettings.sortColumn)), 0);
    if (JournalPane && selected != LB_ERR)
        SendMessageA(JournalPane, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void PaintJournalPane(HWND pane)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(pane, &paint);
    LRESULT count = SendMessageA(pane, LB_GETCOUNT, 0, 0);
    LRESULT selected = SendMessageA(pane, LB_GETCURSEL, 0, 0);
    LRESULT top = SendMessageA(pane, LB_GETTOPINDEX, 0, 0);
    int height = static_cast<int>(SendMessageA(pane, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    GetClientRect(pane, &client);
    if (height > 0 && count != LB_ERR) {
        for (int n = 0; n < client.bottom / height; ++n) {
            LRESULT i = top + n;
            RECT row = {0, n * height, client.right, (n + 1) * height};
            bool isSelected = selected != LB_ERR && i == selected;
            const JournalRecord* record = i < count ? RecordOfRow(static_cast<size_t>(i)) : nullptr;
            DrawRow(dc, row, record, LookOf(isSelected, false), row.top);
        }
    }
    // The list box's own painting finds the pane validated: nothing is left
    // for it to draw.
    CallWindowProcA(BaseListBoxProc, pane, WM_PAINT, 0, 0);
    EndPaint(pane, &paint);
}

void DrawJournalRow(const DRAWITEMSTRUCT* item)
{
    if (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
        const JournalRecord* record = RecordOfRow(item->itemID);
        DrawRow(item->hDC, item->rcItem, record, LookOf((item->itemState & ODS_SELECTED) != 0, true),
                item->rcItem.top + 1);
    } else if (item->itemAction & ODA_FOCUS) {
        DrawFocusRect(item->hDC, &item->rcItem);
    }
}

void RefreshJournalView()
{
    if (JournalSettings.shown == 1 && MainWindow)
        SendMessageA(MainWindow, WM_COMMAND, static_cast<WPARAM>(ValidSortCommand(JournalSettings.sortColumn)), 0);
}

const std::vector<int>& JournalRows()
{
    return Rows;
}

void HoldJournalReload()
{
    ++ReloadHolds;
}

void ReleaseJournalReload()
{
    if (ReloadHolds > 0)
        --ReloadHolds;
}
