#include "journal/journal_view.h"

#include "shell/window_classes.h"

LRESULT CALLBACK JournalPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(BaseListBoxProc, window, message, wParam, lParam);
}
