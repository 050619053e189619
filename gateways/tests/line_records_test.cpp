#include "gateways/line_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gateways/tests/line_fixtures.h"

namespace {

struct Decoded {
    LineFileVerdict verdict;
    LineFileHeader fileHeader;
    LineTableHeader tableHeader;
    LineRecordTable records;
};

Decoded Decode(const Bytes& file)
{
    Decoded d;
    d.verdict = DecodeLineFile(file, d.fileHeader, d.tableHeader, d.records);
    return d;
}

Bytes Encode(const Decoded& d)
{
    return EncodeLineFile(d.fileHeader, d.tableHeader, std::span(d.records).first(d.tableHeader.count));
}

}  // namespace

TEST(NewLineFiles, AreTheStandardHeadersWithoutLines)
{
    EXPECT_EQ(NewLineFile(), EmptyLineFile());
    EXPECT_EQ(NewLineFile().size(), 256u);
    EXPECT_EQ(NewDialSettingsFile(), EmptyDialSettingsFile());

    Decoded d = Decode(NewLineFile());
    EXPECT_EQ(d.verdict, LineFileVerdict::Usable);
    EXPECT_EQ(d.tableHeader.count, 0);
}

TEST(LineFileRecords, DecodesTheFieldsAtTheirOffsetsAndWritesEveryByteBack)
{
    Bytes file = LineFile(kThreeLines, 3);
    Decoded d = Decode(file);
    ASSERT_EQ(d.verdict, LineFileVerdict::Usable);
    ASSERT_EQ(d.tableHeader.count, 3);
    EXPECT_EQ(d.records[0].comPort, 1);
    EXPECT_STREQ(d.records[0].modemName, "Modem standard 56000 bps");
    EXPECT_STREQ(d.records[0].configNames[0], "MODEM1");
    EXPECT_EQ(d.records[1].networkFlags, 5);
    EXPECT_STREQ(d.records[1].configNames[2], "ISDN2B");
    EXPECT_STREQ(d.records[2].configNames[1], "GSM3");
    EXPECT_EQ(d.records[2].comPort, 3);
    EXPECT_EQ(d.records[3].networkFlags, 0);  // beyond the count: empty
    EXPECT_EQ(Encode(d), file);
}

TEST(LineFileRecords, FollowsTheOffsetsOfTheHeaderAndWritesTheStandardOnes)
{
    // The table header at 300 and the records at 600, as another program might.
    Bytes standard = LineFile({kThreeLines[0]}, 1);
    Bytes file = StandardFileHeader();
    file.resize(1240, 0xEE);
    Put32(file, 88, 300);
    Put32(file, 92, 600);
    std::copy(standard.begin() + 128, standard.begin() + 256, file.begin() + 300);
    std::copy(standard.begin() + 256, standard.end(), file.begin() + 600);

    Decoded d = Decode(file);
    ASSERT_EQ(d.verdict, LineFileVerdict::Usable);
    ASSERT_EQ(d.tableHeader.count, 1);
    EXPECT_STREQ(d.records[0].modemName, "Modem standard 56000 bps");
    EXPECT_EQ(Encode(d), standard);  // rewritten where the offsets now say
}

TEST(LineFileRecords, UnusableFilesGiveNoLine)
{
    struct Case { const char* what; Bytes file; LineFileVerdict verdict; } cases[] = {
        {"first magic", LineFile(kThreeLines, 3), LineFileVerdict::WrongMagic},
        {"second magic", LineFile(kThreeLines, 3), LineFileVerdict::WrongMagic},
        {"record size", LineFile(kThreeLines, 3), LineFileVerdict::WrongRecordSize},
        {"table header beyond the end", LineFile(kThreeLines, 3), LineFileVerdict::NoTableHeader},
        {"table header cut", LineFile({}, 0), LineFileVerdict::NoTableHeader},
        {"header cut", StandardFileHeader(), LineFileVerdict::NoTableHeader},
        {"shorter than its header", StandardFileHeader(), LineFileVerdict::WrongMagic},
        {"empty", Bytes{}, LineFileVerdict::WrongMagic},
    };
    cases[0].file[80] ^= 1;
    cases[1].file[87] ^= 0x80;
    Put16(cases[2].file, 128, 512);
    Put32(cases[3].file, 88, 0xFFFFFF00);
    cases[4].file.resize(200);
    cases[6].file.resize(90);
    for (const auto& c : cases) {
        Decoded d = Decode(c.file);
        EXPECT_EQ(d.verdict, c.verdict) << c.what;
        EXPECT_EQ(d.tableHeader.count, 0) << c.what;
        // What is then written is a sound empty file.
        EXPECT_EQ(Encode(d), NewLineFile()) << c.what;
    }
}

TEST(LineFileRecords, CountAboveEightLoadsEightRecords)
{
    std::vector<Line> lines(12, kThreeLines[0]);
    Bytes file = LineFile(lines, 12);
    Decoded d = Decode(file);
    ASSERT_EQ(d.verdict, LineFileVerdict::Usable);
    EXPECT_EQ(d.tableHeader.count, 8);
    Bytes written = Encode(d);
    EXPECT_EQ(written.size(), 256u + 8 * 640);
    EXPECT_EQ(written[130], 8);  // the count now says what follows
}

TEST(LineFileRecords, NeverReadsMoreRecordsThanTheFileHolds)
{
    struct Case { size_t cutAfter; uint16_t count; } cases[] = {
        {256 + 2 * 640, 2},        // the third record is missing
        {256 + 2 * 640 + 150, 3},  // the third record is cut: its start is kept
        {256, 0},
        {257, 1},
    };
    for (const auto& c : cases) {
        Bytes file = LineFile(kThreeLines, 3);
        file.resize(c.cutAfter);
        Decoded d = Decode(file);
        ASSERT_EQ(d.verdict, LineFileVerdict::Usable) << c.cutAfter;
        EXPECT_EQ(d.tableHeader.count, c.count) << c.cutAfter;
    }
    Bytes file = LineFile(kThreeLines, 3);
    file.resize(256 + 2 * 640 + 150);
    Decoded d = Decode(file);
    EXPECT_EQ(d.records[2].comPort, 3);
    EXPECT_STREQ(d.records[2].configNames[1], "GSM3");
    EXPECT_EQ(d.records[2].networkFlags, 0);  // byte 575 was not in the file
}

TEST(LineFileRecords, TextFieldsWithoutTerminatorEndWithinTheirField)
{
    Bytes file = LineFile({kThreeLines[0]}, 1);
    std::memset(file.data() + 256 + 67, 'M', 64 + 27);  // modem name and the three base names
    Decoded d = Decode(file);
    EXPECT_EQ(std::string(d.records[0].modemName), std::string(63, 'M'));
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(std::string(d.records[0].configNames[j]), std::string(8, 'M')) << j;
}

TEST(DialSettingsFile, DecodesTheFieldsAtTheirOffsetsAndWritesEveryByteBack)
{
    std::vector<Settings> settings = {{0, 1, "0", 1}, {2, 0, "9999", 0}, {1, 1, "", 0}};
    Bytes file = DialSettingsFile(settings, 1);
    DialSettingsHeader header;
    LineSettingsTable table;
    ASSERT_TRUE(DecodeDialSettingsFile(file, 3, header, table));
    EXPECT_EQ(header.useWindowsDialing, 1);
    EXPECT_EQ(header.commitMark, 0x12345678u);
    EXPECT_EQ(table[0].dialType, 1);
    EXPECT_STREQ(table[0].prefix, "0");
    EXPECT_EQ(table[0].prefixEnabled, 1);
    EXPECT_EQ(table[1].networkType, 2);
    EXPECT_STREQ(table[1].prefix, "9999");
    EXPECT_EQ(table[2].networkType, 1);
    EXPECT_EQ(EncodeDialSettingsFile(header, std::span(table).first(3)), file);

    header.commitMark = 0;
    Bytes committed = EncodeDialSettingsFile(header, std::span(table).first(3));
    EXPECT_EQ(Bytes(committed.begin() + 8, committed.begin() + 12), Bytes(4, 0));
    EXPECT_EQ(committed[4], 0x44);
    EXPECT_EQ(committed[100], 0x66);
}

TEST(DialSettingsFile, ReadsAsManyRecordsAsLinesAndZeroForThoseMissing)
{
    Bytes file = DialSettingsFile({{2, 0, "0", 1}, {1, 1, "", 0}}, 0);
    DialSettingsHeader header;
    LineSettingsTable table;
    ASSERT_TRUE(DecodeDialSettingsFile(file, 1, header, table));
    EXPECT_EQ(table[0].networkType, 2);
    EXPECT_EQ(table[1].networkType, 0);  // not asked for

    file.resize(128 + 512 + 20);
    ASSERT_TRUE(DecodeDialSettingsFile(file, 3, header, table));
    EXPECT_EQ(table[0].networkType, 2);
    EXPECT_EQ(table[1].networkType, 1);  // its start was in the file
    EXPECT_EQ(table[1].dialType, 0);
    EXPECT_EQ(table[2].kept, (std::array<uint8_t, 512>{}));

    ASSERT_TRUE(DecodeDialSettingsFile(NewDialSettingsFile(), 100, header, table));  // never past eight
}

TEST(DialSettingsFile, WrongMagicOrCutHeaderIsRefused)
{
    struct Case { const char* what; size_t size; size_t flip; } cases[] = {
        {"magic", 4224, 3},
        {"cut header", 127, 200},
        {"empty", 0, 200},
    };
    for (const auto& c : cases) {
        Bytes file = NewDialSettingsFile();
        if (c.flip < file.size())
            file[c.flip] ^= 1;
        file.resize(c.size);
        DialSettingsHeader header;
        LineSettingsTable table;
        table[0].dialType = 9;
        EXPECT_FALSE(DecodeDialSettingsFile(file, 2, header, table)) << c.what;
        EXPECT_EQ(table[0].dialType, 0) << c.what;
        EXPECT_EQ(header.magic, 0x0244494Du) << c.what;  // a rewrite gives a sound header
    }
}

namespace {

LineTables ThreeLineTables()
{
    LineTables tables;
    Decoded d = Decode(LineFile(kThreeLines, 3));
    tables.tableHeader = d.tableHeader;
    tables.records = d.records;
    DecodeDialSettingsFile(DialSettingsFile({{0, 1, "0", 1}, {2, 0, "9", 0}, {1, 1, "7", 1}}, 0), 3,
                           tables.settingsHeader, tables.settings);
    return tables;
}

}  // namespace

TEST(ChosenLine, DeviceWithoutNetworkTypeIsStoredAsRtcAndUsedOnTheFirstTypeItHas)
{
    struct Case { uint8_t flags; uint8_t stored; uint8_t type; } cases[] = {
        {0, 1, 0}, {1, 1, 0}, {2, 2, 1}, {4, 4, 2}, {6, 6, 1}, {7, 7, 0}, {8, 8, 0},
    };
    for (const auto& c : cases) {
        LineTables tables = ThreeLineTables();
        tables.records[1].networkFlags = c.flags;
        tables.settings[1].networkType = 2;
        PrepareChosenLine(tables, 1, false);
        EXPECT_EQ(tables.records[1].networkFlags, c.stored) << int(c.flags);
        EXPECT_EQ(tables.settings[1].networkType, c.type) << int(c.flags);
        Bytes written = EncodeLineFile(StandardLineFileHeader(), tables.tableHeader,
                                       std::span(tables.records).first(3));
        EXPECT_EQ(written[256 + 640 + 575], c.stored) << int(c.flags);
    }
}

TEST(ChosenLine, AddedLineDialsByToneWithoutPrefixWhileAChangedOneKeepsItsSettings)
{
    LineTables tables = ThreeLineTables();
    tables.settings[2].dialType = 0;
    PrepareChosenLine(tables, 2, true);
    EXPECT_EQ(tables.settings[2].dialType, 1);
    EXPECT_STREQ(tables.settings[2].prefix, "");
    EXPECT_EQ(tables.settings[2].prefixEnabled, 0);
    EXPECT_EQ(tables.settings[2].kept[200], 0x22);  // bytes of the library stay

    tables = ThreeLineTables();
    PrepareChosenLine(tables, 1, false);
    EXPECT_EQ(tables.settings[1].dialType, 0);
    EXPECT_STREQ(tables.settings[1].prefix, "9");

    LineTables before = ThreeLineTables();
    tables = before;
    PrepareChosenLine(tables, 3, true);  // not a line
    PrepareChosenLine(tables, -1, true);
    EXPECT_EQ(tables.settings[0].prefixEnabled, 1);
    EXPECT_EQ(tables.settings[3].dialType, 0);
}

TEST(LineRemoval, FollowingLineMovesUpWithItsSettingsAndItsFileNames)
{
    LineTables tables = ThreeLineTables();
    ASSERT_TRUE(RemoveLineAt(tables, 1));
    EXPECT_EQ(tables.tableHeader.count, 2);
    EXPECT_STREQ(tables.records[0].modemName, "Modem standard 56000 bps");
    EXPECT_STREQ(tables.records[1].modemName, "Modem GSM");
    EXPECT_STREQ(tables.records[1].configNames[1], "GSM3");
    EXPECT_EQ(tables.records[1].kept[0], 0x12);  // the third record, whole
    EXPECT_STREQ(tables.settings[1].prefix, "7");
    EXPECT_EQ(tables.settings[1].kept[0], 0x22);
    EXPECT_STREQ(tables.records[2].modemName, "");

    Bytes written = EncodeLineFile(StandardLineFileHeader(), tables.tableHeader, std::span(tables.records).first(2));
    EXPECT_EQ(written.size(), 256u + 2 * 640);
    Bytes third = LineRecordBytes(kThreeLines[2], 0x12);
    EXPECT_EQ(Bytes(written.begin() + 256 + 640, written.end()), third);
}

TEST(LineRemoval, IndexOutsideTheLinesChangesNothing)
{
    for (int index : {-1, 3, 7, 8}) {
        LineTables tables = ThreeLineTables();
        EXPECT_FALSE(RemoveLineAt(tables, index)) << index;
        EXPECT_EQ(tables.tableHeader.count, 3) << index;
        EXPECT_STREQ(tables.records[2].modemName, "Modem GSM") << index;
    }
}

TEST(LineFileNames, OnlyNamesThatStayInTheGatewayDirectory)
{
    LineTables tables = ThreeLineTables();
    EXPECT_EQ(ConfigNamesOf(tables.records[1]), (std::vector<std::string>{"ISDN2", "ISDN2B"}));
    EXPECT_EQ(ActiveConfigName(tables.records[1], tables.settings[1]), "ISDN2B");
    EXPECT_EQ(ActiveConfigName(tables.records[0], tables.settings[0]), "MODEM1");
    EXPECT_EQ(ActiveConfigName(tables.records[2], tables.settings[2]), "GSM3");

    std::strcpy(tables.records[0].configNames[0], "..\\..\\..");
    std::strcpy(tables.records[0].configNames[1], "C:x");
    std::strcpy(tables.records[0].configNames[2], "AUX");
    EXPECT_TRUE(ConfigNamesOf(tables.records[0]).empty());
    EXPECT_EQ(ActiveConfigName(tables.records[0], tables.settings[0]), "");

    tables.settings[1].networkType = 3;  // no such network
    EXPECT_EQ(ActiveConfigName(tables.records[1], tables.settings[1]), "");
}

TEST(LineFileNames, StaleNamesAreThoseNoLineCarriesAnyMore)
{
    LineTables tables = ThreeLineTables();  // MODEM1; ISDN2, ISDN2B; GSM3
    std::vector<std::string> known = {"MODEM1", "ISDN2", "ISDN2B", "GSM3", "OLD7", "old7", "L1RTC"};
    auto lines = std::span(tables.records).first(3);
    EXPECT_EQ(StaleConfigNames(known, lines), (std::vector<std::string>{"OLD7", "L1RTC"}));

    ASSERT_TRUE(RemoveLineAt(tables, 1));
    EXPECT_EQ(StaleConfigNames(known, std::span(tables.records).first(2)),
              (std::vector<std::string>{"ISDN2", "ISDN2B", "OLD7", "L1RTC"}));

    std::strcpy(tables.records[0].configNames[0], "modem1");  // the same file on the platform
    EXPECT_EQ(StaleConfigNames({known.data(), 1}, std::span(tables.records).first(2)), std::vector<std::string>{});
    EXPECT_EQ(StaleConfigNames(known, {}).size(), 6u);
}

TEST(SpeakerMode, IsTheSignedByteAt404)
{
    Bytes head(512, 0x11);
    head[404] = 2;
    EXPECT_EQ(SpeakerModeIn(head), 2);
    head[404] = 0xFF;
    EXPECT_EQ(SpeakerModeIn(head), -1);
    head.resize(405);
    EXPECT_EQ(SpeakerModeIn(head), -1);
    head.resize(404);
    EXPECT_EQ(SpeakerModeIn(head), std::nullopt);
}
