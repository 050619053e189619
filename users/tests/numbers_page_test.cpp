#include "users/numbers_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "base/app.h"
#include "tests/wine/test_support.h"
#include "users/number_pool.h"
#include "users/numbers_file.h"
#include "users/tests/reseau_fixture.h"
#include "users/users_window_state.h"

using namespace reseau_fixture;

namespace {

const char* const kFull = "Le nombre maximum de numéros est atteint.";

// Stands for the users window: the real template and a state of its own, with
// the page's commands routed to the page as the window routes them.
INT_PTR CALLBACK TestUsersDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    UsersWindowState* state = UsersWindowStateOf(dialog);
    switch (message) {
    case WM_INITDIALOG:
        AttachUsersWindowState(dialog, reinterpret_cast<UsersWindowState*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 16;
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_INSERT_NUMBER: InsertPoolNumbers(dialog, state->EditNumbers); return TRUE;
        case IDC_REMOVE_NUMBER: RemoveUserNumbers(dialog, state->EditNumbers); return TRUE;
        case IDC_NEW_NUMBER:    AddPoolNumber(dialog); return TRUE;
        }
        break;
    }
    return FALSE;
}

std::vector<std::string> Rows(HWND list)
{
    std::vector<std::string> rows;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

std::vector<std::string> Entries(const NumbersRecord& record)
{
    std::vector<std::string> entries;
    for (uint32_t k = 0; k < record.count && k < 40; ++k)
        entries.push_back(std::string(record.numbers[k], strnlen(record.numbers[k], 20)));
    return entries;
}

std::vector<std::string> Numbered(const char* prefix, int count)
{
    std::vector<std::string> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(prefix + std::to_string(i));
    return numbers;
}

// The entries from the count on must be zero bytes, as the file stores them.
bool TailIsZero(const NumbersRecord& record)
{
    const char* bytes = &record.numbers[0][0];
    for (size_t at = record.count * 20; at < 40 * 20; ++at)
        if (bytes[at] != 0)
            return false;
    return true;
}

std::string FileText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

class NumbersPageTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        WNDCLASSA pool;
        if (!GetClassInfoA(AppInstance, "listboxchar", &pool)) {
            ASSERT_TRUE(RegisterNumberPoolClass(AppInstance));
        }
        state_ = UsersWindowState{};
        dialog_ = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_USERS), nullptr, TestUsersDialog,
                                     reinterpret_cast<LPARAM>(&state_));
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        ProgramDirTest::TearDown();
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::string Ini() const { return Path("\\admin.ini"); }

    void SetKey(int k, const char* value)
    {
        WritePrivateProfileStringA("AUTORISE", ("NUM" + std::to_string(k)).c_str(), value, Ini().c_str());
    }
    std::string Key(int k) const { return IniText(Ini(), "AUTORISE", ("NUM" + std::to_string(k)).c_str()); }
    bool HasKey(int k) const
    {
        char text[16];
        std::string key = "NUM" + std::to_string(k);
        GetPrivateProfileStringA("AUTORISE", key.c_str(), "absent", text, sizeof text, Ini().c_str());
        return std::string(text) != "absent";
    }

    void AddRows(int id, const std::vector<std::string>& rows)
    {
        for (const std::string& row : rows)
            SendMessageA(Item(id), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    }
    void SelectRows(int id, const std::vector<int>& rows)
    {
        for (int row : rows)
            SendMessageA(Item(id), LB_SETSEL, TRUE, row);
    }
    void SelectUser()
    {
        AddRows(IDC_USERS_LIST, {"Poste1"});
        SendMessageA(Item(IDC_USERS_LIST), LB_SETCURSEL, 0, 0);
    }
    void SetEditNumbers(const std::vector<std::string>& numbers)
    {
        state_.EditNumbers = NumbersRecord{};
        for (size_t k = 0; k < numbers.size(); ++k)
            std::strncpy(state_.EditNumbers.numbers[k], numbers[k].c_str(), 19);
        state_.EditNumbers.count = static_cast<uint32_t>(numbers.size());
    }

    UsersWindowState state_;
    HWND dialog_ = nullptr;
};

TEST_F(NumbersPageTest, PageShowsItsControlsAndEnablesTheUsersListOnlyWhenEditing)
{
    struct Control { int id; bool enabledBrowsing; bool enabledHidden; };
    const Control controls[] = {
        {IDC_USER_NUMBERS_LABEL, true, true}, {IDC_USER_NUMBERS, false, false}, {IDC_POOL_LABEL, true, true},
        {IDC_POOL, true, true},              {IDC_INSERT_NUMBER, false, false}, {IDC_REMOVE_NUMBER, false, false},
        {IDC_NEW_NUMBER, true, true},
    };
    auto visible = [&](int id) { return (GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; };

    ShowNumbersPage(dialog_, 1);
    for (const Control& c : controls) {
        EXPECT_TRUE(visible(c.id)) << c.id;
        EXPECT_TRUE(IsWindowEnabled(Item(c.id))) << c.id;
    }
    ShowNumbersPage(dialog_, 0);
    for (const Control& c : controls) {
        EXPECT_TRUE(visible(c.id)) << c.id;
        EXPECT_EQ(IsWindowEnabled(Item(c.id)) != 0, c.enabledBrowsing) << c.id;
    }
    ShowNumbersPage(dialog_, 1);
    HideNumbersPage(dialog_);
    for (const Control& c : controls) {
        EXPECT_FALSE(visible(c.id)) << c.id;
        EXPECT_EQ(IsWindowEnabled(Item(c.id)) != 0, c.enabledHidden) << c.id;
    }
}

TEST_F(NumbersPageTest, FillingShowsTheUsersNumbersAndThePoolWithoutEmptyValues)
{
    SetKey(0, "0800");
    SetKey(1, "3615");
    SetKey(2, "");
    SetKey(5, "0899");
    SetKey(40, "beyond the pool");
    SetEditNumbers({"112", "0612345678"});
    state_.EditNumbers.count = 1;  // what lies past the count is not the user's
    AddRows(IDC_USER_NUMBERS, {"stale"});
    AddRows(IDC_POOL, {"stale"});

    FillNumbersPage(dialog_, state_.EditNumbers);

    EXPECT_EQ(Rows(Item(IDC_USER_NUMBERS)), (std::vector<std::string>{"112"}));
    EXPECT_EQ(Rows(Item(IDC_POOL)), (std::vector<std::string>{"0800", "3615", "0899"}));
}

TEST_F(NumbersPageTest, InsertingCopiesTheSelectedPoolNumbersIntoTheUsersList)
{
    const std::string longNumber = "0123456789012345678901234";  // 25 characters
    const std::string cut = longNumber.substr(0, 19);
    std::vector<std::string> full39 = Numbered("n", 39);
    std::vector<std::string> full39PlusA = full39;
    full39PlusA.push_back("a");

    struct Case {
        const char* name;
        std::vector<std::string> user;
        std::vector<std::string> pool;
        std::vector<int> selected;
        bool userSelected;
        std::vector<std::string> expected;
        size_t messages;
    };
    const Case cases[] = {
        {"selected rows in pool order", {"1"}, {"10", "20", "30"}, {2, 0}, true, {"1", "10", "30"}, 0},
        {"a number already held adds nothing", {"10"}, {"10", "20"}, {0}, true, {"10"}, 0},
        {"three onto 39: one added, two refused", full39, {"a", "b", "c"}, {0, 1, 2}, true, full39PlusA, 2},
        {"40 numbers: each selected row refused", Numbered("n", 40), {"a", "b"}, {0, 1}, true, Numbered("n", 40), 2},
        {"a long number is cut to 19", {"1"}, {longNumber}, {0}, true, {"1", cut}, 0},
        {"a cut number already held adds nothing", {cut}, {longNumber}, {0}, true, {cut}, 0},
        {"an empty pool row adds nothing", {}, {"", "5"}, {0, 1}, true, {"5"}, 0},
        {"no user selected: nothing", {"1"}, {"10"}, {0}, false, {"1"}, 0},
    };
    for (const Case& c : cases) {
        SendMessageA(Item(IDC_USERS_LIST), LB_RESETCONTENT, 0, 0);
        SendMessageA(Item(IDC_POOL), LB_RESETCONTENT, 0, 0);
        if (c.userSelected)
            SelectUser();
        SetEditNumbers(c.user);
        FillUserNumbersList(dialog_, state_.EditNumbers);
        AddRows(IDC_POOL, c.pool);
        SelectRows(IDC_POOL, c.selected);
        ModalRecorder modal;

        InsertPoolNumbers(dialog_, state_.EditNumbers);

        EXPECT_EQ(Entries(state_.EditNumbers), c.expected) << c.name;
        EXPECT_EQ(Rows(Item(IDC_USER_NUMBERS)), c.expected) << c.name;
        EXPECT_TRUE(TailIsZero(state_.EditNumbers)) << c.name;
        ASSERT_EQ(modal.Calls().size(), c.messages) << c.name;
        for (const ModalCall& call : modal.Calls()) {
            EXPECT_EQ(call.text, kFull) << c.name;
            EXPECT_EQ(call.caption, "Attention") << c.name;
            EXPECT_EQ(call.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION)) << c.name;
            EXPECT_EQ(call.owner, dialog_) << c.name;
        }
    }
}

TEST_F(NumbersPageTest, RemovingDropsTheSelectedNumbersAndKeepsTheOthersInOrder)
{
    SelectUser();
    SetEditNumbers({"a", "b", "c", "d", "e"});
    FillUserNumbersList(dialog_, state_.EditNumbers);
    SelectRows(IDC_USER_NUMBERS, {1, 2, 4});

    RemoveUserNumbers(dialog_, state_.EditNumbers);

    EXPECT_EQ(Entries(state_.EditNumbers), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(state_.EditNumbers.count, 2u);
    EXPECT_TRUE(TailIsZero(state_.EditNumbers));
    EXPECT_EQ(Rows(Item(IDC_USER_NUMBERS)), (std::vector<std::string>{"a", "d"}));

    // The last of forty goes too, and nothing is read past the record.
    SetEditNumbers(Numbered("n", 40));
    FillUserNumbersList(dialog_, state_.EditNumbers);
    SelectRows(IDC_USER_NUMBERS, {0, 39});
    RemoveUserNumbers(dialog_, state_.EditNumbers);
    std::vector<std::string> left = Numbered("n", 39);
    left.erase(left.begin());
    EXPECT_EQ(Entries(state_.EditNumbers), left);
    EXPECT_TRUE(TailIsZero(state_.EditNumbers));
}

TEST_F(NumbersPageTest, RemovingWithoutASelectedUserChangesNothing)
{
    SetEditNumbers({"a", "b"});
    FillUserNumbersList(dialog_, state_.EditNumbers);
    SelectRows(IDC_USER_NUMBERS, {0});
    RemoveUserNumbers(dialog_, state_.EditNumbers);
    EXPECT_EQ(Entries(state_.EditNumbers), (std::vector<std::string>{"a", "b"}));
}

TEST_F(NumbersPageTest, DeleteKeyRemovesTheFocusedPoolNumberAndRewritesTheKeys)
{
    struct Case {
        const char* name;
        std::map<int, std::string> keys;
        int focus;
        std::vector<std::string> rows;        // after the removal
        std::map<int, std::string> expected;  // keys 0 to 39 not listed must be empty
    };
    const Case cases[] = {
        {"second of four", {{0, "a"}, {1, "b"}, {2, "c"}, {3, "d"}}, 1, {"a", "c", "d"},
         {{0, "a"}, {1, "c"}, {2, "d"}}},
        {"last of three", {{0, "a"}, {1, "b"}, {2, "c"}}, 2, {"a", "b"}, {{0, "a"}, {1, "b"}}},
        {"keys after a gap close up", {{0, "a"}, {2, "x"}, {7, "y"}}, 0, {"x", "y"}, {{0, "x"}, {1, "y"}}},
    };
    for (const Case& c : cases) {
        DeleteFileA(Ini().c_str());
        for (const auto& [k, value] : c.keys)
            SetKey(k, value.c_str());
        ReadNumberPool(dialog_);
        SendMessageA(Item(IDC_POOL), LB_SETCARETINDEX, c.focus, FALSE);

        SendMessageA(Item(IDC_POOL), WM_KEYDOWN, VK_DELETE, 0);

        EXPECT_EQ(Rows(Item(IDC_POOL)), c.rows) << c.name;
        for (int k = 0; k < 40; ++k) {
            auto found = c.expected.find(k);
            EXPECT_EQ(Key(k), found == c.expected.end() ? "" : found->second) << c.name << " NUM" << k;
        }
        ReadNumberPool(dialog_);
        EXPECT_EQ(Rows(Item(IDC_POOL)), c.rows) << c.name << ", read again";
    }
}

TEST_F(NumbersPageTest, DeleteKeyOnAnEmptyPoolChangesNothing)
{
    SetKey(3, "");
    std::vector<uint8_t> before = ReadBytes(Ini());
    ReadNumberPool(dialog_);
    SendMessageA(Item(IDC_POOL), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(SendMessageA(Item(IDC_POOL), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(ReadBytes(Ini()), before);
}

TEST_F(NumbersPageTest, DoubleClickInThePoolInsertsOnlyInEditMode)
{
    SelectUser();
    SetEditNumbers({"1"});
    FillUserNumbersList(dialog_, state_.EditNumbers);
    AddRows(IDC_POOL, {"a", "b", "c"});
    SelectRows(IDC_POOL, {0, 2});

    state_.EditMode = 0;
    SendMessageA(Item(IDC_POOL), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Entries(state_.EditNumbers), (std::vector<std::string>{"1"}));
    EXPECT_EQ(SendMessageA(Item(IDC_POOL), LB_GETSELCOUNT, 0, 0), 2) << "the list's own double click ran";

    state_.EditMode = 1;
    SendMessageA(Item(IDC_POOL), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Entries(state_.EditNumbers), (std::vector<std::string>{"1", "a", "c"}));
    EXPECT_EQ(Rows(Item(IDC_USER_NUMBERS)), (std::vector<std::string>{"1", "a", "c"}));
}

namespace {
HWND NewNumberOwner;
LRESULT NewNumberLimit;
void TypeLongNumber(HWND dialog)
{
    NewNumberOwner = GetWindow(dialog, GW_OWNER);
    NewNumberLimit = SendDlgItemMessageA(dialog, IDC_NEW_NUMBER_TEXT, EM_GETLIMITTEXT, 0, 0);
    SetItemText(dialog, IDC_NEW_NUMBER_TEXT, "0123456789012345678901234");
    PressButton(dialog, IDOK);
}
void TypeNumber(HWND dialog)
{
    SetItemText(dialog, IDC_NEW_NUMBER_TEXT, "0612");
    PressButton(dialog, IDOK);
}
void ConfirmEmpty(HWND dialog)
{
    PressButton(dialog, IDOK);
}
void TypeThenCancel(HWND dialog)
{
    SetItemText(dialog, IDC_NEW_NUMBER_TEXT, "0612");
    PressButton(dialog, IDCANCEL);
}
void TypeThenClose(HWND dialog)
{
    SetItemText(dialog, IDC_NEW_NUMBER_TEXT, "0612");
    SendMessageA(dialog, WM_CLOSE, 0, 0);
}
}  // namespace

TEST_F(NumbersPageTest, InsertKeyAddsANewNumberAtTheEndOfThePool)
{
    SetKey(0, "0800");
    ReadNumberPool(dialog_);
    DialogDriver driver;
    driver.Then("Nouveau numéro", TypeNumber);

    SendMessageA(Item(IDC_POOL), WM_KEYDOWN, VK_INSERT, 0);

    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(driver.Unexpected(), 0);
    EXPECT_EQ(Rows(Item(IDC_POOL)), (std::vector<std::string>{"0800", "0612"}));
    EXPECT_EQ(Key(0), "0800");
    EXPECT_EQ(Key(1), "0612");
}

TEST_F(NumbersPageTest, NewNumberIsOwnedByTheWindowAndHoldsNineteenCharacters)
{
    DialogDriver driver;
    driver.Then("Nouveau numéro", TypeLongNumber);
    ShowNumbersPage(dialog_, 0);
    PressButton(dialog_, IDC_NEW_NUMBER);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(NewNumberOwner, dialog_);
    EXPECT_EQ(NewNumberLimit, 19);
    EXPECT_EQ(Rows(Item(IDC_POOL)), (std::vector<std::string>{"0123456789012345678"}));
    EXPECT_EQ(Key(0), "0123456789012345678");
}

TEST_F(NumbersPageTest, NewNumberConfirmedEmptyOrDroppedLeavesNoNumber)
{
    struct Case {
        const char* name;
        DialogDriver::Action action;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"empty field confirmed", ConfirmEmpty, {"0800", ""}},
        {"Annuler", TypeThenCancel, {"0800"}},
        {"close request", TypeThenClose, {"0800"}},
    };
    for (const Case& c : cases) {
        DeleteFileA(Ini().c_str());
        SetKey(0, "0800");
        ReadNumberPool(dialog_);
        DialogDriver driver;
        driver.Then("Nouveau numéro", c.action);

        ShowNumbersPage(dialog_, 0);
        PressButton(dialog_, IDC_NEW_NUMBER);

        EXPECT_EQ(driver.StepsDone(), 1) << c.name;
        EXPECT_EQ(Rows(Item(IDC_POOL)), c.rows) << c.name;
        EXPECT_EQ(Key(0), "0800") << c.name;
        EXPECT_EQ(Key(1), "") << c.name;
        ReadNumberPool(dialog_);
        EXPECT_EQ(Rows(Item(IDC_POOL)), (std::vector<std::string>{"0800"})) << c.name << ", read again";
    }
    // The empty row was written as an empty value, not left out.
    DeleteFileA(Ini().c_str());
    SetKey(0, "0800");
    ReadNumberPool(dialog_);
    DialogDriver driver;
    driver.Then("Nouveau numéro", ConfirmEmpty);
    ShowNumbersPage(dialog_, 0);
    PressButton(dialog_, IDC_NEW_NUMBER);
    EXPECT_NE(FileText(Ini()).find("NUM1=\r\n"), std::string::npos) << FileText(Ini());
}

TEST_F(NumbersPageTest, NewNumberIsRefusedWhenThePoolHoldsForty)
{
    for (int k = 0; k < 40; ++k)
        SetKey(k, ("p" + std::to_string(k)).c_str());
    ReadNumberPool(dialog_);
    ModalRecorder modal;
    DialogDriver driver;

    ShowNumbersPage(dialog_, 0);
    PressButton(dialog_, IDC_NEW_NUMBER);

    EXPECT_EQ(driver.StepsDone(), 0);
    EXPECT_EQ(driver.Unexpected(), 0) << "the dialog was shown";
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, kFull);
    EXPECT_EQ(modal.Calls()[0].caption, "Attention");
    EXPECT_EQ(modal.Calls()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Rows(Item(IDC_POOL)).size(), 40u);
    EXPECT_FALSE(HasKey(40));
}

TEST_F(NumbersPageTest, WritingThePoolStopsAtNum39AndClearsLeftOverKeys)
{
    AddRows(IDC_POOL, Numbered("p", 45));
    WriteNumberPool(dialog_);
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(Key(k), "p" + std::to_string(k)) << k;
    EXPECT_EQ(FileText(Ini()).find("NUM40"), std::string::npos);

    // A hand-edited file with values after a gap: a shorter pool leaves none.
    SetKey(12, "left");
    SetKey(39, "over");
    SendMessageA(Item(IDC_POOL), LB_RESETCONTENT, 0, 0);
    AddRows(IDC_POOL, {"a", "b"});
    WriteNumberPool(dialog_);
    ReadNumberPool(dialog_);
    EXPECT_EQ(Rows(Item(IDC_POOL)), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Key(12), "");
    EXPECT_EQ(Key(39), "");
}

class NumbersCopyTest : public ProgramDirTest {
protected:
    std::string Numbers() const { return Path("\\NumAut.dat"); }
    std::string Copy() const { return Path("\\NumAut.sav"); }

    static std::vector<uint8_t> NumbersImage(uint32_t head, const std::string& first)
    {
        std::vector<uint8_t> bytes(804004, 0);
        Put32(bytes, 0, head);
        Put32(bytes, 4, 1);
        PutBytes(bytes, 8, first);
        return bytes;
    }
};

// The copy made when the users window opens is the file as it was; the
// window never changes the file itself before "OK" (it edits a work copy),
// so nothing is ever put back from it.
TEST_F(NumbersCopyTest, SavedCopyIsTheFileAsItWas)
{
    std::vector<uint8_t> opened = NumbersImage(3, "0800");
    WriteBytes(Numbers(), opened);
    WriteBytes(Copy(), NumbersImage(9, "older copy"));

    SaveNumbersCopy();
    EXPECT_EQ(ReadBytes(Copy()), opened);
    EXPECT_EQ(ReadBytes(Numbers()), opened);

    DeleteNumbersCopy();
    EXPECT_FALSE(Exists(Copy()));
    EXPECT_EQ(ReadBytes(Numbers()), opened);
}

TEST_F(NumbersCopyTest, NoFileToSaveLeavesNoStaleCopy)
{
    WriteBytes(Copy(), NumbersImage(2, "from another day"));
    SaveNumbersCopy();
    EXPECT_FALSE(Exists(Copy()));
    EXPECT_FALSE(Exists(Numbers()));
}
