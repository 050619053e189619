// Appends call records to a journal file the way the server does, for the
// tests and the server simulator.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

// Opens the file sharing everything, reads the count, writes the record after
// the records it counts, writes the count plus one, closes. While another
// program keeps writers out (the console rewriting the journal), the open is
// retried for up to `waitMs`. False when the record could not be appended.
bool AppendJournalRecord(const std::string& path, std::span<const uint8_t, 564> record, DWORD waitMs);
