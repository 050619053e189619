#include "journal/journal_sort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "journal/tests/journal_fixture.h"
#include "journal/tests/journal_sort_reference.h"

namespace {

JournalRecord RecordOf(const CallFields& fields)
{
    JournalRecord record;
    ParseJournalRecord(CallBytes(fields), record);
    return record;
}

const char* const kColumnNames[] = {"Ligne", "Passerelle", "Utilisateur", "Numéro", "Date", "Débit", "Durée"};

std::string NameOf(int command)
{
    return command >= 5 && command <= 11 ? kColumnNames[command - 5] : "command " + std::to_string(command);
}

// Texts that meet at every kind of boundary: accented bytes (negative as
// signed), prefixes of each other, case, long common beginnings that go past
// the first eight bytes, and the empty text.
const std::vector<std::string> kTexts = {
    "", "A", "a", "Albert", "albert", "Alb", "\xC9mile", "\xE9mile", "Zo\xE9", "Zoe", "Zo",
    "Pass1", "Pass10", "Pass2", "\x80", "\xFF", "\x7F", "0145678900", "0145678901", "01456789",
    "Modem standard 33600 bps COM1", "Modem standard 33600 bps COM2", "Modem standard 33600 bps",
    "Modem standard 33600 bps COM1 \xE9", "Modem standard 56000 bps COM1", "Modem s",
};

// Fills a record's field with a text that has no terminator: `from` and the
// two bytes after it, over and over.
void FillUnterminated(JournalRecord& record, size_t offset, size_t size, uint8_t from)
{
    for (size_t i = 0; i < size; ++i)
        record.bytes[offset + i] = static_cast<uint8_t>(from + i % 3);
}

// Keys are drawn from kTexts, so that many records share each one; with
// `manyKeys`, one of those texts is followed by a few random bytes, so that
// most keys differ (the sort deals with the two cases differently).
std::vector<JournalRecord> RandomJournal(std::mt19937& random, size_t count, bool manyKeys = false)
{
    std::uniform_int_distribution<size_t> text(0, kTexts.size() - 1);
    std::uniform_int_distribution<int> small(0, 7);
    const char tail[] = {'a', 'b', 'B', '0', ' ', '\xE9', '\x80', '\x7F'};
    auto key = [&] {
        std::string k = kTexts[text(random)];
        if (manyKeys)
            for (int n = small(random) + small(random); n > 0; --n)
                k += tail[small(random)];
        return k.substr(0, 49);
    };
    std::vector<JournalRecord> records;
    for (size_t i = 0; i < count; ++i) {
        CallFields f;
        f.line = key();
        f.gateway = key();
        f.user = key();
        f.number = key();
        f.rate = key();
        f.dateTime = std::to_string(random() % 100);
        // Values that agree in some bytes and differ in others, and ties.
        const uint32_t scale[] = {30, 256, 0x10000, 0x1000000, 0x80000000u, 1, 0xFFFFFFFFu, 7};
        f.durationValue = scale[small(random)] * static_cast<uint32_t>(small(random) % 3) + static_cast<uint32_t>(small(random) % 2);
        f.filler = static_cast<uint8_t>(random());
        records.push_back(RecordOf(f));
        if (small(random) == 0)
            FillUnterminated(records.back(), 0, 256, 'M');
        if (small(random) == 0)
            FillUnterminated(records.back(), 306, 50, 'D');
        if (small(random) == 0)
            FillUnterminated(records.back(), 460, 50, 0xE0);
    }
    return records;
}

std::vector<int> Built(const std::vector<JournalRecord>& records, int command)
{
    std::vector<int> order{7, 7, 7};  // whatever it held goes
    BuildJournalOrder(records, command, order);
    return order;
}

TEST(JournalOrder, KnownCases)
{
    struct Case {
        const char* name;
        int command;
        std::vector<CallFields> calls;
        std::vector<int> expected;
    };
    auto user = [](const char* name) { CallFields f; f.user = name; return f; };
    auto number = [](const char* n) { CallFields f; f.number = n; return f; };
    auto line = [](const char* n) { CallFields f; f.line = n; return f; };
    auto gateway = [](const char* n) { CallFields f; f.gateway = n; return f; };
    auto rate = [](const char* n) { CallFields f; f.rate = n; return f; };
    auto date = [](const char* n) { CallFields f; f.dateTime = n; return f; };
    auto duration = [](uint32_t v) { CallFields f; f.durationValue = v; return f; };
    const Case cases[] = {
        // É (0xC9) is negative as a signed byte: before every ASCII letter.
        {"accented first", 7, {user("Zo\xE9"), user("Albert"), user("\xC9mile")}, {2, 1, 0}},
        {"equal numbers newest first", 8,
         {number("0145"), number("0146"), number("0145"), number("0144"), number("0145")}, {3, 4, 2, 0, 1}},
        {"durations largest first, equal ones oldest first", 11, {duration(30), duration(120), duration(30)},
         {1, 0, 2}},
        {"durations compared unsigned", 11, {duration(1), duration(0x80000000u), duration(0)}, {1, 0, 2}},
        {"date is the file order", 9, {date("31/12/2001 23:59:59"), date("01/01/1990 00:00:00"), date("")},
         {0, 1, 2}},
        {"a text before the longer ones it begins", 5, {line("Modem 10"), line("Modem 1"), line("Modem")},
         {2, 1, 0}},
        {"no case folding", 6, {gateway("pass1"), gateway("Pass1"), gateway("PASS1")}, {2, 1, 0}},
        {"past the first eight bytes", 5,
         {line("Modem standard 33600 bps COM2"), line("Modem standard 33600 bps COM1"),
          line("Modem standard 33600 bps COM1"), line("Modem standard 33600 bps")},
         {3, 2, 1, 0}},
        {"bytes after the terminator do not count", 10, {rate("28800"), rate("28800")}, {1, 0}},
        {"empty text first of the ASCII ones, after the accented", 10, {rate("0"), rate(""), rate("\xE9")},
         {2, 1, 0}},
    };
    for (const Case& c : cases) {
        std::vector<JournalRecord> records;
        for (size_t i = 0; i < c.calls.size(); ++i) {
            CallFields f = c.calls[i];
            f.filler = static_cast<uint8_t>(0x41 + 17 * i);  // other bytes after each terminator
            records.push_back(RecordOf(f));
        }
        EXPECT_EQ(Built(records, c.command), c.expected) << c.name;
        EXPECT_EQ(reference::JournalOrder(records, c.command), c.expected) << c.name << " (reference)";
    }
}

TEST(JournalOrder, UnterminatedFieldsEndWithTheirField)
{
    // Full 50-byte fields with no terminator, one of them beginning with the
    // other's 49 bytes, against terminated texts.
    std::vector<JournalRecord> records(4);
    FillUnterminated(records[0], 306, 50, 'D');
    FillUnterminated(records[1], 306, 50, 'D');
    FillUnterminated(records[2], 306, 50, 'D');
    records[2].bytes[306 + 49] = 0;  // the same 49 bytes, then the end
    records[3].bytes[306] = 'D';
    records[3].bytes[307] = 0;
    EXPECT_EQ(Built(records, 7), (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(reference::JournalOrder(records, 7), (std::vector<int>{3, 2, 1, 0}));
}

TEST(JournalOrder, MatchesTheInsertionOrdersOnRandomJournals)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        size_t count = round < 4 ? static_cast<size_t>(round) : 1 + random() % 400;
        std::vector<JournalRecord> records = RandomJournal(random, count, round % 2 == 1);
        for (int command = 5; command <= 11; ++command)
            ASSERT_EQ(Built(records, command), reference::JournalOrder(records, command))
                << NameOf(command) << ", round " << round << ", " << count << " records";
    }
}

// Thousands of records with distinct keys take another way through the sort
// than the small journals above: checked entry by entry against the order
// that ComesBefore (itself checked against the insertion orders) defines.
TEST(JournalOrder, SortsLargeJournalsWithManyDistinctKeys)
{
    std::mt19937 random(404);
    std::vector<JournalRecord> records = RandomJournal(random, 9000, true);
    // Half of them share their first 24 bytes, then differ.
    for (size_t i = 0; i < records.size(); i += 2) {
        std::string line = "Modem standard 33600 bps" + std::to_string(random() % 5000);
        std::memcpy(records[i].bytes.data(), line.c_str(), line.size() + 1);
    }
    for (int command : {5, 6, 7, 8, 10, 11}) {
        std::vector<int> order = Built(records, command);
        ASSERT_EQ(order.size(), records.size());
        std::vector<bool> seen(order.size());
        for (int r : order) {
            ASSERT_TRUE(r >= 0 && r < static_cast<int>(order.size()) && !seen[r]) << NameOf(command);
            seen[r] = true;
        }
        for (size_t p = 0; p + 1 < order.size(); ++p)
            ASSERT_TRUE(ComesBefore(records, command, order[p], order[p + 1])) << NameOf(command) << " at " << p;
    }
}

TEST(JournalOrder, AnyOtherCommandIsTheFileOrder)
{
    std::mt19937 random(7);
    std::vector<JournalRecord> records = RandomJournal(random, 50);
    for (int command : {0, 4, 12, 1011, -1})
        EXPECT_EQ(Built(records, command), reference::JournalOrder(records, 9)) << command;
}

TEST(JournalOrder, ComesBeforeAgreesWithTheOrder)
{
    std::mt19937 random(99);
    std::vector<JournalRecord> records = RandomJournal(random, 120);
    for (int command = 5; command <= 11; ++command) {
        std::vector<int> order = reference::JournalOrder(records, command);
        for (size_t p = 0; p + 1 < order.size(); ++p) {
            ASSERT_TRUE(ComesBefore(records, command, order[p], order[p + 1])) << NameOf(command) << " at " << p;
            ASSERT_FALSE(ComesBefore(records, command, order[p + 1], order[p])) << NameOf(command) << " at " << p;
        }
    }
}

TEST(ExtendJournalOrder, PlacesAppendedRecordsAsAFullSortWould)
{
    std::mt19937 random(31337);
    for (int round = 0; round < 30; ++round) {
        size_t count = 1 + random() % 300;
        std::vector<JournalRecord> records = RandomJournal(random, count, round % 2 == 1);
        for (int command = 5; command <= 11; ++command) {
            for (size_t before : {size_t{0}, count / 2, count - 1, count}) {
                std::span<const JournalRecord> loaded(records.data(), before);
                std::vector<int> order;
                BuildJournalOrder(loaded, command, order);
                std::vector<int> unchecked = order;
                ASSERT_TRUE(ExtendJournalOrder(records, command, order)) << NameOf(command);
                ASSERT_EQ(order, reference::JournalOrder(records, command))
                    << NameOf(command) << ", " << before << " of " << count << " records sorted before";
                InsertAppendedRecords(records, command, unchecked);
                ASSERT_EQ(unchecked, order) << NameOf(command) << ", without the check, " << before << " of "
                                            << count << " records sorted before";
            }
        }
    }
}

TEST(ExtendJournalOrder, RefusesAnOrderThatNoLongerHolds)
{
    std::mt19937 random(5);
    std::vector<JournalRecord> records = RandomJournal(random, 60);
    for (int command = 5; command <= 11; ++command) {
        std::vector<int> order;
        BuildJournalOrder(std::span<const JournalRecord>(records.data(), 40), command, order);
        struct Case { const char* name; std::vector<int> order; } cases[] = {
            {"longer than the journal", [&] { std::vector<int> o(61); for (int i = 0; i < 61; ++i) o[i] = i; return o; }()},
            {"an entry twice", [&] { auto o = order; o[1] = o[0]; return o; }()},
            {"an entry past the sorted records", [&] { auto o = order; o[0] = 45; return o; }()},
            {"two neighbours swapped", [&] { auto o = order; std::swap(o[10], o[11]); return o; }()},
        };
        for (const Case& c : cases) {
            std::vector<int> given = c.order;
            EXPECT_FALSE(ExtendJournalOrder(records, command, given)) << NameOf(command) << ": " << c.name;
            EXPECT_EQ(given, c.order) << NameOf(command) << ": " << c.name;
        }
    }
}

TEST(ExtendJournalOrder, NoticesRecordsChangedSinceTheSort)
{
    // A renamed user moves its records: the old order is refused, and a sort
    // that starts again gives the new one.
    std::vector<JournalRecord> records;
    for (const char* name : {"Albert", "Bernard", "Claude", "Denis"}) {
        CallFields f;
        f.user = name;
        records.push_back(RecordOf(f));
    }
    std::vector<int> order;
    BuildJournalOrder(records, 7, order);
    records[0].SetUser("Zora");
    CallFields f;
    f.user = "Bruno";
    records.push_back(RecordOf(f));
    std::vector<int> stale = order;
    EXPECT_FALSE(ExtendJournalOrder(records, 7, order));
    EXPECT_EQ(order, stale);
    BuildJournalOrder(records, 7, order);
    EXPECT_EQ(order, (std::vector<int>{1, 4, 2, 3, 0}));
}

}  // namespace
