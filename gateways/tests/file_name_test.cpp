#include "gateways/file_name.h"

#include <gtest/gtest.h>

#include <string>

TEST(SafeFileName, RefusesEveryNameThatCouldLeadOutOfItsDirectory)
{
    struct Case { std::string name; bool safe; } cases[] = {
        {"Pass0", true},
        {"Agence Nord", true},
        {"Si\xE8ge social", true},
        {"a.b", true},
        {".pcp", true},
        {"-_+=,;'[]{}()!@#$%^&~`", true},
        {std::string(127, 'x'), true},
        {std::string(128, 'x'), false},
        {"", false},
        {".", false},
        {"..", false},
        {"...", false},
        {"nom.", false},
        {"nom ", false},
        {"..\\x", false},
        {"../x", false},
        {"a\\b", false},
        {"a/b", false},
        {"C:", false},
        {"C:x", false},
        {"\\\\serveur\\partage", false},
        {"a*b", false},
        {"a?b", false},
        {"a\"b", false},
        {"a<b", false},
        {"a>b", false},
        {"a|b", false},
        {"a\tb", false},
        {"a\nb", false},
        {"\x01", false},
        {std::string("a\0b", 3), false},
        {"CON", false},
        {"con", false},
        {"Nul.pcp", false},
        {"aux ", false},
        {"PRN.txt", false},
        {"COM1", false},
        {"lpt9.x", false},
        {"COM0", true},
        {"COM10", true},
        {"CONSOLE", true},
        {"NULL", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSafeFileName(c.name), c.safe) << "\"" << c.name << "\"";
}
