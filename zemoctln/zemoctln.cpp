#include "zemoctln/zemoctln.h"

extern "C" {

int ZemoInitControls() { return 1; }

HBITMAP ZemoLoadBitmap(HINSTANCE module, int resource)
{
    return static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

void ZemoSysColorChanged() {}

HBITMAP ZemoGreyBitmap(HBITMAP bitmap, int, int, int, int)
{
    return static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
}

void ZemoDrawTransparent(HDC, int, int, HBITMAP, COLORREF) {}

}
