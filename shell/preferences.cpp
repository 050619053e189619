#include "shell/preferences.h"

// The preferences sheet comes with its own work; until then the command does
// nothing.
void ShowPreferences(HWND)
{
}

// The about box comes with its own work; until then the command does nothing.
void ShowAboutBox(HWND)
{
}
