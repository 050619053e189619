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
