// The states window, created from its template in this process and driven
// with the messages a person's clicks send.
#include "states/states_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/drawing_objects.h"
#include "gateways/gateway_registry.h"
#include "resources/resource.h"
#include "states/activity_files.h"
#include "tests/fixtures/byte_fixture.h"
#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"
#include "users/user_tables.h"

using byte_fixture::ChangedBytes;
using namespace reseau_fixture;

namespace {

const char kLongName[] = "WWWWWWWWWWWWWWWWWWWW";  // 20 characters, the longest user name

class StatesWindowTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        CreateDrawingObjects();
        FreeUserTable();
        UserActivity.fill(0);
        GatewayActivity.fill(0);
        ActiveEntryCount = 0;
        Gateways = GatewayTable{};
        Gateways.count = 2;
        lstrcpynA(Gateways.slots[0].name, "Paris", sizeof Gateways.slots[0].name);
        lstrcpynA(Gateways.slots[1].name, "Lyon", sizeof Gateways.slots[1].name);
        // Durand, Martin and a long name at positions 0, 1 and 2.
        Image image;
        image.userCount = 3;
        image.records = {CurrentRecord("Durand", 1), CurrentRecord("Martin", 0), CurrentRecord(kLongName, 0)};
        WriteBytes(Path("\\reseau.dat"), BuildImage(image));
        // Active: Durand and the long name (the server's bytes beside the
        // flags), and gateway Lyon.
        users_.assign(3000, 0);
        users_[0] = 1, users_[1] = 0x5A, users_[2] = 0x01;
        users_[6] = 7, users_[7] = 0x6B;
        gateways_.assign(152, 0);
        gateways_[19] = 1, gateways_[20] = 0x44, gateways_[21] = 1, gateways_[22] = 4;
        WriteBytes(Path("\\ActUser.dat"), users_);
        WriteBytes(Path("\\ActPass.dat"), gateways_);
        SetServerState("1");
    }
    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        PumpMessages();
        FreeUserTable();
        Gateways = GatewayTable{};
        ActiveEntryCount = 0;
        ProgramDirTest::TearDown();
    }

    void SetServerState(const char* value)
    {
        WritePrivateProfileStringA("Serveur", "Etat", value, Path("\\server.ini").c_str());
    }
    HWND Open()
    {
        dialog_ = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_STATES), nullptr, StatesDialog, 0);
        return dialog_;
    }
    HWND List() const { return GetDlgItem(dialog_, IDC_STATES_LIST); }
    std::vector<LPARAM> Lines() const
    {
        std::vector<LPARAM> lines;
        for (int i = 0; i < SendMessageA(List(), LB_GETCOUNT, 0, 0); ++i)
            lines.push_back(SendMessageA(List(), LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        return lines;
    }
    void Select(std::initializer_list<int> lines)
    {
        for (int line : lines)
            SendMessageA(List(), LB_SETSEL, TRUE, line);
    }
    void Command(int id)
    {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
    }
    struct Entry {
        int kind, position;
        std::string name;
        bool operator==(const Entry&) const = default;
    };
    static std::vector<Entry> Entries()
    {
        std::vector<Entry> entries;
        for (int n = 0; n < ActiveEntryCount; ++n)
            entries.push_back({ActiveEntries[n].kind, ActiveEntries[n].position, ActiveEntries[n].name});
        return entries;
    }

    std::vector<uint8_t> users_, gateways_;
    HWND dialog_ = nullptr;
};

// The pixels of a line drawn by the window into a bitmap of the list's width.
struct DrawnLine {
    int width, height;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // The rightmost column holding a pixel other than `background`, or -1.
    int RightmostInk(COLORREF background) const
    {
        for (int x = width - 1; x >= 0; --x)
            for (int y = 0; y < height; ++y)
                if (At(x, y) != background)
                    return x;
        return -1;
    }
};

DrawnLine DrawLine(HWND dialog, int line, bool selected)
{
    HWND list = GetDlgItem(dialog, IDC_STATES_LIST);
    RECT client;
    GetClientRect(list, &client);
    int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = IDC_STATES_LIST;
    item.itemID = static_cast<UINT>(line);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hwndItem = list;
    item.hDC = dc;
    item.rcItem = {0, 0, client.right, height};
    item.itemData = static_cast<ULONG_PTR>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0));
    SendMessageA(dialog, WM_DRAWITEM, IDC_STATES_LIST, reinterpret_cast<LPARAM>(&item));
    DrawnLine drawn{client.right, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < client.right; ++x)
            drawn.pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return drawn;
}

RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Text(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

// The server's line when server.ini says it runs, then the active users and
// gateways by name, users first, each in position order.
TEST_F(StatesWindowTest, ListsTheServerThenTheActiveUsersThenTheActiveGateways)
{
    struct Case { const char* name; const char* state; bool serverLine; } cases[] = {
        {"running", "1", true}, {"running, other value", "-3", true}, {"stopped", "0", false},
        {"no key", nullptr, false}, {"no file", "", false}, {"not a number", "oui", false},
    };
    for (const Case& c : cases) {
        DeleteFileA(Path("\\server.ini").c_str());
        if (!c.state)
            WritePrivateProfileStringA("Serveur", "Autre", "1", Path("\\server.ini").c_str());
        else if (*c.state)
            SetServerState(c.state);
        ModalRecorder recorder;
        ASSERT_NE(Open(), nullptr);
        std::vector<LPARAM> expected = {0, 1, 2};
        if (c.serverLine)
            expected.insert(expected.begin(), -1);
        EXPECT_EQ(Lines(), expected) << c.name;
        EXPECT_EQ(Entries(), (std::vector<Entry>{{1, 0, "Durand"}, {1, 2, kLongName}, {2, 1, "Lyon"}})) << c.name;
        EXPECT_TRUE(recorder.Calls().empty()) << c.name;
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(StatesWindowTest, NothingActiveAndTheServerStoppedGivesAnEmptyList)
{
    WriteBytes(Path("\\ActUser.dat"), std::vector<uint8_t>(3000, 0));
    WriteBytes(Path("\\ActPass.dat"), std::vector<uint8_t>(152, 0));
    SetServerState("0");
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(ActiveEntryCount, 0);
}

// Every active record is listed, the table's 1008 entries at most; a record
// past the users of the table shows an empty name.
TEST_F(StatesWindowTest, EveryRecordActiveFillsTheWholeTable)
{
    WriteBytes(Path("\\ActUser.dat"), std::vector<uint8_t>(3000, 0xFF));
    WriteBytes(Path("\\ActPass.dat"), std::vector<uint8_t>(152, 0xFF));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ActiveEntryCount, 1008);
    EXPECT_EQ(SendMessageA(List(), LB_GETCOUNT, 0, 0), 1009);
    EXPECT_EQ(Entries()[999], (Entry{1, 999, ""}));
    EXPECT_EQ(Entries()[1000], (Entry{2, 0, "Paris"}));
    EXPECT_EQ(Entries()[1007], (Entry{2, 7, ""}));
}

// "&Désactiver" on the server line, a user and a gateway: "Etat" = 0 and the
// Active byte of exactly those records, nothing else of them, even what the
// server changed since the window read the files; the refilled list no
// longer shows them.
TEST_F(StatesWindowTest, DeactivatingClearsExactlyTheActiveBytes)
{
    ASSERT_NE(Open(), nullptr);
    // The server writes beside the flags meanwhile.
    users_[2] = 0, users_[8] = 1;
    gateways_[22] = 2;
    WriteBytes(Path("\\ActUser.dat"), users_);
    WriteBytes(Path("\\ActPass.dat"), gateways_);
    Select({0, 1, 3});  // the server, Durand, Lyon
    Command(IDC_STATES_DEACTIVATE);
    EXPECT_EQ(ChangedBytes(users_, ReadBytes(Path("\\ActUser.dat"))), std::vector<size_t>{0});
    EXPECT_EQ(ChangedBytes(gateways_, ReadBytes(Path("\\ActPass.dat"))), std::vector<size_t>{19});
    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat"))[0], 0);
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat"))[19], 0);
    EXPECT_EQ(IniText(Path("\\server.ini"), "Serveur", "Etat"), "0");
    EXPECT_EQ(Entries(), (std::vector<Entry>{{1, 2, kLongName}}));
    EXPECT_EQ(Lines(), (std::vector<LPARAM>{0}));
}

TEST_F(StatesWindowTest, DeactivatingAUserLeavesTheServerLine)
{
    ASSERT_NE(Open(), nullptr);
    Select({2});  // the long name
    Command(IDC_STATES_DEACTIVATE);
    EXPECT_EQ(ChangedBytes(users_, ReadBytes(Path("\\ActUser.dat"))), std::vector<size_t>{6});
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), gateways_);
    EXPECT_EQ(IniText(Path("\\server.ini"), "Serveur", "Etat"), "1");
    EXPECT_EQ(Lines(), (std::vector<LPARAM>{-1, 0, 1}));
}

// Lines whose item data the table no longer holds (it was rebuilt while they
// showed) are neither drawn nor switched off.
TEST_F(StatesWindowTest, LinesOutsideTheTableAreLeftAlone)
{
    ASSERT_NE(Open(), nullptr);
    SendMessageA(List(), LB_RESETCONTENT, 0, 0);
    for (LPARAM data : {LPARAM{3}, LPARAM{1007}, LPARAM{-7}, LPARAM{100000}})
        SendMessageA(List(), LB_ADDSTRING, 0, data);
    SendMessageA(List(), LB_SELITEMRANGE, TRUE, MAKELPARAM(0, 3));
    for (int line = 0; line < 4; ++line) {
        DrawnLine drawn = DrawLine(dialog_, line, false);
        EXPECT_EQ(drawn.RightmostInk(GetSysColor(COLOR_BTNFACE)), -1) << "line " << line;
    }
    Command(IDC_STATES_DEACTIVATE);
    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat")), users_);
    EXPECT_EQ(ReadBytes(Path("\\ActPass.dat")), gateways_);
    EXPECT_EQ(IniText(Path("\\server.ini"), "Serveur", "Etat"), "1");
}

// With a list 410 pixels wide the usable width is 400: each header is
// 199 + 5 = 204 pixels wide, the second 204 pixels right of the first, both
// in the 20 pixels above the list.
TEST_F(StatesWindowTest, HeadersSitAboveTheListHalfEach)
{
    ASSERT_NE(Open(), nullptr);
    HWND type = GetDlgItem(dialog_, IDC_STATES_TYPE_HEADER);
    HWND name = GetDlgItem(dialog_, IDC_STATES_NAME_HEADER);
    ASSERT_TRUE(type && name);
    EXPECT_EQ(Text(type), "Type");
    EXPECT_EQ(Text(name), "Nom");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(type, WM_GETFONT, 0, 0)), GuiFont);
    RECT list = ChildRect(List());
    RECT t = ChildRect(type), n = ChildRect(name);
    int half = static_cast<int>((list.right - list.left - 10) * 0.0099999998 * 50);
    EXPECT_EQ(t.left, list.left);
    EXPECT_EQ(t.top, list.top - 20);
    EXPECT_EQ(t.bottom, list.top);
    EXPECT_EQ(t.right - t.left, half + 5);
    EXPECT_EQ(n.left, list.left + half + 5);

    LayoutStateHeaders(dialog_, 30, 60, 410);
    t = ChildRect(type), n = ChildRect(name);
    EXPECT_EQ(t.left, 30);
    EXPECT_EQ(t.top, 40);
    EXPECT_EQ(t.right - t.left, 204);
    EXPECT_EQ(t.bottom - t.top, 20);
    EXPECT_EQ(n.left, 30 + 204);
    EXPECT_EQ(n.right - n.left, 204);
    EXPECT_EQ(n.top, 40);
}

// A name wider than its column is cut with "..." so that it ends within the
// second column; the kind stays in the first. A selected line is drawn in
// the window colour on black.
TEST_F(StatesWindowTest, LinesAreDrawnWithinTheirColumns)
{
    ASSERT_NE(Open(), nullptr);
    MoveWindow(List(), 10, 40, 250, 100, TRUE);
    RECT client;
    GetClientRect(List(), &client);
    int usable = client.right - 10;
    int column = static_cast<int>(usable * 0.0099999998 * 50);

    DrawnLine longName = DrawLine(dialog_, 2, false);  // the long name
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int ink = longName.RightmostInk(face);
    EXPECT_GT(ink, column + 5) << "the name is drawn in the second column";
    EXPECT_LT(ink, column + 5 + column) << "and ends within it";

    DrawnLine server = DrawLine(dialog_, 0, false);
    EXPECT_GT(server.RightmostInk(face), 0);
    EXPECT_LT(server.RightmostInk(face), column);

    DrawnLine selected = DrawLine(dialog_, 1, true);
    EXPECT_EQ(selected.At(selected.width - 1, 0), RGB(0, 0, 0));
    bool windowColourText = false;
    for (COLORREF pixel : selected.pixels)
        windowColourText |= pixel == GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(windowColourText);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(
                  SendMessageA(dialog_, WM_CTLCOLORLISTBOX, 0, reinterpret_cast<LPARAM>(List()))),
              FaceBrush);
}

TEST_F(StatesWindowTest, RefreshRebuildsTheList)
{
    ASSERT_NE(Open(), nullptr);
    users_[3] = 1;  // Martin connects
    WriteBytes(Path("\\ActUser.dat"), users_);
    SetServerState("0");
    EXPECT_EQ(Lines().size(), 4u);
    Command(IDC_STATES_REFRESH);
    EXPECT_EQ(Entries(),
              (std::vector<Entry>{{1, 0, "Durand"}, {1, 1, "Martin"}, {1, 2, kLongName}, {2, 1, "Lyon"}}));
    EXPECT_EQ(Lines(), (std::vector<LPARAM>{0, 1, 2, 3}));
}

// "A&ide" and F1 open topic 108; "&Fermer" and closing end the window with 1.
TEST_F(StatesWindowTest, HelpAndClosing)
{
    {
        ModalRecorder recorder;
        ASSERT_NE(Open(), nullptr);
        Command(IDC_STATES_HELP);
        Command(ID_HELP_KEY);
        ASSERT_EQ(recorder.Calls().size(), 2u);
        for (const ModalCall& call : recorder.Calls()) {
            EXPECT_EQ(call.kind, "help");
            EXPECT_EQ(call.text, Path("\\admin.hlp"));
            EXPECT_EQ(call.type, static_cast<UINT>(HELP_CONTEXT));
            EXPECT_EQ(call.data, 108u);
        }
        EXPECT_EQ(Text(GetDlgItem(dialog_, IDOK)), "&Fermer");
        EXPECT_EQ(Text(GetDlgItem(dialog_, IDC_STATES_REFRESH)), "&Rafraichir");
        EXPECT_EQ(Text(GetDlgItem(dialog_, IDC_STATES_DEACTIVATE)), "&D\xE9sactiver");
        EXPECT_EQ(Text(GetDlgItem(dialog_, IDC_STATES_HELP)), "A&ide");
        EXPECT_EQ(Text(dialog_), "Gestion des \xE9tats");
        LONG style = GetWindowLongA(List(), GWL_STYLE);
        EXPECT_TRUE(style & LBS_EXTENDEDSEL);
        EXPECT_TRUE(style & LBS_OWNERDRAWFIXED);
        EXPECT_FALSE(style & LBS_HASSTRINGS);
    }
    for (int button : {IDOK, IDCANCEL}) {
        DialogDriver driver;
        driver.Then("Gestion des \xE9tats", button == IDOK ? +[](HWND d) { PressButton(d, IDOK); }
                                                           : +[](HWND d) { SendDialogKey(d, IDCANCEL); });
        INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_STATES), nullptr, StatesDialog, 0);
        EXPECT_EQ(result, 1) << button;
        EXPECT_EQ(driver.StepsDone(), 1) << button;
    }
}
