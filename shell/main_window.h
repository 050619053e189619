// The main window "Administrateur": menu, picture buttons and the journal pane.
#pragma once
#include <windows.h>

// Creates the main window at its saved place (loading the gateways, the
// activity states, the users and the journal settings on the way), then its
// hidden journal pane, and shows it with `show`. nullptr when the window
// could not be made.
HWND CreateMainWindow(HINSTANCE instance, int show);

// Hooks, journal, column headers, toolbar, layout and the message loop, until
// the window is closed. Frees the user table and returns the quit message's
// exit code.
int RunMainWindow(HWND window);

// The five picture buttons of the toolbar, with their pictures.
void CreateToolbarButtons(HWND window);

// Places the journal pane, its column headers and the toolbar buttons in the
// client area; does nothing while the window is minimised.
void LayoutMainWindow(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
