#include "users/number_pool.h"

#include "shell/window_classes.h"

LRESULT CALLBACK NumberPoolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(BaseListBoxProc, window, message, wParam, lParam);
}
