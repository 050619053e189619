// The two dialog controls of the library: "NiceBox32", an etched frame or
// separator, and "Onglet32", a tab button grouped with the other tabs that are
// attached to the same frame.
#include "zemoctln/zemoctln.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr char kFrameClass[] = "NiceBox32";
constexpr char kTabClass[] = "Onglet32";

// Per-window data, in LONG_PTR slots of the window's extra bytes.
enum Slot { kFontSlot, kFrameIdSlot, kSelectedSlot, kSlotCount };

// A frame at most this thick, and longer than thick, is drawn as a line.
constexpr int kSeparatorThickness = 4;
// An unselected tab stands this much lower than the selected one.
constexpr int kTabDrop = 2;
constexpr int kTextMaximum = 256;

HINSTANCE LibraryInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

LONG_PTR GetSlot(HWND window, Slot slot)
{
    return GetWindowLongPtrA(window, slot * static_cast<int>(sizeof(LONG_PTR)));
}

void SetSlot(HWND window, Slot slot, LONG_PTR value)
{
    SetWindowLongPtrA(window, slot * static_cast<int>(sizeof(LONG_PTR)), value);
}

// The brush the dialog wants behind this control; the dialog also sets the
// text colours of `dc` while answering.
HBRUSH ParentBrush(HWND control, HDC dc, UINT colourMessage)
{
    HWND parent = GetParent(control);
    HBRUSH brush = nullptr;
    if (parent)
        brush = reinterpret_cast<HBRUSH>(
            SendMessageA(parent, colourMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

HGDIOBJ SelectControlFont(HWND control, HDC dc)
{
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(GetSlot(control, kFontSlot));
    return SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
}

void FillSolid(HDC dc, int left, int top, int right, int bottom, int sysColour)
{
    RECT area{left, top, right, bottom};
    FillRect(dc, &area, GetSysColorBrush(sysColour));
}

// Text with & mnemonics, embossed when the control is disabled.
void DrawLabel(HWND control, HDC dc, const char* text, int length, RECT area, UINT format)
{
    SetBkMode(dc, TRANSPARENT);
    if (IsWindowEnabled(control)) {
        DrawTextA(dc, text, length, &area, format);
        return;
    }
    RECT raised = area;
    OffsetRect(&raised, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text, length, &raised, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextA(dc, text, length, &area, format);
}

bool IsTab(HWND window)
{
    char name[32];
    return GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, kTabClass) == 0;
}

// ---- "NiceBox32" ----

// Only the edges are drawn: the frame's inside belongs to whatever the dialog
// shows there (the pages of the users window).
void DrawTitledFrame(HWND frame, HDC dc, RECT area, const char* text, int length)
{
    HGDIOBJ oldFont = SelectControlFont(frame, dc);
    RECT title{8, 0, 8, 0};
    DrawTextA(dc, text, length, &title, DT_SINGLELINE | DT_CALCRECT);
    RECT box = area;
    box.top = (title.bottom - title.top) / 2;
    DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
    InflateRect(&title, 2, 0);
    FillRect(dc, &title, ParentBrush(frame, dc, WM_CTLCOLORSTATIC));
    DrawLabel(frame, dc, text, length, title, DT_SINGLELINE | DT_CENTER);
    SelectObject(dc, oldFont);
}

// The frame does not erase its own background, so a shorter title needs the
// dialog, and whatever lies inside the frame, drawn again.
void RedrawUnder(HWND frame)
{
    HWND parent = GetParent(frame);
    if (!parent) {
        InvalidateRect(frame, nullptr, FALSE);
        return;
    }
    RECT area;
    GetWindowRect(frame, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The selected tab attached to this frame opens into it, as on a tab sheet:
// the frame's top edge is left out under a tab that stands on it.
void OpenUnderSelectedTabs(HWND frame, HDC dc)
{
    HWND parent = GetParent(frame);
    int id = GetDlgCtrlID(frame);
    if (!parent || id == 0)
        return;
    RECT edge;
    GetWindowRect(frame, &edge);
    for (HWND other = GetWindow(parent, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
        if (!IsTab(other) || GetSlot(other, kFrameIdSlot) != id || !GetSlot(other, kSelectedSlot) ||
            !IsWindowVisible(other))
            continue;
        RECT tab;
        GetWindowRect(other, &tab);
        if (tab.bottom < edge.top || tab.bottom > edge.top + kTabDrop + 1)
            continue;
        int left = (tab.left + 1 > edge.left + 2 ? tab.left + 1 : edge.left + 2) - edge.left;
        int right = (tab.right - 2 < edge.right - 2 ? tab.right - 2 : edge.right - 2) - edge.left;
        if (left < right)
            FillSolid(dc, left, 0, right, 2, COLOR_BTNFACE);
    }
}

void PaintFrame(HWND frame, HDC dc)
{
    RECT area;
    GetClientRect(frame, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    if (height <= kSeparatorThickness && width > height) {
        RECT line{area.left, area.top + (height - 2) / 2, area.right, area.bottom};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    if (width <= kSeparatorThickness && height > width) {
        RECT line{area.left + (width - 2) / 2, area.top, area.right, area.bottom};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        return;
    }
    char text[kTextMaximum];
    int length = GetWindowTextA(frame, text, sizeof text);
    if (length > 0) {
        DrawTitledFrame(frame, dc, area, text, length);
        return;
    }
    DrawEdge(dc, &area, EDGE_ETCHED, BF_RECT);
    OpenUnderSelectedTabs(frame, dc);
}

LRESULT CALLBACK FrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(frame, &paint);
        PaintFrame(frame, dc);
        EndPaint(frame, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: PaintFrame(frame, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_SETFONT:
        SetSlot(frame, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (lParam)
            InvalidateRect(frame, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return GetSlot(frame, kFontSlot);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(frame, message, wParam, lParam);
        RedrawUnder(frame);
        return result;
    }
    case WM_ENABLE: InvalidateRect(frame, nullptr, FALSE); return 0;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
}

// ---- "Onglet32" ----

HWND AttachedFrame(HWND tab)
{
    LONG_PTR frameId = GetSlot(tab, kFrameIdSlot);
    HWND parent = GetParent(tab);
    return frameId && parent ? GetDlgItem(parent, static_cast<int>(frameId)) : nullptr;
}

void RedrawFrameTop(HWND frame)
{
    if (!frame)
        return;
    RECT top;
    GetClientRect(frame, &top);
    top.bottom = top.top + 2;
    InvalidateRect(frame, &top, FALSE);
}

void SetTabState(HWND tab, bool selected)
{
    if ((GetSlot(tab, kSelectedSlot) != 0) == selected)
        return;
    SetSlot(tab, kSelectedSlot, selected);
    InvalidateRect(tab, nullptr, TRUE);
    RedrawFrameTop(AttachedFrame(tab));
}

void AttachFrame(HWND tab, WPARAM frameId)
{
    RedrawFrameTop(AttachedFrame(tab));
    SetSlot(tab, kFrameIdSlot, static_cast<LONG_PTR>(frameId));
    RedrawFrameTop(AttachedFrame(tab));
    InvalidateRect(tab, nullptr, TRUE);
}

// Selecting a tab unselects the other tabs of the dialog attached to the same
// frame; a tab attached to no frame stands alone.
void SelectTab(HWND tab, bool selected)
{
    LONG_PTR frameId = GetSlot(tab, kFrameIdSlot);
    HWND parent = GetParent(tab);
    if (selected && frameId != 0 && parent) {
        for (HWND other = GetWindow(parent, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
            if (other != tab && IsTab(other) && GetSlot(other, kFrameIdSlot) == frameId)
                SetTabState(other, false);
        }
    }
    SetTabState(tab, selected);
}

void ClickTab(HWND tab)
{
    if (!IsWindowEnabled(tab))
        return;
    if (GetFocus() != tab)
        SetFocus(tab);
    SelectTab(tab, true);
    HWND parent = GetParent(tab);
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(tab), BN_CLICKED), reinterpret_cast<LPARAM>(tab));
}

// The classic tab outline: light on the left and top with a cut corner, dark
// on the right. The selected tab stands higher and stays open at the bottom,
// where it meets the page. A tab with no frame under it closes on a light
// base line of its own.
void DrawTabOutline(HDC dc, RECT shape, bool baseLine)
{
    int left = shape.left, top = shape.top, right = shape.right, bottom = shape.bottom;
    FillSolid(dc, left + 1, top + 1, right - 1, bottom, COLOR_BTNFACE);
    FillSolid(dc, left, top + 2, left + 1, bottom, COLOR_BTNHIGHLIGHT);
    FillSolid(dc, left + 1, top + 1, left + 2, top + 2, COLOR_BTNHIGHLIGHT);
    FillSolid(dc, left + 2, top, right - 2, top + 1, COLOR_BTNHIGHLIGHT);
    FillSolid(dc, right - 2, top + 2, right - 1, bottom, COLOR_BTNSHADOW);
    FillSolid(dc, right - 2, top + 1, right - 1, top + 2, COLOR_3DDKSHADOW);
    FillSolid(dc, right - 1, top + 2, right, bottom, COLOR_3DDKSHADOW);
    if (baseLine)
        FillSolid(dc, left, bottom - 1, right, bottom, COLOR_BTNHIGHLIGHT);
}

void PaintTab(HWND tab, HDC dc)
{
    RECT area;
    GetClientRect(tab, &area);
    bool selected = GetSlot(tab, kSelectedSlot) != 0;
    FillRect(dc, &area, ParentBrush(tab, dc, WM_CTLCOLORBTN));
    RECT shape = area;
    if (!selected)
        shape.top += kTabDrop;
    DrawTabOutline(dc, shape, !selected && !AttachedFrame(tab));

    char text[kTextMaximum];
    int length = GetWindowTextA(tab, text, sizeof text);
    HGDIOBJ oldFont = SelectControlFont(tab, dc);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT label{shape.left + 3, shape.top + 1, shape.right - 3, shape.bottom - 1};
    DrawLabel(tab, dc, text, length, label, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (GetFocus() == tab && length > 0) {
        RECT focus{0, 0, 0, 0};
        DrawTextA(dc, text, length, &focus, DT_SINGLELINE | DT_CALCRECT);
        int textWidth = focus.right, textHeight = focus.bottom;
        focus.left = (label.left + label.right - textWidth) / 2 - 1;
        focus.right = focus.left + textWidth + 2;
        focus.top = (label.top + label.bottom - textHeight) / 2 - 1;
        focus.bottom = focus.top + textHeight + 2;
        IntersectRect(&focus, &focus, &label);
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK TabProcedure(HWND tab, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kTabAttachFrame: AttachFrame(tab, wParam); return 1;
    case kTabIsSelected: return GetSlot(tab, kSelectedSlot) != 0;
    case kTabSelect: SelectTab(tab, wParam != 0); return 1;
    case WM_LBUTTONDOWN:
    case BM_CLICK: ClickTab(tab); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ClickTab(tab);
            return 0;
        }
        break;
    case WM_GETDLGCODE: return DLGC_BUTTON;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(tab, &paint);
        PaintTab(tab, dc);
        EndPaint(tab, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: PaintTab(tab, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(tab, nullptr, FALSE); return 0;
    case WM_SETFONT:
        SetSlot(tab, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (lParam)
            InvalidateRect(tab, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return GetSlot(tab, kFontSlot);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(tab, message, wParam, lParam);
        InvalidateRect(tab, nullptr, FALSE);
        return result;
    }
    }
    return DefWindowProcA(tab, message, wParam, lParam);
}

// Global classes, so that the templates of the program's own dialogs can name
// them; registering twice is harmless.
bool RegisterControlClass(const char* name, WNDPROC procedure)
{
    WNDCLASSA existing;
    if (GetClassInfoA(LibraryInstance(), name, &existing))
        return true;
    WNDCLASSA control{};
    control.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    control.lpfnWndProc = procedure;
    control.cbWndExtra = kSlotCount * sizeof(LONG_PTR);
    control.hInstance = LibraryInstance();
    control.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    control.lpszClassName = name;
    return RegisterClassA(&control) != 0;
}

}  // namespace

extern "C" int ZemoInitControls()
{
    bool frame = RegisterControlClass(kFrameClass, FrameProcedure);
    bool tab = RegisterControlClass(kTabClass, TabProcedure);
    return frame && tab;
}
