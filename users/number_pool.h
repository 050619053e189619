// The pool of authorised numbers (class "listboxchar").
#pragma once
#include <windows.h>

LRESULT CALLBACK NumberPoolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the class, a copy of the platform's list box; false when it
// cannot be registered (also when it already is).
bool RegisterNumberPoolClass(HINSTANCE instance);
