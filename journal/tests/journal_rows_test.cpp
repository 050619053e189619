#include "journal/journal_rows.h"
#include "journal/journal_tail.h"

#include <gtest/gtest.h>

#include <vector>

#include "journal/tests/journal_fixture.h"

namespace {

std::vector<JournalRecord> Records(const std::vector<std::pair<const char*, const char*>>& gatewayAndUser)
{
    std::vector<JournalRecord> records;
    for (const auto& [gateway, user] : gatewayAndUser) {
        CallFields f;
        f.gateway = gateway;
        f.user = user;
        JournalRecord record;
        ParseJournalRecord(CallBytes(f), record);
        records.push_back(record);
    }
    return records;
}

TEST(JournalRows, KeepTheOrderOfTheRecordsThatPassTheFilter)
{
    const std::vector<JournalRecord> records = Records({
        {"Pass1", "Durand"},   // 0
        {"Pass10", "Durand"},  // 1
        {"Pass1", "durand"},   // 2
        {"Pass2", "Dupont"},   // 3
        {"pass1", "Durand2"},  // 4
        {"Pass1", ""},         // 5
        {"", "Durand"},        // 6
    });
    const std::vector<int> order = {6, 3, 0, 5, 1, 4, 2};
    struct Case {
        const char* name;
        JournalFilter filter;
        std::vector<int> expected;
    } cases[] = {
        {"everything", {}, order},
        {"one gateway, exact bytes", {false, "Pass1", true, {}}, {0, 5, 2}},
        {"one user, exact bytes", {true, {}, false, "Durand"}, {6, 0, 1}},
        {"both", {false, "Pass1", false, "Durand"}, {0}},
        {"an empty name matches empty fields", {false, "", true, {}}, {6}},
        {"a name nobody has", {true, {}, false, "Martin"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<int> rows{42};
        BuildJournalRows(records, order, c.filter, rows);
        EXPECT_EQ(rows, c.expected) << c.name;
    }
}

TEST(JournalRows, LeaveOutEntriesThatNameNoRecord)
{
    const std::vector<JournalRecord> records = Records({{"Pass1", "Durand"}, {"Pass2", "Durand"}});
    const std::vector<int> order = {1, 2, -1, 0};
    for (bool every : {true, false}) {
        std::vector<int> rows;
        BuildJournalRows(records, order, {every, every ? "" : "Pass2", true, {}}, rows);
        EXPECT_EQ(rows, every ? std::vector<int>({1, 0}) : std::vector<int>({1})) << every;
    }
}

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
