// The user database file reseau.dat: its header, its table header and its
// user records, in the current layout ("Serveur3") and in the two older ones
// ("Serveur", "Serveur2") that are converted when read. Pure: no platform.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

constexpr int MaxUsers = 1000;
constexpr uint8_t CategoryUser = 0;
constexpr uint8_t CategoryAdministrator = 5;

// The scrambling constant of the stored passwords. Every program that reads
// reseau.dat (the server, the workstations) must use this same value: changing
// it makes every stored password unreadable.
constexpr uint8_t kScrambleKey = 99;

// Longest name or password; the fields hold one byte more for the terminator.
constexpr size_t kMaxNameLength = 20;

constexpr size_t kUserFileHeaderSize = 128;
constexpr size_t kUserTableHeaderSize = 96;
constexpr size_t kUserRecordSize = 136;
constexpr size_t kOldUserRecordSize = 128;
constexpr size_t kUserFileSize = kUserFileHeaderSize + kUserTableHeaderSize + MaxUsers * kUserRecordSize;

constexpr uint32_t kUserFileMagic = 0x0106A9D6;
constexpr uint32_t kUserFileFormatCode = 0x2012;
constexpr uint32_t kUserTableHeaderAt = 128;
constexpr uint32_t kUserRecordsAt = 224;

// The bytes from the table header on that can matter: the table header and as
// many records as the table holds, in any layout.
constexpr size_t kUserTableSpan = kUserTableHeaderSize + MaxUsers * kUserRecordSize;

// UserFileHeader: offsets of its fields.
constexpr size_t kUserFileSignatureAt = 0, kUserFileSignatureSize = 32;
constexpr size_t kUserFileDescriptionAt = 32, kUserFileDescriptionSize = 48;
constexpr size_t kUserFileMagicAt = 80, kUserFileFormatCodeAt = 84, kUserFileTableHeaderOffsetAt = 88, kUserFileRecordsOffsetAt = 92;
constexpr size_t kUserFileReservedAt = 96, kUserFileReservedSize = 32;

struct UserFileHeader {
    std::array<uint8_t, kUserFileSignatureSize> signature{};  // text; bytes after the terminator kept
    std::array<uint8_t, kUserFileDescriptionSize> description{};
    uint32_t magic = 0;
    uint32_t formatCode = 0;
    uint32_t tableHeaderOffset = 0;
    uint32_t recordsOffset = 0;  // other programs may use it; the console reads after the table header
    std::array<uint8_t, kUserFileReservedSize> reserved{};
};

// The head of the in-memory table. The eight names belong to the server; the
// console writes them at creation and carries them unchanged.
struct UserTableHeader {
    uint16_t reservedWord = 0;
    uint16_t userCount = 0;
    char dirComm[10] = {};
    char dirEmis[10] = {};
    char dirAdmin[10] = {};
    char dirRecu[10] = {};
    char fileEmisCah[13] = {};
    char fileRecCah[13] = {};
    char fileEmisJdb[13] = {};
    char fileRecJdb[13] = {};
};

// One user, 136 bytes in the file. Every text field read from a file ends
// within its field (see ParseUserRecord), so the C string functions are safe
// on `password` and `name`.
struct UserRecord {
    char password[21] = {};  // scrambled (ScrambleText)
    char name[21] = {};
    char legacyText[10] = {};
    uint8_t category = 0;
    uint8_t legacyByte1 = 0;
    uint8_t legacyByte2 = 0;
    uint16_t station = 0;
    uint16_t multiSession = 0;
    uint8_t reserved[77] = {};  // zero in files of this layout; kept as read
};

// The one table of users of the process: users packed at positions 0 to
// userCount - 1, every later slot all zero.
struct UserTable {
    UserTableHeader header;
    std::array<UserRecord, MaxUsers> records;
};

enum class UserLayout { Serveur3, Serveur, Serveur2, Unknown };

// Whether a file can be read, and why not.
enum class UserFileVerdict {
    Usable,
    WrongIdentification,  // magic or formatCode differ (or the header is not complete)
    UnknownSignature,     // none of the three layouts
    TooManyUsers,         // userCount above MaxUsers
};

// The user's name as stored: the field up to its terminator, at most 21
// bytes. Every part of the console that needs a user's name takes it here.
std::string_view StoredName(const UserRecord& user);

// Scrambles (forward) or unscrambles (backward) a zero-terminated text in
// place, position by position. A byte that becomes zero ends the text.
void ScrambleText(char* text);
void UnscrambleText(char* text);

// True when `text` can be the password of a user: at most 20 characters, and
// its scrambled form keeps every character (some bytes above 0x7F would
// scramble to zero and cut the stored password short).
bool IsStorablePassword(const char* text);

// Missing bytes (a short `bytes`) read as zero.
UserFileHeader ParseUserFileHeader(std::span<const uint8_t> bytes);
void WriteUserFileHeader(const UserFileHeader& header, std::span<uint8_t, kUserFileHeaderSize> out);
UserTableHeader ParseUserTableHeader(std::span<const uint8_t> bytes);
void WriteUserTableHeader(const UserTableHeader& header, std::span<uint8_t, kUserTableHeaderSize> out);

UserRecord ParseUserRecord(std::span<const uint8_t, kUserRecordSize> bytes);
void WriteUserRecord(const UserRecord& record, std::span<uint8_t, kUserRecordSize> out);
// A 128-byte record of the "Serveur" or "Serveur2" layout, in the current form.
UserRecord ConvertOldUserRecord(std::span<const uint8_t, kOldUserRecordSize> bytes, UserLayout layout);

// The headers of a new file: "Serveur3", the description, the identification
// values; the table header with the eight names and `userCount` users.
UserFileHeader DefaultUserFileHeader();
UserTableHeader DefaultUserTableHeader(uint16_t userCount);

bool HasUserFileIdentification(const UserFileHeader& header);
UserLayout LayoutOf(const UserFileHeader& header);
UserFileVerdict JudgeUserFile(const UserFileHeader& header, const UserTableHeader& tableHeader);

void ClearUserTable(UserTable& table);

// Reads the table header and records from `tableBytes` (the file's bytes from
// tableHeaderOffset on, as many as it holds) into `table`, converting an older
// layout. The table is zeroed first, and stays all zero unless the file is
// usable. Bytes missing at the end read as zero.
UserFileVerdict DecodeUserTable(const UserFileHeader& header, std::span<const uint8_t> tableBytes, UserTable& table);

// The same over a whole file image.
UserFileVerdict DecodeUserFile(std::span<const uint8_t> file, UserFileHeader& header, UserTable& table);

// A "Serveur3" file image: the header, the table header at offset 128 and
// `slots` records (at most MaxUsers). The header is written as given except
// where it would misdescribe what follows: an older signature becomes
// "Serveur3", and a tableHeaderOffset other than 128 becomes 128 (with
// recordsOffset 224).
std::vector<uint8_t> EncodeUserFile(const UserFileHeader& header, const UserTable& table, size_t slots);
