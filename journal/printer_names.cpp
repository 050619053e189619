#include "journal/printer_names.h"

#include <algorithm>
#include <cstring>

#include "base/le_bytes.h"

std::vector<uint8_t> BuildPrinterNames(std::string_view devices)
{
    std::vector<uint8_t> block(kPrinterNamesSize, 0);
    size_t length = std::min(devices.size(), kPrinterNamesTextSize - 1);
    devices = devices.substr(0, length);
    // A zero inside the text ends it there, as it would have in the setting.
    devices = devices.substr(0, std::min(devices.find('\0'), devices.size()));
    std::memcpy(block.data() + kPrinterNamesHeaderSize, devices.data(), devices.size());

    // Start of each name in the text: device, driver, port; missing parts
    // name the empty text at its end.
    size_t starts[3] = {0, devices.size(), devices.size()};
    size_t part = 1;
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i] != ',')
            continue;
        block[kPrinterNamesHeaderSize + i] = 0;
        if (part < 3)
            starts[part++] = i + 1;
    }
    auto offset = [](size_t start) { return static_cast<uint16_t>(kPrinterNamesHeaderSize + start); };
    WriteU16(block, kPrinterNamesDeviceAt, offset(starts[0]));
    WriteU16(block, kPrinterNamesDriverAt, offset(starts[1]));
    WriteU16(block, kPrinterNamesPortAt, offset(starts[2]));
    WriteU16(block, kPrinterNamesDefaultAt, 0);
    return block;
}
