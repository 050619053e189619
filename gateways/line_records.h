// The two line files of a gateway directory: "comlines.dat" (one record per
// line: the device, its port, the base names of its files and the network
// types it supports) and "Fax0Mid.mid" (one record per line: the dialling
// settings). The modem configuration library and the server own most of their
// bytes; the console reads and changes only the fields named here and carries
// every other byte as it was read. Pure: no platform.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gateways/gateway_table.h"

// comlines.dat: file header, table header, records.
constexpr size_t kLineFileHeaderSize = 128;
constexpr size_t kLineTableHeaderSize = 128;
constexpr size_t kLineRecordSize = 640;
constexpr uint32_t kLineFileMagic1 = 0x0106A9D6;
constexpr uint32_t kLineFileMagic2 = 0x51241156;
constexpr uint32_t kStandardLineTableHeaderAt = 128;
constexpr uint32_t kStandardLineRecordsAt = 256;
constexpr size_t kEmptyLineFileSize = kLineFileHeaderSize + kLineTableHeaderSize;
static_assert(kEmptyLineFileSize == kStandardLineRecordsAt);

// LineFileHeader fields.
constexpr size_t kLineFileSignatureAt = 0, kLineFileSignatureSize = 32;
constexpr size_t kLineFileCompanyAt = 34, kLineFileCompanySize = 42;
constexpr size_t kLineMagic1At = 80, kLineMagic2At = 84;
constexpr size_t kLineTableHeaderOffsetAt = 88, kLineRecordsOffsetAt = 92;

// LineTableHeader fields.
constexpr size_t kLineRecordSizeAt = 0, kLineCountAt = 2;

// LineRecord fields.
constexpr size_t kComPortAt = 64;
constexpr size_t kModemNameAt = 67, kModemNameSize = 64;
constexpr size_t kConfigNamesAt = 131, kConfigNameSize = 9;
constexpr int kNetworkTypeCount = 3;  // RTC, GSM, RNIS
constexpr size_t kNetworkFlagsAt = 575;
static_assert(kModemNameAt + kModemNameSize == kConfigNamesAt);
static_assert(kConfigNamesAt + kNetworkTypeCount * kConfigNameSize <= kNetworkFlagsAt);

// Fax0Mid.mid: header, then one settings record per line.
constexpr size_t kDialSettingsHeaderSize = 128;
constexpr size_t kLineSettingsSize = 512;
constexpr uint32_t kDialSettingsMagic = 0x0244494D;  // "MID" and 2
constexpr size_t kNewDialSettingsFileSize = kDialSettingsHeaderSize + MaxLines * kLineSettingsSize;
static_assert(kNewDialSettingsFileSize == 4224);

// DialSettingsHeader fields.
constexpr size_t kDialMagicAt = 0, kUseWindowsDialingAt = 7, kCommitMarkAt = 8;

// LineSettings fields.
constexpr size_t kNetworkTypeAt = 16, kDialTypeAt = 20;
constexpr size_t kPrefixAt = 21, kPrefixSize = 138;
constexpr size_t kPrefixEnabledAt = 159;
static_assert(kPrefixAt + kPrefixSize == kPrefixEnabledAt);

// Network types, the index of a line's configNames.
constexpr uint8_t kNetworkRtc = 0, kNetworkGsm = 1, kNetworkRnis = 2;
// Dial types.
constexpr uint8_t kDialPulse = 0, kDialTone = 1;

// Where a speaker mode lies in a line's ".cnf" file.
constexpr size_t kSpeakerModeAt = 404;
constexpr size_t kConfigHeadSize = 512;

// Each record keeps the bytes it was read from in `kept`; the named fields
// are decoded from them and written back over them.
struct LineFileHeader {
    uint32_t magic1 = 0;
    uint32_t magic2 = 0;
    uint32_t tableHeaderOffset = 0;
    uint32_t recordsOffset = 0;
    std::array<uint8_t, kLineFileHeaderSize> kept{};
};

struct LineTableHeader {
    uint16_t recordSize = 0;
    uint16_t count = 0;  // never above MaxLines in memory
    std::array<uint8_t, kLineTableHeaderSize> kept{};
};

// The text fields always end within their field (see DecodeLineFile).
struct LineRecord {
    uint8_t comPort = 0;
    char modemName[kModemNameSize] = {};
    char configNames[kNetworkTypeCount][kConfigNameSize] = {};
    uint8_t networkFlags = 0;  // bit 0 RTC, bit 1 GSM, bit 2 RNIS
    std::array<uint8_t, kLineRecordSize> kept{};
};

struct DialSettingsHeader {
    uint32_t magic = 0;
    uint8_t useWindowsDialing = 0;
    uint32_t commitMark = 0;  // set to 0 at every commit
    std::array<uint8_t, kDialSettingsHeaderSize> kept{};
};

struct LineSettings {
    uint8_t networkType = 0;
    uint8_t dialType = 0;
    char prefix[kPrefixSize] = {};
    uint8_t prefixEnabled = 0;
    std::array<uint8_t, kLineSettingsSize> kept{};
};

using LineRecordTable = std::array<LineRecord, MaxLines>;
using LineSettingsTable = std::array<LineSettings, MaxLines>;

// The headers this console writes into new files: the standard file header,
// a table header of 640-byte records and no line, a settings header that is
// all zero but for its magic number.
LineFileHeader StandardLineFileHeader();
LineTableHeader EmptyLineTableHeader();
DialSettingsHeader EmptyDialSettingsHeader();

// A gateway's lines as its two files describe them; the line count is
// `tableHeader.count`. Without lines, the headers are those of new files.
struct LineTables {
    LineTableHeader tableHeader = EmptyLineTableHeader();
    LineRecordTable records{};
    DialSettingsHeader settingsHeader = EmptyDialSettingsHeader();
    LineSettingsTable settings{};
};

// Decoders of single records from their bytes.
LineFileHeader DecodeLineFileHeader(std::span<const uint8_t, kLineFileHeaderSize> bytes);
LineTableHeader DecodeLineTableHeader(std::span<const uint8_t, kLineTableHeaderSize> bytes);
LineRecord DecodeLineRecord(std::span<const uint8_t, kLineRecordSize> bytes);
DialSettingsHeader DecodeDialSettingsHeader(std::span<const uint8_t, kDialSettingsHeaderSize> bytes);
LineSettings DecodeLineSettings(std::span<const uint8_t, kLineSettingsSize> bytes);

bool HasLineFileMagic(const LineFileHeader& header);

enum class LineFileVerdict {
    Usable,
    WrongMagic,          // either magic number differs, or the file is shorter than its header
    NoTableHeader,       // the table header does not lie whole within the file
    WrongRecordSize,     // records are not 640 bytes
};

// Decodes a comlines.dat image. When usable, `tableHeader` and `records`
// describe at most MaxLines lines, and never more than the file holds at
// least in part: the header's count is lowered to the records read, and the
// missing end of a cut record reads as zero.
LineFileVerdict DecodeLineFile(std::span<const uint8_t> file, LineFileHeader& fileHeader,
                               LineTableHeader& tableHeader, LineRecordTable& records);

// Decodes the header and `lines` settings records (at most MaxLines) of a
// Fax0Mid.mid image. False when the header is not whole or its magic number
// differs. Settings that the file lacks read as zero.
bool DecodeDialSettingsFile(std::span<const uint8_t> file, int lines, DialSettingsHeader& header,
                            LineSettingsTable& settings);

// The comlines.dat image of `records`: the file header (with its offsets set
// to 128 and 256, where the table header and the records are written), the
// table header with record size 640 and the count of `records`, the records.
std::vector<uint8_t> EncodeLineFile(const LineFileHeader& fileHeader, const LineTableHeader& tableHeader,
                                    std::span<const LineRecord> records);

// The Fax0Mid.mid image: the header and `settings`, one record after another.
std::vector<uint8_t> EncodeDialSettingsFile(const DialSettingsHeader& header, std::span<const LineSettings> settings);

// The files of a new gateway: 256 bytes without a line, and 4224 bytes with
// eight empty settings records.
std::vector<uint8_t> NewLineFile();
std::vector<uint8_t> NewDialSettingsFile();

// The first network type present in the flags: RTC, then GSM, then RNIS.
uint8_t FirstNetworkType(uint8_t networkFlags);

// After the modem selection wrote line `index` into the work copy: a device
// supporting no network type is stored as RTC, the line is used on its first
// supported type, and a line just added dials by tone without a prefix.
void PrepareChosenLine(LineTables& tables, int index, bool added);

// Removes line `index`: the following records and settings move one place
// down and the count drops by one. Returns false for an index outside the
// lines.
bool RemoveLineAt(LineTables& tables, int index);

// The base name of the line's files for the network type it is used on, or
// an empty text when that type is unknown or the name could lead out of the
// gateway directory.
std::string ActiveConfigName(const LineRecord& record, const LineSettings& settings);

// The base names of the line's files for the three network types, leaving
// out the empty ones and those that could lead out of the gateway directory.
std::vector<std::string> ConfigNamesOf(const LineRecord& record);

// The base names among `known` that none of `lines` carries any more, in
// any letter case (the platform's file names ignore it): the files of lines
// that were removed or given other names.
std::vector<std::string> StaleConfigNames(std::span<const std::string> known, std::span<const LineRecord> lines);

// The speaker mode (a signed byte) in the first bytes of a ".cnf" file, or
// nothing when they do not reach it.
std::optional<int> SpeakerModeIn(std::span<const uint8_t> head);

// Puts `text` into the prefix field, cut to fit, keeping the bytes after its
// terminator.
void SetPrefix(LineSettings& settings, std::string_view text);
