#include "telephony/tapi_structures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "telephony/modem_entries.h"
#include "tests/fixtures/byte_fixture.h"

namespace {

using byte_fixture::Bytes;
using byte_fixture::Put32;
using byte_fixture::PutBytes;

Bytes Ascii(const char* text)
{
    return Bytes(text, text + std::strlen(text) + 1);
}

Bytes Utf16(std::initializer_list<uint16_t> units)
{
    Bytes b;
    for (uint16_t unit : units) {
        b.push_back(static_cast<uint8_t>(unit));
        b.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return b;
}

// A LINEDEVCAPS answer in a buffer of `total` bytes: the name's bytes at
// `nameAt` (240, just after the fixed part, when the provider is sane).
struct DevCaps {
    uint32_t total = 1264;
    uint32_t used = 0;  // 0: up to the end of the name
    Bytes name = Ascii("Modem A");
    uint32_t nameAt = 240;
    uint32_t nameSize = 0;  // 0: the name's byte count
    uint32_t format = 1;
    uint32_t bearer = 0x1;
    uint32_t media = 0x10;
    uint32_t features = 0x8;
};

Bytes DevCapsBytes(const DevCaps& d)
{
    Bytes b(d.total, 0);
    uint32_t nameSize = d.nameSize ? d.nameSize : static_cast<uint32_t>(d.name.size());
    Put32(b, 0, d.total);
    Put32(b, 4, 240 + static_cast<uint32_t>(d.name.size()));
    Put32(b, 8, d.used ? d.used : 240 + static_cast<uint32_t>(d.name.size()));
    Put32(b, 32, nameSize);
    Put32(b, 36, d.nameAt);
    Put32(b, 40, d.format);
    Put32(b, 52, d.bearer);
    Put32(b, 60, d.media);
    Put32(b, 236, d.features);
    if (d.nameAt + d.name.size() <= b.size())
        PutBytes(b, d.nameAt, d.name);
    return b;
}

}  // namespace

TEST(LineDevCapsDecoding, ReadsTheFieldsAtTheirOffsetsAndTellsTheCandidates)
{
    struct Case {
        const char* what;
        DevCaps caps;
        bool nameUsable;
        const char* name;
        bool candidate;
    };
    auto with = [](auto change) {
        DevCaps d;
        change(d);
        return d;
    };
    const Case cases[] = {
        {"a data modem placing calls", DevCaps{}, true, "Modem A", true},
        {"DBCS name", with([](DevCaps& d) { d.format = 2; }), true, "Modem A", true},
        {"accented name", with([](DevCaps& d) { d.name = Ascii("Modem \xE9t\xE9"); }), true, "Modem \xE9t\xE9", true},
        {"several modes at once",
         with([](DevCaps& d) { d.bearer = 0x3; d.media = 0x1F; d.features = 0xFF; }), true, "Modem A", true},
        {"cannot place calls", with([](DevCaps& d) { d.features = 0x7; }), true, "Modem A", false},
        {"fax only", with([](DevCaps& d) { d.media = 0x20; }), true, "Modem A", false},
        {"not a voice line", with([](DevCaps& d) { d.bearer = 0x2; }), true, "Modem A", false},
        {"empty name counting its zero", with([](DevCaps& d) { d.name = Bytes{0}; }), false, "", false},
        {"name not ended within its size", with([](DevCaps& d) { d.name = Bytes{'M', 'o', 'd'}; }), false, "", false},
        {"name size 0", with([](DevCaps& d) { d.nameSize = 0; d.name = {}; }), false, "", false},
        {"name offset 0", with([](DevCaps& d) { d.nameAt = 0; }), false, "", false},
        {"string format 0", with([](DevCaps& d) { d.format = 0; }), false, "", false},
        {"unknown string format", with([](DevCaps& d) { d.format = 9; }), true, "Modem A", false},
        {"name past the used size", with([](DevCaps& d) { d.used = 244; }), false, "", false},
        {"name past the buffer", with([](DevCaps& d) { d.used = 5000; d.nameAt = 1260; d.nameSize = 8; }), false, "",
         false},
        {"offset and size wrapping around",
         with([](DevCaps& d) { d.nameAt = 0xFFFFFFF8; d.nameSize = 0x10; }), false, "", false},
        {"Unicode name",
         with([](DevCaps& d) { d.format = 3; d.name = Utf16({'M', 'o', 'd', 'e', 'm', ' ', 0xE9, 0}); }), true,
         "Modem \xE9", true},
        {"Unicode name with a euro and a letter the code page lacks",
         with([](DevCaps& d) { d.format = 3; d.name = Utf16({'F', 0x20AC, 0x03A9, 0}); }), true, "F\x80?", true},
        {"Unicode name not ended", with([](DevCaps& d) { d.format = 3; d.name = Utf16({'M', 'o'}); }), false, "",
         false},
        {"Unicode empty name", with([](DevCaps& d) { d.format = 3; d.name = Utf16({0, 0}); }), false, "", false},
        {"Unicode name of one byte", with([](DevCaps& d) { d.format = 3; d.name = Bytes{0}; }), false, "", false},
    };
    for (const Case& c : cases) {
        LineDevCaps caps = DecodeLineDevCaps(DevCapsBytes(c.caps));
        EXPECT_EQ(caps.nameUsable, c.nameUsable) << c.what;
        EXPECT_EQ(caps.name, c.name) << c.what;
        EXPECT_EQ(IsCandidateModem(caps), c.candidate) << c.what;
        EXPECT_EQ(caps.bearerModes, c.caps.bearer) << c.what;
        EXPECT_EQ(caps.mediaModes, c.caps.media) << c.what;
        EXPECT_EQ(caps.lineFeatures, c.caps.features) << c.what;
    }
}

TEST(LineDevCapsDecoding, AnAnswerShorterThanTheFixedPartIsNoCandidate)
{
    Bytes full = DevCapsBytes(DevCaps{});
    for (size_t size : {size_t(0), size_t(3), size_t(40), size_t(236), size_t(239)}) {
        LineDevCaps caps = DecodeLineDevCaps(std::span(full).first(size));
        EXPECT_FALSE(caps.nameUsable) << size;
        EXPECT_FALSE(IsCandidateModem(caps)) << size;
    }
}

TEST(AnswerGrowth, GrowsOnlyWhenMoreRoomIsAskedWithinTheLimit)
{
    const int32_t tooSmall = static_cast<int32_t>(0x8000004D);
    const uint32_t mebibyte = 1024 * 1024;
    struct Case {
        int32_t result;
        size_t buffer;
        uint32_t needed;
        AnswerStep::Kind kind;
        size_t next;
    } cases[] = {
        {0, 1264, 1000, AnswerStep::Complete, 1264},
        {0, 1264, 1264, AnswerStep::Complete, 1264},
        {0, 1264, 1300, AnswerStep::Grow, 1300},  // the platform's way: success, and more room needed
        {tooSmall, 1264, 1300, AnswerStep::Grow, 1300},
        {tooSmall, 44, 180, AnswerStep::Grow, 180},
        {tooSmall, 1264, 1264, AnswerStep::Failed, 0},  // too small, yet asks for no more
        {tooSmall, 1264, 0, AnswerStep::Failed, 0},
        {tooSmall, 1264, mebibyte, AnswerStep::Grow, mebibyte},
        {tooSmall, 1264, mebibyte + 1, AnswerStep::Failed, 0},
        {0, 1264, 0xFFFFFFFF, AnswerStep::Failed, 0},
        {static_cast<int32_t>(0x80000049), 1264, 0, AnswerStep::Failed, 0},
        {static_cast<int32_t>(0x80000052), 1264, 1000, AnswerStep::Failed, 0},
        {static_cast<int32_t>(0x80000052), 1264, 2000, AnswerStep::Grow, 2000},  // whatever the error, more room
    };
    for (const auto& c : cases) {
        AnswerStep step = NextAnswerStep(c.result, c.buffer, c.needed);
        EXPECT_EQ(step.kind, c.kind) << std::hex << c.result << " " << std::dec << c.buffer << " " << c.needed;
        if (step.kind != AnswerStep::Failed) {
            EXPECT_EQ(step.nextSize, c.next) << c.needed;
        }
    }
}

namespace {

struct Location {
    uint32_t id;
    const char* name;
    uint32_t country;
};

// A LINETRANSLATECAPS answer: the 44-byte fixed part, the 68-byte entries
// from offset 44, then the names.
Bytes TranslateCapsBytes(const std::vector<Location>& locations, uint32_t current)
{
    size_t namesAt = 44 + 68 * locations.size();
    size_t size = namesAt;
    for (const Location& l : locations)
        size += std::strlen(l.name) + 1;
    Bytes b(size, 0);
    Put32(b, 0, static_cast<uint32_t>(size));
    Put32(b, 4, static_cast<uint32_t>(size));
    Put32(b, 8, static_cast<uint32_t>(size));
    Put32(b, 12, static_cast<uint32_t>(locations.size()));
    Put32(b, 16, static_cast<uint32_t>(68 * locations.size()));
    Put32(b, 20, 44);
    Put32(b, 24, current);
    size_t nameAt = namesAt;
    for (size_t i = 0; i < locations.size(); ++i) {
        size_t entry = 44 + 68 * i;
        Bytes name = Ascii(locations[i].name);
        Put32(b, entry + 0, locations[i].id);
        Put32(b, entry + 4, static_cast<uint32_t>(name.size()));
        Put32(b, entry + 8, static_cast<uint32_t>(nameAt));
        Put32(b, entry + 12, 33);  // dwCountryCode: not read
        Put32(b, entry + 52, locations[i].country);
        PutBytes(b, nameAt, name);
        nameAt += name.size();
    }
    return b;
}

const std::vector<Location> kThreeLocations = {{7, "Paris", 33}, {2, "Bruxelles", 32}, {9, "Gen\xE8ve", 41}};

}  // namespace

TEST(TranslateCapsDecoding, ReadsTheCurrentLocationAndEveryEntry)
{
    TranslateCaps caps = DecodeTranslateCaps(TranslateCapsBytes(kThreeLocations, 2));
    EXPECT_EQ(caps.currentLocationId, 2u);
    ASSERT_EQ(caps.locations.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(caps.locations[i].permanentId, kThreeLocations[i].id) << i;
        EXPECT_EQ(caps.locations[i].countryId, kThreeLocations[i].country) << i;
        EXPECT_TRUE(caps.locations[i].nameUsable) << i;
        EXPECT_EQ(caps.locations[i].name, kThreeLocations[i].name) << i;
    }
}

TEST(TranslateCapsDecoding, UsesOnlyWhatLiesInsideTheAnswer)
{
    struct Case {
        const char* what;
        void (*damage)(Bytes&);
        size_t locations;
        bool secondNameUsable;
    } cases[] = {
        {"a count far beyond the entries", [](Bytes& b) { Put32(b, 12, 0xFFFFFFFF); }, 3, true},
        {"list offset past the answer", [](Bytes& b) { Put32(b, 20, 5000); }, 0, false},
        {"list offset wrapping around", [](Bytes& b) { Put32(b, 20, 0xFFFFFFF0); }, 0, false},
        {"used size ending in the third entry", [](Bytes& b) { Put32(b, 8, 44 + 68 * 2 + 10); }, 2, false},
        {"second name past the answer", [](Bytes& b) { Put32(b, 44 + 68 + 8, 4000); }, 3, false},
        {"second name of size 0", [](Bytes& b) { Put32(b, 44 + 68 + 4, 0); }, 3, false},
        {"second name running past the end", [](Bytes& b) { Put32(b, 44 + 68 + 4, 0x7FFFFFFF); }, 3, false},
    };
    for (const auto& c : cases) {
        Bytes b = TranslateCapsBytes(kThreeLocations, 7);
        c.damage(b);
        TranslateCaps caps = DecodeTranslateCaps(b);
        EXPECT_EQ(caps.currentLocationId, 7u) << c.what;
        ASSERT_EQ(caps.locations.size(), c.locations) << c.what;
        if (c.locations >= 2) {
            EXPECT_EQ(caps.locations[1].nameUsable, c.secondNameUsable) << c.what;
            EXPECT_EQ(caps.locations[1].permanentId, 2u) << c.what;
            EXPECT_EQ(caps.locations[1].countryId, 32u) << c.what;
        }
    }
}

TEST(TranslateCapsDecoding, ANameWithoutItsZeroEndsAtItsSize)
{
    Bytes b = TranslateCapsBytes({{1, "Lyon", 33}}, 1);
    Put32(b, 44 + 4, 3);
    TranslateCaps caps = DecodeTranslateCaps(b);
    ASSERT_EQ(caps.locations.size(), 1u);
    EXPECT_EQ(caps.locations[0].name, "Lyo");
}

TEST(AnsiFromUtf16, ConvertsToTheCodePage)
{
    struct Case {
        Bytes units;
        const char* text;
    } cases[] = {
        {Utf16({'A', 'b', 0}), "Ab"},
        {Utf16({'A', 0, 'b'}), "A"},
        {Utf16({0xE0, 0xE9, 0xFF, 0xA0}), "\xE0\xE9\xFF\xA0"},
        {Utf16({0x20AC, 0x0153, 0x2019, 0x0178}), "\x80\x9C\x92\x9F"},
        {Utf16({0x0080, 0x009F}), "??"},  // control characters, not the code page's letters
        {Utf16({0x4E2D, 'x'}), "?x"},
        {Utf16({0xD83D, 0xDE00, 'x'}), "?x"},  // one character outside the plane
        {Utf16({0xDE00, 'x'}), "?x"},
        {Bytes{'A', 0, 'B'}, "A"},  // an odd last byte is no character
        {Bytes{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnsiFromUtf16(c.units), c.text) << c.text;
}

TEST(SpecialNameList, SplitsTheKeyList)
{
    struct Case {
        std::string list;
        std::vector<std::string> names;
    } cases[] = {
        {std::string("A\0B\0", 4), {"A", "B"}},
        {std::string("Routage IP\0GSM\0\0", 16), {"Routage IP", "GSM"}},
        {std::string("A\0\0B\0", 5), {"A"}},
        {std::string("A\0Cut", 5), {"A"}},
        {std::string("\0A\0", 3), {}},
        {std::string(), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitKeyList(c.list), c.names) << c.list;
}
