#include "states/activity_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "tests/fixtures/byte_fixture.h"
#include "tests/wine/test_support.h"

namespace {

std::vector<uint8_t> Pattern(size_t size, int seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t n = 0; n < size; ++n)
        bytes[n] = static_cast<uint8_t>(n * 7 + seed);
    return bytes;
}

using byte_fixture::ChangedBytes;

std::vector<size_t> Range(size_t first, size_t last)
{
    std::vector<size_t> offsets;
    for (size_t n = first; n <= last; ++n)
        offsets.push_back(n);
    return offsets;
}

}  // namespace

class ActivityFilesTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        UserActivity.fill(0);
        GatewayActivity.fill(0);
        UserActiveFlags.fill(0);
        GatewayActiveFlags.fill(0);
    }
    std::string UserFile() const { return Path("\\ActUser.dat"); }
    std::string GatewayFile() const { return Path("\\ActPass.dat"); }
};

TEST_F(ActivityFilesTest, ReadingFillsBothImagesAndFlags)
{
    auto users = Pattern(3000, 3);
    auto gateways = Pattern(152, 11);
    WriteBytes(UserFile(), users);
    WriteBytes(GatewayFile(), gateways);
    ReadActivityFiles();
    EXPECT_EQ(std::vector<uint8_t>(UserActivity.begin(), UserActivity.end()), users);
    EXPECT_EQ(std::vector<uint8_t>(GatewayActivity.begin(), GatewayActivity.end()), gateways);
    for (size_t i = 0; i < 1000; ++i)
        ASSERT_EQ(UserActiveFlags[i], users[3 * i]) << "user " << i;
    for (size_t j = 0; j < 8; ++j)
        EXPECT_EQ(GatewayActiveFlags[j], gateways[19 * j]) << "gateway " << j;
    // Unsigned bytes: a server's 0xFF is a set flag, not -1.
    EXPECT_EQ(UserActiveFlags[36], users[108]);
    EXPECT_GT(UserActiveFlags[36], 127);
}

TEST_F(ActivityFilesTest, ShortLongAndMissingFilesLeaveTheRestOfTheImages)
{
    struct Case {
        const char* name;
        std::optional<size_t> userSize, gatewaySize;  // nothing: no file
    } cases[] = {
        {"no files", std::nullopt, std::nullopt},
        {"empty files", 0, 0},
        {"short files", 10, 20},
        {"no user file", std::nullopt, 152},
        {"no gateway file", 3000, std::nullopt},
        {"files longer than their records", 3100, 200},
    };
    for (const auto& c : cases) {
        ModalRecorder modal;
        DeleteFileA(UserFile().c_str());
        DeleteFileA(GatewayFile().c_str());
        if (c.userSize)
            WriteBytes(UserFile(), std::vector<uint8_t>(*c.userSize, 0x11));
        if (c.gatewaySize)
            WriteBytes(GatewayFile(), std::vector<uint8_t>(*c.gatewaySize, 0x22));
        UserActivity.fill(0x5A);
        GatewayActivity.fill(0x6B);

        ReadActivityFiles();

        size_t userRead = std::min<size_t>(c.userSize.value_or(0), 3000);
        for (size_t n = 0; n < 3000; ++n)
            ASSERT_EQ(UserActivity[n], n < userRead ? 0x11 : 0x5A) << c.name << ", byte " << n;
        size_t gatewayRead = std::min<size_t>(c.gatewaySize.value_or(0), 152);
        for (size_t n = 0; n < 152; ++n)
            ASSERT_EQ(GatewayActivity[n], n < gatewayRead ? 0x22 : 0x6B) << c.name << ", byte " << n;
        // The flags follow the image, read or kept.
        EXPECT_EQ(UserActiveFlags[999], userRead == 3000 ? 0x11 : 0x5A) << c.name;
        EXPECT_EQ(GatewayActiveFlags[7], gatewayRead == 152 ? 0x22 : 0x6B) << c.name;
        EXPECT_EQ(Exists(UserFile()), c.userSize.has_value()) << c.name;
        EXPECT_EQ(Exists(GatewayFile()), c.gatewaySize.has_value()) << c.name;
        if (c.userSize) {
            EXPECT_EQ(ReadBytes(UserFile()).size(), *c.userSize) << c.name;
        }
        EXPECT_TRUE(modal.Calls().empty()) << c.name;
    }
}

TEST_F(ActivityFilesTest, StartUpLoadReadsOnlyTheUserFile)
{
    auto users = Pattern(3000, 5);
    WriteBytes(UserFile(), users);
    WriteBytes(GatewayFile(), Pattern(152, 9));
    GatewayActivity.fill(0x6B);
    LoadUserActivity();
    EXPECT_EQ(std::vector<uint8_t>(UserActivity.begin(), UserActivity.end()), users);
    EXPECT_EQ(UserActiveFlags[7], users[21]);
    EXPECT_EQ(GatewayActivity[0], 0x6B);
    EXPECT_EQ(GatewayActiveFlags[0], 0);

    DeleteFileA(UserFile().c_str());
    UserActivity.fill(0x5A);
    LoadUserActivity();
    EXPECT_EQ(UserActivity[2999], 0x5A);
    EXPECT_FALSE(Exists(UserFile()));
}

TEST_F(ActivityFilesTest, UserRecordWriteTouchesOnlyThatRecord)
{
    struct Case { int record; std::vector<size_t> changed; } cases[] = {
        {0, {0, 1, 2}}, {5, {15, 16, 17}}, {999, {2997, 2998, 2999}}, {-1, {}}, {1000, {}},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> file(3000, 0xEE);
        WriteBytes(UserFile(), file);
        auto image = Pattern(3000, 1);
        std::copy(image.begin(), image.end(), UserActivity.begin());
        WriteUserActivityRecord(c.record);
        auto after = ReadBytes(UserFile());
        EXPECT_EQ(ChangedBytes(file, after), c.changed) << "record " << c.record;
        for (size_t n : c.changed)
            EXPECT_EQ(after[n], image[n]) << "record " << c.record << ", byte " << n;
    }
}

TEST_F(ActivityFilesTest, ClearingPasswordChangedWritesOnlyThatByte)
{
    const std::vector<uint8_t> file(3000, 0xEE);
    WriteBytes(UserFile(), file);
    UserActivity.fill(0x33);  // differs from the file: no other byte of the image may be written
    ClearPasswordChanged(5);
    EXPECT_EQ(ChangedBytes(file, ReadBytes(UserFile())), std::vector<size_t>{17});
    EXPECT_EQ(ReadBytes(UserFile())[17], 0);
    EXPECT_EQ(UserActivity[17], 0);
    EXPECT_EQ(UserActivity[15], 0x33);
    EXPECT_EQ(UserActivity[16], 0x33);

    WriteBytes(UserFile(), file);
    ClearPasswordChanged(-1);
    ClearPasswordChanged(1000);
    EXPECT_EQ(ReadBytes(UserFile()), file);
}

// Switching an entry off writes its Active byte alone: the rest of the
// record is the server's, and the image may be older than the file.
TEST_F(ActivityFilesTest, ClearingActiveWritesOnlyThatByte)
{
    struct Case {
        const char* name;
        void (*clear)(int);
        std::string file;
        size_t size;
        int record;
        std::vector<size_t> changed;
    } cases[] = {
        {"user 0", ClearUserActive, "\\ActUser.dat", 3000, 0, {0}},
        {"user 5", ClearUserActive, "\\ActUser.dat", 3000, 5, {15}},
        {"user 999", ClearUserActive, "\\ActUser.dat", 3000, 999, {2997}},
        {"user -1", ClearUserActive, "\\ActUser.dat", 3000, -1, {}},
        {"user 1000", ClearUserActive, "\\ActUser.dat", 3000, 1000, {}},
        {"gateway 0", ClearGatewayActive, "\\ActPass.dat", 152, 0, {0}},
        {"gateway 7", ClearGatewayActive, "\\ActPass.dat", 152, 7, {133}},
        {"gateway 8", ClearGatewayActive, "\\ActPass.dat", 152, 8, {}},
        {"gateway -1", ClearGatewayActive, "\\ActPass.dat", 152, -1, {}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> file(c.size, 0xEE);
        WriteBytes(Path(c.file), file);
        UserActivity.fill(0x33);
        GatewayActivity.fill(0x33);
        c.clear(c.record);
        auto after = ReadBytes(Path(c.file));
        EXPECT_EQ(ChangedBytes(file, after), c.changed) << c.name;
        for (size_t n : c.changed)
            EXPECT_EQ(after[n], 0) << c.name;
        // The image has its byte cleared too, and nothing else.
        const uint8_t* image = c.size == 3000 ? UserActivity.data() : GatewayActivity.data();
        for (size_t n = 0; n < c.size; ++n)
            ASSERT_EQ(image[n], c.changed.size() == 1 && n == c.changed[0] ? 0 : 0x33) << c.name << ", byte " << n;
    }
    DeleteFileA(UserFile().c_str());
    DeleteFileA(GatewayFile().c_str());
    ClearUserActive(3);
    ClearGatewayActive(3);
    EXPECT_FALSE(Exists(UserFile()));
    EXPECT_FALSE(Exists(GatewayFile()));
}

TEST_F(ActivityFilesTest, GatewayWriteTouchesOnlyThatRecordOrTheWholeImage)
{
    struct Case { int record; size_t fileSize; std::vector<size_t> changed; } cases[] = {
        {7, 152, Range(133, 151)},
        {0, 152, Range(0, 18)},
        {3, 152, Range(57, 75)},
        {-1, 152, Range(0, 151)},
        {-1, 200, Range(0, 151)},  // what follows the image is not the console's
        {8, 152, {}},
        {-2, 152, {}},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> file(c.fileSize, 0xEE);
        WriteBytes(GatewayFile(), file);
        auto image = Pattern(152, 2);
        std::copy(image.begin(), image.end(), GatewayActivity.begin());
        WriteGatewayActivity(c.record);
        auto after = ReadBytes(GatewayFile());
        EXPECT_EQ(ChangedBytes(file, after), c.changed) << "record " << c.record;
        for (size_t n : c.changed)
            EXPECT_EQ(after[n], image[n]) << "record " << c.record << ", byte " << n;
    }
}

TEST_F(ActivityFilesTest, WritesToMissingFilesAreDroppedWithoutCreatingThem)
{
    ModalRecorder modal;
    UserActivity.fill(1);
    GatewayActivity.fill(1);
    WriteUserActivityRecord(3);
    ClearPasswordChanged(3);
    WriteGatewayActivity(2);
    WriteGatewayActivity(-1);
    EXPECT_TRUE(ReleaseHeldLines());
    EXPECT_FALSE(Exists(UserFile()));
    EXPECT_FALSE(Exists(GatewayFile()));
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(ActivityFilesTest, RecordWriteIntoAShortFileKeepsWhatItHolds)
{
    const std::vector<uint8_t> file(19, 0xEE);  // only gateway 0
    WriteBytes(GatewayFile(), file);
    GatewayActivity.fill(0x44);
    WriteGatewayActivity(7);
    auto after = ReadBytes(GatewayFile());
    ASSERT_EQ(after.size(), 152u);
    EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + 19), file);
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 133, after.end()), std::vector<uint8_t>(19, 0x44));
}

TEST_F(ActivityFilesTest, HeldLinesLeftByAnEndedConsoleAreReleasedInTheWholeFile)
{
    // Gateway 3 with lines 1, 2, 1, 0, 0, 0, 0, 0; kept bytes hold server data.
    auto file = Pattern(152, 4);
    for (size_t j = 0; j < 8; ++j)
        for (size_t k = 0; k < 8; ++k)
            file[19 * j + 3 + 2 * k] = j == 3 ? std::array<uint8_t, 8>{1, 2, 1, 0, 0, 0, 0, 0}[k] : 4;
    WriteBytes(GatewayFile(), file);
    ReadActivityFiles();

    EXPECT_TRUE(ReleaseHeldLines());

    auto expected = file;
    expected[57 + 3] = 0;
    expected[57 + 7] = 0;
    EXPECT_EQ(ReadBytes(GatewayFile()), expected);
    EXPECT_EQ(std::vector<uint8_t>(GatewayActivity.begin(), GatewayActivity.end()), expected);
    EXPECT_EQ(LineState(3, 0), 0);
    EXPECT_EQ(LineState(3, 1), 2);
    EXPECT_EQ(LineState(3, 2), 0);
}

TEST_F(ActivityFilesTest, NoHeldLineMeansNoWrite)
{
    auto file = Pattern(152, 4);
    for (size_t j = 0; j < 8; ++j)
        for (size_t k = 0; k < 8; ++k)
            file[19 * j + 3 + 2 * k] = static_cast<uint8_t>(k % 2 ? 0 : 2 + j % 3);
    WriteBytes(GatewayFile(), file);
    ReadActivityFiles();
    // The server changes the file meanwhile; a needless write would undo that.
    auto changedByServer = file;
    changedByServer[19 * 5] = 1;
    WriteBytes(GatewayFile(), changedByServer);

    EXPECT_FALSE(ReleaseHeldLines());
    EXPECT_EQ(ReadBytes(GatewayFile()), changedByServer);
}

TEST_F(ActivityFilesTest, ChangedFieldsGoBackWithTheKeptBytesAsRead)
{
    auto users = Pattern(3000, 6);
    auto gateways = Pattern(152, 8);
    WriteBytes(UserFile(), users);
    WriteBytes(GatewayFile(), gateways);
    ReadActivityFiles();

    SetUserActive(4, false);
    WriteUserActivityRecord(4);
    auto expectedUsers = users;
    expectedUsers[12] = 0;
    EXPECT_EQ(ReadBytes(UserFile()), expectedUsers);

    SetGatewayActive(2, false);
    SetConfigChanged(2, true);
    SetLineState(2, 5, 4);
    SetLineState(2, 6, 256);  // not a byte: ignored
    SetLineState(2, 8, 1);    // no ninth line
    WriteGatewayActivity(2);
    auto expectedGateways = gateways;
    expectedGateways[38] = 0;
    expectedGateways[40] = 1;
    expectedGateways[38 + 3 + 10] = 4;
    EXPECT_EQ(ReadBytes(GatewayFile()), expectedGateways);
    EXPECT_EQ(LineState(2, 5), 4);
    EXPECT_FALSE(GatewayActive(2));
    EXPECT_TRUE(ConfigChanged(2));
}

TEST_F(ActivityFilesTest, FieldReadersFollowTheImage)
{
    UserActivity[3 * 7] = 1;
    UserActivity[3 * 8 + 2] = 9;
    GatewayActivity[19 * 6] = 2;
    GatewayActivity[19 * 6 + 2] = 1;
    GatewayActivity[19 * 6 + 3 + 2 * 7] = 3;
    EXPECT_TRUE(UserActive(7));
    EXPECT_FALSE(UserActive(8));
    EXPECT_TRUE(PasswordChanged(8));
    EXPECT_FALSE(PasswordChanged(7));
    EXPECT_TRUE(GatewayActive(6));
    EXPECT_TRUE(ConfigChanged(6));
    EXPECT_FALSE(ConfigChanged(5));
    EXPECT_EQ(LineState(6, 7), 3);
    EXPECT_EQ(LineState(6, 8), 0);
    EXPECT_FALSE(UserActive(1000));
    EXPECT_FALSE(GatewayActive(-1));
}
