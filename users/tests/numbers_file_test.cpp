#include "users/numbers_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/test_support.h"
#include "users/tests/reseau_fixture.h"

using namespace reseau_fixture;

class NumbersFileTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        FreeUserTable();
        FreeNumbersTable();
    }
    void TearDown() override
    {
        FreeUserTable();
        FreeNumbersTable();
        ProgramDirTest::TearDown();
    }
    std::string NumbersFile() const { return Path("\\Numaut.dat"); }

    // The file's name as the directory lists it.
    std::string ListedName() const
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(Path("\\*.dat").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return {};
        FindClose(search);
        return found.cFileName;
    }
};

TEST_F(NumbersFileTest, CreationWritesTheUserCountAndZeroRecords)
{
    CurrentUserTable().header.userCount = 3;
    std::strcpy(CurrentNumbersTable().records[5].numbers[0], "left over");
    ModalRecorder modal;
    CreateNumbersFile();
    std::vector<uint8_t> expected(804004, 0);
    Put32(expected, 0, 3);
    EXPECT_EQ(ReadBytes(NumbersFile()), expected);
    EXPECT_EQ(ListedName(), "Numaut.dat");
    EXPECT_EQ(CurrentNumbersTable().head, 3u);
    EXPECT_STREQ(CurrentNumbersTable().records[5].numbers[0], "");
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(NumbersFileTest, SavedRecordsSitAtTheirPositionsAndLoadBack)
{
    NumbersTable& table = CurrentNumbersTable();
    table.head = 12;
    table.records[0].count = 2;
    std::strcpy(table.records[0].numbers[0], "3615");
    std::strcpy(table.records[0].numbers[1], "0899123456");
    table.records[999].count = 1;
    std::strcpy(table.records[999].numbers[0], "0800");
    SaveNumbersFile();

    std::vector<uint8_t> expected(804004, 0);
    Put32(expected, 0, 12);
    Put32(expected, 4, 2);
    PutBytes(expected, 8, "3615");
    PutBytes(expected, 28, "0899123456");
    Put32(expected, 4 + 804 * 999, 1);
    PutBytes(expected, 4 + 804 * 999 + 4, "0800");
    EXPECT_EQ(ReadBytes(NumbersFile()), expected);
    EXPECT_FALSE(Exists(NumbersFile() + ".new"));

    FreeNumbersTable();
    LoadNumbersFile();
    EXPECT_EQ(table.head, 12u);
    EXPECT_EQ(table.records[0].count, 2u);
    EXPECT_STREQ(table.records[0].numbers[1], "0899123456");
    EXPECT_STREQ(table.records[999].numbers[0], "0800");
}

TEST_F(NumbersFileTest, MissingFileIsMadeAnewWhenLoading)
{
    CurrentUserTable().header.userCount = 2;
    std::strcpy(CurrentNumbersTable().records[1].numbers[0], "old");
    LoadNumbersFile();
    std::vector<uint8_t> expected(804004, 0);
    Put32(expected, 0, 2);
    EXPECT_EQ(ReadBytes(NumbersFile()), expected);
    EXPECT_STREQ(CurrentNumbersTable().records[1].numbers[0], "");
}

TEST_F(NumbersFileTest, ShortOrOversizedFileIsReadAsFarAsTheTableGoes)
{
    for (size_t size : {size_t{0}, size_t{3}, size_t{4 + 804 + 30}, size_t{804004 + 500}}) {
        std::vector<uint8_t> file(size, 0);
        if (size >= 4)
            Put32(file, 0, 7);
        if (size >= 4 + 804 + 30) {
            Put32(file, 4 + 804, 1);
            PutBytes(file, 4 + 804 + 4, "0123456789");
        }
        for (size_t i = 804004; i < size; ++i)
            file[i] = 0xAB;
        WriteBytes(NumbersFile(), file);
        std::strcpy(CurrentNumbersTable().records[1].numbers[3], "stale");
        LoadNumbersFile();
        const NumbersTable& table = CurrentNumbersTable();
        EXPECT_EQ(table.head, size >= 4 ? 7u : 0u) << size;
        EXPECT_EQ(table.records[1].count, size >= 4 + 804 + 30 ? 1u : 0u) << size;
        EXPECT_STREQ(table.records[1].numbers[0], size >= 4 + 804 + 30 ? "0123456789" : "") << size;
        EXPECT_STREQ(table.records[1].numbers[3], "") << size;
        EXPECT_EQ(ReadBytes(NumbersFile()), file) << size << ": loading does not write";
    }
}

// A Numaut.dat that is there but cannot be read (another program holds it)
// is never taken for missing: no fresh table replaces it, and no save of a
// table that could not be loaded from it goes over it.
TEST_F(NumbersFileTest, AFileThatCannotBeReadIsNeverReplaced)
{
    std::vector<uint8_t> file(kNumbersFileSize, 0);
    Put32(file, 0, 2);
    Put32(file, 4 + 804, 1);
    PutBytes(file, 4 + 804 + 4, "3615");
    WriteBytes(NumbersFile(), file);
    HANDLE held = CreateFileA(NumbersFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadNumbersFile(), NumbersReading::unreadable);
    EXPECT_EQ(CurrentNumbersTable().records[1].count, 0u);
    CreateNumbersFile();
    EXPECT_FALSE(SaveNumbersFile());
    EXPECT_EQ(OpenNumbersWorkCopy(), NumbersReading::unreadable);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(NumbersFile()), file);
    EXPECT_EQ(LoadNumbersFile(), NumbersReading::read);
    EXPECT_STREQ(CurrentNumbersTable().records[1].numbers[0], "3615");
}
