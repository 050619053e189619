// The administrator login "Quorel", asked before anything else is shown.
#pragma once
#include <windows.h>

INT_PTR CALLBACK LoginDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the login modally with no owner: 1 when an administrator logged in,
// 0 when it was cancelled or closed.
INT_PTR ShowLoginDialog();
