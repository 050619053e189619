#include "journal/journal_reload_plan.h"

#include <gtest/gtest.h>

namespace {

TEST(JournalReloadPlan, ReadsOnlyWhatTheServerAppended)
{
    const uint64_t k = 564;
    struct Case {
        const char* name;
        int32_t table, loadedCount;
        uint64_t loadedSize;
        int32_t fileCount;
        uint64_t fileSize;
        JournalReload step;
        int32_t from, to;
    } cases[] = {
        {"unchanged", 3, 3, 4 + 3 * k, 3, 4 + 3 * k, JournalReload::nothing, 0, 0},
        {"two appended", 3, 3, 4 + 3 * k, 5, 4 + 5 * k, JournalReload::appended, 3, 5},
        {"a record written, its count not yet", 3, 3, 4 + 3 * k, 3, 4 + 4 * k, JournalReload::nothing, 0, 0},
        {"counted but only partly written", 3, 3, 4 + 3 * k, 5, 4 + 4 * k + 10, JournalReload::appended, 3, 4},
        {"bytes after the records, then an append", 3, 3, 4 + 3 * k + 7, 4, 4 + 4 * k + 7,
         JournalReload::appended, 3, 4},
        {"first records of an empty journal", 0, 0, 4, 2, 4 + 2 * k, JournalReload::appended, 0, 2},
        {"purged elsewhere", 3, 3, 4 + 3 * k, 1, 4 + 1 * k, JournalReload::whole, 0, 0},
        {"shorter file, more records", 3, 3, 4 + 3 * k + 600, 4, 4 + 4 * k, JournalReload::whole, 0, 0},
        {"table is not the last load", 2, 3, 4 + 3 * k, 3, 4 + 3 * k, JournalReload::whole, 0, 0},
        {"negative count", 3, 3, 4 + 3 * k, -1, 4 + 3 * k, JournalReload::whole, 0, 0},
        {"emptied", 3, 3, 4 + 3 * k, 0, 4, JournalReload::whole, 0, 0},
        {"an empty table, an empty file", 0, 0, 4, 0, 4, JournalReload::nothing, 0, 0},
    };
    for (const Case& c : cases) {
        JournalReloadPlan plan = PlanJournalReload(c.table, c.loadedCount, c.loadedSize, c.fileCount, c.fileSize);
        EXPECT_EQ(plan.step, c.step) << c.name;
        if (c.step == JournalReload::appended) {
            EXPECT_EQ(plan.from, c.from) << c.name;
            EXPECT_EQ(plan.to, c.to) << c.name;
        }
    }
}

}  // namespace
