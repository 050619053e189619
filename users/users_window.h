// The users window "Configuration des utilisateurs": a modal dialog over the
// work copy of the user database, with a configuration page and a numbers
// page in one frame.
#pragma once

#include <windows.h>

#include "users/numbers_record.h"

// Shows the window modally; owner is the main window, or null when the
// console runs the users window alone ("/u"). Always returns 1.
INT_PTR ShowUsersWindow(HWND owner);
INT_PTR CALLBACK UsersDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// State of the open window, shared with the numbers page and the pool list.
// EditMode is 1 while the selected user is being edited, 0 in browse mode.
extern int EditMode;
// The selected user's forbidden numbers as the pages show and change them;
// they reach the numbers table only through "&Valider".
extern NumbersRecord EditNumbers;
