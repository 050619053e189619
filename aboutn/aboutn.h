// aboutn.dll, the console's about box. Its one entry is exported by ordinal 1
// only; the console loads the library by its full path in the program
// directory and takes the entry by that ordinal.
#pragma once
#include <windows.h>

extern "C" {
// Ordinal 1: shows the about box over `owner` with three lines of text, and
// returns when it is closed (1; 0 when the box could not be shown).
int WINAPI ShowAboutDialog(HWND owner, const char* line1, const char* line2, const char* line3);
}

// What the console calls through the pointer it gets for ordinal 1.
using AboutDialogEntry = decltype(&ShowAboutDialog);
constexpr WORD kAboutDialogOrdinal = 1;
