// The display orders of the journal's columns, over the records in file order
// (index 0 = oldest). No platform.
//
// Text columns ("Ligne", "Passerelle", "Utilisateur", "Numéro", "Débit"):
// ascending, bytes compared as signed 8-bit values with the terminator taking
// part (the bytes 0x80 to 0xFF come before the end of a text and before every
// ASCII character; a text comes before every longer text that begins with
// it), no case folding; equal texts latest record first. A field with no
// terminator ends with its field. "Date": the file's order. "Durée":
// `durationValue` largest first, equal values oldest first.
//
// Each order is total, so any way of reaching it gives the same index.
#pragma once
#include <span>
#include <vector>

#include "journal/journal_record.h"

// Whether record a comes before record b for the sort command (5 to 11; any
// other command sorts as "Date").
bool ComesBefore(std::span<const JournalRecord> records, int command, int a, int b);

// Fills `order` with 0 to records.size() - 1 in the command's order.
void BuildJournalOrder(std::span<const JournalRecord> records, int command, std::vector<int>& order);

// When `order` holds the command's order of the first order.size() records,
// puts the records after them (the server's appends) in their places and
// returns true. Otherwise (the records changed since it was built, it holds
// more entries than there are records, or it is not a permutation) returns
// false and leaves `order` as it was. Costs a pass over `order` and a binary
// search per new record.
bool ExtendJournalOrder(std::span<const JournalRecord> records, int command, std::vector<int>& order);

// The same extension for an `order` known to be the command's order of the
// first order.size() records, which must not outnumber the records (built
// or extended over them since they last changed): without the pass that
// checks it.
void InsertAppendedRecords(std::span<const JournalRecord> records, int command, std::vector<int>& order);
