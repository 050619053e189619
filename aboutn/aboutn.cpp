// The about box: a small dialog of the library's own, with the caller's
// three lines of text, centred over its owner.
#include "aboutn/aboutn.h"

#include "aboutn/aboutn_resource.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

struct AboutLines {
    const char* text[3];
};

void CentreOnOwner(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT area, box;
    if (!owner || IsIconic(owner) || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(dialog, &box);
    int width = box.right - box.left, height = box.bottom - box.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(dialog, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OpenAboutDialog(HWND dialog, const AboutLines* lines)
{
    const int ids[3] = {IDC_ABOUT_LINE1, IDC_ABOUT_LINE2, IDC_ABOUT_LINE3};
    for (int n = 0; n < 3; ++n)
        SetDlgItemTextA(dialog, ids[n], lines && lines->text[n] ? lines->text[n] : "");
    CentreOnOwner(dialog);
}

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenAboutDialog(dialog, reinterpret_cast<const AboutLines*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

extern "C" int WINAPI ShowAboutDialog(HWND owner, const char* line1, const char* line2, const char* line3)
{
    AboutLines lines = {{line1, line2, line3}};
    INT_PTR result = DialogBoxParamA(reinterpret_cast<HINSTANCE>(&__ImageBase), MAKEINTRESOURCEA(IDD_ABOUT), owner,
                                     AboutDialog, reinterpret_cast<LPARAM>(&lines));
    return result == 1 ? 1 : 0;
}
