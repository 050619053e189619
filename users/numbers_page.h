// The numbers page of the users window: the selected user's forbidden numbers
// ("Numéros in&terdits:", from EditNumbers) and the shared pool ("Numé&ros :",
// keys "NUM0" to "NUM39" of section "AUTORISE" in admin.ini). Every function
// takes the users window, which holds the page's controls.
#pragma once

#include <windows.h>

// editing: the user's list and the two arrow buttons are enabled only then;
// the pool and "N&ouveau numéro" always are.
void ShowNumbersPage(HWND dialog, int editing);
void HideNumbersPage(HWND dialog);
// The user's list from EditNumbers, then the pool from admin.ini.
void FillNumbersPage(HWND dialog);
// The user's list alone, from EditNumbers.
void FillUserNumbersList(HWND dialog);
void ReadNumberPool(HWND dialog);
void WriteNumberPool(HWND dialog);

// Commands of the page.
void InsertPoolNumbers(HWND dialog);   // "<- &Insérer"
void RemoveUserNumbers(HWND dialog);   // "&Enlever ->", and a double click in the user's list
void AddPoolNumber(HWND dialog);       // "N&ouveau numéro"
void RemovePoolNumber(HWND dialog);    // the Delete key in the pool list

INT_PTR CALLBACK NewNumberDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
