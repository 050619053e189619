#include <cstddef>
#include <cstdint>
#include <string>

#include "whconfig/line_config.h"

// Any bytes as the work copy's comlines.dat and Fax0Mid.mid (split at the
// first byte's position): adding or changing a line never crashes, and what
// it writes is a line file with the new line in it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t split = data[0] * (size - 1) / 255 + 1;
    LineFileImages images{std::vector<uint8_t>(data + 1, data + split), std::vector<uint8_t>(data + split, data + size)};
    ModemChoice choice;
    choice.name = std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 80));
    choice.kind = static_cast<ModemKind>(data[size - 1] % 3);
    choice.networkFlags = data[size - 1];
    auto taken = [&](const std::string& base) { return base.size() % 2 == (data[1] & 1); };

    ConfigNames names;
    LineFileImages added = images;
    if (AddModemLine(added, choice, taken, names) == LineChange::Done) {
        LineTables tables;
        LineFileHeader header;
        if (DecodeLineFile(added.lines, header, tables.tableHeader, tables.records) != LineFileVerdict::Usable ||
            tables.tableHeader.count < 1 || tables.tableHeader.count > MaxLines)
            __builtin_trap();
        if (!DecodeDialSettingsFile(added.settings, tables.tableHeader.count, tables.settingsHeader, tables.settings) ||
            added.settings.size() != kDialSettingsHeaderSize + tables.tableHeader.count * kLineSettingsSize)
            __builtin_trap();
        for (const std::string& name : names) {
            if (name.empty() || name.size() >= kConfigNameSize)
                __builtin_trap();
        }
    }
    LineFileImages changed = images;
    if (ChangeModemLine(changed, data[1] % 10, choice, taken, names) == LineChange::Done &&
        changed.settings != images.settings)
        __builtin_trap();

    ConfigFileImage(images.settings, choice, data[1] % 3);
    CommandFileText(choice, data[1] % 4);
    WorkDirectoryIn("C:\\Quorel", choice.name);
    return 0;
}
