// The numbers page of the users window: the selected user's forbidden numbers
// ("Numéros in&terdits:", the window's EditNumbers, which the window hands to
// the functions that show or change them) and the shared pool ("Numé&ros :",
// keys "NUM0" to "NUM39" of section "AUTORISE" in admin.ini). Every function
// takes the users window, which holds the page's controls.
#pragma once

#include <windows.h>

#include "users/numbers_record.h"

// editing: the user's list and the two arrow buttons are enabled only then;
// the pool and "N&ouveau numéro" always are.
void ShowNumbersPage(HWND dialog, int editing);
void HideNumbersPage(HWND dialog);
// The user's list from `numbers`, then the pool from admin.ini.
void FillNumbersPage(HWND dialog, const NumbersRecord& numbers);
// The user's list alone, from `numbers`.
void FillUserNumbersList(HWND dialog, const NumbersRecord& numbers);
void ReadNumberPool(HWND dialog);
void WriteNumberPool(HWND dialog);

// Commands of the page.
void InsertPoolNumbers(HWND dialog, NumbersRecord& numbers);  // "<- &Insérer"
void RemoveUserNumbers(HWND dialog, NumbersRecord& numbers);  // "&Enlever ->", and a double click in the user's list
void AddPoolNumber(HWND dialog);       // "N&ouveau numéro"
void RemovePoolNumber(HWND dialog);    // the Delete key in the pool list

INT_PTR CALLBACK NewNumberDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
