#include "base/path_text.h"

#include <gtest/gtest.h>

TEST(DirectoryOf, CutsJustBeforeTheLastBackslash)
{
    struct Case { const char* path; const char* dir; } cases[] = {
        {"D:\\SERVEUR\\admin.exe", "D:\\SERVEUR"},
        {"C:\\a\\b\\c\\admin.exe", "C:\\a\\b\\c"},
        {"admin.exe", ""},
        {"\\\\serveur\\partage\\admin.exe", "\\\\serveur\\partage"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DirectoryOf(c.path), c.dir) << c.path;
}

TEST(DirectoryOf, WorksForPathsLongerThan128Bytes)
{
    std::string dir = "C:";
    for (int i = 0; i < 40; ++i)
        dir += "\\dossier" + std::to_string(i);
    ASSERT_GT(dir.size(), 300u);
    EXPECT_EQ(DirectoryOf(dir + "\\admin.exe"), dir);
    EXPECT_NE(DirectoryOf(dir + "\\admin.exe").back(), '\\');
}
