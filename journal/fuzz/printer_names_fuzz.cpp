// Any "Devices" text: the printer-name block keeps its size, every offset
// points inside its text area, and every name ends inside the block.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "journal/printer_names.h"

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view devices(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> block = BuildPrinterNames(devices);
    Check(block.size() == kPrinterNamesSize);
    for (size_t at : {kPrinterNamesDriverAt, kPrinterNamesDeviceAt, kPrinterNamesPortAt}) {
        size_t offset = block[at] | block[at + 1] << 8;
        Check(offset >= kPrinterNamesHeaderSize && offset < kPrinterNamesSize);
        Check(std::memchr(block.data() + offset, 0, kPrinterNamesSize - offset) != nullptr);
    }
    Check(block[kPrinterNamesDefaultAt] == 0 && block[kPrinterNamesDefaultAt + 1] == 0);
    // The device name is the text up to its first comma.
    std::string_view kept = devices.substr(0, std::min<size_t>(devices.size(), kPrinterNamesTextSize - 1));
    kept = kept.substr(0, std::min(kept.find('\0'), kept.size()));
    std::string_view device = kept.substr(0, std::min(kept.find(','), kept.size()));
    size_t deviceAt = block[kPrinterNamesDeviceAt] | block[kPrinterNamesDeviceAt + 1] << 8;
    Check(std::string_view(reinterpret_cast<const char*>(block.data() + deviceAt)) == device);
    return 0;
}
