// The journal on paper and as a text file. Both take the rows the journal
// pane lists when the command starts, in the pane's order, and keep them as
// they were while their dialogs are open.
#pragma once
#include <windows.h>

// Asks for a printer (the one of "Devices" in section "Printer" of admin.ini
// preselected) and prints the pane's rows as a ruled table, the column
// titles at the top of every page, under the progress window.
void PrintJournal(HWND pane);

// Asks for a file name over `owner` and saves the pane's rows as text, one
// line per row, each field followed by a tab. An existing file is replaced
// only when the administrator agrees and the new one is complete.
void ExportJournal(HWND owner);
