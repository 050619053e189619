// The text export of the journal: one line per row, the seven fields of the
// record in column order, each followed by a tab, then CR LF; no header line.
// Every field is written as stored, up to its terminator. No platform.
#pragma once
#include <cstddef>
#include <span>
#include <string>

#include "journal/journal_record.h"

// The longest line a record makes: every field full without a terminator,
// seven tabs, CR LF.
constexpr size_t kJournalExportLineMax = kJournalLineSize + kJournalGatewaySize + kJournalUserSize +
                                         kJournalNumberSize + kJournalDateTimeSize + kJournalRateSize +
                                         kJournalDurationSize + 7 + 2;

// Writes the line of a record at `out`, which has room for
// kJournalExportLineMax bytes; returns the end of the line.
char* WriteJournalExportLine(const JournalRecord& record, char* out);

// Writes into `piece` the lines of the records that `rows` names (indexes
// into `records`), from rows[from] on and in that order, for as long as the
// longest line still has room (none when `piece` is shorter than that);
// entries that name no record are left out. Sets `used` to the bytes written
// and returns the index of the next row.
size_t WriteJournalExportLines(std::span<const JournalRecord> records, std::span<const int> rows, size_t from,
                               std::span<char> piece, size_t& used);

// The lines of all the rows at once.
std::string JournalExportText(std::span<const JournalRecord> records, std::span<const int> rows);

// The name the save dialog proposes for a day: "Journal au 07-03-2001.txt".
std::string ProposedExportName(int day, int month, int year);

// The save dialog's filter list from a text whose last character separates
// its entries ("Journal (*.txt)|*.txt|"): every occurrence of that character
// becomes a zero byte, so that the list ends with two zeros once the
// string's own terminator follows.
std::string FilterListFromText(std::string text);
