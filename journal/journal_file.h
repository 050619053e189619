// The call journal: "Journal.dat" of the program directory, which the server
// appends to at any moment, and its image in memory.
//
// Every rewrite keeps the server's appends out for as long as it takes: the
// file is opened so that nobody else may write it (the server retries its
// open meanwhile), read again as it stands, and rewritten through that handle
// once the new content is safely complete beside it. A record the server
// appended since the last load is therefore never lost, and the table in
// memory is the file as it stands after each operation. No operation reports
// an error; one that cannot reach the file changes nothing.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "journal/journal_edit.h"
#include "journal/journal_record.h"

// The records of the file, oldest first, exactly as they stand in it.
// Other parts read them and address a record by its index (0 = oldest).
struct JournalTable {
    int32_t count = 0;  // records.size()
    std::vector<JournalRecord> records;
    // Two-digit years get their century at the first load of the process only.
    bool YearFixPending = true;
    // What the last load or rewrite found: the count of the file's records
    // and its length. The records past loadedCount are the server's appends.
    int32_t loadedCount = 0;
    uint64_t loadedSize = 0;
    // Taken afresh, never to a number the process used before, each time the
    // records are replaced or rewritten; kept when records are only appended.
    // An order built over the records at one stamp still holds for them at
    // the same stamp. 0: not known (a table filled by hand).
    uint64_t changeStamp = 0;
};

extern JournalTable Journal;

// Reads the file into Journal; creates an empty file when there is none.
void LoadJournal();

// Writes Journal's records, followed by the records the server appended since
// they were loaded.
void SaveJournal();

// Makes the file hold no record: a zero count and nothing else.
void CreateEmptyJournal();

// Removes the records dated no later than `limit` ("dd/mm/yyyy hh:mm:ss")
// then calls the refresh. "Journal.old" then holds the file as it stood
// before; a purge that leaves the file as it is keeps the backup of the last
// purge that changed it.
void PurgeJournal(const char* limit);

// Removes the records of a gateway, or of a user (then calls the refresh).
void RemoveGatewayEntries(const char* name);
void RemoveUserEntries(const char* name);

// Renames a gateway in its records; a new name longer than 49 characters is
// cut to 49.
void RenameGatewayEntries(const char* oldName, const char* newName);

// Renames users in their records, all in one rewrite and all at once (see
// RenameUserRecords); the second form renames one user.
void RenameUserEntries(std::span<const NameChange> changes);
void RenameUserEntries(const char* oldName, const char* newName);

// What refreshes the view of the journal after PurgeJournal and
// RemoveUserEntries; the main window sets it when it is created. The file
// code itself knows nothing of the view. None at first.
using JournalRefresh = void (*)();
void SetJournalRefresh(JournalRefresh refresh);
