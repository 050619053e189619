#include "gateways/line_records.h"

#include <algorithm>
#include <cstring>

#include "base/ansi_case.h"
#include "gateways/file_name.h"
#include "base/le_bytes.h"

namespace {

template <size_t N>
void PutTextField(std::span<uint8_t> bytes, size_t at, const char (&field)[N])
{
    std::memcpy(bytes.data() + at, field, N);
}

// The bytes from `at` to the end of a record of `size` bytes, zero where the
// file ends before.
template <size_t Size>
std::array<uint8_t, Size> TakeRecord(std::span<const uint8_t> file, size_t at)
{
    std::array<uint8_t, Size> bytes{};
    if (at < file.size())
        std::copy_n(file.begin() + at, std::min(Size, file.size() - at), bytes.begin());
    return bytes;
}

void EncodeLineFileHeader(const LineFileHeader& header, std::span<uint8_t> out)
{
    std::copy(header.kept.begin(), header.kept.end(), out.begin());
    WriteU32(out, kLineMagic1At, header.magic1);
    WriteU32(out, kLineMagic2At, header.magic2);
    WriteU32(out, kLineTableHeaderOffsetAt, kStandardLineTableHeaderAt);
    WriteU32(out, kLineRecordsOffsetAt, kStandardLineRecordsAt);
}

void EncodeLineTableHeader(const LineTableHeader& header, uint16_t count, std::span<uint8_t> out)
{
    std::copy(header.kept.begin(), header.kept.end(), out.begin());
    WriteU16(out, kLineRecordSizeAt, static_cast<uint16_t>(kLineRecordSize));
    WriteU16(out, kLineCountAt, count);
}

void EncodeLineRecord(const LineRecord& record, std::span<uint8_t> out)
{
    std::copy(record.kept.begin(), record.kept.end(), out.begin());
    out[kComPortAt] = record.comPort;
    PutTextField(out, kModemNameAt, record.modemName);
    for (int j = 0; j < kNetworkTypeCount; ++j)
        PutTextField(out, kConfigNamesAt + j * kConfigNameSize, record.configNames[j]);
    out[kNetworkFlagsAt] = record.networkFlags;
}

void EncodeDialSettingsHeader(const DialSettingsHeader& header, std::span<uint8_t> out)
{
    std::copy(header.kept.begin(), header.kept.end(), out.begin());
    WriteU32(out, kDialMagicAt, header.magic);
    out[kUseWindowsDialingAt] = header.useWindowsDialing;
    WriteU32(out, kCommitMarkAt, header.commitMark);
}

void EncodeLineSettings(const LineSettings& settings, std::span<uint8_t> out)
{
    std::copy(settings.kept.begin(), settings.kept.end(), out.begin());
    out[kNetworkTypeAt] = settings.networkType;
    out[kDialTypeAt] = settings.dialType;
    PutTextField(out, kPrefixAt, settings.prefix);
    out[kPrefixEnabledAt] = settings.prefixEnabled;
}

}  // namespace

LineFileHeader StandardLineFileHeader()
{
    std::array<uint8_t, kLineFileHeaderSize> bytes{};
    WriteText(bytes, kLineFileSignatureAt, kLineFileSignatureSize, "ComLinesManagment");
    bytes[32] = 0x0D;
    bytes[33] = 0x0A;
    WriteText(bytes, kLineFileCompanyAt, kLineFileCompanySize, "Zemo Software");
    bytes[77] = 0x0D;
    bytes[78] = 0x0A;
    bytes[79] = 0x1A;
    WriteU32(bytes, kLineMagic1At, kLineFileMagic1);
    WriteU32(bytes, kLineMagic2At, kLineFileMagic2);
    WriteU32(bytes, kLineTableHeaderOffsetAt, kStandardLineTableHeaderAt);
    WriteU32(bytes, kLineRecordsOffsetAt, kStandardLineRecordsAt);
    return DecodeLineFileHeader(bytes);
}

LineTableHeader EmptyLineTableHeader()
{
    LineTableHeader header;
    header.recordSize = kLineRecordSize;
    WriteU16(header.kept, kLineRecordSizeAt, header.recordSize);
    return header;
}

DialSettingsHeader EmptyDialSettingsHeader()
{
    DialSettingsHeader header;
    header.magic = kDialSettingsMagic;
    WriteU32(header.kept, kDialMagicAt, header.magic);
    return header;
}

LineFileHeader DecodeLineFileHeader(std::span<const uint8_t, kLineFileHeaderSize> bytes)
{
    LineFileHeader header;
    header.magic1 = ReadU32(bytes, kLineMagic1At);
    header.magic2 = ReadU32(bytes, kLineMagic2At);
    header.tableHeaderOffset = ReadU32(bytes, kLineTableHeaderOffsetAt);
    header.recordsOffset = ReadU32(bytes, kLineRecordsOffsetAt);
    std::copy(bytes.begin(), bytes.end(), header.kept.begin());
    return header;
}

LineTableHeader DecodeLineTableHeader(std::span<const uint8_t, kLineTableHeaderSize> bytes)
{
    LineTableHeader header;
    header.recordSize = ReadU16(bytes, kLineRecordSizeAt);
    header.count = ReadU16(bytes, kLineCountAt);
    std::copy(bytes.begin(), bytes.end(), header.kept.begin());
    return header;
}

LineRecord DecodeLineRecord(std::span<const uint8_t, kLineRecordSize> bytes)
{
    LineRecord record;
    record.comPort = bytes[kComPortAt];
    ReadTextField(bytes, kModemNameAt, record.modemName);
    for (int j = 0; j < kNetworkTypeCount; ++j)
        ReadTextField(bytes, kConfigNamesAt + j * kConfigNameSize, record.configNames[j]);
    record.networkFlags = bytes[kNetworkFlagsAt];
    std::copy(bytes.begin(), bytes.end(), record.kept.begin());
    return record;
}

DialSettingsHeader DecodeDialSettingsHeader(std::span<const uint8_t, kDialSettingsHeaderSize> bytes)
{
    DialSettingsHeader header;
    header.magic = ReadU32(bytes, kDialMagicAt);
    header.useWindowsDialing = bytes[kUseWindowsDialingAt];
    header.commitMark = ReadU32(bytes, kCommitMarkAt);
    std::copy(bytes.begin(), bytes.end(), header.kept.begin());
    return header;
}

LineSettings DecodeLineSettings(std::span<const uint8_t, kLineSettingsSize> bytes)
{
    LineSettings settings;
    settings.networkType = bytes[kNetworkTypeAt];
    settings.dialType = bytes[kDialTypeAt];
    ReadTextField(bytes, kPrefixAt, settings.prefix);
    settings.prefixEnabled = bytes[kPrefixEnabledAt];
    std::copy(bytes.begin(), bytes.end(), settings.kept.begin());
    return settings;
}

bool HasLineFileMagic(const LineFileHeader& header)
{
    return header.magic1 == kLineFileMagic1 && header.magic2 == kLineFileMagic2;
}

static LineFileVerdict DecodeUsableLineFile(std::span<const uint8_t> file, LineFileHeader& fileHeader,
                                            LineTableHeader& tableHeader, LineRecordTable& records)
{
    if (file.size() < kLineFileHeaderSize)
        return LineFileVerdict::WrongMagic;
    fileHeader = DecodeLineFileHeader(file.first<kLineFileHeaderSize>());
    if (!HasLineFileMagic(fileHeader))
        return LineFileVerdict::WrongMagic;

    size_t tableAt = fileHeader.tableHeaderOffset;
    if (tableAt > file.size() || file.size() - tableAt < kLineTableHeaderSize)
        return LineFileVerdict::NoTableHeader;
    tableHeader = DecodeLineTableHeader(file.subspan(tableAt).first<kLineTableHeaderSize>());
    if (tableHeader.recordSize != kLineRecordSize)
        return LineFileVerdict::WrongRecordSize;

    size_t recordsAt = fileHeader.recordsOffset;
    size_t available = recordsAt < file.size() ? file.size() - recordsAt : 0;
    size_t present = (available + kLineRecordSize - 1) / kLineRecordSize;
    int count = static_cast<int>(std::min<size_t>({tableHeader.count, MaxLines, present}));
    for (int i = 0; i < count; ++i)
        records[i] = DecodeLineRecord(TakeRecord<kLineRecordSize>(file, recordsAt + i * kLineRecordSize));
    tableHeader.count = static_cast<uint16_t>(count);
    return LineFileVerdict::Usable;
}

LineFileVerdict DecodeLineFile(std::span<const uint8_t> file, LineFileHeader& fileHeader,
                               LineTableHeader& tableHeader, LineRecordTable& records)
{
    records = LineRecordTable{};
    LineFileVerdict verdict = DecodeUsableLineFile(file, fileHeader, tableHeader, records);
    if (verdict != LineFileVerdict::Usable) {
        // Treated as a gateway without lines; a rewrite then gives a sound file.
        fileHeader = StandardLineFileHeader();
        tableHeader = EmptyLineTableHeader();
        records = LineRecordTable{};
    }
    return verdict;
}

bool DecodeDialSettingsFile(std::span<const uint8_t> file, int lines, DialSettingsHeader& header,
                            LineSettingsTable& settings)
{
    settings = LineSettingsTable{};
    if (file.size() < kDialSettingsHeaderSize) {
        header = EmptyDialSettingsHeader();
        return false;
    }
    header = DecodeDialSettingsHeader(file.first<kDialSettingsHeaderSize>());
    if (header.magic != kDialSettingsMagic) {
        header = EmptyDialSettingsHeader();
        return false;
    }
    int n = std::clamp(lines, 0, MaxLines);
    for (int i = 0; i < n; ++i)
        settings[i] = DecodeLineSettings(
            TakeRecord<kLineSettingsSize>(file, kDialSettingsHeaderSize + i * kLineSettingsSize));
    return true;
}

std::vector<uint8_t> EncodeLineFile(const LineFileHeader& fileHeader, const LineTableHeader& tableHeader,
                                    std::span<const LineRecord> records)
{
    std::vector<uint8_t> file(kEmptyLineFileSize + records.size() * kLineRecordSize);
    std::span<uint8_t> out(file);
    EncodeLineFileHeader(fileHeader, out.first(kLineFileHeaderSize));
    EncodeLineTableHeader(tableHeader, static_cast<uint16_t>(records.size()),
                          out.subspan(kStandardLineTableHeaderAt, kLineTableHeaderSize));
    for (size_t i = 0; i < records.size(); ++i)
        EncodeLineRecord(records[i], out.subspan(kStandardLineRecordsAt + i * kLineRecordSize, kLineRecordSize));
    return file;
}

std::vector<uint8_t> EncodeDialSettingsFile(const DialSettingsHeader& header, std::span<const LineSettings> settings)
{
    std::vector<uint8_t> file(kDialSettingsHeaderSize + settings.size() * kLineSettingsSize);
    std::span<uint8_t> out(file);
    EncodeDialSettingsHeader(header, out.first(kDialSettingsHeaderSize));
    for (size_t i = 0; i < settings.size(); ++i)
        EncodeLineSettings(settings[i], out.subspan(kDialSettingsHeaderSize + i * kLineSettingsSize, kLineSettingsSize));
    return file;
}

std::vector<uint8_t> NewLineFile()
{
    return EncodeLineFile(StandardLineFileHeader(), EmptyLineTableHeader(), {});
}

std::vector<uint8_t> NewDialSettingsFile()
{
    LineSettingsTable empty{};
    return EncodeDialSettingsFile(EmptyDialSettingsHeader(), empty);
}

uint8_t FirstNetworkType(uint8_t networkFlags)
{
    if (networkFlags & 1)
        return kNetworkRtc;
    if (networkFlags & 2)
        return kNetworkGsm;
    if (networkFlags & 4)
        return kNetworkRnis;
    return kNetworkRtc;
}

void PrepareChosenLine(LineTables& tables, int index, bool added)
{
    if (index < 0 || index >= tables.tableHeader.count || index >= MaxLines)
        return;
    LineRecord& record = tables.records[index];
    LineSettings& settings = tables.settings[index];
    if (record.networkFlags == 0)
        record.networkFlags = 1;
    settings.networkType = FirstNetworkType(record.networkFlags);
    if (added) {
        settings.dialType = kDialTone;
        SetPrefix(settings, "");
        settings.prefixEnabled = 0;
    }
}

bool RemoveLineAt(LineTables& tables, int index)
{
    int count = std::min<int>(tables.tableHeader.count, MaxLines);
    if (index < 0 || index >= count)
        return false;
    std::copy(tables.records.begin() + index + 1, tables.records.begin() + count, tables.records.begin() + index);
    std::copy(tables.settings.begin() + index + 1, tables.settings.begin() + count, tables.settings.begin() + index);
    tables.records[count - 1] = LineRecord{};
    tables.settings[count - 1] = LineSettings{};
    tables.tableHeader.count = static_cast<uint16_t>(count - 1);
    return true;
}

static std::string SafeConfigName(const LineRecord& record, int type)
{
    std::string name(FieldText(record.configNames[type]));
    return IsSafeFileName(name) ? name : std::string();
}

std::string ActiveConfigName(const LineRecord& record, const LineSettings& settings)
{
    if (settings.networkType >= kNetworkTypeCount)
        return {};
    return SafeConfigName(record, settings.networkType);
}

std::vector<std::string> ConfigNamesOf(const LineRecord& record)
{
    std::vector<std::string> names;
    for (int j = 0; j < kNetworkTypeCount; ++j) {
        std::string name = SafeConfigName(record, j);
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

std::vector<std::string> StaleConfigNames(std::span<const std::string> known, std::span<const LineRecord> lines)
{
    std::vector<std::string> stale;
    for (const std::string& name : known) {
        bool carried = false;
        for (const LineRecord& record : lines) {
            for (const std::string& current : ConfigNamesOf(record))
                carried = carried || EqualIgnoringCase(current, name);
        }
        bool listed = false;
        for (const std::string& already : stale)
            listed = listed || EqualIgnoringCase(already, name);
        if (!carried && !listed)
            stale.push_back(name);
    }
    return stale;
}

std::optional<int> SpeakerModeIn(std::span<const uint8_t> head)
{
    if (head.size() <= kSpeakerModeAt)
        return std::nullopt;
    return static_cast<int8_t>(head[kSpeakerModeAt]);
}

void SetPrefix(LineSettings& settings, std::string_view text)
{
    size_t n = std::min(text.size(), kPrefixSize - 1);
    std::memcpy(settings.prefix, text.data(), n);
    settings.prefix[n] = 0;
}
