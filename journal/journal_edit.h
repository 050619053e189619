// What the console does to the records of the journal: the one-time century
// of two-digit years, the purge by date, the removal and the renaming of a
// gateway's or a user's records. Every removal keeps the other records in
// their order; names are compared byte for byte, case included.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "journal/journal_record.h"

// "05/06/98 10:00:00" becomes "05/06/1998 10:00:00": the text from the year
// on moves two places right (cut to stay in its field) and "19" fills the gap.
// False, and nothing changed, when the record's year has four digits.
bool FixTwoDigitYear(JournalRecord& record);

// Whether FixTwoDigitYear would convert the record.
bool HasTwoDigitYear(const JournalRecord& record);

// The number of records converted.
size_t FixTwoDigitYears(std::span<JournalRecord> records);

// Removes the records dated no later than `limit` (same layout as dateTime).
// Returns the number of records removed, as the removals below.
size_t PurgeRecords(std::vector<JournalRecord>& records, std::string_view limit);

// A name longer than the 49 characters that a record's field holds is
// compared as the field would hold it, cut to 49, so that the records renamed
// to it are found again.

// Removes the records whose gateway (user) is `name`.
size_t RemoveGatewayRecords(std::vector<JournalRecord>& records, std::string_view name);
size_t RemoveUserRecords(std::vector<JournalRecord>& records, std::string_view name);

// Gives the records of gateway `oldName` the name `newName`, cut to 49
// characters. Returns the number of records renamed.
size_t RenameGatewayRecords(std::span<JournalRecord> records, std::string_view oldName, std::string_view newName);

// One user's new name.
struct NameChange {
    std::string oldName;
    std::string newName;
};

// Renames users, all at once: each record takes the new name (cut to 49
// characters) of the first change whose old name it holds, and a record
// renamed is not looked at again, so that names swapped or passed along in a
// chain ("A" to "B" while "B" becomes "C") never merge two users' records.
// Returns the number of records renamed. The second form renames one user.
size_t RenameUserRecords(std::span<JournalRecord> records, std::span<const NameChange> changes);
size_t RenameUserRecords(std::span<JournalRecord> records, std::string_view oldName, std::string_view newName);
