#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "gateways/gateways_window_model.h"

// Any registry data as the product identifier, and any sequence of
// deletions and filters: the identifier is never empty nor longer than a
// service name may be, the opening positions stay records or 7, and a filter
// on every gateway stays one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> bytes(data, size);
    std::string identifier = ServiceIdentifierFrom(size > 0 && data[0] & 1, bytes.subspan(size > 0 ? 1 : 0));
    if (identifier.empty() || identifier.size() > 127)
        __builtin_trap();

    OpeningPositionTable positions = FirstOpeningPositions();
    std::array<int32_t, MaxGateways> flags{};
    int count = MaxGateways;
    int32_t filter = count;
    for (size_t i = 0; i < size; ++i) {
        int position = static_cast<int8_t>(data[i]) % 10;
        flags[i % MaxGateways] = data[i] & 0x80;
        if (count > 0 && position >= 0 && position < count) {
            RemoveOpeningPosition(positions, position);
            filter = FilterAfterDeletion(filter, count, position);
            --count;
            if (filter != count)
                __builtin_trap();
        }
        for (int p = 0; p < MaxGateways; ++p)
            if (ActivityRecordOf(positions, p) < p)
                __builtin_trap();  // a gateway only ever moves down
        for (const MovedGateway& m : FindMovedActiveGateways(positions, flags))
            if (m.record <= m.position || flags[m.record] == 0)
                __builtin_trap();
        ListedLineCount(static_cast<uint32_t>(data[i]) << (i % 32));
        LineStateWord(static_cast<int8_t>(data[i]));
    }
    return 0;
}
