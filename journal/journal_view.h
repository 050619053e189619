// The journal pane of the main window (class "arrayed"), its seven column
// header buttons, the sort and the rows it lists.
//
// The pane is a list box without item data (LBS_NODATA): it is told only how
// many rows it has, and row i shows the record JournalRows()[i]. So a journal
// of any length fills it at once, and the printout and the export read the
// same rows in the same order.
#pragma once
#include <windows.h>

#include <array>
#include <vector>

#include "journal/journal_columns.h"

struct JournalColumn {
    char title[128];  // as shown on the header button, cut to fit
    int command;      // the header button's identifier and sort command
    int percent;      // of the table width
    int width;        // pixels, from the last PlaceColumnHeaders
    HWND button;
};

extern std::array<JournalColumn, kJournalColumnCount> JournalColumns;

// Set by the main window when it creates the pane.
extern HWND JournalPane;

LRESULT CALLBACK JournalPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the pane's class "arrayed", a copy of the platform's list box;
// false when it cannot be registered (also when it already is).
bool RegisterJournalPaneClass(HINSTANCE instance);

// Fills JournalColumns and creates the seven header buttons, hidden, as
// children of the pane's parent.
void CreateColumnHeaders(HWND pane);

// Sizes, titles and places the header buttons in the 20 pixels above a pane
// whose left edge is x, top edge y, and width paneWidth.
void PlaceColumnHeaders(int x, int y, int paneWidth);

// Sorts the journal by a column (header command 5 to 11; anything else sorts
// by "Date"), remembers it as the sort setting, and refills the pane.
void SortJournal(int command);

// Lists in the pane the records that pass the gateway and user filter, in
// the order of the last sort (sorting again first when the journal's length
// changed since).
void FillJournalPane();

// Shows the pane and its header buttons and fills it, or empties and hides
// them, as the "shown" setting says.
void ShowJournalPane();

// The main window's timer: while the pane is shown, reloads the journal and,
// when its length changed, has the main window sort and refill it, keeping
// the selected row position. Nothing while the reload is held.
void RefreshJournalOnTimer(HWND mainWindow);

// Draws every visible row of the pane, also the rows past the last record.
void PaintJournalPane(HWND pane);

// Draws the row of an owner-draw request of the pane, or its focus frame.
void DrawJournalRow(const DRAWITEMSTRUCT* item);

// After an operation changed the journal's records: when the pane is shown,
// has the main window sort and refill it.
void RefreshJournalView();

// The record index of each row of the pane, in display order.
const std::vector<int>& JournalRows();

// While the printout or the export works on the pane's rows and records
// (their dialogs let the timer run), the timer leaves the journal and the
// pane as they are: the rows stay the ones of the command's start, and the
// records they name stay where they are. The next tick after the last
// release catches up.
void HoldJournalReload();
void ReleaseJournalReload();
