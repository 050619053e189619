#include "whconfig/line_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ansi_case.h"
#include "base/le_bytes.h"
#include "gateways/file_name.h"

namespace {

constexpr int kHighestNameNumber = 99;
constexpr const char* kTypeSuffixes[kNetworkTypeCount] = {"RTC", "GSM", "RNIS"};

struct DecodedLines {
    LineFileHeader fileHeader;
    LineTables tables;
    int count = 0;
    unsigned countInHeader = 0;  // as the file says, before it is bounded
};

bool DecodeLines(const LineFileImages& images, DecodedLines& decoded)
{
    if (DecodeLineFile(images.lines, decoded.fileHeader, decoded.tables.tableHeader, decoded.tables.records) !=
        LineFileVerdict::Usable)
        return false;
    decoded.count = decoded.tables.tableHeader.count;
    decoded.countInHeader = ReadU16(images.lines, decoded.fileHeader.tableHeaderOffset + kLineCountAt);
    return true;
}

std::string TextOf(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

void SetModemName(LineRecord& record, std::string_view name)
{
    size_t n = std::min(name.size(), kModemNameSize - 1);
    std::memset(record.modemName, 0, kModemNameSize);
    std::memcpy(record.modemName, name.data(), n);
}

std::string StoredName(std::string_view name)
{
    return std::string(name.substr(0, kModemNameSize - 1));
}

bool ServesAnotherLine(const DecodedLines& decoded, const ModemChoice& choice, int except)
{
    if (choice.kind != ModemKind::LineDevice)
        return false;
    std::string stored = StoredName(choice.name);
    for (int i = 0; i < decoded.count; ++i) {
        if (i != except && TextOf(decoded.tables.records[i].modemName, kModemNameSize) == stored)
            return true;
    }
    return false;
}

bool NameUsedByALine(const DecodedLines& decoded, const std::string& name)
{
    for (int i = 0; i < decoded.count; ++i) {
        for (int j = 0; j < kNetworkTypeCount; ++j) {
            if (EqualIgnoringCase(TextOf(decoded.tables.records[i].configNames[j], kConfigNameSize), name))
                return true;
        }
    }
    return false;
}

// "L<n>RTC", "L<n>GSM", "L<n>RNIS" with the smallest n whose three names are
// all free.
std::optional<ConfigNames> FreeConfigNames(const DecodedLines& decoded, const NameTaken& taken)
{
    for (int n = 1; n <= kHighestNameNumber; ++n) {
        ConfigNames names;
        bool free = true;
        for (int j = 0; j < kNetworkTypeCount && free; ++j) {
            char name[kConfigNameSize];
            std::snprintf(name, sizeof name, "L%d%s", n, kTypeSuffixes[j]);
            names[j] = name;
            free = !NameUsedByALine(decoded, names[j]) && !taken(names[j]);
        }
        if (free)
            return names;
    }
    return std::nullopt;
}

void SetConfigName(LineRecord& record, int type, const std::string& name)
{
    std::memset(record.configNames[type], 0, kConfigNameSize);
    std::memcpy(record.configNames[type], name.data(), std::min(name.size(), kConfigNameSize - 1));
}

uint8_t UsableFlags(uint8_t flags)
{
    flags &= 7;
    return flags ? flags : 1;
}

void PutChoice(LineRecord& record, const ModemChoice& choice)
{
    SetModemName(record, choice.name);
    record.networkFlags = UsableFlags(choice.networkFlags);
}

}  // namespace

LineChange AddModemLine(LineFileImages& images, const ModemChoice& choice, const NameTaken& taken,
                        ConfigNames& names)
{
    DecodedLines decoded;
    if (!DecodeLines(images, decoded))
        return LineChange::Unusable;
    if (decoded.count >= MaxLines || decoded.countInHeader >= static_cast<unsigned>(MaxLines))
        return LineChange::Full;
    int index = decoded.count;
    LineTables& tables = decoded.tables;
    if (!DecodeDialSettingsFile(images.settings, index + 1, tables.settingsHeader, tables.settings))
        return LineChange::Unusable;
    if (ServesAnotherLine(decoded, choice, -1))
        return LineChange::InUse;
    auto free = FreeConfigNames(decoded, taken);
    if (!free)
        return LineChange::NoFreeName;

    LineRecord record;
    PutChoice(record, choice);
    for (int j = 0; j < kNetworkTypeCount; ++j)
        SetConfigName(record, j, (*free)[j]);
    tables.records[index] = record;
    tables.tableHeader.count = static_cast<uint16_t>(index + 1);

    LineSettings& settings = tables.settings[index];
    settings.networkType = FirstNetworkType(record.networkFlags);
    settings.dialType = kDialTone;
    SetPrefix(settings, "");
    settings.prefixEnabled = 0;

    images.lines = EncodeLineFile(decoded.fileHeader, tables.tableHeader, std::span(tables.records).first(index + 1));
    images.settings = EncodeDialSettingsFile(tables.settingsHeader, std::span(tables.settings).first(index + 1));
    names = *free;
    return LineChange::Done;
}

LineChange ChangeModemLine(LineFileImages& images, int index, const ModemChoice& choice, const NameTaken& taken,
                           ConfigNames& names)
{
    DecodedLines decoded;
    if (!DecodeLines(images, decoded) || decoded.countInHeader > static_cast<unsigned>(MaxLines))
        return LineChange::Unusable;
    if (index < 0 || index >= decoded.count)
        return LineChange::NoSuchLine;
    if (ServesAnotherLine(decoded, choice, index))
        return LineChange::InUse;

    LineRecord& record = decoded.tables.records[index];
    std::optional<ConfigNames> free;
    for (int j = 0; j < kNetworkTypeCount; ++j) {
        std::string name = TextOf(record.configNames[j], kConfigNameSize);
        if (!IsSafeFileName(name)) {
            if (!free && !(free = FreeConfigNames(decoded, taken)))
                return LineChange::NoFreeName;
            name = (*free)[j];
            SetConfigName(record, j, name);
        }
        names[j] = name;
    }
    PutChoice(record, choice);
    images.lines = EncodeLineFile(decoded.fileHeader, decoded.tables.tableHeader,
                                  std::span(decoded.tables.records).first(decoded.count));
    return LineChange::Done;
}

std::vector<uint8_t> ConfigFileImage(std::span<const uint8_t> existing, const ModemChoice& choice, int type)
{
    std::vector<uint8_t> file(existing.begin(), existing.end());
    if (file.size() < kConfigHeadSize)
        file.resize(kConfigHeadSize, 0);
    if (existing.size() <= kSpeakerModeAt)
        file[kSpeakerModeAt] = static_cast<uint8_t>(kNewSpeakerMode);
    WriteText(file, kCnfSignatureAt, kCnfSignatureSize, "WHCONFIG");
    file[kCnfVersionAt] = kCnfVersion;
    file[kCnfKindAt] = static_cast<uint8_t>(choice.kind);
    file[kCnfNetworkTypeAt] = static_cast<uint8_t>(type);
    file[kCnfStandardAt] = choice.standard ? 1 : 0;
    WriteText(file, kCnfModemNameAt, kCnfModemNameSize, choice.name);
    return file;
}

std::string CommandFileText(const ModemChoice& choice, int type)
{
    const char* network = type >= 0 && type < kNetworkTypeCount ? kTypeSuffixes[type] : kTypeSuffixes[0];
    std::string text = "; " + StoredName(choice.name) + "\r\n";
    text += "[Modem]\r\n";
    text += std::string("Reseau=") + network + "\r\n";
    text += "Init=AT&F\r\n";
    text += type == kNetworkRtc ? "Numerotation=ATDT\r\n" : "Numerotation=ATD\r\n";
    text += "Raccrochage=ATH\r\n";
    return text;
}

std::optional<std::string> WorkDirectoryIn(std::string_view programDir, std::string_view workDir)
{
    if (workDir.empty() || workDir.front() == '\\' || workDir.front() == '/')
        return std::nullopt;
    std::string path(programDir);
    size_t at = 0;
    while (at < workDir.size()) {
        size_t end = workDir.find_first_of("\\/", at);
        std::string_view name = workDir.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (!IsSafeFileName(name))
            return std::nullopt;
        path += '\\';
        path += name;
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    return path;
}
