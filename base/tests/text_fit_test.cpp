#include "base/text_fit.h"

#include <gtest/gtest.h>

#include <random>

// A proportional font: 'W' 12, 'i' 3, '.' 2, everything else 7 pixels.
static int Measure(std::string_view text)
{
    int width = 0;
    for (char c : text)
        width += c == 'W' ? 12 : c == 'i' ? 3 : c == '.' ? 2 : 7;
    return width;
}

// A font whose dots take no room, so that "..." always fits.
static int MeasureWithoutDots(std::string_view text)
{
    int width = 0;
    for (char c : text)
        width += c == '.' ? 0 : 7;
    return width;
}

TEST(FitText, ShortensWithDotsOnlyWhatDoesNotFit)
{
    struct Case { const char* text; int width; const char* expected; } cases[] = {
        {"abc", 22, "abc"},        // narrower (21 < 22), though "abc..." (27) would not fit
        {"abc", 21, "ab..."},      // as wide as the width is not narrower
        {"abcdef", 30, "abc..."},  // 21 + 6 fits, 28 + 6 does not
        {"abcdef", 27, "abc..."},  // exactly the width fits
        {"abcdef", 26, "ab..."},
        {"WWWiii", 30, "WW..."},   // 24 + 6 fits exactly, 36 + 6 does not
        {"WWWiii", 29, "W..."},
        {"abcdef", 13, "a..."},
        {"abcdef", 12, "..."},     // not even one character fits: only "..."
        {"abcdef", 0, "..."},
        {"abcdef", -5, "..."},
        {"a", 7, "..."},
        {"", 0, ""},               // nothing to drop
        {"", -1, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        FitText(text, c.width, Measure);
        EXPECT_EQ(text, c.expected) << '"' << c.text << "\" in " << c.width;
    }
}

TEST(FitText, LeavesATextThatFitsWithDotsAppended)
{
    std::string text = "abc";
    FitText(text, 21, MeasureWithoutDots);
    EXPECT_EQ(text, "abc");
}

TEST(FitText, WorksForTextsOfAnyLength)
{
    std::string text(200000, 'x');
    int measures = 0;
    FitText(text, 7 * 50 + 6, [&](std::string_view t) {
        ++measures;
        return Measure(t);
    });
    EXPECT_EQ(text, std::string(50, 'x') + "...");
    EXPECT_LT(measures, 100);
}

// The plain way: drop one character at a time from the end.
static void FitTextOneByOne(std::string& text, int width, int (*measure)(std::string_view))
{
    int whole = measure(text);
    if (whole < width)
        return;
    int dots = measure("...");
    size_t kept = text.size();
    int current = whole;
    while (current + dots > width && kept > 0) {
        --kept;
        current = measure(std::string_view(text).substr(0, kept));
    }
    if (kept < text.size()) {
        text.resize(kept);
        text += "...";
    }
}

TEST(FitText, GivesWhatDroppingOneCharacterAtATimeGives)
{
    std::mt19937 random(12345);
    const char letters[] = "WiW.abi";
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 30, ' ');
        for (char& c : text)
            c = letters[random() % 7];
        int width = static_cast<int>(random() % 220) - 10;
        std::string fitted = text;
        std::string expected = text;
        FitText(fitted, width, Measure);
        FitTextOneByOne(expected, width, Measure);
        ASSERT_EQ(fitted, expected) << '"' << text << "\" in " << width;
    }
}
