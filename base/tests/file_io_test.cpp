#include "base/file_io.h"

#include <gtest/gtest.h>

#include "tests/wine/test_support.h"

class FileIoTest : public ProgramDirTest {};

TEST_F(FileIoTest, ReplaceFileSafelyLeavesOnlyTheNewContent)
{
    std::string path = Path("\\reseau.dat");
    WriteBytes(path, std::vector<uint8_t>(5000, 0xAA));
    std::vector<uint8_t> fresh(300, 0x55);
    ASSERT_TRUE(ReplaceFileSafely(path, fresh));
    EXPECT_EQ(ReadBytes(path), fresh);
    EXPECT_FALSE(Exists(path + ".new"));
}

TEST_F(FileIoTest, ReplaceFileSafelyWritesInPlaceWhileAnotherProgramHoldsTheFile)
{
    std::string path = Path("\\reseau.dat");
    WriteBytes(path, std::vector<uint8_t>(5000, 0xAA));
    // As the server would: open, sharing reading and writing but not deletion.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> fresh(300, 0x55);
    EXPECT_TRUE(ReplaceFileSafely(path, fresh));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), fresh);
    EXPECT_FALSE(Exists(path + ".new"));
}

TEST_F(FileIoTest, ReadAndWriteAtOffsets)
{
    std::string path = Path("\\ActPass.dat");
    std::vector<uint8_t> image(152, 0);
    WriteBytes(path, image);
    const uint8_t record[3] = {1, 2, 3};
    ASSERT_TRUE(WriteFileAt(path, 133, record));
    uint8_t back[10] = {};
    EXPECT_EQ(ReadFileAt(path, 130, back), 10);
    EXPECT_EQ(back[3], 1);
    EXPECT_EQ(back[5], 3);
    uint8_t tail[40];
    EXPECT_EQ(ReadFileAt(path, 140, tail), 12);  // short read at the end
    EXPECT_EQ(ReadFileAt(Path("\\absent.dat"), 0, tail), -1);
    EXPECT_FALSE(WriteFileAt(Path("\\absent.dat"), 0, record));
    EXPECT_FALSE(Exists(Path("\\absent.dat")));
}

TEST_F(FileIoTest, ReplaceFileWholeNeverWritesIntoTheFileItself)
{
    const std::vector<uint8_t> old(5000, 0xAA);
    const std::vector<uint8_t> fresh(300, 0x55);
    // Files beside the target that are not ours to touch.
    const std::vector<uint8_t> neighbour = {'n', 'o', 't', ' ', 'o', 'u', 'r', 's'};
    WriteBytes(Path("\\journal.txt.new"), neighbour);
    WriteBytes(Path("\\jrn1.tmp"), neighbour);
    struct Case {
        const char* name;
        const char* file;
        bool exists, readOnly, held, replaced;
    } cases[] = {
        {"a new file", "\\nouveau.txt", false, false, false, true},
        {"an existing file, longer", "\\journal.txt", true, false, false, true},
        {"a read-only file", "\\lecture.txt", true, true, false, false},
        {"a file held without letting it go", "\\tenu.txt", true, false, true, false},
        {"a folder that does not exist", "\\absent\\journal.txt", false, false, false, false},
    };
    for (const Case& c : cases) {
        std::string path = Path(c.file);
        if (c.exists)
            WriteBytes(path, old);
        if (c.readOnly)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE held = c.held ? CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                             : INVALID_HANDLE_VALUE;
        EXPECT_EQ(ReplaceFileWhole(path, fresh), c.replaced) << c.name;
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.replaced)
            EXPECT_EQ(ReadBytes(path), fresh) << c.name;
        else if (c.exists)
            EXPECT_EQ(ReadBytes(path), old) << c.name << ": as it was";
        else
            EXPECT_FALSE(Exists(path)) << c.name;
    }
    EXPECT_EQ(ReadBytes(Path("\\journal.txt.new")), neighbour);
    EXPECT_EQ(ReadBytes(Path("\\jrn1.tmp")), neighbour);
    // Nothing left beside: the four files the cases leave, the two neighbours.
    int files = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 6);
}
