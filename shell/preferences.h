// The preferences property sheet and the about box.
#pragma once
#include <windows.h>

// Shows the preferences modally over `owner`.
void ShowPreferences(HWND owner);

// Shows the about box modally over `owner`.
void ShowAboutBox(HWND owner);
