#include "users/users_window_state.h"

UsersWindowState* UsersWindowStateOf(HWND dialog)
{
    return reinterpret_cast<UsersWindowState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AttachUsersWindowState(HWND dialog, UsersWindowState* state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
}
