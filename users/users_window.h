// The users window "Configuration des utilisateurs".
#pragma once
#include <windows.h>

// Shows the users window modally; its result.
INT_PTR ShowUsersWindow(HWND owner);
