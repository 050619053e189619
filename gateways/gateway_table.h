// The table of gateways and its file admin.dat: a count followed by eight
// slots, the used ones packed at the front in the order of creation. The rest
// of the console addresses a gateway by its position in the table; its number
// only names its directory. Pure: no platform.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

constexpr int MaxGateways = 8;
// A gateway has at most this many lines: its line files and its activity
// record hold a place for each.
constexpr int MaxLines = 8;

constexpr size_t kGatewayNameSize = 128;
constexpr size_t kGatewayRecordSize = 136;
constexpr size_t kGatewayTableSize = 4 + MaxGateways * kGatewayRecordSize;
static_assert(kGatewayTableSize == 1092);

// Offsets in admin.dat.
constexpr size_t kGatewayCountAt = 0;
constexpr size_t kFirstGatewayAt = 4;
// Offsets inside one slot.
constexpr size_t kModemCountAt = 0;
constexpr size_t kGatewayNumberAt = 4;
constexpr size_t kGatewayNameAt = 8;
static_assert(kGatewayNameAt + kGatewayNameSize == kGatewayRecordSize);

// One gateway. `name` always ends within its field (see DecodeGatewayTable),
// so the C string functions are safe on it; the bytes after its terminator
// are carried as read.
struct GatewayRecord {
    uint32_t modemCount = 0;
    uint32_t number = 0;
    char name[kGatewayNameSize] = {};
};

struct GatewayTable {
    int32_t count = 0;  // always 0 to MaxGateways in memory
    std::array<GatewayRecord, MaxGateways> slots{};
};

// Decodes an admin.dat image. Bytes missing at the end read as zero; a count
// outside 0 to MaxGateways is brought back into that range, and a name that
// fills its whole field loses its last byte to a terminator.
GatewayTable DecodeGatewayTable(std::span<const uint8_t> bytes);

// The name as text, never past its field.
std::string_view GatewayNameOf(const GatewayRecord& record);

// The 1092-byte image of the table.
std::array<uint8_t, kGatewayTableSize> EncodeGatewayTable(const GatewayTable& table);

// The number for a new gateway: the smallest n from 0 to count that no used
// slot carries, so that numbers freed by deletions are reused lowest first.
uint32_t ChooseGatewayNumber(const GatewayTable& table);

// "Pass%d" of a gateway number: the name a new gateway starts with, and the
// section name of position K in admin.ini.
std::string FormatPassName(uint32_t number);

// "pass%d" of a position: the gateway's section of pass.ini.
std::string FormatPassIniSection(int position);

// Fills slot `count` with a new gateway (its number, "Pass<number>", no
// modem) and counts it. When another gateway already carries that name, in
// any letter case, the new one is named with the next "Pass%d" that nobody
// carries; its number is kept. Returns its position, or -1 when the table is
// full.
int AddGatewaySlot(GatewayTable& table);

// Closes the gap left by the gateway at `position`: the following slots move
// one place down and the last slot becomes all zero. A position outside the
// used slots changes nothing; returns whether a slot was removed.
bool RemoveGatewaySlot(GatewayTable& table, int position);

// Whether a gateway other than the one at `current` has exactly this name
// (byte for byte, case counts). With no gateway, never.
bool IsGatewayNameTaken(const GatewayTable& table, int current, std::string_view name);
