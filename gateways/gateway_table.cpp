#include "gateways/gateway_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ansi_case.h"
#include "base/le_bytes.h"

static GatewayRecord DecodeGatewayRecord(std::span<const uint8_t, kGatewayRecordSize> bytes)
{
    GatewayRecord record;
    record.modemCount = ReadU32(bytes, kModemCountAt);
    record.number = ReadU32(bytes, kGatewayNumberAt);
    ReadTextField(bytes, kGatewayNameAt, record.name);
    return record;
}

GatewayTable DecodeGatewayTable(std::span<const uint8_t> bytes)
{
    std::array<uint8_t, kGatewayTableSize> image{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());

    GatewayTable table;
    int32_t count = static_cast<int32_t>(ReadU32(image, kGatewayCountAt));
    table.count = std::clamp(count, 0, MaxGateways);
    for (int i = 0; i < MaxGateways; ++i) {
        auto slot = std::span(image).subspan(kFirstGatewayAt + i * kGatewayRecordSize).first<kGatewayRecordSize>();
        table.slots[i] = DecodeGatewayRecord(slot);
    }
    return table;
}

std::array<uint8_t, kGatewayTableSize> EncodeGatewayTable(const GatewayTable& table)
{
    std::array<uint8_t, kGatewayTableSize> image{};
    WriteU32(image, kGatewayCountAt, static_cast<uint32_t>(table.count));
    for (int i = 0; i < MaxGateways; ++i) {
        const GatewayRecord& record = table.slots[i];
        size_t at = kFirstGatewayAt + i * kGatewayRecordSize;
        WriteU32(image, at + kModemCountAt, record.modemCount);
        WriteU32(image, at + kGatewayNumberAt, record.number);
        std::memcpy(image.data() + at + kGatewayNameAt, record.name, kGatewayNameSize);
    }
    return image;
}

std::string_view GatewayNameOf(const GatewayRecord& record)
{
    return FieldText(record.name);
}

uint32_t ChooseGatewayNumber(const GatewayTable& table)
{
    int used = std::clamp(table.count, 0, MaxGateways);
    for (uint32_t n = 0;; ++n) {
        bool taken = std::any_of(table.slots.begin(), table.slots.begin() + used,
                                 [n](const GatewayRecord& record) { return record.number == n; });
        if (!taken)
            return n;  // found by n = count at the latest: count slots cannot hold count + 1 numbers
    }
}

std::string FormatPassName(uint32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "Pass%d", static_cast<int>(number));
    return text;
}

// "Pass<number>", or the next "Pass%d" when another gateway already carries
// that name in any letter case (a gateway renamed by hand): the name owns the
// ".pcp" file and the journal records, and the platform's file names ignore
// case. Seven other gateways leave one of eight tries free.
static std::string ChooseDefaultName(const GatewayTable& table, uint32_t number)
{
    int used = std::clamp(table.count, 0, MaxGateways);
    for (uint32_t n = number;; ++n) {
        std::string name = FormatPassName(n);
        bool carried = std::any_of(table.slots.begin(), table.slots.begin() + used,
                                   [&name](const GatewayRecord& record) {
                                       return EqualIgnoringCase(GatewayNameOf(record), name);
                                   });
        if (!carried)
            return name;
    }
}

std::string FormatPassIniSection(int position)
{
    char text[16];
    std::snprintf(text, sizeof text, "pass%d", position);
    return text;
}

int AddGatewaySlot(GatewayTable& table)
{
    if (table.count < 0 || table.count >= MaxGateways)
        return -1;
    int position = table.count;
    GatewayRecord record;
    record.number = ChooseGatewayNumber(table);
    std::string name = ChooseDefaultName(table, record.number);
    std::memcpy(record.name, name.c_str(), name.size() + 1);
    table.slots[position] = record;
    table.count = position + 1;
    return position;
}

bool RemoveGatewaySlot(GatewayTable& table, int position)
{
    if (position < 0 || position >= table.count || table.count > MaxGateways)
        return false;
    std::copy(table.slots.begin() + position + 1, table.slots.end(), table.slots.begin() + position);
    table.slots[MaxGateways - 1] = GatewayRecord{};
    --table.count;
    return true;
}

bool IsGatewayNameTaken(const GatewayTable& table, int current, std::string_view name)
{
    int used = std::clamp(table.count, 0, MaxGateways);
    for (int i = 0; i < used; ++i) {
        if (i != current && GatewayNameOf(table.slots[i]) == name)
            return true;
    }
    return false;
}
