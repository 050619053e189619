#include "users/users_window.h"

int EditMode;
NumbersRecord EditNumbers;

// The users window comes with its own work; until then "/u" leaves after the
// login.
INT_PTR ShowUsersWindow(HWND)
{
    return 0;
}

INT_PTR CALLBACK UsersDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
