#include "base/ansi_case.h"

#include <windows.h>

#include <gtest/gtest.h>

// ReplaceAll folds letter case as the system's ANSI upper-casing does.
TEST(UpperCaseAnsi, AgreesWithTheSystemForEveryByte)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    for (int byte = 1; byte < 256; ++byte) {
        char text[1] = {static_cast<char>(byte)};
        CharUpperBuffA(text, 1);
        EXPECT_EQ(UpperCaseAnsi(static_cast<uint8_t>(byte)), static_cast<uint8_t>(text[0])) << "byte " << byte;
    }
}
