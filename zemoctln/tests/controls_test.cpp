// The dialog controls of zemoctln.dll on a real dialog built in the test, the
// way the users window drives its tabs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/wine/test_support.h"
#include "tests/wine/test_pixels.h"
#include "zemoctln/zemoctln.h"

namespace {

constexpr int kFrame = 2000;
constexpr int kOtherFrame = 2001;
constexpr int kSeparator = 2002;
constexpr int kConfigurationTab = 301;
constexpr int kNumbersTab = 302;
constexpr int kOtherTab = 303;

// An in-memory dialog template (DLGTEMPLATE and DLGITEMTEMPLATE records).
class DialogTemplate {
public:
    explicit DialogTemplate(short width, short height)
    {
        AddDword(WS_POPUP | WS_VISIBLE | DS_SETFONT | DS_MODALFRAME);
        AddDword(0);
        count_ = words_.size();
        words_.push_back(0);  // item count, filled as items come
        for (short value : {short(0), short(0), width, height})
            words_.push_back(static_cast<WORD>(value));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // standard class
        AddText(L"Test");
        words_.push_back(8);
        AddText(L"MS Sans Serif");
    }
    void Add(const wchar_t* className, const wchar_t* text, int id, DWORD style, short x, short y, short cx, short cy)
    {
        if (words_.size() % 2)
            words_.push_back(0);
        AddDword(WS_CHILD | WS_VISIBLE | style);
        AddDword(0);
        for (short value : {x, y, cx, cy})
            words_.push_back(static_cast<WORD>(value));
        words_.push_back(static_cast<WORD>(id));
        AddText(className);
        AddText(text);
        words_.push_back(0);  // no creation data
        ++words_[count_];
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddDword(DWORD value)
    {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void AddText(const wchar_t* text)
    {
        for (; *text; ++text)
            words_.push_back(static_cast<WORD>(*text));
        words_.push_back(0);
    }
    std::vector<WORD> words_;
    size_t count_ = 0;
};

struct Command {
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Command> commands;

INT_PTR CALLBACK RecordingDialog(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        commands.push_back({wParam, lParam});
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

class TabDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Start-up has registered the classes already; a second call is harmless.
        ASSERT_NE(ZemoInitControls(), 0);
        DialogTemplate form(260, 160);
        form.Add(L"Onglet32", L"Confi&guration", kConfigurationTab, WS_TABSTOP, 10, 8, 60, 14);
        form.Add(L"Onglet32", L"&Numéros", kNumbersTab, WS_TABSTOP, 70, 8, 60, 14);
        form.Add(L"Onglet32", L"Autre", kOtherTab, WS_TABSTOP, 140, 8, 60, 14);
        form.Add(L"NiceBox32", L"", kFrame, 0, 10, 21, 190, 100);
        form.Add(L"NiceBox32", L"", kOtherFrame, 0, 205, 21, 50, 100);
        form.Add(L"NiceBox32", L"", kSeparator, 0, 10, 130, 190, 1);
        commands.clear();
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), form.Get(), nullptr, RecordingDialog, 0);
        ASSERT_NE(dialog_, nullptr) << "error " << GetLastError();
        PumpMessages();
    }
    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        PumpMessages();
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    void AttachTabs()
    {
        SendMessageA(Item(kConfigurationTab), kTabAttachFrame, kFrame, 0);
        SendMessageA(Item(kNumbersTab), kTabAttachFrame, kFrame, 0);
        SendMessageA(Item(kOtherTab), kTabAttachFrame, kOtherFrame, 0);
    }
    std::string SelectedTabs() const
    {
        std::string selected;
        for (int id : {kConfigurationTab, kNumbersTab, kOtherTab})
            if (SendMessageA(Item(id), kTabIsSelected, 0, 0))
                selected += std::to_string(id) + " ";
        return selected;
    }

    HWND dialog_ = nullptr;
};

TEST_F(TabDialogTest, SelectingATabUnselectsOnlyTheTabsOfItsFrame)
{
    AttachTabs();
    EXPECT_EQ(SelectedTabs(), "");
    const struct {
        int tab;
        const char* selected;
    } steps[] = {
        {kConfigurationTab, "301 "},
        {kNumbersTab, "302 "},
        {kOtherTab, "302 303 "},
        {kConfigurationTab, "301 303 "},
        {kConfigurationTab, "301 303 "},
    };
    for (const auto& step : steps) {
        SendMessageA(Item(step.tab), kTabSelect, 1, 0);
        EXPECT_EQ(SelectedTabs(), step.selected) << "after selecting " << step.tab;
    }
    EXPECT_TRUE(commands.empty()) << "selecting by message sends no command";
}

TEST_F(TabDialogTest, TheTabThatLosesTheSelectionIsRedrawn)
{
    AttachTabs();
    SendMessageA(Item(kConfigurationTab), kTabSelect, 1, 0);
    PumpMessages();
    for (int id : {kConfigurationTab, kNumbersTab, kOtherTab})
        ASSERT_TRUE(ValidateRect(Item(id), nullptr));

    SendMessageA(Item(kNumbersTab), kTabSelect, 1, 0);
    EXPECT_TRUE(GetUpdateRect(Item(kConfigurationTab), nullptr, FALSE)) << "the unselected tab";
    EXPECT_TRUE(GetUpdateRect(Item(kNumbersTab), nullptr, FALSE)) << "the selected tab";
    EXPECT_FALSE(GetUpdateRect(Item(kOtherTab), nullptr, FALSE)) << "a tab of another frame";
}

TEST_F(TabDialogTest, ClickingATabSelectsItAndSendsItsCommandToTheDialog)
{
    AttachTabs();
    const struct {
        const char* how;
        bool enabled;
        size_t commands;
    } cases[] = {{"mouse", true, 1}, {"space key", true, 1}, {"mnemonic", true, 1}, {"mouse", false, 0}};
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << test.how << (test.enabled ? "" : " on a disabled tab"));
        HWND numbers = Item(kNumbersTab);
        SendMessageA(Item(kConfigurationTab), kTabSelect, 1, 0);
        EnableWindow(numbers, test.enabled);
        commands.clear();
        if (std::strcmp(test.how, "mouse") == 0) {
            SendMessageA(numbers, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
            SendMessageA(numbers, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
        } else if (std::strcmp(test.how, "space key") == 0) {
            SetFocus(numbers);
            SendMessageA(numbers, WM_KEYDOWN, VK_SPACE, 0);
            SendMessageA(numbers, WM_KEYUP, VK_SPACE, 0);
        } else {
            // Alt+N, as the dialog's message loop hands it over.
            SetFocus(Item(kConfigurationTab));
            MSG message{Item(kConfigurationTab), WM_SYSCHAR, 'n', 1 << 29, 0, {0, 0}};
            EXPECT_TRUE(IsDialogMessageA(dialog_, &message));
        }
        PumpMessages();
        ASSERT_EQ(commands.size(), test.commands);
        if (test.commands) {
            EXPECT_EQ(LOWORD(commands[0].wParam), kNumbersTab);
            EXPECT_EQ(HIWORD(commands[0].wParam), BN_CLICKED);
            EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(numbers));
            EXPECT_EQ(SelectedTabs(), "302 ");
        } else {
            EXPECT_EQ(SelectedTabs(), "301 ");
        }
        EnableWindow(numbers, TRUE);
    }
}

// The frame's inside belongs to the pages shown in it: the frame draws its
// etched edges only; a frame a pixel or two high is a separator line.
TEST_F(TabDialogTest, FrameDrawsOnlyItsEdgesAndAThinOneIsASeparator)
{
    const COLORREF untouched = RGB(1, 2, 3);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int id : {kFrame, kSeparator}) {
        SCOPED_TRACE(testing::Message() << "frame " << id);
        RECT area;
        GetClientRect(Item(id), &area);
        Canvas canvas(area.right, area.bottom);
        HBRUSH fill = CreateSolidBrush(untouched);
        FillRect(canvas.Dc(), &area, fill);
        DeleteObject(fill);
        SendMessageA(Item(id), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        PixelImage drawn = canvas.Take();
        ASSERT_GT(drawn.width, 20);
        int middle = drawn.width / 2;
        if (id == kFrame) {
            ASSERT_GT(drawn.height, 20);
            EXPECT_EQ(drawn.At(middle, 0), shadow);
            EXPECT_EQ(drawn.At(middle, 1), highlight);
            EXPECT_EQ(drawn.At(0, drawn.height / 2), shadow);
            EXPECT_EQ(drawn.At(drawn.width - 1, drawn.height / 2), highlight);
            for (int y = 3; y < drawn.height - 3; ++y)
                for (int x = 3; x < drawn.width - 3; ++x)
                    ASSERT_EQ(drawn.At(x, y), untouched) << "inside at " << x << "," << y;
        } else {
            ASSERT_LE(drawn.height, 4);
            for (int x = 0; x < drawn.width; ++x) {
                ASSERT_EQ(drawn.At(x, 0), shadow) << x;
                if (drawn.height > 1) {
                    ASSERT_EQ(drawn.At(x, 1), highlight) << x;
                }
            }
        }
    }
}

}  // namespace
