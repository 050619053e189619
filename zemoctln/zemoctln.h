// The custom-controls library, as the console sees it. The entries are
// exported by ordinal only; the import library maps these names to them.
#pragma once
#include <windows.h>

extern "C" {
// Ordinal 1: registers "NiceBox32" and "Onglet32". Called once before any dialog.
int ZemoInitControls();
// Ordinal 5: bitmap resource of `module` redrawn in the current system colours
// (black, dark grey, light grey and white become the button text, shadow, face
// and highlight colours; magenta stays). The caller owns the handle; null when
// the resource is missing.
HBITMAP ZemoLoadBitmap(HINSTANCE module, int resource);
// Ordinal 7: the system colours changed; later ordinal-5 bitmaps follow them.
void ZemoSysColorChanged();
// Ordinal 8: a new, greyed copy of `bitmap` for a disabled button; `bitmap` is
// left as it is. The console always passes 1, 1, 0, 0 for the other
// arguments, which are not used.
HBITMAP ZemoGreyBitmap(HBITMAP bitmap, int a, int b, int c, int d);
// Ordinal 10: draws `bitmap` at (x, y) leaving every pixel of `transparent` out.
void ZemoDrawTransparent(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent);
}

// Private messages of an "Onglet32" tab button.
constexpr UINT kTabAttachFrame = WM_USER;      // wParam: id of the "NiceBox32" frame
constexpr UINT kTabIsSelected  = WM_USER + 1;  // returns non-zero when selected
constexpr UINT kTabSelect      = WM_USER + 2;  // wParam 1: make this tab the selected one
                                               // (the others of its frame lose it); 0: unselect it
// A click, the space key or the tab's mnemonic selects the tab and sends the
// dialog WM_COMMAND with the tab's identifier and BN_CLICKED.
