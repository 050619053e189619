// The periodic reload of the journal: only what the server appended since
// the last load is read.
#pragma once
#include <cstdint>

// Brings Journal up to date with "Journal.dat". The first load of the run,
// and a file that is not the last load plus appended records (shorter, or
// rewritten meanwhile), go through LoadJournal. Otherwise reads the count,
// then only the records appended since the last load, and adds them to the
// table. A file that cannot be opened leaves the table as it is (a missing
// one is created by LoadJournal). Returns the number of bytes read from the
// file.
uint64_t LoadJournalAppends();
