#include "base/window_utils.h"

#include <algorithm>
#include <climits>

#include "base/screen_place.h"
#include "base/text_fit.h"

WNDPROC BaseListBoxProc;

bool RegisterClassCopy(HINSTANCE instance, const char* base, const char* name, WNDPROC procedure,
                       WNDPROC& baseProcedure, int extraBytes, HCURSOR cursor)
{
    WNDCLASSA wc;
    if (!GetClassInfoA(nullptr, base, &wc))
        return false;
    baseProcedure = wc.lpfnWndProc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    wc.cbWndExtra += extraBytes;
    wc.style &= ~CS_GLOBALCLASS;
    if (cursor)
        wc.hCursor = cursor;
    return RegisterClassA(&wc) != 0;
}

// Whether the window goes on its parent rather than on the screen: a child
// always does; an owned window unless its owner shows as a minimised button.
static bool CentresOnParent(HWND window, HWND parent)
{
    if (!parent)
        return false;
    bool child = (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0;
    return child || !(IsIconic(parent) && IsWindowVisible(parent));
}

BOOL CentreWindow(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);

    POINT at = {CentredOffset(screenWidth, width), CentredOffset(screenHeight, height)};
    HWND parent = GetParent(window);
    if (CentresOnParent(window, parent)) {
        RECT client;
        GetClientRect(parent, &client);
        at.x = CentredOffset(client.right, width);
        at.y = CentredOffset(client.bottom, height);
        if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD))
            ClientToScreen(parent, &at);
    }
    at.x = KeepOnScreen(at.x, width, screenWidth);
    at.y = KeepOnScreen(at.y, height, screenHeight);
    return MoveWindow(window, at.x, at.y, width, height, TRUE);
}

void FitText(HDC dc, std::string& text, int width)
{
    FitText(text, width, [dc](std::string_view part) {
        SIZE size = {0, 0};
        int length = static_cast<int>(std::min<size_t>(part.size(), INT_MAX));
        GetTextExtentPoint32A(dc, part.data(), length, &size);
        return static_cast<int>(size.cx);
    });
}

void DrawBitmapSquare(HDC dc, int x, int y, int side, HBITMAP bitmap)
{
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return;
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    if (previous) {
        StretchBlt(dc, x, y, side, side, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, previous);
    }
    DeleteDC(source);
}

void DrawDottedLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    int left = std::min(x1, x2);
    int right = std::max(x1, x2);
    int top = std::min(y1, y2);
    int bottom = std::max(y1, y2);
    if (y1 == y2) {
        for (int x = left; x < right; ++x) {
            if (x % 3 == 0)
                SetPixel(dc, x, y1, colour);
        }
    } else if (x1 == x2) {
        for (int y = top; y < bottom; ++y) {
            if (y % 2 != 0)
                SetPixel(dc, x1, y, colour);
        }
    }
}
