#include "telephony/tapi_structures.h"

#include <algorithm>

#include "base/le_bytes.h"

namespace {

// A fixed field, or 0 when the bytes given end before it.
uint32_t FieldAt(std::span<const uint8_t> answer, size_t at)
{
    return answer.size() >= at + 4 ? ReadU32(answer, at) : 0;
}

// The end of what the provider answered: the bytes it says it used, never
// past the buffer.
size_t AnswerEnd(std::span<const uint8_t> answer)
{
    return std::min<size_t>(answer.size(), FieldAt(answer, kUsedSizeAt));
}

bool LiesInside(uint64_t offset, uint64_t size, size_t end)
{
    return offset <= end && size <= end - offset;
}

// The characters 0x80 to 0x9F of Windows-1252, by their code points; 0 where
// the code page has none.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char AnsiOf(uint16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool IsHighSurrogate(uint16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(uint16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void DecodeLineName(std::span<const uint8_t> answer, LineDevCaps& caps)
{
    if (caps.lineNameSize == 0 || caps.lineNameOffset == 0 || caps.stringFormat == 0 ||
        !LiesInside(caps.lineNameOffset, caps.lineNameSize, AnswerEnd(answer)))
        return;
    auto bytes = answer.subspan(caps.lineNameOffset, caps.lineNameSize);
    if (caps.stringFormat == kStringFormatUnicode) {
        size_t units = bytes.size() / 2;
        if (units == 0 || ReadU16(bytes, 0) == 0 || ReadU16(bytes, 2 * (units - 1)) != 0)
            return;
        caps.name = AnsiFromUtf16(bytes.first(2 * units));
    } else {
        if (bytes.front() == 0 || bytes.back() != 0)
            return;
        caps.name = ReadText(bytes, 0, bytes.size());
    }
    caps.nameUsable = true;
}

}  // namespace

AnswerStep NextAnswerStep(int32_t result, size_t bufferSize, uint32_t neededSize)
{
    if (neededSize > bufferSize)
        result = kLineErrStructureTooSmall;
    if (result == 0)
        return {AnswerStep::Complete, bufferSize};
    if (result != kLineErrStructureTooSmall || neededSize <= bufferSize || neededSize > kMaxAnswerSize)
        return {AnswerStep::Failed, 0};
    return {AnswerStep::Grow, neededSize};
}

LineDevCaps DecodeLineDevCaps(std::span<const uint8_t> answer)
{
    LineDevCaps caps;
    caps.usedSize = FieldAt(answer, kUsedSizeAt);
    caps.lineNameSize = FieldAt(answer, kLineNameSizeAt);
    caps.lineNameOffset = FieldAt(answer, kLineNameOffsetAt);
    caps.stringFormat = FieldAt(answer, kStringFormatAt);
    caps.bearerModes = FieldAt(answer, kBearerModesAt);
    caps.mediaModes = FieldAt(answer, kMediaModesAt);
    caps.lineFeatures = FieldAt(answer, kLineFeaturesAt);
    DecodeLineName(answer, caps);
    return caps;
}

bool IsCandidateModem(const LineDevCaps& caps)
{
    bool knownFormat = caps.stringFormat >= kStringFormatAscii && caps.stringFormat <= kStringFormatBinary;
    return caps.nameUsable && knownFormat && (caps.bearerModes & kBearerModeVoice) &&
           (caps.mediaModes & kMediaModeDataModem) && (caps.lineFeatures & kLineFeatureMakeCall);
}

TranslateCaps DecodeTranslateCaps(std::span<const uint8_t> answer)
{
    TranslateCaps caps;
    caps.currentLocationId = FieldAt(answer, kCurrentLocationIdAt);
    size_t end = AnswerEnd(answer);
    uint32_t count = FieldAt(answer, kNumLocationsAt);
    uint64_t at = FieldAt(answer, kLocationListOffsetAt);
    for (uint32_t i = 0; i < count && LiesInside(at, kLocationEntrySize, end); ++i, at += kLocationEntrySize) {
        auto entry = answer.subspan(static_cast<size_t>(at), kLocationEntrySize);
        DialingLocation location;
        location.permanentId = ReadU32(entry, kPermanentLocationIdAt);
        location.countryId = ReadU32(entry, kCountryIdAt);
        uint32_t nameSize = ReadU32(entry, kLocationNameSizeAt);
        uint32_t nameOffset = ReadU32(entry, kLocationNameOffsetAt);
        if (nameSize != 0 && LiesInside(nameOffset, nameSize, end)) {
            location.nameUsable = true;
            location.name = ReadText(answer, nameOffset, nameSize);
        }
        caps.locations.push_back(std::move(location));
    }
    return caps;
}

std::string AnsiFromUtf16(std::span<const uint8_t> bytes)
{
    std::string text;
    size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        uint16_t unit = ReadU16(bytes, 2 * i);
        if (unit == 0)
            break;
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(ReadU16(bytes, 2 * (i + 1))))
            ++i;  // one character outside the code page
        text += AnsiOf(unit);
    }
    return text;
}
