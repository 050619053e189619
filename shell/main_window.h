// The main window "Administrateur": menu, picture buttons and the journal pane.
#pragma once
#include <windows.h>

// Creates and shows the main window; nullptr when it could not be made.
HWND CreateMainWindow(HINSTANCE instance, int show);

// Hooks, journal, layout and the message loop, until the window is destroyed.
// Returns the quit message's exit code.
int RunMainWindow(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
