// The journal pane of the main window (class "arrayed").
#pragma once
#include <windows.h>

LRESULT CALLBACK JournalPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
