#include "journal/journal_view.h"

#include "shell/window_classes.h"

LRESULT CALLBACK JournalPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(BaseListBoxProc, window, message, wParam, lParam);
}

void RefreshJournalView()
{
    // The pane has no rows of its own yet: the journal pane's work fills this
    // with the command of the current sort column, sent when the pane is shown.
}
