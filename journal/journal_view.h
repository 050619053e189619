// The journal pane of the main window (class "arrayed").
#pragma once
#include <windows.h>

LRESULT CALLBACK JournalPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sorts the journal again and refills the pane when the pane is shown, after
// an operation changed the journal's records.
void RefreshJournalView();
