#include "journal/journal_edit.h"

#include <gtest/gtest.h>

#include "journal/tests/journal_fixture.h"

static JournalRecord Record(const std::vector<uint8_t>& bytes)
{
    JournalRecord record;
    EXPECT_TRUE(ParseJournalRecord(bytes, record));
    return record;
}

static std::vector<uint8_t> Bytes(const JournalRecord& record)
{
    return std::vector<uint8_t>(record.bytes.begin(), record.bytes.end());
}

// The bytes of the records left, in order.
static std::vector<std::vector<uint8_t>> AllBytes(const std::vector<JournalRecord>& records)
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& record : records)
        out.push_back(Bytes(record));
    return out;
}

TEST(FixTwoDigitYear, GivesTwoDigitYearsTheirCentury)
{
    struct Case { std::string before; std::string after; bool fixed; } cases[] = {
        {"05/06/98 10:00:00", "05/06/1998 10:00:00", true},
        {"31/12/99 21:59:59", "31/12/1999 21:59:59", true},
        {"01/01/00 00:00:00", "01/01/1900 00:00:00", true},  // the conversion knows only one century
        {"07/03/2001 14:05:09", "07/03/2001 14:05:09", false},
        {"05/06/98 ", "05/06/1998 ", true},
        {"05/06/98", "05/06/98", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = CallBytes({.dateTime = c.before});
        JournalRecord record = Record(bytes);
        EXPECT_EQ(FixTwoDigitYear(record), c.fixed) << c.before;
        std::vector<uint8_t> expected = bytes;
        if (c.fixed)
            PutText(expected, 406, c.after);
        EXPECT_EQ(Bytes(record), expected) << c.before;
    }
}

// The text moves with its terminator: the two bytes after the old terminator
// become text and terminator, the bytes after those are kept.
TEST(FixTwoDigitYear, KeepsTheBytesAfterTheMovedTerminator)
{
    std::vector<uint8_t> bytes = CallBytes({.dateTime = "05/06/98 10:00:00"});
    JournalRecord record = Record(bytes);
    ASSERT_TRUE(FixTwoDigitYear(record));
    std::vector<uint8_t> after = Bytes(record);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&after[406])), "05/06/1998 10:00:00");
    for (size_t at = 406 + 20; at < 564; ++at)
        EXPECT_EQ(after[at], bytes[at]) << "offset " << at;
    for (size_t at = 0; at < 406; ++at)
        ASSERT_EQ(after[at], bytes[at]) << "offset " << at;
}

// A long text (or none terminated) is cut so that it never runs into the
// four bytes at offset 456.
TEST(FixTwoDigitYear, StaysInsideItsField)
{
    for (size_t length : {45, 46, 47, 48, 49, 50}) {
        std::vector<uint8_t> bytes = CallBytes({});
        std::string text = "05/06/98 " + std::string(length - 9, '7');
        std::memcpy(&bytes[406], text.data(), text.size());
        if (length < 50)
            bytes[406 + length] = 0;
        JournalRecord record = Record(bytes);
        ASSERT_TRUE(FixTwoDigitYear(record)) << length;
        std::string expected = ("05/06/1998 " + std::string(length - 9, '7')).substr(0, 49);
        EXPECT_EQ(record.dateTime(), expected) << length;
        std::vector<uint8_t> after = Bytes(record);
        for (size_t at = 456; at < 564; ++at)
            ASSERT_EQ(after[at], bytes[at]) << "length " << length << " offset " << at;
    }
}

TEST(FixTwoDigitYears, CountsTheRecordsConverted)
{
    std::vector<JournalRecord> records = {Record(CallBytes({.dateTime = "05/06/98 10:00:00"})),
                                          Record(CallBytes({.dateTime = "07/03/2001 14:05:09"})),
                                          Record(CallBytes({.dateTime = "06/06/98 11:00:00"}))};
    EXPECT_EQ(FixTwoDigitYears(records), 2u);
    EXPECT_EQ(records[0].dateTime(), "05/06/1998 10:00:00");
    EXPECT_EQ(records[2].dateTime(), "06/06/1998 11:00:00");
    EXPECT_EQ(FixTwoDigitYears(records), 0u);
}

TEST(PurgeRecords, RemovesTheRecordsNotLaterThanTheLimitInclusive)
{
    const char* dates[] = {
        "31/05/2001 21:59:59",  // goes
        "01/06/2001 00:00:01",  // stays
        "01/06/2001 00:00:00",  // equal to the limit: goes
        "15/12/2000 10:00:00",  // the year weighs more than the month: goes
        "02/01/2001 00:00:00",  // goes
        "01/07/2001 00:00:00",  // stays
        "31/12/2099 23:59:59",  // stays
    };
    std::vector<std::vector<uint8_t>> calls;
    std::vector<JournalRecord> records;
    for (size_t i = 0; i < std::size(dates); ++i) {
        calls.push_back(CallBytes({.dateTime = dates[i], .filler = static_cast<uint8_t>(0x30 + i * 0x10)}));
        records.push_back(Record(calls.back()));
    }
    EXPECT_EQ(PurgeRecords(records, "01/06/2001 00:00:00"), 4u);
    EXPECT_EQ(AllBytes(records), (std::vector<std::vector<uint8_t>>{calls[1], calls[5], calls[6]}));
}

TEST(PurgeRecords, OddDatesAreReadWithoutOverrun)
{
    std::vector<JournalRecord> records;
    std::vector<uint8_t> unterminated = CallBytes({});
    std::memset(&unterminated[406], 'x', 50);
    std::memcpy(&unterminated[406], "01/01/2030 00:00:00", 19);  // no terminator in the field
    records.push_back(Record(unterminated));
    records.push_back(Record(CallBytes({.dateTime = ""})));
    records.push_back(Record(CallBytes({.dateTime = "05/06"})));
    records.push_back(Record(CallBytes({.dateTime = "01/01/2030 00:00:00"})));
    PurgeRecords(records, "01/06/2001 00:00:00");
    ASSERT_EQ(records.size(), 2u);  // an empty or cut date reads as zeros, before the limit
    EXPECT_EQ(Bytes(records[0]), unterminated);
    EXPECT_EQ(records[1].dateTime(), "01/01/2030 00:00:00");
}

// Users "Durand" twice among look-alikes, each record with its own filler.
struct NamedJournal {
    std::vector<std::vector<uint8_t>> calls;
    std::vector<JournalRecord> records;
    NamedJournal()
    {
        const char* users[] = {"Durand", "durand", "Durand2", "Durand", "Dupont", "Durand "};
        const char* gateways[] = {"Paris", "Lyon", "Paris", "paris", "Paris2", "Paris"};
        for (size_t i = 0; i < std::size(users); ++i) {
            calls.push_back(
                CallBytes({.gateway = gateways[i], .user = users[i], .filler = static_cast<uint8_t>(0x20 + i * 0x18)}));
            records.push_back(Record(calls.back()));
        }
    }
    std::vector<std::vector<uint8_t>> Without(std::initializer_list<size_t> gone) const
    {
        std::vector<std::vector<uint8_t>> out;
        for (size_t i = 0; i < calls.size(); ++i)
            if (std::find(gone.begin(), gone.end(), i) == gone.end())
                out.push_back(calls[i]);
        return out;
    }
};

TEST(RemoveRecords, RemovesExactlyTheRecordsOfTheName)
{
    NamedJournal journal;
    EXPECT_EQ(RemoveUserRecords(journal.records, "Durand"), 2u);
    EXPECT_EQ(AllBytes(journal.records), journal.Without({0, 3}));

    NamedJournal gateways;
    EXPECT_EQ(RemoveGatewayRecords(gateways.records, "Paris"), 3u);
    EXPECT_EQ(AllBytes(gateways.records), gateways.Without({0, 2, 5}));

    NamedJournal none;
    EXPECT_EQ(RemoveUserRecords(none.records, "Personne"), 0u);
    EXPECT_EQ(RemoveGatewayRecords(none.records, ""), 0u);
    EXPECT_EQ(AllBytes(none.records), none.calls);
}

TEST(RenameRecords, RenamesExactlyTheRecordsOfTheOldName)
{
    NamedJournal journal;
    EXPECT_EQ(RenameUserRecords(journal.records, "Durand", "Dupont"), 2u);
    std::vector<std::vector<uint8_t>> expected = journal.calls;
    PutText(expected[0], 306, "Dupont");
    PutText(expected[3], 306, "Dupont");
    EXPECT_EQ(AllBytes(journal.records), expected);

    EXPECT_EQ(RenameGatewayRecords(journal.records, "Paris", "Lille"), 3u);
    for (size_t i : {0, 2, 5})
        PutText(expected[i], 256, "Lille");
    EXPECT_EQ(AllBytes(journal.records), expected);
    EXPECT_EQ(RenameGatewayRecords(journal.records, "Nantes", "Brest"), 0u);
    EXPECT_EQ(AllBytes(journal.records), expected);
}

// A gateway name longer than the field is stored cut to 49 characters, and
// found again under its whole name.
TEST(RenameRecords, LongNamesAreCutAndFoundAgain)
{
    NamedJournal journal;
    std::string longName = std::string(40, 'L') + "-passerelle-de-secours";
    EXPECT_EQ(RenameGatewayRecords(journal.records, "Paris", longName), 3u);
    std::vector<std::vector<uint8_t>> expected = journal.calls;
    for (size_t i : {0, 2, 5})
        PutText(expected[i], 256, longName.substr(0, 49));
    EXPECT_EQ(AllBytes(journal.records), expected);

    EXPECT_EQ(RenameGatewayRecords(journal.records, longName, "Paris"), 3u);
    for (size_t i : {0, 2, 5})
        expected[i][256 + 5] = 0;  // "Paris" and its terminator over the long name
    for (size_t i : {0, 2, 5})
        std::memcpy(&expected[i][256], "Paris", 5);
    EXPECT_EQ(AllBytes(journal.records), expected);

    RenameGatewayRecords(journal.records, "Paris", longName);
    EXPECT_EQ(RemoveGatewayRecords(journal.records, longName), 3u);
    EXPECT_EQ(journal.records.size(), 3u);
}

// Swaps and chains of names rename every record once, from its name before
// the batch, so that no two users' records end up under one name.
TEST(RenameRecords, RenamesUsersAllAtOnceWithoutMerging)
{
    struct Case {
        const char* what;
        std::vector<NameChange> changes;
        std::vector<std::string> before;
        std::vector<std::string> after;
        size_t renamed;
    } cases[] = {
        {"swap", {{"Anne", "Marc"}, {"Marc", "Anne"}}, {"Anne", "Marc", "Zoe", "Anne"}, {"Marc", "Anne", "Zoe", "Marc"}, 3},
        {"chain", {{"A", "B"}, {"B", "C"}}, {"A", "B", "C"}, {"B", "C", "C"}, 2},
        {"case only", {{"alice", "Alice"}}, {"alice", "ALICE", "Alice"}, {"Alice", "ALICE", "Alice"}, 1},
        {"exact names", {{"Durand", "Dupont"}}, {"Durand2", "durand", "Durand"}, {"Durand2", "durand", "Dupont"}, 1},
        {"none", {}, {"Anne"}, {"Anne"}, 0},
    };
    for (const Case& c : cases) {
        std::vector<JournalRecord> records;
        std::vector<std::vector<uint8_t>> expected;
        for (size_t i = 0; i < c.before.size(); ++i) {
            CallFields fields;
            fields.user = c.before[i];
            fields.filler = static_cast<uint8_t>(0x40 + i);
            records.push_back(Record(CallBytes(fields)));
            expected.push_back(CallBytes(fields));
            PutText(expected.back(), 306, c.after[i]);
        }
        EXPECT_EQ(RenameUserRecords(records, c.changes), c.renamed) << c.what;
        EXPECT_EQ(AllBytes(records), expected) << c.what;
    }
}
