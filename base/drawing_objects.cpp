#include "base/drawing_objects.h"

#include "resources/resource.h"
#include "base/app.h"

template <typename Object>
static void Replace(Object& object, Object fresh)
{
    if (object)
        DeleteObject(object);
    object = fresh;
}

void CreateDrawingObjects()
{
    Replace(FaceBrush, CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    Replace(WindowBrush, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
    GuiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    Replace(WhitePen, CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    Replace(BlackPen, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    Replace(ShadowPen, CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    Replace(HighlightPen, CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
    Replace(FacePen, CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE)));
    if (!ActiveMarkBitmap)
        ActiveMarkBitmap = LoadBitmapA(AppInstance, MAKEINTRESOURCEA(IDB_ACTIVE_MARK));
}
