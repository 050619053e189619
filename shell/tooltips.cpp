#include "shell/tooltips.h"

WNDPROC BaseButtonProc;
int BaseButtonExtraBytes;

LRESULT CALLBACK BtnBulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetWindowWord(window, BaseButtonExtraBytes, 1);
        break;
    case BBM_GETENABLED:
        return GetWindowWord(window, BaseButtonExtraBytes);
    }
    return CallWindowProcA(BaseButtonProc, window, message, wParam, lParam);
}

LRESULT CALLBACK BulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// The tooltips and the F1 key come with their own work; until then both hooks
// only pass the call on.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MsgFilterHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
