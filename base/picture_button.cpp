#include "base/picture_button.h"

#include "base/app.h"
#include "base/window_utils.h"

// From (x1, y1) to (x2, y2) included, horizontal or vertical.
static void DrawLine(HDC dc, HPEN pen, int x1, int y1, int x2, int y2)
{
    SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2 + (x2 > x1), y2 + (y2 > y1));
}

// Raised: highlight on the top and left, black outside and shadow inside on
// the bottom and right; sunken the other way round.
static void DrawButtonFrame(HDC dc, const RECT& r, bool pressed)
{
    HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_PEN));
    int left = r.left, top = r.top, right = r.right - 1, bottom = r.bottom - 1;
    HPEN outerTopLeft = pressed ? BlackPen : HighlightPen;
    HPEN outerBottomRight = pressed ? HighlightPen : BlackPen;
    DrawLine(dc, outerTopLeft, left, top, right - 1, top);
    DrawLine(dc, outerTopLeft, left, top, left, bottom - 1);
    DrawLine(dc, outerBottomRight, left, bottom, right, bottom);
    DrawLine(dc, outerBottomRight, right, top, right, bottom);
    if (pressed) {
        DrawLine(dc, ShadowPen, left + 1, top + 1, right - 2, top + 1);
        DrawLine(dc, ShadowPen, left + 1, top + 1, left + 1, bottom - 2);
    } else {
        DrawLine(dc, ShadowPen, left + 1, bottom - 1, right - 1, bottom - 1);
        DrawLine(dc, ShadowPen, right - 1, top + 1, right - 1, bottom - 1);
    }
    SelectObject(dc, previous);
}

// The focus rectangle is drawn by inverting pixels: a button redrawn while it
// has the focus gets it again, so that the next focus change takes it away.
static void DrawButtonFocus(const DRAWITEMSTRUCT* item)
{
    RECT r = item->rcItem;
    InflateRect(&r, -2, -2);
    DrawFocusRect(item->hDC, &r);
}

void DrawPictureButton(const DRAWITEMSTRUCT* item, HBITMAP bitmap)
{
    if (item->itemAction == ODA_FOCUS) {
        DrawButtonFocus(item);
        return;
    }
    RECT client;
    GetClientRect(item->hwndItem, &client);
    DrawBitmapSquare(item->hDC, 0, 0, client.bottom, bitmap);
    DrawButtonFrame(item->hDC, client, item->itemState & ODS_SELECTED);
    if (item->itemState & ODS_FOCUS)
        DrawButtonFocus(item);
}
