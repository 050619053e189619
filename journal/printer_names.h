// The printer-name block (the platform's DEVNAMES) that preselects a printer
// in the print dialog, built from a "device,driver,port" text such as the
// "Devices" setting. No platform.
//
// The block is an 8-byte header of four little-endian 16-bit words (the
// offsets of the driver, device and port names from the block's start, then
// the default flag, 0), followed by a 256-byte area holding the text, cut to
// 255 characters, with every comma made the end of a name. The device name is
// the part before the first comma, the driver the part up to the second, the
// port the part up to the third; a part the text does not have is the empty
// name at the text's end. Every offset lies inside the block, and every name
// ends inside it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

constexpr size_t kPrinterNamesHeaderSize = 8;
constexpr size_t kPrinterNamesTextSize = 256;
constexpr size_t kPrinterNamesSize = kPrinterNamesHeaderSize + kPrinterNamesTextSize;

constexpr size_t kPrinterNamesDriverAt = 0;
constexpr size_t kPrinterNamesDeviceAt = 2;
constexpr size_t kPrinterNamesPortAt = 4;
constexpr size_t kPrinterNamesDefaultAt = 6;

std::vector<uint8_t> BuildPrinterNames(std::string_view devices);
