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
void SaveNumbersFile();

// Reads the file into a fresh table; a missing file is made anew
// (CreateNumbersFile). A short file gives zero records where it ends.
void LoadNumbersFile();

// "NumAut.sav", the copy of the file that the users window makes when it
// opens, puts back when its changes are dropped and deletes when it closes.
void SaveNumbersCopy();
void RestoreNumbersCopy();
void DeleteNumbersCopy();
