// The text export of the journal: one line per row, the seven fields of the
// record in column order, each followed by a tab, then CR LF; no header line.
// Every field is written as stored, up to its terminator. No platform.
#pragma once
#include <cstddef>
#include <span>
#include <string>

#include "journal/journal_record.h"

// Appends the line of one record.
void AppendJournalExportLine(const JournalRecord& record, std::string& out);

// Appends the lines of the records that `rows` names (indexes into
// `records`) from rows[from] on, in that order, until `out` holds at least
// `limit` bytes or the rows end; entries that name no record are left out.
// Returns the index of the next row to write.
size_t AppendJournalExportLines(std::span<const JournalRecord> records, std::span<const int> rows, size_t from,
                                size_t limit, std::string& out);

// The lines of all the rows.
std::string JournalExportText(std::span<const JournalRecord> records, std::span<const int> rows);

// The name the save dialog proposes for a day: "Journal au 07-03-2001.txt".
std::string ProposedExportName(int day, int month, int year);

// The save dialog's filter list from a text whose last character separates
// its entries ("Journal (*.txt)|*.txt|"): every occurrence of that character
// becomes a zero byte, so that the list ends with two zeros once the
// string's own terminator follows.
std::string FilterListFromText(std::string text);
