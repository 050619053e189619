#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "gateways/gateway_table.h"

// Any bytes as admin.dat: the table stays within its slots, every name ends
// within its field, and what is written back reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GatewayTable table = DecodeGatewayTable(std::span(data, size));
    if (table.count < 0 || table.count > MaxGateways)
        __builtin_trap();
    for (const GatewayRecord& record : table.slots) {
        if (!std::memchr(record.name, 0, sizeof record.name))
            __builtin_trap();
    }
    auto image = EncodeGatewayTable(table);
    if (EncodeGatewayTable(DecodeGatewayTable(image)) != image)
        __builtin_trap();
    IsGatewayNameTaken(table, 0, GatewayNameOf(table.slots[0]));
    int position = AddGatewaySlot(table);
    if ((position < 0) != (DecodeGatewayTable(image).count == MaxGateways))
        __builtin_trap();
    // The position to remove comes from the first byte, when there is one.
    RemoveGatewaySlot(table, size > 0 ? data[0] % 10 : 0);
    return 0;
}
