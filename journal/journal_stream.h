// The records of "Journal.dat" read from and written to an open file, a
// chunk of about a megabyte at a time, never the whole file at once: the
// loads, the reloads and the rewrites all go through these two.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/file_io.h"
#include "journal/journal_record.h"

// Reads up to `wanted` records from the file's position onto the end of
// `records`, stopping at the first record cut short. Each chunk read also
// goes to `copy` when it is given and open; a copy that fails is closed and
// forgotten. Returns the number of bytes read.
uint64_t ReadJournalRecords(File& file, size_t wanted, std::vector<JournalRecord>& records, File* copy = nullptr);

// Writes the records at the file's position.
bool WriteJournalRecords(File& file, std::span<const JournalRecord> records);

// Bytes go through a buffer of at most this many records.
constexpr size_t kJournalChunkRecords = 2048;
