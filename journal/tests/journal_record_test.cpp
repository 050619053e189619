#include "journal/journal_record.h"

#include <gtest/gtest.h>

#include "journal/tests/journal_fixture.h"

static JournalRecord Parsed(const std::vector<uint8_t>& bytes)
{
    JournalRecord record;
    EXPECT_TRUE(ParseJournalRecord(bytes, record));
    return record;
}

static std::vector<uint8_t> Written(const JournalRecord& record)
{
    std::vector<uint8_t> out(564, 0);
    WriteJournalRecord(record, std::span<uint8_t, 564>(out.data(), 564));
    return out;
}

TEST(JournalRecord, ReadsEveryFieldAtItsOffset)
{
    CallFields f;
    f.line = "Modem Olitec 33600";
    f.gateway = "Passerelle Lyon";
    f.user = "Müller";
    f.number = "0478123456";
    f.dateTime = "31/12/2001 23:59:58";
    f.rate = "33600 bps";
    f.duration = "01:02:03";
    f.durationValue = 0x01020304;
    JournalRecord record = Parsed(CallBytes(f));
    EXPECT_EQ(record.line(), f.line);
    EXPECT_EQ(record.gateway(), f.gateway);
    EXPECT_EQ(record.user(), f.user);
    EXPECT_EQ(record.number(), f.number);
    EXPECT_EQ(record.dateTime(), f.dateTime);
    EXPECT_EQ(record.rate(), f.rate);
    EXPECT_EQ(record.duration(), f.duration);
    EXPECT_EQ(record.durationValue(), 0x01020304u);
}

TEST(JournalRecord, WritesBackEveryByteItRead)
{
    std::vector<uint8_t> bytes = CallBytes({});
    bytes[456] = 0x00;  // the four bytes nobody interprets, zero or not
    bytes[457] = 0xFF;
    bytes[458] = 0x7F;
    bytes[459] = 0x01;
    EXPECT_EQ(Written(Parsed(bytes)), bytes);
}

TEST(JournalRecord, UnterminatedTextsStopAtTheirFieldsEnd)
{
    std::vector<uint8_t> bytes(564, 'x');
    JournalRecord record = Parsed(bytes);
    struct Case { std::string_view text; size_t size; } cases[] = {
        {record.line(), 256},   {record.gateway(), 50}, {record.user(), 50},     {record.number(), 50},
        {record.dateTime(), 50}, {record.rate(), 50},   {record.duration(), 50},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].text, std::string(cases[i].size, 'x')) << "field " << i;
}

TEST(JournalRecord, ParseNeedsAWholeRecord)
{
    std::vector<uint8_t> bytes(563, 'x');
    JournalRecord record;
    EXPECT_FALSE(ParseJournalRecord(bytes, record));
    bytes.push_back('y');
    EXPECT_TRUE(ParseJournalRecord(bytes, record));
    EXPECT_EQ(record.bytes[563], 'y');
}

// A new name goes in with its terminator; the bytes after it stay as they
// were, and a name longer than 49 characters is cut so that the terminator
// stays in the field.
TEST(JournalRecord, SetNameKeepsTheBytesAfterTheTerminator)
{
    struct Case { const char* field; size_t offset; std::string name; std::string stored; } cases[] = {
        {"gateway", 256, "Lyon", "Lyon"},
        {"user", 306, "Du", "Du"},
        {"user", 306, std::string(49, 'N'), std::string(49, 'N')},
        {"gateway", 256, std::string(50, 'G'), std::string(49, 'G')},
        {"gateway", 256, std::string(128, 'H'), std::string(49, 'H')},
        {"user", 306, "", ""},
    };
    for (const auto& c : cases) {
        CallFields f;
        f.gateway = "Marseille-Est";
        f.user = "Durand-Lefebvre";
        std::vector<uint8_t> before = CallBytes(f);
        JournalRecord record = Parsed(before);
        if (std::string_view(c.field) == "gateway")
            record.SetGateway(c.name);
        else
            record.SetUser(c.name);
        std::vector<uint8_t> expected = before;
        PutText(expected, c.offset, c.stored);
        EXPECT_EQ(Written(record), expected) << c.field << " " << c.name;
    }
}
