// The answers of the telephony interface (TAPI 1.4) that the console reads:
// LINEDEVCAPS and LINETRANSLATECAPS with its LINELOCATIONENTRY array. Each is a
// fixed part followed by variable data that the fixed part locates by size and
// offset from the start of the answer. They come from whatever provider is
// installed, so every size and offset is checked before it is used, and the
// buffers grow only as far as a sane answer needs. Pure: no platform.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr uint32_t kTapiVersion = 0x00010004;

// Error codes the console tests, as the 32-bit values the interface returns.
constexpr int32_t kLineErrOperationUnavail = static_cast<int32_t>(0x80000049);
constexpr int32_t kLineErrStructureTooSmall = static_cast<int32_t>(0x8000004D);
constexpr int32_t kLineErrReinit = static_cast<int32_t>(0x80000052);

// Every variable-size answer starts with these three sizes.
constexpr size_t kTotalSizeAt = 0, kNeededSizeAt = 4, kUsedSizeAt = 8;

// LINEDEVCAPS, fixed part of TAPI 1.4.
constexpr size_t kLineDevCapsFixedSize = 240;
constexpr size_t kLineNameSizeAt = 32, kLineNameOffsetAt = 36, kStringFormatAt = 40;
constexpr size_t kBearerModesAt = 52, kMediaModesAt = 60, kLineFeaturesAt = 236;

// LINETRANSLATECAPS and the LINELOCATIONENTRY records it points to.
constexpr size_t kTranslateCapsFixedSize = 44;
constexpr size_t kNumLocationsAt = 12, kLocationListSizeAt = 16, kLocationListOffsetAt = 20;
constexpr size_t kCurrentLocationIdAt = 24;
constexpr size_t kLocationEntrySize = 68;
constexpr size_t kPermanentLocationIdAt = 0, kLocationNameSizeAt = 4, kLocationNameOffsetAt = 8;
constexpr size_t kCountryIdAt = 52;

constexpr uint32_t kStringFormatAscii = 1, kStringFormatDbcs = 2, kStringFormatUnicode = 3,
                   kStringFormatBinary = 4;
constexpr uint32_t kBearerModeVoice = 0x1;
constexpr uint32_t kMediaModeDataModem = 0x10;
constexpr uint32_t kLineFeatureMakeCall = 0x8;

// First sizes of the two answers, and the most the console ever gives one.
constexpr size_t kDevCapsFirstSize = 1264;
constexpr size_t kTranslateCapsFirstSize = 44;
constexpr size_t kMaxAnswerSize = 1024 * 1024;

// What to do after one call that filled a buffer of `bufferSize` bytes (the
// size the console put in dwTotalSize): the answer is complete, or the call
// is made again with a buffer of `nextSize` bytes, or it has failed. A
// provider that asks for more room than it was given is asking to grow even
// when it returned 0; one that says the buffer is too small without asking
// for more, or asks for more than kMaxAnswerSize, has failed.
struct AnswerStep {
    enum Kind { Complete, Grow, Failed } kind;
    size_t nextSize;
};
AnswerStep NextAnswerStep(int32_t result, size_t bufferSize, uint32_t neededSize);

// The fields of LINEDEVCAPS the console reads. The fixed fields lying beyond
// the bytes given read as 0.
struct LineDevCaps {
    uint32_t usedSize = 0;
    uint32_t lineNameSize = 0;
    uint32_t lineNameOffset = 0;
    uint32_t stringFormat = 0;
    uint32_t bearerModes = 0;
    uint32_t mediaModes = 0;
    uint32_t lineFeatures = 0;
    // The name lies whole inside the answer (the buffer, and the part the
    // provider says it used), begins with a character other than zero and
    // ends with a zero character. Only then is `name` set.
    bool nameUsable = false;
    // The line's name as Windows-1252 text, up to its first zero character;
    // a Unicode name is converted.
    std::string name;
};
LineDevCaps DecodeLineDevCaps(std::span<const uint8_t> answer);

// A device offered as a modem: a usable name in a known string format, and
// a voice line that carries data modem calls and can place them.
bool IsCandidateModem(const LineDevCaps& caps);

struct DialingLocation {
    uint32_t permanentId = 0;
    uint32_t countryId = 0;
    bool nameUsable = false;  // the name lies inside the answer
    std::string name;
};

// LINETRANSLATECAPS: the current location and the location entries that lie
// whole inside the answer, in their order (entries beyond it are dropped).
struct TranslateCaps {
    uint32_t currentLocationId = 0;
    std::vector<DialingLocation> locations;
};
TranslateCaps DecodeTranslateCaps(std::span<const uint8_t> answer);

// The Windows-1252 text of little-endian UTF-16 code units, up to the first
// zero unit; a character the code page lacks becomes '?'.
std::string AnsiFromUtf16(std::span<const uint8_t> bytes);
