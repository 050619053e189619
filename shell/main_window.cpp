#include "shell/main_window.h"

// The main window comes with its own work; until then the console has no
// main window and leaves after the login.
HWND CreateMainWindow(HINSTANCE, int)
{
    return nullptr;
}

int RunMainWindow(HWND)
{
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}
