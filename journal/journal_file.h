// The call journal: "Journal.dat" of the program directory, which the server
// appends to at any moment, and its image in memory.
//
// Every rewrite keeps the server's appends out for as long as it takes: the
// file is opened so that nobody else may write it (the server retries its
// open meanwhile), read again as it stands, and rewritten through that handle
// once the new content is safely complete beside it. A record the server
// appended since the last load is therefore never lost, and the table in
// memory is the file as it stands after each operation. A rewrite that
// cannot hold or write the file changes nothing and tells the administrator.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/file_io.h"
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
// purge that changed it. When the backup cannot be made whole, nothing is
// removed and the administrator is told.
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

// The journal held against every other writer, for a rewrite that is to be
// made only together with other work: the caller takes the hold before that
// work and gives it up if the hold cannot be had.
class JournalHold {
public:
    bool ok() const { return file_.ok(); }

private:
    friend JournalHold HoldJournal();
    friend bool EditUserEntries(JournalHold& hold, std::span<const std::string> removed,
                                std::span<const NameChange> renamed);
    File file_;
};

// Takes the hold, waiting while the server appends. Not ok() when another
// program keeps the journal longer; a missing journal is made, empty.
JournalHold HoldJournal();

// Through the hold, in one rewrite: removes the records of the users named in
// `removed`, then renames users as RenameUserEntries does. The hold is given
// up. False when the journal could not be written: it is then as it was.
// Nothing is reported here; the caller tells the administrator.
bool EditUserEntries(JournalHold& hold, std::span<const std::string> removed, std::span<const NameChange> renamed);

// What refreshes the view of the journal after PurgeJournal and
// RemoveUserEntries; the main window sets it when it is created. The file
// code itself knows nothing of the view. None at first.
using JournalRefresh = void (*)();
void SetJournalRefresh(JournalRefresh refresh);
