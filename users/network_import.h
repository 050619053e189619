// Import of the network's user accounts into reseau.dat (set-up on Windows NT).
#pragma once
#include <windows.h>

// Set by the progress window's "Annuler"; cleared before the window is made.
extern int ImportCancelled;

// To the progress window: lParam is the text of its line.
constexpr UINT WM_IMPORT_PROGRESS_TEXT = WM_USER + 505;

// Builds reseau.dat of the program directory from the accounts that
// "ZemoNet.DLL" lists, after asking whether to take the network's or this
// computer's (not asked when the program directory lies on a network drive).
// The users are gathered in memory and written once at the end, so that
// reseau.dat is made complete or not at all, always with an administrator.
// Returns the number of users written; 0 when nothing was written (not
// Windows NT, no library, "Annuler", no account, no account that can be
// stored, or the file could not be written), and set-up then makes the
// default database.
int ImportNetworkUsers(HWND owner);

// The choice "Récupération des utilisateurs": 1 for "sur le réseau", 2 for
// "uniquement sur cet ordinateur", 0 for "Annuler".
INT_PTR CALLBACK ImportChoiceDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The progress window, modeless: its line and "Annuler".
INT_PTR CALLBACK ImportProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Tests take the program directory to lie on a drive of this type (a
// DRIVE_ value); 0 goes back to asking the platform.
void SetProgramDriveTypeForTests(UINT type);
