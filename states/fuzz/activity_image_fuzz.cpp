#include <cstddef>
#include <cstdint>
#include <cstring>

#include "states/activity_image.h"

// Any record, line and field numbers against any images: nothing outside a
// record ever changes and nothing is read outside the images.
static int ReadNumber(const uint8_t*& data, size_t& size)
{
    int32_t n = 0;
    size_t take = size < sizeof n ? size : sizeof n;
    std::memcpy(&n, data, take);
    data += take;
    size -= take;
    return n;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UserActivityImage users{};
    GatewayActivityImage gateways{};
    size_t take = size < users.size() ? size : users.size();
    std::memcpy(users.data(), data, take);
    std::memcpy(gateways.data(), data, take < gateways.size() ? take : gateways.size());
    const auto usersBefore = users;
    const auto gatewaysBefore = gateways;

    int i = ReadNumber(data, size);
    int field = ReadNumber(data, size);
    int j = ReadNumber(data, size);
    int k = ReadNumber(data, size);
    uint8_t value = static_cast<uint8_t>(ReadNumber(data, size));

    SetUserField(users, i, static_cast<size_t>(field), value);
    SetGatewayField(gateways, j, static_cast<size_t>(field), value);
    SetLineState(gateways, j, k, value);
    HoldIdleLines(gateways, j);
    ReleaseHeldLines(gateways, k);
    (void)GetUserField(users, i, static_cast<size_t>(field));
    (void)GetLineState(gateways, j, k);
    (void)UserRecordBytes(users, i);
    (void)GatewayRecordBytes(gateways, j);

    for (size_t n = 0; n < users.size(); ++n)
        if (users[n] != usersBefore[n] && (i < 0 || n / 3 != static_cast<size_t>(i)))
            __builtin_trap();
    for (size_t n = 0; n < gateways.size(); ++n) {
        bool inTouchedRecord = (j >= 0 && n / 19 == static_cast<size_t>(j)) || (k >= 0 && n / 19 == static_cast<size_t>(k));
        if (gateways[n] != gatewaysBefore[n] && !inTouchedRecord)
            __builtin_trap();
    }
    return 0;
}
