// Process-wide state set once at start-up and read by every part of the console.
#pragma once
#include <windows.h>

extern HINSTANCE AppInstance;
extern int IsWindowsNT;
extern BYTE StandaloneDialog;
extern BYTE TooltipsEnabled;
extern HWND MainWindow;

extern HBRUSH FaceBrush;
extern HBRUSH WindowBrush;
extern HFONT GuiFont;
extern HPEN WhitePen;
extern HPEN BlackPen;
extern HPEN ShadowPen;
extern HPEN HighlightPen;
extern HPEN FacePen;
extern HBITMAP ActiveMarkBitmap;

// Writes "Etat" = 0 in section "Administrateur" of admin.ini: the console no
// longer runs, and the next start may go on. Every way the console ends
// goes through here, the end of the Windows session included.
void ClearRunningFlag();
