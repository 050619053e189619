#include "states/states_window.h"

// The states window comes with its own work; until then the command does
// nothing.
void ShowStatesWindow(HWND)
{
}
