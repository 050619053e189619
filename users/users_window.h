// The users window "Configuration des utilisateurs": a modal dialog over the
// work copy of the user database, with a configuration page and a numbers
// page in one frame.
#pragma once

#include <windows.h>

#include "users/users_window_state.h"

// Shows the window modally; owner is the main window, or null when the
// console runs the users window alone ("/u"). Always returns 1.
INT_PTR ShowUsersWindow(HWND owner);
INT_PTR CALLBACK UsersDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Pieces of the window, over the current user table (the work copy while the
// window is open) and the window's state.

// Browse (editing 0): the list, "OK", "Annuler" and "&Supprimer" enabled,
// "A&jouter" and "Modi&fier" shown; edit: "&Valider" and "Annu&ler" shown
// instead and the rest disabled.
void SetBrowseButtons(HWND dialog, int editing);
// The configuration page's labels and fields shown, the fields enabled only
// when editing; the multi-session box stays hidden.
void ShowConfigurationPage(HWND dialog, int editing);
void HideConfigurationPage(HWND dialog);
// The edit buffers into the page; the password shown unscrambled.
void FillConfigurationPage(HWND dialog, UsersWindowState& state);
// The user at `position` and its numbers record into the edit buffers.
void LoadEditBuffers(UsersWindowState& state, int position);
// The position of the user named exactly `name`, or the number of users (also
// for an empty name).
int FindUserByName(const char* name);
// Gives the slot after the last user the lowest free station number.
void AssignStationNumber();
// 1 when `name` cannot be the name of the user at `position` (empty, not
// usable as a directory name, or another user's name in any letter case),
// after saying why; 0 when it can.
int CheckUserName(HWND owner, const char* name, int position);
// One row of the users list: the user's name and, when the user is active,
// its mark. Takes over a password that the user's workstation changed.
void DrawUserRow(HWND dialog, UsersWindowState& state, const DRAWITEMSTRUCT* item);
