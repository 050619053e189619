// What a periodic reload of the journal must read. The server only ever
// appends to the file: a record, then the count that announces it. So when
// the file announces the records already loaded, nothing needs reading; when
// it holds more and has not shrunk, only the new ones do. Anything else (a
// shorter journal, a table that is not the last load) needs the whole file.
// No platform.
#pragma once
#include <cstdint>

enum class JournalReload { nothing, appended, whole };

struct JournalReloadPlan {
    JournalReload step = JournalReload::nothing;
    int32_t from = 0;  // appended: the records from..to - 1 of the file
    int32_t to = 0;
};

// `tableCount` is the number of records in memory; `loadedCount` and
// `loadedSize` what the last load or rewrite found in the file; `fileCount`
// and `fileSize` its count and length now.
JournalReloadPlan PlanJournalReload(int32_t tableCount, int32_t loadedCount, uint64_t loadedSize,
                                    int32_t fileCount, uint64_t fileSize);
