// Numaut.dat on disk: the forbidden numbers of every user position. The
// in-memory NumbersTable is that of users/user_tables.h. While the users
// window is open it edits a work copy, "usertemp\Numaut.dat", beside the user
// database's, and "OK" commits the two together.
//
// A Numaut.dat that is there but cannot be read is never replaced: neither by
// a fresh table nor by a save of a table that could not be loaded from it.
#pragma once
#include <windows.h>

#include "users/numbers_record.h"
#include "users/user_tables.h"

// What reading the file found.
enum class NumbersReading {
    read,        // the table is the file's
    missing,     // there was no file: a fresh one was made (CreateNumbersFile)
    unreadable,  // the file is there but could not be read: the table is zero and the file untouched
    notCopied,   // the users window's work copy could not be made
};

// A fresh table (head = the number of users, every record zero), written out
// unless a file is already there. The table is made even when the file is not.
// `workCopy` 1: the window's work copy.
void CreateNumbersFile(int workCopy = 0);

// Writes the whole table over the file; the old file stays whole if that
// fails, and a file that is there but cannot be read is left as it is.
bool SaveNumbersFile(int workCopy = 0);

// Reads the file into a fresh table; a missing file is made anew
// (CreateNumbersFile). A short file gives zero records where it ends.
NumbersReading LoadNumbersFile(int workCopy = 0);

// The users window's work copy: made from Numaut.dat when the window opens
// (a missing Numaut.dat is made first; none is made when Numaut.dat cannot be
// read), put over Numaut.dat by "OK", dropped when the window closes.
NumbersReading OpenNumbersWorkCopy();
bool CommitNumbersWorkCopy();
void DiscardNumbersWorkCopy();

// The saved copy "NumAut.sav", made when the users window opens: a copy of
// the file, replacing an older one (none is left when the file cannot be
// read, so that a stale copy never passes for it). Deleted when the window
// closes.
void SaveNumbersCopy();
void DeleteNumbersCopy();
