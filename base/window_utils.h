// Placing and drawing helpers shared by the console's windows.
#pragma once
#include <windows.h>

#include <string>

// The platform's list box procedure, to which the console's list classes
// ("listboxchar", "arrayed") chain; set when those classes are registered.
extern WNDPROC BaseListBoxProc;

// Registers, under `name`, a copy of the platform's class `base` whose
// procedure is `procedure`, which then passes on to the platform's own,
// given back in `baseProcedure`. The copy is the program's own (not global),
// has `extraBytes` more window bytes, and `cursor` when one is given.
bool RegisterClassCopy(HINSTANCE instance, const char* base, const char* name, WNDPROC procedure,
                       WNDPROC& baseProcedure, int extraBytes = 0, HCURSOR cursor = nullptr);

// Centres the window on its parent's client area, or on the screen when it
// has no parent or its owner is minimised and visible, keeps it on the
// screen, and repaints it. Returns MoveWindow's result.
BOOL CentreWindow(HWND window);

// Shortens the text with "..." so that it fits into `width` pixels with the
// font selected into the device context (see the FitText of text_fit.h).
void FitText(HDC dc, std::string& text, int width);

// Stretches the whole bitmap into the square of `side` pixels at (x, y).
void DrawBitmapSquare(HDC dc, int x, int y, int side, HBITMAP bitmap);

// A dotted horizontal line (a pixel at every x that is a multiple of 3) or
// vertical line (a pixel at every odd y), the last coordinate excluded. An
// oblique line draws nothing.
void DrawDottedLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour);
