#include "base/app.h"

HINSTANCE AppInstance;
int IsWindowsNT;
BYTE StandaloneDialog;
BYTE TooltipsEnabled;
HWND MainWindow;

HBRUSH FaceBrush;
HBRUSH WindowBrush;
HFONT GuiFont;
HPEN WhitePen;
HPEN BlackPen;
HPEN ShadowPen;
HPEN HighlightPen;
HPEN FacePen;
HBITMAP ActiveMarkBitmap;
