// The states window ("Gestion des états"): the server, the users and the
// gateways that the server marks active, and switching those marks off after
// a workstation or the server stopped without clearing them.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

constexpr int kActiveUserKind = 1;
constexpr int kActiveGatewayKind = 2;
constexpr int kMaxActiveEntries = 1008;  // 1000 users and 8 gateways
// Item data of the server's line in the list; every other line holds the
// index of its entry.
constexpr LPARAM kServerLine = -1;

struct ActiveEntry {
    int32_t kind;      // kActiveUserKind or kActiveGatewayKind
    int32_t position;  // record number in ActUser.dat or ActPass.dat, and table position
    char name[128];
};

// Users first, then gateways, each in position order; rebuilt on demand.
extern std::array<ActiveEntry, kMaxActiveEntries> ActiveEntries;
extern int ActiveEntryCount;

// Shows the states window modally over `owner`.
void ShowStatesWindow(HWND owner);

// The window's dialog procedure, for the template IDD_STATES. Ends with 1.
INT_PTR CALLBACK StatesDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Rereads the activity files and the user database (reporting a database it
// cannot read over `owner`) and lists the active users and gateways.
void BuildActiveEntries(HWND owner);

// Refills the list: the server's line when server.ini says it runs, then one
// line per active entry.
void FillStatesList(HWND dialog);

// Places the dialog's two column headers in the 20 pixels above a list whose
// left edge is x, top edge y, and width `width` (dialog client coordinates),
// each 5 pixels more than its half of (width - 10), titles cut to fit.
void LayoutStateHeaders(HWND dialog, int x, int y, int width);

// Clears the marks of the selected lines, then rebuilds and refills the list.
void DeactivateSelection(HWND dialog);
