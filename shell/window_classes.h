// The console's window classes, registered once at start-up.
#pragma once
#include <windows.h>

// Registers "listboxchar", "arrayed", "Administrateur", "Bulle" and "$BtnBulle",
// in that order; false as soon as one fails.
bool RegisterWindowClasses(HINSTANCE instance);
