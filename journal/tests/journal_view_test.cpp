#include "journal/journal_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gateways/gateway_registry.h"
#include "journal/journal_file.h"
#include "journal/journal_reload.h"
#include "journal/journal_settings.h"
#include "journal/tests/journal_fixture.h"
#include "journal/tests/journal_pane_fixture.h"
#include "journal/tests/journal_sort_reference.h"
#include "base/app.h"
#include "base/drawing_objects.h"
#include "tests/wine/test_pixels.h"
#include "tests/wine/test_support.h"
#include "tests/journal_appender/append_record.h"
#include "users/user_tables.h"

namespace {

constexpr int kPaneWidth = 435;  // a table of 400 pixels

class JournalViewTest : public JournalPaneTest {
protected:
    JournalViewTest() { paneWidth_ = kPaneWidth; }

    void Append(const CallFields& call)
    {
        std::vector<uint8_t> bytes = CallBytes(call);
        ASSERT_TRUE(AppendJournalRecord(Path("\\Journal.dat"), std::span<const uint8_t, 564>(bytes.data(), 564), 0));
    }

    static LRESULT PaneCount() { return SendMessageA(JournalPane, LB_GETCOUNT, 0, 0); }
    static LRESULT Selected() { return SendMessageA(JournalPane, LB_GETCURSEL, 0, 0); }

    static std::vector<int> ReferenceOrder(int command)
    {
        return reference::JournalOrder(Journal.records, command);
    }
};

CallFields Call(const char* user, const char* number, uint32_t durationValue, const char* gateway = "Pass1")
{
    CallFields f;
    f.user = user;
    f.number = number;
    f.durationValue = durationValue;
    f.gateway = gateway;
    return f;
}

// The calls the tests start from, oldest first.
const std::vector<CallFields> kCalls = {
    Call("Martin", "0145", 30),   // 0
    Call("Durand", "0199", 120),  // 1
    Call("Dupont", "0145", 30),   // 2
    Call("Durand", "0100", 60),   // 3
    Call("durand", "0145", 90),   // 4
};

TEST_F(JournalViewTest, ListsTheRecordsOfTheFilteredUserInTheSortOrder)
{
    WriteJournal(kCalls);
    LoadJournal();
    struct Case {
        int command;
        int userFilter;
        std::vector<int> rows;
    } cases[] = {
        {9, 3, {0, 1, 2, 3, 4}},
        {8, 3, {3, 4, 2, 0, 1}},  // equal numbers newest first
        {11, 3, {1, 4, 3, 0, 2}},
        {7, 3, {2, 3, 1, 0, 4}},
        {7, 0, {3, 1}},  // "Durand" exactly: not "durand"
        {11, 0, {1, 3}},
        {9, 2, {0}},
        {9, 7, {}},  // a position past the users names nobody
    };
    for (const Case& c : cases) {
        JournalSettings.userFilter = c.userFilter;
        SortJournal(c.command);
        EXPECT_EQ(JournalSettings.sortColumn, c.command);
        EXPECT_EQ(JournalRows(), c.rows) << "column " << c.command << ", user " << c.userFilter;
        EXPECT_EQ(PaneCount(), static_cast<LRESULT>(c.rows.size())) << "column " << c.command;
    }
}

TEST_F(JournalViewTest, ListsTheRecordsOfTheFilteredGateway)
{
    WriteJournal({
        Call("Durand", "01", 30, "Pass1"),   // 0
        Call("Durand", "02", 30, "Paris"),   // 1
        Call("Dupont", "03", 30, "Pass10"),  // 2
        Call("Dupont", "04", 30, "Pass1"),   // 3
        Call("Durand", "05", 30, "pass1"),   // 4
        Call("Martin", "06", 30, ""),        // 5
    });
    LoadJournal();
    struct Case {
        int gatewayFilter;
        int userFilter;
        std::vector<int> rows;
    } cases[] = {
        {0, 3, {0, 3}},  // "Pass1" exactly: not "Pass10", not "pass1"
        {1, 3, {1}},
        {2, 3, {0, 1, 2, 3, 4, 5}},  // the number of gateways: every one
        {0, 0, {0}},
        {1, 1, {}},
        {5, 3, {5}},  // no gateway there: its name is empty
        {-1, 3, {5}},
    };
    for (const Case& c : cases) {
        JournalSettings.gatewayFilter = c.gatewayFilter;
        JournalSettings.userFilter = c.userFilter;
        SortJournal(9);
        EXPECT_EQ(JournalRows(), c.rows) << "gateway " << c.gatewayFilter << ", user " << c.userFilter;
        EXPECT_EQ(PaneCount(), static_cast<LRESULT>(c.rows.size()));
    }
}

TEST_F(JournalViewTest, MakesThePaneAListWithoutItemData)
{
    LONG_PTR style = GetWindowLongPtrA(JournalPane, GWL_STYLE);
    EXPECT_TRUE(style & LBS_NODATA);
    EXPECT_TRUE(style & LBS_OWNERDRAWFIXED);
    EXPECT_FALSE(style & LBS_HASSTRINGS);
    EXPECT_EQ(SendMessageA(JournalPane, LB_SETCOUNT, 250000, 0), 0);
    EXPECT_EQ(PaneCount(), 250000);
}

TEST_F(JournalViewTest, PlacesTheHeadersAboveThePaneWithSinglePrecisionWidths)
{
    // A table of 400 pixels: 30 % is 119, 15 % is 59 and 10 % is 39.
    const int widths[] = {119, 39, 39, 59, 59, 39, 39};
    const char* titles[] = {"Ligne", "Passerelle", "Utilisateur", "Numéro", "Date", "Débit", "Durée"};
    HDC dc = GetDC(JournalPane);
    HGDIOBJ old = SelectObject(dc, GuiFont);
    int x = 5;
    for (int k = 0; k < 7; ++k) {
        const JournalColumn& column = JournalColumns[k];
        EXPECT_EQ(column.command, 5 + k);
        EXPECT_EQ(column.width, widths[k]) << titles[k];
        EXPECT_EQ(GetDlgCtrlID(column.button), 5 + k);
        RECT r;
        GetWindowRect(column.button, &r);
        MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, x) << titles[k];
        EXPECT_EQ(r.top, 40) << titles[k];
        EXPECT_EQ(r.right - r.left, widths[k] + 5) << titles[k];
        EXPECT_EQ(r.bottom - r.top, 20) << titles[k];
        x += widths[k] + 5;

        char shown[128] = {};
        GetWindowTextA(column.button, shown, sizeof shown);
        SIZE full;
        GetTextExtentPoint32A(dc, titles[k], lstrlenA(titles[k]), &full);
        std::string text = shown;
        if (full.cx < widths[k]) {
            EXPECT_EQ(text, titles[k]);
        } else {
            // Cut with "...": a beginning of the title that fits with it.
            ASSERT_GE(text.size(), 3u) << titles[k];
            EXPECT_EQ(text.substr(text.size() - 3), "...") << titles[k];
            EXPECT_EQ(std::string(titles[k]).rfind(text.substr(0, text.size() - 3), 0), 0u) << text;
            SIZE cut;
            GetTextExtentPoint32A(dc, shown, lstrlenA(shown), &cut);
            EXPECT_LE(cut.cx, widths[k]) << text;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(JournalPane, dc);
    // "Passerelle" and "Utilisateur" are wider than 39 pixels in this font.
    EXPECT_STREQ(JournalColumns[2].title + lstrlenA(JournalColumns[2].title) - 3, "...");

    PlaceColumnHeaders(5, 60, 2000);
    for (int k = 0; k < 7; ++k)
        EXPECT_STREQ(JournalColumns[k].title, titles[k]) << "wide enough";
}

TEST_F(JournalViewTest, DiscardsClicksButScrolls)
{
    std::vector<CallFields> calls;
    for (int i = 0; i < 100; ++i)
        calls.push_back(Call("Durand", std::to_string(1000 + i).c_str(), static_cast<uint32_t>(i)));
    WriteJournal(calls);
    LoadJournal();
    SortJournal(9);
    ASSERT_EQ(PaneCount(), 100);
    SendMessageA(JournalPane, LB_SETCURSEL, 2, 0);
    const UINT clicks[] = {WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_LBUTTONUP,     WM_LBUTTONDBLCLK,
                           WM_RBUTTONDOWN, WM_RBUTTONUP,   WM_RBUTTONDBLCLK, WM_MBUTTONDOWN,
                           WM_MBUTTONUP,   WM_MBUTTONDBLCLK};
    int height = static_cast<int>(SendMessageA(JournalPane, LB_GETITEMHEIGHT, 0, 0));
    for (UINT message : clicks) {
        for (int row : {0, 5}) {
            LPARAM at = MAKELPARAM(20, row * height + height / 2);
            SendMessageA(JournalPane, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
            PostMessageA(JournalPane, message, 0, at);
        }
    }
    PumpMessages();
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(GetCapture(), nullptr);
    for (WPARAM command : CommandsReceived)
        EXPECT_NE(HIWORD(command), LBN_SELCHANGE);

    EXPECT_EQ(SendMessageA(JournalPane, LB_GETTOPINDEX, 0, 0), 0);
    SendMessageA(JournalPane, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(SendMessageA(JournalPane, LB_GETTOPINDEX, 0, 0), 1);
    SendMessageA(JournalPane, WM_VSCROLL, SB_BOTTOM, 0);
    LRESULT top = SendMessageA(JournalPane, LB_GETTOPINDEX, 0, 0);
    EXPECT_GT(top, 50);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(JournalPane, SB_VERT, &info);
    EXPECT_EQ(info.nPos, top);
}

TEST_F(JournalViewTest, ATickAfterAppendsSortsAgainAndKeepsTheSelectedPosition)
{
    WriteJournal(kCalls);
    LoadJournal();
    SortJournal(11);
    SendMessageA(JournalPane, LB_SETCURSEL, 3, 0);

    // Nothing new: nothing is sent, nothing moves.
    RefreshJournalOnTimer(main_);
    EXPECT_TRUE(CommandsReceived.empty());
    EXPECT_EQ(Selected(), 3);

    Append(Call("Martin", "0111", 200));
    Append(Call("Dupont", "0112", 30));
    RefreshJournalOnTimer(main_);
    ASSERT_EQ(CommandsReceived, std::vector<WPARAM>{11});
    EXPECT_EQ(Journal.count, 7);
    EXPECT_EQ(JournalRows(), (std::vector<int>{5, 1, 4, 3, 0, 2, 6}));
    EXPECT_EQ(PaneCount(), 7);
    EXPECT_EQ(Selected(), 3);

    // Sorted by "Date", the new rows come last; no row selected stays so.
    SortJournal(9);
    Append(Call("Durand", "0113", 1));
    RefreshJournalOnTimer(main_);
    EXPECT_EQ(JournalRows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Selected(), LB_ERR);
}

TEST_F(JournalViewTest, AppendedRecordsTakeTheirPlacesInEveryOrder)
{
    std::vector<CallFields> calls;
    const char* users[] = {"Durand", "\xC9mile", "Albert", "Zo\xE9", "Dupont"};
    for (int i = 0; i < 40; ++i)
        calls.push_back(Call(users[i % 5], std::to_string(i % 7).c_str(), static_cast<uint32_t>(i % 4 * 30)));
    WriteJournal(calls);
    LoadJournal();
    for (int command = 5; command <= 11; ++command) {
        SortJournal(command);
        for (int i = 0; i < 3; ++i)
            Append(Call(users[(i + command) % 5], std::to_string(command + i).c_str(), static_cast<uint32_t>(i * 30)));
        RefreshJournalOnTimer(main_);
        EXPECT_EQ(JournalRows(), ReferenceOrder(command)) << "column " << command;
    }
}

TEST_F(JournalViewTest, AppendsAfterARewriteTakeTheirPlacesInTheRewrittenOrder)
{
    // Each rewrite changes the records the last sort covered, and nothing
    // refreshes the pane before the server's next append: that tick must
    // order the records as they now stand, not extend the older order.
    struct Case { const char* name; int command; std::function<void()> rewrite; } cases[] = {
        {"user renamed", 7, [] { RenameUserEntries("Durand", "Zola"); }},
        {"gateway renamed", 6, [] { RenameGatewayEntries("Pass1", "Aix"); }},
        {"gateway's records removed", 6, [] { RemoveGatewayEntries("Paris"); }},
    };
    for (const Case& c : cases) {
        std::vector<CallFields> calls = kCalls;
        calls[2].gateway = "Paris";
        WriteJournal(calls);
        LoadJournal();
        SortJournal(c.command);
        c.rewrite();
        Append(Call("Dupont", "0150", 45, "Lyon"));
        RefreshJournalOnTimer(main_);
        EXPECT_EQ(JournalRows(), ReferenceOrder(c.command)) << c.name;
        EXPECT_EQ(PaneCount(), Journal.count) << c.name;
    }
}

TEST_F(JournalViewTest, ATickReadsOnlyTheCountWhenNothingChanged)
{
    std::vector<CallFields> calls(2000, Call("Durand", "0145", 30));
    WriteJournal(calls);
    LoadJournal();
    SortJournal(9);
    EXPECT_LE(LoadJournalAppends(), 4096u);
    EXPECT_EQ(Journal.count, 2000);

    for (int i = 0; i < 3; ++i)
        Append(Call("Dupont", "0146", 31));
    EXPECT_EQ(LoadJournalAppends(), 4u + 3 * 564);
    ASSERT_EQ(Journal.count, 2003);
    EXPECT_EQ(Journal.records[2002].user(), "Dupont");
    EXPECT_EQ(Journal.loadedCount, 2003);
    // What was appended is now part of the last load.
    EXPECT_LE(LoadJournalAppends(), 4096u);
    EXPECT_EQ(Journal.count, 2003);
}

TEST_F(JournalViewTest, AJournalShortenedElsewhereIsReadWhole)
{
    WriteJournal(kCalls);
    LoadJournal();
    SortJournal(7);
    WriteJournal({kCalls[4], kCalls[1]});
    RefreshJournalOnTimer(main_);
    ASSERT_EQ(Journal.count, 2);
    EXPECT_EQ(Journal.records[0].user(), "durand");
    EXPECT_EQ(JournalRows(), (std::vector<int>{1, 0}));
}

TEST_F(JournalViewTest, NothingHappensOnATickWhileThePaneIsHidden)
{
    WriteJournal(kCalls);
    LoadJournal();
    JournalSettings.shown = 0;
    ShowJournalPane();
    EXPECT_FALSE(IsWindowVisible(JournalPane));
    for (const JournalColumn& column : JournalColumns)
        EXPECT_FALSE(IsWindowVisible(column.button));
    EXPECT_EQ(PaneCount(), 0);
    EXPECT_TRUE(JournalRows().empty());

    Append(Call("Dupont", "0146", 31));
    RefreshJournalOnTimer(main_);
    EXPECT_EQ(Journal.count, 5);
    EXPECT_TRUE(CommandsReceived.empty());

    JournalSettings.shown = 1;
    ShowJournalPane();
    EXPECT_TRUE(IsWindowVisible(JournalPane));
    for (const JournalColumn& column : JournalColumns)
        EXPECT_TRUE(IsWindowVisible(column.button));
    EXPECT_EQ(PaneCount(), 5);
}

TEST_F(JournalViewTest, AFillingSortsAgainOnlyWhenTheJournalChangedLength)
{
    WriteJournal(kCalls);
    LoadJournal();
    SortJournal(7);
    ASSERT_EQ(JournalRows(), (std::vector<int>{2, 3, 1, 0, 4}));
    // Same length: the last sort's order is kept, even though a name changed.
    Journal.records[0].SetUser("Aaron");
    FillJournalPane();
    EXPECT_EQ(JournalRows(), (std::vector<int>{2, 3, 1, 0, 4}));
    // One record fewer: sorted again before filling.
    Journal.records.pop_back();
    Journal.count = 4;
    FillJournalPane();
    EXPECT_EQ(JournalRows(), (std::vector<int>{0, 2, 3, 1}));
}

TEST_F(JournalViewTest, RefreshSendsTheSortCommandOnlyWhenShown)
{
    struct Case { int shown; int sortColumn; std::vector<WPARAM> sent; } cases[] = {
        {1, 8, {8}},
        {0, 8, {}},
        {1, 1011, {9}},  // a damaged setting never becomes another command
        {1, 3, {9}},
    };
    for (const Case& c : cases) {
        CommandsReceived.clear();
        JournalSettings.shown = c.shown;
        JournalSettings.sortColumn = c.sortColumn;
        RefreshJournalView();
        EXPECT_EQ(CommandsReceived, c.sent) << c.sortColumn;
    }
    EXPECT_EQ(JournalSettings.sortColumn, 9);
}

// The pane's own painting: every visible row gets its background, column
// separators and bottom line, also past the last record.
TEST_F(JournalViewTest, PaintsTheGridOfEveryVisibleRow)
{
    for (bool empty : {true, false}) {
        if (!empty) {
            WriteJournal(kCalls);
            LoadJournal();
        }
        SortJournal(9);
        SendMessageA(JournalPane, LB_SETCURSEL, empty ? -1 : 1, 0);
        InvalidateRect(JournalPane, nullptr, TRUE);
        UpdateWindow(JournalPane);
        int height = static_cast<int>(SendMessageA(JournalPane, LB_GETITEMHEIGHT, 0, 0));
        ASSERT_GT(height, 0);
        RECT client;
        GetClientRect(JournalPane, &client);
        COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
        COLORREF window = GetSysColor(COLOR_WINDOW);
        HDC dc = GetDC(JournalPane);
        int separator = JournalColumns[0].width + 2;  // after "Ligne"
        int rows = client.bottom / height;
        for (int n = 0; n < rows; ++n) {
            bool selected = !empty && n == 1;
            int top = n * height;
            int odd = top % 2 ? top : top + 1;
            EXPECT_EQ(GetPixel(dc, separator, odd), selected ? window : grey) << "row " << n << (empty ? " empty" : "");
            EXPECT_EQ(GetPixel(dc, 3, top + height - 1), selected ? window : grey) << "row " << n;
            EXPECT_EQ(GetPixel(dc, 4, top + height - 1), selected ? RGB(0, 0, 0) : window) << "row " << n;
            // Between the dots of the separator: the row's own fill.
            int even = odd + 1 < top + height - 1 ? odd + 1 : odd - 1;
            EXPECT_EQ(GetPixel(dc, separator + 1, even), selected ? RGB(0, 0, 0) : window) << "row " << n;
        }
        ReleaseDC(JournalPane, dc);
    }
}

// The owner-draw requests draw on a grey canvas.
constexpr COLORREF kGrey = RGB(128, 128, 128);

TEST_F(JournalViewTest, DrawsARowOrItsFocusOnRequest)
{
    WriteJournal({Call("Durand", "0145", 30, "Pass1")});
    LoadJournal();
    SortJournal(9);
    const int height = 16;
    struct Case { UINT action; UINT state; COLORREF fill; COLORREF lines; } cases[] = {
        {ODA_DRAWENTIRE, 0, GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_GRAYTEXT)},
        {ODA_SELECT, ODS_SELECTED, RGB(0, 0, 0), GetSysColor(COLOR_WINDOW)},
        {ODA_DRAWENTIRE, ODS_SELECTED, RGB(0, 0, 0), GetSysColor(COLOR_WINDOW)},
    };
    int separator = JournalColumns[0].width + 2;
    for (const Case& c : cases) {
        Canvas canvas(kPaneWidth, 40, kGrey);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_LISTBOX;
        item.itemID = 0;
        item.itemAction = c.action;
        item.itemState = c.state;
        item.hwndItem = JournalPane;
        item.hDC = canvas.Dc();
        item.rcItem = {0, 10, kPaneWidth, 10 + height};
        DrawJournalRow(&item);
        EXPECT_EQ(GetPixel(canvas.Dc(), separator, 11), c.lines) << c.action << "/" << c.state;
        EXPECT_EQ(GetPixel(canvas.Dc(), separator + 1, 12), c.fill) << c.action << "/" << c.state;
        EXPECT_EQ(GetPixel(canvas.Dc(), 0, 10 + height - 1), c.lines);
        EXPECT_EQ(GetPixel(canvas.Dc(), 1, 10 + height - 1), c.fill);
        // The text starts 1 pixel below the row's top: the first line is fill.
        for (int x = 5; x < separator; ++x)
            ASSERT_EQ(GetPixel(canvas.Dc(), x, 10), c.fill) << x;
        EXPECT_EQ(GetPixel(canvas.Dc(), 5, 9), RGB(128, 128, 128)) << "nothing above the row";
        // Some of the text's own colour within the "Ligne" column.
        COLORREF ink = c.state ? GetSysColor(COLOR_WINDOW) : RGB(0, 0, 0);
        bool inked = false;
        for (int y = 11; y < 10 + height - 1 && !inked; ++y)
            for (int x = 5; x < separator - 5 && !inked; ++x)
                inked = GetPixel(canvas.Dc(), x, y) == ink && ink != c.fill;
        EXPECT_TRUE(inked) << c.action << "/" << c.state;
    }
    // The focus alone: the platform's dotted frame, nothing else.
    Canvas canvas(kPaneWidth, 40, kGrey);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.itemAction = ODA_FOCUS;
    item.itemState = ODS_FOCUS;
    item.hDC = canvas.Dc();
    item.rcItem = {0, 10, kPaneWidth, 10 + height};
    DrawJournalRow(&item);
    int changed = 0;
    for (int x = 0; x < kPaneWidth; ++x)
        changed += GetPixel(canvas.Dc(), x, 10) != RGB(128, 128, 128);
    EXPECT_GT(changed, kPaneWidth / 3);
    EXPECT_EQ(GetPixel(canvas.Dc(), 20, 15), RGB(128, 128, 128)) << "inside the frame";
}

}  // namespace
