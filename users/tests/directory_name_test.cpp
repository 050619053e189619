#include "users/directory_name.h"

#include <gtest/gtest.h>

#include <string>

TEST(DirectoryName, TellsWhichNamesCanNameADirectoryOfTheProgramDirectory)
{
    struct Case {
        std::string name;
        bool usable;
    } cases[] = {
        {"Dupont", true},
        {"H\xE9l\xE8ne", true},      // Latin-1 letters are ordinary characters
        {"\xC9mile", true},
        {"Jean Paul", true},
        {"M. Martin", true},
        {" Dupont", true},            // a leading space is kept by the platform
        {"Poste12", true},
        {"CONSOLE", true},            // only the device names themselves
        {"COM10", true},
        {"LPT", true},
        {"NULL", true},
        {"AUXI.txt", true},
        {"COM\xB4", true},            // an acute accent, not a superscript digit
        {"", false},
        {".", false},
        {"..", false},
        {"...", false},
        {"Dupont.", false},           // the platform drops a trailing dot
        {"Dupont ", false},           // and a trailing space
        {"..\\Windows", false},
        {"a\\b", false},
        {"a/b", false},
        {"C:", false},
        {"C:Dupont", false},
        {"name:stream", false},
        {"a*", false},
        {"a?", false},
        {"\"a\"", false},
        {"a<b", false},
        {"a>b", false},
        {"a|b", false},
        {"tab\there", false},
        {"line\nfeed", false},
        {std::string("nul\0x", 5), false},
        {"\x1F", false},
        {"CON", false},
        {"con", false},
        {"Prn", false},
        {"AUX", false},
        {"nUl", false},
        {"CONIN$", false},
        {"conout$", false},
        {"COM0", false},
        {"COM1", false},
        {"com9", false},
        {"LPT1", false},
        {"lpt9", false},
        {"COM\xB9", false},           // COM¹
        {"LPT\xB2", false},           // LPT²
        {"LPT\xB3", false},
        {"nul.txt", false},
        {"CON.tar.gz", false},
        {"Com1 .log", false},
        {"AUX  ", false},
        // The console's own directories: the gateways' and the work copy's.
        {"pass0", false},
        {"PASS1", false},
        {"Pass7", false},
        {"pAsS4", false},
        {"usertemp", false},
        {"UserTemp", false},
        {"USERTEMP", false},
        {"pass8", true},
        {"pass10", true},
        {"pass", true},
        {"passe1", true},
        {"pass1.txt", true},
        {"usertemp2", true},
        {"user temp", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUsableDirectoryName(c.name), c.usable) << "name \"" << c.name << "\" (" << c.name.size() << " bytes)";
}
