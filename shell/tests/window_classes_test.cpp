#include "shell/window_classes.h"
#include "base/window_utils.h"

#include <gtest/gtest.h>

#include "journal/journal_view.h"
#include "shell/main_window.h"
#include "shell/tooltips.h"
#include "users/number_pool.h"

namespace {

WNDCLASSA ClassInfo(const char* name)
{
    WNDCLASSA wc = {};
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) << name;
    return wc;
}

}  // namespace

TEST(WindowClasses, AreRegisteredWithTheirProceduresAndSettings)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClasses(instance));

    WNDCLASSA platformList = {};
    ASSERT_TRUE(GetClassInfoA(nullptr, "listbox", &platformList));
    EXPECT_EQ(BaseListBoxProc, platformList.lpfnWndProc);
    EXPECT_EQ(ClassInfo("listboxchar").lpfnWndProc, NumberPoolProc);
    EXPECT_EQ(ClassInfo("arrayed").lpfnWndProc, JournalPaneProc);
    EXPECT_EQ(ClassInfo("arrayed").style, platformList.style & ~CS_GLOBALCLASS);

    WNDCLASSA main = ClassInfo("Administrateur");
    EXPECT_EQ(main.lpfnWndProc, MainWindowProc);
    EXPECT_EQ(main.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_NE(main.hIcon, nullptr);
    EXPECT_EQ(main.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    EXPECT_EQ(main.lpszMenuName, nullptr);

    WNDCLASSA bulle = ClassInfo("Bulle");
    EXPECT_EQ(bulle.lpfnWndProc, BulleProc);
    EXPECT_TRUE(bulle.style & CS_SAVEBITS);
    EXPECT_EQ(bulle.hIcon, nullptr);

    WNDCLASSA platformButton = {};
    ASSERT_TRUE(GetClassInfoA(nullptr, "Button", &platformButton));
    WNDCLASSA picture = ClassInfo("$BtnBulle");
    EXPECT_EQ(picture.lpfnWndProc, BtnBulleProc);
    EXPECT_EQ(picture.cbWndExtra, platformButton.cbWndExtra + 4);
    EXPECT_NE(picture.hCursor, nullptr);
    EXPECT_NE(picture.hCursor, LoadCursorA(nullptr, IDC_ARROW));
}

TEST(WindowClasses, APictureButtonAnswersItsEnabledQueryAndStaysAButton)
{
    ASSERT_TRUE(RegisterWindowClasses(GetModuleHandleA(nullptr)));
    HWND button = CreateWindowA("$BtnBulle", "Aide", WS_POPUP | BS_OWNERDRAW, 0, 0, 35, 35, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(SendMessageA(button, BBM_GETENABLED, 0, 0), 1);
    char text[16];
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ(text, "Aide");
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    DestroyWindow(button);
}
