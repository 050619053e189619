#include "journal/journal_rows.h"

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

}  // namespace
