// The pool of authorised numbers (class "listboxchar").
#pragma once
#include <windows.h>

LRESULT CALLBACK NumberPoolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
