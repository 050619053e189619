#include "base/window_utils.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tests/wine/test_pixels.h"
#include "tests/wine/test_support.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

TEST(DrawDottedLine, SetsEveryThirdColumnOrEveryOddRow)
{
    struct Case { int x1, y1, x2, y2; } cases[] = {
        {0, 5, 20, 5},     // horizontal: x = 0, 3, ..., 18
        {20, 5, 0, 5},     // the same, given right to left
        {4, 7, 13, 7},     // 6, 9, 12
        {-5, 2, 7, 2},     // from outside the canvas: -3, 0, 3, 6
        {5, 7, 6, 7},      // no multiple of 3 in [5, 6)
        {6, 7, 6, 7},      // a point: nothing
        {9, 0, 9, 12},     // vertical: y = 1, 3, ..., 11
        {9, 12, 9, 0},
        {2, 4, 2, 9},      // 5, 7
        {2, 3, 2, 4},      // 3
        {0, 0, 10, 10},    // oblique: nothing
    };
    const COLORREF red = RGB(255, 0, 0);
    for (const auto& c : cases) {
        Canvas canvas(30, 20);
        DrawDottedLine(canvas.Dc(), c.x1, c.y1, c.x2, c.y2, red);
        std::set<std::pair<int, int>> expected;
        if (c.y1 == c.y2) {
            for (int x = std::min(c.x1, c.x2); x < std::max(c.x1, c.x2); ++x)
                if ((x % 3 + 3) % 3 == 0)
                    expected.insert({x, c.y1});
        } else if (c.x1 == c.x2) {
            for (int y = std::min(c.y1, c.y2); y < std::max(c.y1, c.y2); ++y)
                if (y % 2 != 0)
                    expected.insert({c.x1, y});
        }
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                ASSERT_EQ(canvas.At(x, y), expected.count({x, y}) ? red : kWhite)
                    << "line (" << c.x1 << "," << c.y1 << ")-(" << c.x2 << "," << c.y2 << ") at " << x << "," << y;
    }
}

TEST(DrawBitmapSquare, StretchesTheWholeBitmapIntoTheSquare)
{
    // A 2 x 2 bitmap: red, green on the top row, blue, black below.
    Canvas source(2, 2);
    const COLORREF colours[2][2] = {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(0, 0, 0)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            SetPixel(source.Dc(), x, y, colours[y][x]);
    // The bitmap must not be selected anywhere else while it is drawn.
    HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(source.Dc(), OBJ_BITMAP));
    HBITMAP spare = CreateCompatibleBitmap(source.Dc(), 1, 1);
    HGDIOBJ held = SelectObject(source.Dc(), spare);
    ASSERT_EQ(held, bitmap);

    Canvas target(20, 20);
    DrawBitmapSquare(target.Dc(), 4, 6, 8, bitmap);

    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 4 && x < 12 && y >= 6 && y < 14;
            COLORREF expected = inside ? colours[(y - 6) / 4][(x - 4) / 4] : kWhite;
            ASSERT_EQ(target.At(x, y), expected) << x << "," << y;
        }
    }
    SelectObject(source.Dc(), held);
    DeleteObject(spare);
}

TEST(DrawBitmapSquare, NoBitmapDrawsNothing)
{
    Canvas target(10, 10);
    DrawBitmapSquare(target.Dc(), 0, 0, 10, nullptr);
    EXPECT_EQ(target.At(5, 5), kWhite);
}

static int Width(HDC dc, const std::string& text)
{
    SIZE size;
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

TEST(FitTextInDc, MeasuresWithTheSelectedFont)
{
    Canvas canvas(10, 10);
    HDC dc = canvas.Dc();
    const std::string name = "Passerelle de l'accueil principal";
    int whole = Width(dc, name);
    ASSERT_GT(whole, 0);

    std::string text = name;
    FitText(dc, text, whole + 1);
    EXPECT_EQ(text, name);  // narrower: as it was

    for (int width : {whole, whole / 2, Width(dc, "...") + 1}) {
        text = name;
        FitText(dc, text, width);
        ASSERT_GE(text.size(), 3u);
        size_t kept = text.size() - 3;
        EXPECT_EQ(text, name.substr(0, kept) + "...") << width;
        EXPECT_LE(Width(dc, text), width) << text;
        EXPECT_GT(Width(dc, name.substr(0, kept + 1) + "..."), width) << text;  // the longest that fits
    }
}

namespace {

LRESULT CALLBACK PlainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

class CentreWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PlainWindow;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CentreTest";
        RegisterClassA(&wc);
        screenWidth_ = GetSystemMetrics(SM_CXSCREEN);
        screenHeight_ = GetSystemMetrics(SM_CYSCREEN);
    }
    void TearDown() override
    {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            DestroyWindow(*it);
    }
    // Frameless windows, so that client and window rectangles agree; hidden
    // unless the test needs them shown, which takes Wine a while.
    HWND Make(DWORD style, int x, int y, int width, int height, HWND parent = nullptr)
    {
        HWND w = CreateWindowExA(0, "CentreTest", "", style, x, y, width, height, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(w);
        return w;
    }
    static POINT Origin(HWND window)
    {
        RECT r;
        GetWindowRect(window, &r);
        return {r.left, r.top};
    }
    static SIZE Size(HWND window)
    {
        RECT r;
        GetWindowRect(window, &r);
        return {r.right - r.left, r.bottom - r.top};
    }
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    std::vector<HWND> windows_;
};

}  // namespace

TEST_F(CentreWindowTest, WithoutOwnerCentresOnTheScreen)
{
    HWND dialog = Make(WS_POPUP, 0, 0, 301, 201);
    EXPECT_TRUE(CentreWindow(dialog));
    POINT at = Origin(dialog);
    EXPECT_EQ(at.x, (screenWidth_ - 301) / 2);
    EXPECT_EQ(at.y, (screenHeight_ - 201) / 2);
    EXPECT_EQ(Size(dialog).cx, 301);
    EXPECT_EQ(Size(dialog).cy, 201);
}

TEST_F(CentreWindowTest, OwnedWindowsGoOnTheOwnerAndStayOnTheScreen)
{
    const int w = screenWidth_;
    const int h = screenHeight_;
    struct Case { RECT owner; SIZE dialog; POINT expected; } cases[] = {
        {{100, 100, 700, 500}, {200, 100}, {300, 250}},
        {{100, 100, 701, 501}, {200, 100}, {300, 250}},                     // (401 - 200) / 2 = 100
        {{w - 300, h - 200, w + 300, h + 200}, {200, 100}, {w - 200, h - 100}},  // would pass the edges
        {{0, 0, 200, 100}, {400, 300}, {0, 0}},                             // would start above and left
        {{-500, -400, 100, 0}, {200, 100}, {0, 0}},
        {{0, 0, 600, 400}, {w + 200, h + 100}, {0, 0}},                     // larger than the screen
    };
    for (const auto& c : cases) {
        HWND owner = Make(WS_POPUP, c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                          c.owner.bottom - c.owner.top);
        HWND dialog = Make(WS_POPUP, 0, 0, c.dialog.cx, c.dialog.cy, owner);
        ASSERT_EQ(Size(dialog).cx, c.dialog.cx);
        EXPECT_TRUE(CentreWindow(dialog));
        POINT at = Origin(dialog);
        EXPECT_EQ(at.x, c.expected.x) << "owner at " << c.owner.left << "," << c.owner.top;
        EXPECT_EQ(at.y, c.expected.y) << "owner at " << c.owner.left << "," << c.owner.top;
        EXPECT_EQ(Size(dialog).cx, c.dialog.cx);
        EXPECT_EQ(Size(dialog).cy, c.dialog.cy);
    }
}

TEST_F(CentreWindowTest, AMinimisedOwnerSendsTheWindowToTheScreenCentre)
{
    HWND owner = Make(WS_POPUP | WS_VISIBLE, 100, 100, 600, 400);
    ShowWindow(owner, SW_MINIMIZE);
    PumpMessages();
    ASSERT_TRUE(IsIconic(owner));
    HWND dialog = Make(WS_POPUP, 0, 0, 200, 100, owner);
    CentreWindow(dialog);
    POINT at = Origin(dialog);
    EXPECT_EQ(at.x, (screenWidth_ - 200) / 2);
    EXPECT_EQ(at.y, (screenHeight_ - 100) / 2);
}

TEST_F(CentreWindowTest, AChildIsCentredInItsParentsClientArea)
{
    HWND parent = Make(WS_POPUP, 50, 60, 600, 400);
    HWND child = Make(WS_CHILD, 0, 0, 200, 100, parent);
    EXPECT_TRUE(CentreWindow(child));
    POINT at = Origin(child);
    EXPECT_EQ(at.x - 50, 200);
    EXPECT_EQ(at.y - 60, 150);
}

TEST_F(CentreWindowTest, AChildStaysOnItsMinimisedParent)
{
    HWND parent = Make(WS_POPUP | WS_VISIBLE, 50, 60, 600, 400);
    HWND child = Make(WS_CHILD, 0, 0, 200, 100, parent);
    ShowWindow(parent, SW_MINIMIZE);
    PumpMessages();
    ASSERT_TRUE(IsIconic(parent));
    CentreWindow(child);
    RECT client;
    GetClientRect(parent, &client);
    POINT at = {0, 0};
    MapWindowPoints(child, parent, &at, 1);
    EXPECT_EQ(at.x, std::max(0L, (client.right - 200) / 2));
    EXPECT_EQ(at.y, std::max(0L, (client.bottom - 100) / 2));
    EXPECT_NE(at.x, (screenWidth_ - 200) / 2);
}
