#include "journal/journal_print.h"

// Printing and the text export come with their own work; until then both
// commands do nothing.
void PrintJournal(HWND)
{
}

void ExportJournal(HWND)
{
}
