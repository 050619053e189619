#include "users/user_directories.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "tests/wine/test_support.h"
#include "users/user_tables.h"

namespace {

class UserDirectoriesTest : public ProgramDirTest {
protected:
    void TearDown() override
    {
        FreeUserTable();
        ProgramDirTest::TearDown();
    }
    void SetUsers(std::initializer_list<const char*> names)
    {
        FreeUserTable();
        int i = 0;
        for (const char* name : names)
            std::strncpy(UserAt(i++).name, name, sizeof UserAt(0).name - 1);
        CurrentUserTable().header.userCount = static_cast<uint16_t>(i);
    }
};

}  // namespace

TEST_F(UserDirectoriesTest, CreatesEachMissingDirectoryWithAnEmptyMinitelIni)
{
    SetUsers({"Dupont", "H\xE9l\xE8ne", "\xC9mile", "Zo\xE9"});

    EnsureUserDirectories();

    for (const char* name : {"\\Dupont", "\\H\xE9l\xE8ne", "\\\xC9mile", "\\Zo\xE9"}) {
        EXPECT_TRUE(DirExists(Path(name))) << name;
        EXPECT_TRUE(Exists(Path(std::string(name) + "\\minitel.ini"))) << name;
        EXPECT_TRUE(ReadBytes(Path(std::string(name) + "\\minitel.ini")).empty()) << name;
    }
}

TEST_F(UserDirectoriesTest, LeavesExistingDirectoriesAsTheyAre)
{
    ASSERT_TRUE(CreateDirectoryA(Path("\\Dupont").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(Path("\\Martin").c_str(), nullptr));
    WriteBytes(Path("\\Martin\\minitel.ini"), {'[', 'M', ']'});
    SetUsers({"Dupont", "Martin"});

    EnsureUserDirectories();

    EXPECT_FALSE(Exists(Path("\\Dupont\\minitel.ini"))) << "an existing directory gets no minitel.ini";
    EXPECT_EQ(ReadBytes(Path("\\Martin\\minitel.ini")), (std::vector<uint8_t>{'[', 'M', ']'}));
}

// Names that the file system would read as a path, a device or another name
// make nothing at all, inside or outside the program directory; the users
// after them still get their directories.
TEST_F(UserDirectoriesTest, SkipsNamesThatCannotBeADirectoryName)
{
    const std::string outside = "qx" + std::to_string(GetCurrentProcessId() % 100000);  // fits a name
    const std::string escaping = "..\\" + outside;
    SetUsers({escaping.c_str(), "..", "CON", "nul.txt", "Durand.", "Petit ", "a:b", "", "Dubois"});

    EnsureUserDirectories();

    EXPECT_FALSE(DirExists(Dir() + "\\..\\" + outside));
    EXPECT_FALSE(DirExists(Path("\\Durand"))) << "the platform would have dropped the dot";
    EXPECT_FALSE(DirExists(Path("\\Petit")));
    EXPECT_FALSE(Exists(Path("\\a")));
    EXPECT_TRUE(DirExists(Path("\\Dubois")));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int entries = 0;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") {
            ++entries;
            EXPECT_EQ(name, "Dubois");
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(entries, 1);
}
