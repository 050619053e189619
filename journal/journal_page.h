// The journal page "Journal" of the preferences sheet: whether the pane is
// shown, which gateway's and which user's calls it lists, and the purge of
// old records.
//
// The page edits JournalSettings, which reach admin.ini when the main window
// closes. Confirming the sheet applies the page's values and, when the purge
// is ticked, purges the journal at once; cancelling changes nothing. A purge
// whose days field holds no usable number is refused with a message and the
// sheet stays open.
#pragma once
#include <windows.h>

// The page's dialog procedure, for the template IDD_JOURNAL_PAGE. The lParam
// of its PROPSHEETPAGEA points to a bool that the page sets once it applied
// its values on OK.
INT_PTR CALLBACK JournalPageDialog(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The largest days value whose purge limit the date arithmetic can give:
// the limit may not lie before 1 January 1970 (UTC).
int MaxPurgeDays();
