#include "users/user_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "users/tests/reseau_fixture.h"

using namespace reseau_fixture;

namespace {

bool SlotIsBlank(const UserRecord& r)
{
    std::vector<uint8_t> bytes(136, 0xEE);
    WriteUserRecord(r, std::span<uint8_t, 136>(bytes.data(), 136));
    return bytes == std::vector<uint8_t>(136, 0);
}

}  // namespace

TEST(Scrambling, ForwardStepOfKnownTexts)
{
    // Byte i becomes ((b XOR i) + 99) mod 256: the value all programs share.
    struct Case { const char* text; std::vector<uint8_t> bytes; } cases[] = {
        {"ADMIN", {0xA4, 0xA8, 0xB2, 0xAD, 0xAD}},
        {"0", {0x93}},
        {"zz", {0xDD, 0xDE}},
        {"\xFF", {0x62}},  // wraps past 255
        {"", {}},
    };
    for (const auto& c : cases) {
        char text[32] = {};
        std::strcpy(text, c.text);
        ScrambleText(text);
        EXPECT_EQ(std::vector<uint8_t>(text, text + std::strlen(text)), c.bytes) << c.text;
    }
}

TEST(Scrambling, BackwardStepGivesBackEveryUpperCaseText)
{
    const char* texts[] = {"A", "POSTE1", "ADMINISTRATEUR", "ABCDEFGHIJKLMNOPQRST", "P@SS-W0RD_2024!", "\xC9L\xC8VE",
                           "12345678901234567890"};
    for (const char* original : texts) {
        char text[32] = {};
        std::strcpy(text, original);
        ScrambleText(text);
        EXPECT_EQ(std::strlen(text), std::strlen(original)) << original;
        EXPECT_STRNE(text, original);
        UnscrambleText(text);
        EXPECT_STREQ(text, original);
    }
}

TEST(Scrambling, OneChangedPositionChangesOnlyThatPosition)
{
    std::string a = Scrambled("MOTDEPASSE");
    std::string b = Scrambled("MOTDEXASSE");
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i] == b[i], i != 5) << "position " << i;
}

TEST(Scrambling, ByteThatBecomesZeroEndsTheText)
{
    // 0x9D at position 0 scrambles to zero: the text ends there, the rest untouched.
    char text[] = "\x9D" "AB";
    ScrambleText(text);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[1], 'A');
    EXPECT_FALSE(IsStorablePassword("\x9D" "AB"));
    EXPECT_FALSE(IsStorablePassword("ABCDEFGHIJKLMNOPQRSTU"));  // 21 characters
    EXPECT_TRUE(IsStorablePassword("ABCDEFGHIJKLMNOPQRST"));
    EXPECT_TRUE(IsStorablePassword("\xC9L\xC8VE"));
    EXPECT_TRUE(IsStorablePassword(""));
}

TEST(UserRecordLayout, ReadsAndWritesEveryFieldAtItsOffset)
{
    std::vector<uint8_t> b(136, 0);
    PutBytes(b, 0, Scrambled("SECRET"));
    PutBytes(b, 21, "Dupont");
    PutBytes(b, 42, "ANCIEN");
    b[52] = 5;
    b[53] = 0x11;
    b[54] = 0x22;
    Put16(b, 55, 0x0102);
    Put16(b, 57, 1);
    for (size_t i = 59; i < 136; ++i)
        b[i] = static_cast<uint8_t>(i);  // whatever another program keeps there
    b[30] = 'Z';                          // after the name's terminator

    UserRecord r = ParseUserRecord(std::span<const uint8_t, 136>(b.data(), 136));
    EXPECT_STREQ(r.name, "Dupont");
    char password[21];
    std::memcpy(password, r.password, 21);
    UnscrambleText(password);
    EXPECT_STREQ(password, "SECRET");
    EXPECT_EQ(std::string(r.legacyText), "ANCIEN");
    EXPECT_EQ(r.category, 5);
    EXPECT_EQ(r.legacyByte1, 0x11);
    EXPECT_EQ(r.legacyByte2, 0x22);
    EXPECT_EQ(r.station, 0x0102);
    EXPECT_EQ(r.multiSession, 1);

    std::vector<uint8_t> back(136, 0xEE);
    WriteUserRecord(r, std::span<uint8_t, 136>(back.data(), 136));
    EXPECT_EQ(back, b);
}

TEST(UserRecordLayout, NameOrPasswordWithoutTerminatorEndsWithinItsField)
{
    std::vector<uint8_t> b(136, 'X');
    UserRecord r = ParseUserRecord(std::span<const uint8_t, 136>(b.data(), 136));
    EXPECT_EQ(std::strlen(r.name), 20u);
    EXPECT_EQ(std::strlen(r.password), 20u);
    EXPECT_EQ(r.legacyText[0], 'X');
}

TEST(OlderLayouts, RecordsAreConvertedFieldByField)
{
    // "Serveur": 8-bit station at 47 and multi-session at 48.
    std::vector<uint8_t> old(128, 0);
    PutBytes(old, 0, "ABCDEFGHIJKLM");  // 13 bytes, no terminator
    PutBytes(old, 13, "Martin");
    PutBytes(old, 34, "TEXTE");
    old[44] = 5;
    old[45] = 0x33;
    old[46] = 0x44;
    old[47] = 7;
    old[48] = 1;
    old[49] = 0xEE;  // beyond the record's fields
    old[50] = 0xFF;
    UserRecord r = ConvertOldUserRecord(std::span<const uint8_t, 128>(old.data(), 128), UserLayout::Serveur);
    EXPECT_STREQ(r.password, "ABCDEFGHIJKLM");
    EXPECT_STREQ(r.name, "Martin");
    EXPECT_EQ(std::string(r.legacyText), "TEXTE");
    EXPECT_EQ(r.category, 5);
    EXPECT_EQ(r.legacyByte1, 0x33);
    EXPECT_EQ(r.legacyByte2, 0x44);
    EXPECT_EQ(r.station, 7);
    EXPECT_EQ(r.multiSession, 1);
    for (uint8_t byte : r.reserved)
        EXPECT_EQ(byte, 0);

    // "Serveur2": 16-bit station at 47, 16-bit multi-session at 49.
    std::vector<uint8_t> old2(128, 0);
    PutBytes(old2, 13, "Durand");
    Put16(old2, 47, 0x0203);
    Put16(old2, 49, 1);
    old2[51] = 0xEE;
    UserRecord r2 = ConvertOldUserRecord(std::span<const uint8_t, 128>(old2.data(), 128), UserLayout::Serveur2);
    EXPECT_STREQ(r2.name, "Durand");
    EXPECT_EQ(r2.station, 0x0203);
    EXPECT_EQ(r2.multiSession, 1);
}

TEST(UserFileHeaders, DefaultHeadersAreTheBytesEveryProgramExpects)
{
    std::vector<uint8_t> expected(224, 0);
    WriteDefaultHeaders(expected, 3);

    auto table = std::make_unique<UserTable>();
    table->header = DefaultUserTableHeader(3);
    std::vector<uint8_t> file = EncodeUserFile(DefaultUserFileHeader(), *table, MaxUsers);
    ASSERT_EQ(file.size(), 136224u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 224), expected);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 224, file.end()), std::vector<uint8_t>(136000, 0));
}

TEST(UserFileHeaders, HeaderBytesAreKeptAsRead)
{
    std::vector<uint8_t> head(128);
    for (size_t i = 0; i < head.size(); ++i)
        head[i] = static_cast<uint8_t>(i * 7 + 1);
    PutBytes(head, 0, std::string("Serveur3\0junk", 13));
    Put32(head, 88, 128);
    UserFileHeader header = ParseUserFileHeader(head);
    std::vector<uint8_t> back(128, 0);
    WriteUserFileHeader(header, std::span<uint8_t, 128>(back.data(), 128));
    EXPECT_EQ(back, head);
    EXPECT_EQ(LayoutOf(header), UserLayout::Serveur3);
}

TEST(UserFileReading, DecodesWhatTheFileHoldsAndNothingMore)
{
    std::vector<uint8_t> alice = CurrentRecord("ALICE", 5, 0);
    std::vector<uint8_t> bob = CurrentRecord("BOB", 0, 3);
    std::vector<uint8_t> halfCarol = CurrentRecord("CAROL", 5, 4);
    halfCarol.resize(24);  // the file ends inside the third record's name: "CAR"

    struct Case {
        const char* what;
        Image image;
        size_t cutTo;  // 0: whole image
        UserFileVerdict verdict;
        uint16_t userCount;
        std::vector<std::string> names;
    };
    Image twoUsers;
    twoUsers.userCount = 2;
    twoUsers.records = {alice, bob};
    Case cases[] = {
        {"two users", twoUsers, 0, UserFileVerdict::Usable, 2, {"ALICE", "BOB"}},
        {"wrong magic", [&] { Image i = twoUsers; i.magic = 0x0106A9D7; return i; }(), 0,
         UserFileVerdict::WrongIdentification, 0, {}},
        {"other format code", [&] { Image i = twoUsers; i.formatCode = 0x2013; return i; }(), 0,
         UserFileVerdict::WrongIdentification, 0, {}},
        {"signature in other case", [&] { Image i = twoUsers; i.signature = "serveur3"; return i; }(), 0,
         UserFileVerdict::UnknownSignature, 0, {}},
        {"unknown signature", [&] { Image i = twoUsers; i.signature = "Serveur4"; return i; }(), 0,
         UserFileVerdict::UnknownSignature, 0, {}},
        {"1001 users", [&] { Image i = twoUsers; i.userCount = 1001; return i; }(), 0, UserFileVerdict::TooManyUsers,
         0, {}},
        {"1000 users, two present", [&] { Image i = twoUsers; i.userCount = 1000; return i; }(), 0,
         UserFileVerdict::Usable, 1000, {"ALICE", "BOB"}},
        {"file ends in a record", [&] { Image i = twoUsers; i.userCount = 3; i.records.push_back(halfCarol); return i; }(),
         0, UserFileVerdict::Usable, 3, {"ALICE", "BOB", "CAR"}},
        {"header cut short", twoUsers, 100, UserFileVerdict::WrongIdentification, 0, {}},
        {"table header beyond the end", [&] { Image i = twoUsers; i.tableAt = 100000; return i; }(), 400,
         UserFileVerdict::Usable, 0, {}},
        {"table header further on", [&] { Image i = twoUsers; i.tableAt = 512; return i; }(), 0,
         UserFileVerdict::Usable, 2, {"ALICE", "BOB"}},
    };
    auto table = std::make_unique<UserTable>();
    for (const auto& c : cases) {
        std::vector<uint8_t> file = BuildImage(c.image);
        if (c.cutTo)
            file.resize(c.cutTo);
        // A table full of an earlier load: nothing of it may survive.
        for (auto& slot : table->records)
            std::strcpy(slot.name, "OLD");
        UserFileHeader header;
        EXPECT_EQ(DecodeUserFile(file, header, *table), c.verdict) << c.what;
        EXPECT_EQ(table->header.userCount, c.userCount) << c.what;
        for (size_t i = 0; i < c.names.size(); ++i)
            EXPECT_STREQ(table->records[i].name, c.names[i].c_str()) << c.what << " slot " << i;
        for (size_t i = c.names.size(); i < MaxUsers; ++i)
            ASSERT_TRUE(SlotIsBlank(table->records[i])) << c.what << " slot " << i;
    }
}

TEST(UserFileReading, OlderLayoutsAreConvertedAndWrittenAsTheCurrentOne)
{
    std::vector<uint8_t> old(128, 0);
    PutBytes(old, 0, Scrambled("POSTE1"));
    PutBytes(old, 13, "POSTE1");
    old[47] = 7;
    old[48] = 1;
    Image image;
    image.signature = "Serveur";
    image.userCount = 2;
    image.records = {old, old};
    image.records[1][13] = 'Q';
    std::vector<uint8_t> file = BuildImage(image);
    PutBytes(file, 40, "description de l'ancien serveur");
    file[100] = 0x5A;  // reserved

    auto table = std::make_unique<UserTable>();
    UserFileHeader header;
    ASSERT_EQ(DecodeUserFile(file, header, *table), UserFileVerdict::Usable);
    EXPECT_EQ(LayoutOf(header), UserLayout::Serveur);
    EXPECT_EQ(table->records[0].station, 7);
    EXPECT_STREQ(table->records[1].name, "QOSTE1");

    std::vector<uint8_t> converted = EncodeUserFile(header, *table, table->header.userCount);
    ASSERT_EQ(converted.size(), 224u + 2 * 136);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(converted.data())), "Serveur3");
    EXPECT_TRUE(std::equal(converted.begin() + 32, converted.begin() + 128, file.begin() + 32));
    EXPECT_EQ(converted[224 + 55], 7);  // station, now 16-bit
    EXPECT_EQ(converted[224 + 56], 0);
    EXPECT_EQ(converted[224 + 57], 1);  // multi-session
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(converted.data() + 224 + 136 + 21)), "QOSTE1");

    UserFileHeader again;
    auto reread = std::make_unique<UserTable>();
    ASSERT_EQ(DecodeUserFile(converted, again, *reread), UserFileVerdict::Usable);
    EXPECT_EQ(LayoutOf(again), UserLayout::Serveur3);
    EXPECT_EQ(EncodeUserFile(again, *reread, 2), converted);
}

TEST(UserFileWriting, HeaderIsMadeToDescribeWhatFollows)
{
    Image image;
    image.tableAt = 512;
    image.userCount = 1;
    image.records = {CurrentRecord("ALICE", 5, 0)};
    std::vector<uint8_t> file = BuildImage(image);
    auto table = std::make_unique<UserTable>();
    UserFileHeader header;
    ASSERT_EQ(DecodeUserFile(file, header, *table), UserFileVerdict::Usable);
    std::vector<uint8_t> written = EncodeUserFile(header, *table, MaxUsers);
    EXPECT_EQ(Get32(written, 88), 128u);
    EXPECT_EQ(Get32(written, 92), 224u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(written.data() + 224 + 21)), "ALICE");
}
