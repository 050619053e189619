// The states window: what the server sees active, and switching entries off.
#pragma once
#include <windows.h>

// Shows the states window modally over `owner`.
void ShowStatesWindow(HWND owner);
