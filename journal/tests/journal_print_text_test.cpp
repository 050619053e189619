// The pure parts of the printout and the export: the page layout, the lines
// of the export, the save dialog's name and filter, the printer-name block.
#include "journal/journal_export_text.h"
#include "journal/journal_page_layout.h"
#include "journal/printer_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <span>
#include <string>
#include <vector>

#include "journal/tests/journal_fixture.h"

namespace {

JournalRecord Record(const CallFields& fields)
{
    JournalRecord record;
    EXPECT_TRUE(ParseJournalRecord(CallBytes(fields), record));
    return record;
}

using Columns = std::array<int, 7>;

TEST(JournalPageLayout, PlacesTheColumnsAndRowsOfAPage)
{
    struct Case {
        const char* name;
        int pageWidth, pageHeight, textHeight, externalLeading;
        int rowHeight, rowsPerPage, tableWidth;
        Columns widths, textLeft, ruleX;
    } cases[] = {
        // A4 at 300 dpi with the print font: 41 rows of 85 units, the first
        // one the titles'. Widths: trunc(p * 0.0099999998 * 2444).
        {"A4 at 300 dpi", 2479, 3508, 84, 0, 85, 40, 2444,
         {733, 244, 244, 366, 366, 244, 244},
         {5, 740, 989, 1238, 1609, 1980, 2229},
         {0, 730, 979, 1228, 1599, 1970, 2219}},
        // A table of 400 units: 30 % gives 119, 15 % 59, 10 % 39.
        {"a table of 400", 435, 100, 20, 2, 23, 3, 400,
         {119, 39, 39, 59, 59, 39, 39},
         {5, 126, 170, 214, 278, 342, 386},
         {0, 116, 160, 204, 268, 332, 376}},
        {"room for exactly two rows", 435, 170, 84, 0, 85, 1, 400,
         {119, 39, 39, 59, 59, 39, 39},
         {5, 126, 170, 214, 278, 342, 386},
         {0, 116, 160, 204, 268, 332, 376}},
        {"a table one unit wide", 36, 1000, 84, 0, 85, 10, 1, {}, {5, 7, 12, 17, 22, 27, 32}, {0, -3, 2, 7, 12, 17, 22}},
    };
    for (const Case& c : cases) {
        std::optional<JournalPageLayout> layout =
            LayoutJournalPage(c.pageWidth, c.pageHeight, c.textHeight, c.externalLeading);
        ASSERT_TRUE(layout) << c.name;
        EXPECT_EQ(layout->rowHeight, c.rowHeight) << c.name;
        EXPECT_EQ(layout->rowsPerPage, c.rowsPerPage) << c.name;
        EXPECT_EQ(layout->tableWidth, c.tableWidth) << c.name;
        EXPECT_EQ(layout->widths, c.widths) << c.name;
        EXPECT_EQ(layout->textLeft, c.textLeft) << c.name;
        EXPECT_EQ(layout->ruleX, c.ruleX) << c.name;
        EXPECT_EQ(layout->RowTop(0), c.rowHeight) << c.name;
        EXPECT_EQ(layout->RowTop(c.rowsPerPage - 1), c.rowsPerPage * c.rowHeight) << c.name;
    }
}

TEST(JournalPageLayout, RefusesPagesThatCannotHoldTheTitlesAndOneRow)
{
    struct Case {
        const char* name;
        int pageWidth, pageHeight, textHeight, externalLeading;
    } cases[] = {
        {"one row short of two", 2479, 169, 84, 0},
        {"a row's height", 2479, 85, 84, 0},
        {"no height", 2479, 0, 84, 0},
        {"a negative height", 2479, -3508, 84, 0},
        {"no room for the rulings", 35, 3508, 84, 0},
        {"no width", 0, 3508, 84, 0},
        {"a negative width", -2479, 3508, 84, 0},
        {"metrics of no height", 2479, 3508, 0, 0},
        {"metrics of a negative height", 2479, 3508, -84, 0},
        {"a negative leading", 2479, 3508, 84, -85},
        {"a row higher than any number", 2479, INT_MAX, INT_MAX, 1},
        {"a leading higher than any number", 2479, INT_MAX, 1, INT_MAX},
        {"a font higher than the page", 2479, 3508, 3508, 0},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(LayoutJournalPage(c.pageWidth, c.pageHeight, c.textHeight, c.externalLeading)) << c.name;
}

TEST(JournalPageLayout, KeepsHugePagesInRange)
{
    std::optional<JournalPageLayout> layout = LayoutJournalPage(INT_MAX, INT_MAX, 84, 0);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->rowsPerPage, INT_MAX / 85 - 1);
    for (int k = 1; k < 7; ++k) {
        EXPECT_GT(layout->textLeft[k], layout->textLeft[k - 1]) << k;
        EXPECT_GT(layout->widths[k], 0) << k;
    }
}

TEST(JournalPageLayout, CountsThePagesOfTheRows)
{
    struct Case { size_t rows; int perPage; size_t pages; } cases[] = {
        {0, 40, 1},   // one empty page
        {1, 40, 1},
        {40, 40, 1},
        {41, 40, 2},
        {80, 40, 2},  // not a third page holding only titles
        {81, 40, 3},
        {5, 1, 5},
        {10000, 40, 250},
        {3, 0, 1},    // never divides by zero
    };
    for (const Case& c : cases)
        EXPECT_EQ(JournalPageCount(c.rows, c.perPage), c.pages) << c.rows << " rows, " << c.perPage << " a page";
}

TEST(JournalExportText, WritesEachFieldFollowedByATabThenCrLf)
{
    CallFields plain;
    CallFields emptyRate;
    emptyRate.rate = "";
    emptyRate.user = "Zo\xE9 & co";  // "Zoé & co" in the console's code page
    CallFields longLine;
    longLine.line = std::string(255, 'L');
    CallFields tabbed;
    tabbed.number = "01\t45";
    struct Case {
        const char* name;
        CallFields fields;
        std::string line;
    } cases[] = {
        {"plain", plain, "Modem 1\tParis\tDurand\t0145678900\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n"},
        {"empty rate, accents", emptyRate,
         "Modem 1\tParis\tZo\xE9 & co\t0145678900\t07/03/2001 14:05:09\t\t00:01:05\t\r\n"},
        {"a line of 255 characters, whole", longLine,
         std::string(255, 'L') + "\tParis\tDurand\t0145678900\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n"},
        {"a tab inside a field, as stored", tabbed,
         "Modem 1\tParis\tDurand\t01\t45\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n"},
    };
    for (const Case& c : cases) {
        char out[kJournalExportLineMax + 1];
        out[kJournalExportLineMax] = '#';
        char* end = WriteJournalExportLine(Record(c.fields), out);
        EXPECT_EQ(std::string(out, end), c.line) << c.name;
        EXPECT_EQ(out[kJournalExportLineMax], '#') << c.name;
    }
}

TEST(JournalExportText, StopsAtTheEndOfAFieldWithoutTerminator)
{
    // A line field of 256 bytes and no zero: the export holds its 256 bytes
    // and nothing of the field that follows it.
    std::vector<uint8_t> bytes = CallBytes(CallFields{});
    for (size_t i = 0; i < 256; ++i)
        bytes[i] = 'x';
    JournalRecord record;
    ASSERT_TRUE(ParseJournalRecord(bytes, record));
    EXPECT_EQ(JournalExportText(std::span(&record, 1), std::vector<int>{0}),
              std::string(256, 'x') + "\tParis\tDurand\t0145678900\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n");

    // Every field full and unterminated: the longest line there is.
    for (size_t i = 0; i < kJournalRecordSize; ++i)
        bytes[i] = 'y';
    ASSERT_TRUE(ParseJournalRecord(bytes, record));
    char out[kJournalExportLineMax + 1];
    out[kJournalExportLineMax] = '#';
    EXPECT_EQ(WriteJournalExportLine(record, out), out + kJournalExportLineMax);
    EXPECT_EQ(out[kJournalExportLineMax], '#');
    EXPECT_EQ(std::string(out, out + 257), std::string(256, 'y') + "\t");
}

TEST(JournalExportText, WritesTheRowsInTheirOrderAndSkipsIndexesOfNoRecord)
{
    std::vector<JournalRecord> records;
    for (const char* user : {"Albert", "Bruno", "Chlo\xE9"}) {
        CallFields f;
        f.user = user;
        records.push_back(Record(f));
    }
    auto line = [](const char* user) {
        return std::string("Modem 1\tParis\t") + user + "\t0145678900\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n";
    };
    EXPECT_EQ(JournalExportText(records, std::vector<int>{2, 0, 3, -1, 2}),
              line("Chlo\xE9") + line("Albert") + line("Chlo\xE9"));
    EXPECT_EQ(JournalExportText(records, std::vector<int>{}), "");
}

TEST(JournalExportText, WritesTheRowsPieceByPieceAsTheyComeWhole)
{
    std::vector<JournalRecord> records;
    for (int i = 0; i < 50; ++i) {
        CallFields f;
        f.number = std::to_string(i);
        records.push_back(Record(f));
    }
    std::vector<int> rows;
    for (int i = 0; i < 120; ++i)
        rows.push_back(i % 7 == 3 ? -5 : (i * 13) % 60);  // some name no record
    std::string whole;
    for (int r : rows)
        if (r >= 0 && r < 50)
            whole += "Modem 1\tParis\tDurand\t" + std::to_string(r) + "\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n";
    EXPECT_EQ(JournalExportText(records, rows), whole);
    for (size_t size : {kJournalExportLineMax, kJournalExportLineMax + 1, 2 * kJournalExportLineMax, size_t{65536}}) {
        std::vector<char> piece(size);
        std::string joined;
        size_t next = 0;
        while (next < rows.size()) {
            size_t used = 99;
            size_t after = WriteJournalExportLines(records, rows, next, piece, used);
            ASSERT_GT(after, next) << size;
            ASSERT_LE(used, size);
            // A piece stops only when the longest line no longer fits.
            if (after < rows.size()) {
                EXPECT_LT(size - used, kJournalExportLineMax) << size;
            }
            joined.append(piece.data(), used);
            next = after;
        }
        EXPECT_EQ(joined, whole) << size;
    }
    // Too short for the longest line: nothing, and the same row next.
    std::vector<char> shorter(kJournalExportLineMax - 1);
    size_t used = 99;
    EXPECT_EQ(WriteJournalExportLines(records, rows, 5, shorter, used), 5u);
    EXPECT_EQ(used, 0u);
}

TEST(JournalExportText, ProposesTheDayInTheFileName)
{
    EXPECT_EQ(ProposedExportName(7, 3, 2001), "Journal au 07-03-2001.txt");
    EXPECT_EQ(ProposedExportName(31, 12, 1999), "Journal au 31-12-1999.txt");
    EXPECT_EQ(ProposedExportName(1, 1, 10000), "Journal au 01-01-10000.txt");
}

TEST(JournalExportText, TurnsTheLastCharacterOfTheFilterIntoZeros)
{
    struct Case { std::string text; std::string list; } cases[] = {
        {"Journal (*.txt)|*.txt|", std::string("Journal (*.txt)\0*.txt\0", 22)},
        {"Texte#*.txt#Tout#*.*#", std::string("Texte\0*.txt\0Tout\0*.*\0", 21)},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterListFromText(c.text), c.list) << c.text;
}

// The block as bytes: the four header words, then the text area.
std::vector<uint8_t> Block(int driver, int device, int port, const std::string& text)
{
    std::vector<uint8_t> block(264, 0);
    int words[4] = {driver, device, port, 0};
    for (int i = 0; i < 4; ++i) {
        block[2 * i] = static_cast<uint8_t>(words[i]);
        block[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    for (size_t i = 0; i < text.size(); ++i)
        block[8 + i] = static_cast<uint8_t>(text[i]);
    return block;
}

TEST(PrinterNames, SplitsTheDevicesTextAtItsCommas)
{
    struct Case {
        const char* name;
        std::string devices;
        std::vector<uint8_t> block;
    } cases[] = {
        {"device, driver, port", "PDF,winspool,cups-pdf:/",
         Block(12, 8, 21, std::string("PDF\0winspool\0cups-pdf:/", 23))},
        {"no comma: the other names are empty", "HP LaserJet", Block(19, 8, 19, "HP LaserJet")},
        {"one comma: no port", "HP,winspool", Block(11, 8, 19, std::string("HP\0winspool", 11))},
        {"a port cut at its comma", "a,b,c,15,45", Block(10, 8, 12, std::string("a\0b\0c\0" "15\0" "45", 11))},
        {"empty parts", ",,", Block(9, 8, 10, std::string("\0\0", 2))},
        {"nothing", "", Block(8, 8, 8, "")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildPrinterNames(c.devices), c.block) << c.name;
}

TEST(PrinterNames, KeepsEveryOffsetInsideTheBlock)
{
    // Longer than the setting can be: cut to 255 characters, the missing
    // names pointing at the zero that ends them, inside the block.
    std::string noComma(300, 'P');
    EXPECT_EQ(BuildPrinterNames(noComma), Block(263, 8, 263, std::string(255, 'P')));
    // Commas past the 255th character are not seen.
    std::string lateComma = std::string(260, 'P') + ",winspool,lpt1:";
    EXPECT_EQ(BuildPrinterNames(lateComma), Block(263, 8, 263, std::string(255, 'P')));
    std::string lastComma = std::string(254, 'P') + ",";
    EXPECT_EQ(BuildPrinterNames(lastComma), Block(263, 8, 263, std::string(254, 'P')));
}

}  // namespace
