// TEMPORARY: empty bodies so that the users window links and runs until the
// numbers page lands.
#include "users/numbers_page.h"

void ShowNumbersPage(HWND, int) {}
void HideNumbersPage(HWND) {}
void FillNumbersPage(HWND) {}
void FillUserNumbersList(HWND) {}
void ReadNumberPool(HWND) {}
void WriteNumberPool(HWND) {}
void InsertPoolNumbers(HWND) {}
void RemoveUserNumbers(HWND) {}
void AddPoolNumber(HWND) {}
void RemovePoolNumber(HWND) {}

INT_PTR CALLBACK NewNumberDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
