#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "gateways/dial_up_records.h"

// Any bytes as the device list the dial-up service answers: never a device
// that the list does not hold whole, texts within their fields, and an entry
// image for whatever device is chosen.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> list(data, size);
    uint32_t count = size > 0 ? data[0] : 0;
    auto devices = DecodeDialUpDevices(list, count);
    if (devices.size() > size / kRasDeviceInfoSize || devices.size() > count)
        __builtin_trap();
    for (const DialUpDevice& device : devices) {
        if (device.type.size() > kRasDeviceTypeSize || device.name.size() > kRasDeviceNameSize)
            __builtin_trap();
    }
    std::string modem = devices.empty() ? std::string() : devices.back().name;
    for (uint8_t network = 0; network < 4; ++network) {
        auto chosen = ChooseLineDevice(devices, modem, network);
        if (!chosen)
            continue;
        auto entry = EncodeLineEntryProperties(*chosen);
        if (entry[kRasEntryDeviceTypeAt + kRasDeviceTypeSize - 1] != 0 ||
            entry[kRasEntryDeviceNameAt + kRasDeviceNameSize - 1] != 0)
            __builtin_trap();
    }
    auto params = EncodeLineDialParams(modem);
    if (params[kRasDialEntryNameAt + kRasDialEntryNameSize - 1] != 0)
        __builtin_trap();
    return 0;
}
