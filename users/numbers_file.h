// Numaut.dat on disk: the forbidden numbers of every user position. The
// in-memory NumbersTable is that of users/user_tables.h. Failures are silent.
#pragma once
#include <windows.h>

#include "users/numbers_record.h"
#include "users/user_tables.h"

// A fresh table (head = the number of users, every record zero), written out.
// The table is made even when the file cannot be.
void CreateNumbersFile();

// Writes the whole table over the file; the old file stays whole if that fails.
bool SaveNumbersFile();

// Reads the file into a fresh table; a missing file is made anew
// (CreateNumbersFile). A short file gives zero records where it ends.
void LoadNumbersFile();

// The saved copy "NumAut.sav", which lets the users window drop its changes
// to the numbers. Made when the window opens: a copy of the file, replacing
// an older one (none is left when the file cannot be read, so that a stale
// copy is never put back).
void SaveNumbersCopy();
// Puts the saved copy back over the file, whole or not at all. Without a
// saved copy the file stays as it is.
void RestoreNumbersCopy();
void DeleteNumbersCopy();
