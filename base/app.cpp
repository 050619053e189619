#include "base/app.h"

#include "base/profile.h"
#include "base/program_dir.h"

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

void ClearRunningFlag()
{
    WriteProfileInt("Administrateur", "Etat", 0, AdminIniPath());
}
