#include "users/user_record.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/le_bytes.h"

// UserTableHeader.
constexpr size_t kReservedWordAt = 0, kUserCountAt = 2;
constexpr size_t kDirCommAt = 4, kDirEmisAt = 14, kDirAdminAt = 24, kDirRecuAt = 34;
constexpr size_t kFileEmisCahAt = 44, kFileRecCahAt = 57, kFileEmisJdbAt = 70, kFileRecJdbAt = 83;

// UserRecord.
constexpr size_t kPasswordAt = 0, kNameAt = 21, kLegacyTextAt = 42, kCategoryAt = 52;
constexpr size_t kLegacyByte1At = 53, kLegacyByte2At = 54, kStationAt = 55, kMultiSessionAt = 57;
constexpr size_t kRecordReservedAt = 59;

// The older 128-byte records.
constexpr size_t kOldPasswordAt = 0, kOldPasswordSize = 13, kOldNameAt = 13, kOldLegacyTextAt = 34;
constexpr size_t kOldCategoryAt = 44, kOldLegacyByte1At = 45, kOldLegacyByte2At = 46, kOldStationAt = 47;
constexpr size_t kOldMultiSessionAt = 48;   // "Serveur": one byte
constexpr size_t kOld2MultiSessionAt = 49;  // "Serveur2": two bytes

static_assert(sizeof(UserRecord::password) + sizeof(UserRecord::name) + sizeof(UserRecord::legacyText) + 3 + 2 + 2 +
                  sizeof(UserRecord::reserved) ==
              kUserRecordSize);
static_assert(kRecordReservedAt + sizeof(UserRecord::reserved) == kUserRecordSize);
static_assert(kFileRecJdbAt + sizeof(UserTableHeader::fileRecJdb) == kUserTableHeaderSize);
static_assert(kUserFileReservedAt + kUserFileReservedSize == kUserFileHeaderSize);
static_assert(kUserFileSize == 136224);

namespace {

// A copy of `N` bytes of `bytes` from `at`, zero where `bytes` ends first.
template <size_t N>
std::array<uint8_t, N> TakeBytes(std::span<const uint8_t> bytes, size_t at)
{
    std::array<uint8_t, N> out{};
    if (at < bytes.size())
        std::memcpy(out.data(), bytes.data() + at, std::min(N, bytes.size() - at));
    return out;
}

template <size_t N>
void CopyField(char (&field)[N], std::span<const uint8_t> bytes, size_t at)
{
    std::memcpy(field, bytes.data() + at, N);
}

template <size_t N>
void PutField(std::span<uint8_t> out, size_t at, const char (&field)[N])
{
    std::memcpy(out.data() + at, field, N);
}

constexpr std::string_view kSignatures[] = {"Serveur3", "Serveur", "Serveur2"};

}  // namespace

std::string_view StoredName(const UserRecord& user)
{
    return FieldText(user.name);
}

void ScrambleText(char* text)
{
    for (size_t i = 0; text[i] != 0; ++i) {
        auto b = static_cast<uint8_t>(text[i]);
        text[i] = static_cast<char>(static_cast<uint8_t>((b ^ static_cast<uint8_t>(i)) + kScrambleKey));
        if (text[i] == 0)
            break;
    }
}

void UnscrambleText(char* text)
{
    for (size_t i = 0; text[i] != 0; ++i) {
        auto b = static_cast<uint8_t>(text[i]);
        text[i] = static_cast<char>(static_cast<uint8_t>(b - kScrambleKey) ^ static_cast<uint8_t>(i));
        if (text[i] == 0)
            break;
    }
}

bool IsStorablePassword(const char* text)
{
    size_t length = std::strlen(text);
    if (length > kMaxNameLength)
        return false;
    char scrambled[kMaxNameLength + 1] = {};
    std::memcpy(scrambled, text, length);
    ScrambleText(scrambled);
    return std::strlen(scrambled) == length;
}

UserFileHeader ParseUserFileHeader(std::span<const uint8_t> bytes)
{
    auto b = TakeBytes<kUserFileHeaderSize>(bytes, 0);
    UserFileHeader h;
    std::memcpy(h.signature.data(), b.data() + kUserFileSignatureAt, kUserFileSignatureSize);
    std::memcpy(h.description.data(), b.data() + kUserFileDescriptionAt, kUserFileDescriptionSize);
    h.magic = ReadU32(b, kUserFileMagicAt);
    h.formatCode = ReadU32(b, kUserFileFormatCodeAt);
    h.tableHeaderOffset = ReadU32(b, kUserFileTableHeaderOffsetAt);
    h.recordsOffset = ReadU32(b, kUserFileRecordsOffsetAt);
    std::memcpy(h.reserved.data(), b.data() + kUserFileReservedAt, kUserFileReservedSize);
    return h;
}

void WriteUserFileHeader(const UserFileHeader& h, std::span<uint8_t, kUserFileHeaderSize> out)
{
    std::memcpy(out.data() + kUserFileSignatureAt, h.signature.data(), kUserFileSignatureSize);
    std::memcpy(out.data() + kUserFileDescriptionAt, h.description.data(), kUserFileDescriptionSize);
    WriteU32(out, kUserFileMagicAt, h.magic);
    WriteU32(out, kUserFileFormatCodeAt, h.formatCode);
    WriteU32(out, kUserFileTableHeaderOffsetAt, h.tableHeaderOffset);
    WriteU32(out, kUserFileRecordsOffsetAt, h.recordsOffset);
    std::memcpy(out.data() + kUserFileReservedAt, h.reserved.data(), kUserFileReservedSize);
}

UserTableHeader ParseUserTableHeader(std::span<const uint8_t> bytes)
{
    auto b = TakeBytes<kUserTableHeaderSize>(bytes, 0);
    UserTableHeader h;
    h.reservedWord = ReadU16(b, kReservedWordAt);
    h.userCount = ReadU16(b, kUserCountAt);
    CopyField(h.dirComm, b, kDirCommAt);
    CopyField(h.dirEmis, b, kDirEmisAt);
    CopyField(h.dirAdmin, b, kDirAdminAt);
    CopyField(h.dirRecu, b, kDirRecuAt);
    CopyField(h.fileEmisCah, b, kFileEmisCahAt);
    CopyField(h.fileRecCah, b, kFileRecCahAt);
    CopyField(h.fileEmisJdb, b, kFileEmisJdbAt);
    CopyField(h.fileRecJdb, b, kFileRecJdbAt);
    return h;
}

void WriteUserTableHeader(const UserTableHeader& h, std::span<uint8_t, kUserTableHeaderSize> out)
{
    WriteU16(out, kReservedWordAt, h.reservedWord);
    WriteU16(out, kUserCountAt, h.userCount);
    PutField(out, kDirCommAt, h.dirComm);
    PutField(out, kDirEmisAt, h.dirEmis);
    PutField(out, kDirAdminAt, h.dirAdmin);
    PutField(out, kDirRecuAt, h.dirRecu);
    PutField(out, kFileEmisCahAt, h.fileEmisCah);
    PutField(out, kFileRecCahAt, h.fileRecCah);
    PutField(out, kFileEmisJdbAt, h.fileEmisJdb);
    PutField(out, kFileRecJdbAt, h.fileRecJdb);
}

UserRecord ParseUserRecord(std::span<const uint8_t, kUserRecordSize> b)
{
    UserRecord r;
    ReadTextField(b, kPasswordAt, r.password);
    ReadTextField(b, kNameAt, r.name);
    CopyField(r.legacyText, b, kLegacyTextAt);
    r.category = b[kCategoryAt];
    r.legacyByte1 = b[kLegacyByte1At];
    r.legacyByte2 = b[kLegacyByte2At];
    r.station = ReadU16(b, kStationAt);
    r.multiSession = ReadU16(b, kMultiSessionAt);
    std::memcpy(r.reserved, b.data() + kRecordReservedAt, sizeof r.reserved);
    return r;
}

void WriteUserRecord(const UserRecord& r, std::span<uint8_t, kUserRecordSize> out)
{
    PutField(out, kPasswordAt, r.password);
    PutField(out, kNameAt, r.name);
    PutField(out, kLegacyTextAt, r.legacyText);
    out[kCategoryAt] = r.category;
    out[kLegacyByte1At] = r.legacyByte1;
    out[kLegacyByte2At] = r.legacyByte2;
    WriteU16(out, kStationAt, r.station);
    WriteU16(out, kMultiSessionAt, r.multiSession);
    std::memcpy(out.data() + kRecordReservedAt, r.reserved, sizeof r.reserved);
}

UserRecord ConvertOldUserRecord(std::span<const uint8_t, kOldUserRecordSize> b, UserLayout layout)
{
    UserRecord r;
    std::memcpy(r.password, b.data() + kOldPasswordAt, kOldPasswordSize);  // the rest of the field stays zero
    ReadTextField(b, kOldNameAt, r.name);
    CopyField(r.legacyText, b, kOldLegacyTextAt);
    r.category = b[kOldCategoryAt];
    r.legacyByte1 = b[kOldLegacyByte1At];
    r.legacyByte2 = b[kOldLegacyByte2At];
    if (layout == UserLayout::Serveur) {
        r.station = b[kOldStationAt];
        r.multiSession = b[kOldMultiSessionAt];
    } else {
        r.station = ReadU16(b, kOldStationAt);
        r.multiSession = ReadU16(b, kOld2MultiSessionAt);
    }
    return r;
}

UserFileHeader DefaultUserFileHeader()
{
    UserFileHeader h;
    std::span<uint8_t> signature(h.signature);
    PutText(signature, 0, kUserFileSignatureSize, kSignatures[0]);
    // The description is copied twice, the second time two bytes further on:
    // other programs read this header as it has always been written.
    std::span<uint8_t> description(h.description);
    PutText(description, 0, kUserFileDescriptionSize, "Parametrages postes");
    PutText(description, 2, kUserFileDescriptionSize - 2, "Parametrages postes");
    h.magic = kUserFileMagic;
    h.formatCode = kUserFileFormatCode;
    h.tableHeaderOffset = kUserTableHeaderAt;
    h.recordsOffset = kUserRecordsAt;
    return h;
}

UserTableHeader DefaultUserTableHeader(uint16_t userCount)
{
    UserTableHeader h;
    h.reservedWord = 128;
    h.userCount = userCount;
    SetTextField(h.dirComm, "COMM\\");
    SetTextField(h.dirEmis, "EMIS\\");
    SetTextField(h.dirAdmin, "ADMIN\\");
    SetTextField(h.dirRecu, "RECU\\");
    SetTextField(h.fileEmisCah, "FILEMIS.CAH");
    SetTextField(h.fileRecCah, "FILREC.CAH");
    SetTextField(h.fileEmisJdb, "FILEMIS.JDB");
    SetTextField(h.fileRecJdb, "FILREC.JDB");
    return h;
}

bool HasUserFileIdentification(const UserFileHeader& header)
{
    return header.magic == kUserFileMagic && header.formatCode == kUserFileFormatCode;
}

UserLayout LayoutOf(const UserFileHeader& header)
{
    std::string_view signature(reinterpret_cast<const char*>(header.signature.data()),
                               strnlen(reinterpret_cast<const char*>(header.signature.data()), kUserFileSignatureSize));
    if (signature == kSignatures[0])
        return UserLayout::Serveur3;
    if (signature == kSignatures[1])
        return UserLayout::Serveur;
    if (signature == kSignatures[2])
        return UserLayout::Serveur2;
    return UserLayout::Unknown;
}

UserFileVerdict JudgeUserFile(const UserFileHeader& header, const UserTableHeader& tableHeader)
{
    if (!HasUserFileIdentification(header))
        return UserFileVerdict::WrongIdentification;
    if (LayoutOf(header) == UserLayout::Unknown)
        return UserFileVerdict::UnknownSignature;
    if (tableHeader.userCount > MaxUsers)
        return UserFileVerdict::TooManyUsers;
    return UserFileVerdict::Usable;
}

void ClearUserTable(UserTable& table)
{
    table.header = UserTableHeader{};
    table.records.fill(UserRecord{});
}

UserFileVerdict DecodeUserTable(const UserFileHeader& header, std::span<const uint8_t> tableBytes, UserTable& table)
{
    ClearUserTable(table);
    UserTableHeader tableHeader = ParseUserTableHeader(tableBytes);
    UserFileVerdict verdict = JudgeUserFile(header, tableHeader);
    if (verdict != UserFileVerdict::Usable)
        return verdict;
    table.header = tableHeader;
    UserLayout layout = LayoutOf(header);
    size_t recordSize = layout == UserLayout::Serveur3 ? kUserRecordSize : kOldUserRecordSize;
    for (size_t i = 0; i < tableHeader.userCount; ++i) {
        size_t at = kUserTableHeaderSize + i * recordSize;
        if (layout == UserLayout::Serveur3)
            table.records[i] = ParseUserRecord(TakeBytes<kUserRecordSize>(tableBytes, at));
        else
            table.records[i] = ConvertOldUserRecord(TakeBytes<kOldUserRecordSize>(tableBytes, at), layout);
    }
    return verdict;
}

UserFileVerdict DecodeUserFile(std::span<const uint8_t> file, UserFileHeader& header, UserTable& table)
{
    if (file.size() < kUserFileHeaderSize) {
        header = ParseUserFileHeader(file);
        ClearUserTable(table);
        return UserFileVerdict::WrongIdentification;
    }
    header = ParseUserFileHeader(file);
    size_t at = std::min<size_t>(header.tableHeaderOffset, file.size());
    std::span<const uint8_t> tableBytes = file.subspan(at);
    return DecodeUserTable(header, tableBytes.first(std::min(tableBytes.size(), kUserTableSpan)), table);
}

std::vector<uint8_t> EncodeUserFile(const UserFileHeader& header, const UserTable& table, size_t slots)
{
    slots = std::min<size_t>(slots, MaxUsers);
    UserFileHeader written = header;
    if (LayoutOf(written) == UserLayout::Serveur || LayoutOf(written) == UserLayout::Serveur2)
        PutText(std::span<uint8_t>(written.signature), 0, kUserFileSignatureSize, kSignatures[0]);
    if (written.tableHeaderOffset != kUserTableHeaderAt) {
        written.tableHeaderOffset = kUserTableHeaderAt;
        written.recordsOffset = kUserRecordsAt;
    }
    std::vector<uint8_t> bytes(kUserFileHeaderSize + kUserTableHeaderSize + slots * kUserRecordSize);
    std::span<uint8_t> out(bytes);
    WriteUserFileHeader(written, out.first<kUserFileHeaderSize>());
    WriteUserTableHeader(table.header, out.subspan(kUserFileHeaderSize).first<kUserTableHeaderSize>());
    for (size_t i = 0; i < slots; ++i)
        WriteUserRecord(table.records[i],
                        out.subspan(kUserFileHeaderSize + kUserTableHeaderSize + i * kUserRecordSize)
                            .first<kUserRecordSize>());
    return bytes;
}
