#include "users/number_pool.h"

#include "resources/resource.h"
#include "base/window_utils.h"
#include "users/numbers_page.h"
#include "users/users_window_state.h"

// Sent as the button's own click, so that the users window cannot tell the
// two apart.
static void SendCommand(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

LRESULT CALLBACK NumberPoolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            RemovePoolNumber(GetParent(window));
            return 0;
        }
        if (wParam == VK_INSERT) {
            SendCommand(GetParent(window), IDC_NEW_NUMBER);
            return 0;
        }
        break;
    case WM_LBUTTONDBLCLK: {
        const UsersWindowState* state = UsersWindowStateOf(GetParent(window));
        if (state && state->EditMode == 1)
            SendCommand(GetParent(window), IDC_INSERT_NUMBER);
        return 0;
    }
    }
    return CallWindowProcA(BaseListBoxProc, window, message, wParam, lParam);
}

bool RegisterNumberPoolClass(HINSTANCE instance)
{
    return RegisterClassCopy(instance, "listbox", "listboxchar", NumberPoolProc, BaseListBoxProc);
}
