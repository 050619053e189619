#include "base/ansi_case.h"

#include <gtest/gtest.h>

// The sources are UTF-8 and the program speaks Windows-1252: "é" is one byte.
static_assert(sizeof("é") == 2, "compile with -fexec-charset=CP1252");

TEST(ReplaceAll, ReplacesEveryOccurrenceWithoutRegardToCase)
{
    using namespace std::string_literals;
    struct Case { std::string source, find, replacement, expected; } cases[] = {
        {"Chemin=C:\\QUOREL\\Poste1\\fax\r\nDir=c:\\quorel\\poste1\r\n", "C:\\Quorel\\Poste1", "C:\\Quorel\\Marcel",
         "Chemin=C:\\Quorel\\Marcel\\fax\r\nDir=C:\\Quorel\\Marcel\r\n"},
        {"Poste1 sans dossier", "C:\\Quorel\\Poste1", "X", "Poste1 sans dossier"},  // the name alone is no match
        {"ÉCOLE école Ecole", "école", "lycée", "lycée lycée Ecole"},  // accents fold, É is not E
        {"ŒUVRE œuvre", "œuvre", "opus", "opus opus"},
        {"ÿ Ÿ y", "ÿ", "i", "i i y"},
        {"ß SS", "ß", "ss", "ss SS"},  // ß has no capital in the code page
        {"÷×", "÷", "/", "/×"},        // ÷ and × are no letters
        {"aaa", "aa", "b", "ba"},      // the walk goes on past an occurrence
        {"abab", "a", "AA", "AAbAAb"}, // the replacement is written as given...
        {"aa", "a", "aa", "aaaa"},     // ...and never searched again
        {"abc", "cd", "X", "abc"},     // no occurrence runs past the end
        {"abc", "abcd", "X", "abc"},
        {"abc", "ABC", "", ""},
        {"", "x", "y", ""},
        {"a\0b\0c"s, "B\0"s, "-"s, "a\0-c"s},  // zero bytes are bytes like others
        {"abc", "", "X", "abc"},       // an empty text to find finds nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.source, c.find, c.replacement), c.expected) << c.source << " / " << c.find;
}

TEST(ReplaceAll, HasNoLimitOnLengths)
{
    std::string find(600, 'q');  // longer than 256 bytes
    std::string source;
    for (int i = 0; i < 20000; ++i)
        source += "x" + find + "y";
    std::string replacement(100, 'R');
    std::string out = ReplaceAll(source, find, replacement);
    ASSERT_EQ(out.size(), 20000u * 102);
    EXPECT_EQ(out.substr(0, 102), "x" + replacement + "y");
    EXPECT_EQ(out.substr(out.size() - 102), "x" + replacement + "y");

    // Growing far beyond the source: every byte becomes 50.
    std::string grown = ReplaceAll(std::string(100000, 'a'), "A", std::string(50, 'b'));
    EXPECT_EQ(grown.size(), 5000000u);
    EXPECT_EQ(grown.find_first_not_of('b'), std::string::npos);
}

TEST(UpperCaseAnsi, FoldsTheLettersOfTheCodePage)
{
    struct Case { unsigned char lower, upper; } pairs[] = {
        {'a', 'A'}, {'z', 'Z'}, {0xE0, 0xC0}, {0xE9, 0xC9}, {0xE7, 0xC7}, {0xFE, 0xDE},
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(UpperCaseAnsi(p.lower), p.upper) << int(p.lower);
        EXPECT_EQ(UpperCaseAnsi(p.upper), p.upper) << int(p.upper);
    }
    for (int same : {0x30, 0x40, 0x5B, 0x60, 0x7B, 0x00, 0x7F, 0x80, 0xB5, 0xDF, 0xF7, 0xD7})
        EXPECT_EQ(UpperCaseAnsi(static_cast<uint8_t>(same)), same) << same;
}
