// The journal on paper and as a text file.
#pragma once
#include <windows.h>

// Prints the rows that `pane` shows.
void PrintJournal(HWND pane);

// Asks for a file name over `owner` and saves the shown rows as text.
void ExportJournal(HWND owner);
