// The console's start-up, from the command line to the end of the message loop.
#pragma once
#include <windows.h>

// Returns 0 on every early exit, else the quit message's exit code.
int RunConsole(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);

// Finishes what an earlier run that ended in the middle of a save left half
// done: writes in place cut short, the users window's commit, and renames of
// user directories.
void FinishInterruptedSaves();
