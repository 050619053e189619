// The layout of "Journal.dat": a signed 32-bit count, then the records,
// oldest first. The count is only a claim: the server may have died between
// writing a record and its count, and a damaged file may announce anything,
// so the records taken from a file are never more than its length holds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "journal/journal_record.h"

constexpr size_t kJournalHeaderSize = 4;

// The byte offset of record `index` in the file.
constexpr uint64_t JournalRecordAt(uint64_t index)
{
    return kJournalHeaderSize + index * kJournalRecordSize;
}

// The count announced by the first four bytes; 0 when fewer are given.
int32_t ReadJournalCount(std::span<const uint8_t> header);

// How many records a file of `fileSize` bytes announcing `count` holds: the
// count, cut to the whole records present; none for a negative count.
int32_t RecordsHeld(uint64_t fileSize, int32_t count);

// The records held by a whole file image.
std::vector<JournalRecord> DecodeJournalImage(std::span<const uint8_t> image);

// The image of a file holding exactly these records.
std::vector<uint8_t> EncodeJournalImage(std::span<const JournalRecord> records);
