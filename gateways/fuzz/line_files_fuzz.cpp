#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "gateways/line_records.h"

// Any bytes as comlines.dat and as Fax0Mid.mid: never more than eight lines,
// text fields ending within their fields, and what is written back decodes to
// the same lines.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> file(data, size);
    LineTables tables;
    LineFileHeader fileHeader;
    DecodeLineFile(file, fileHeader, tables.tableHeader, tables.records);
    int count = tables.tableHeader.count;
    if (count > MaxLines)
        __builtin_trap();
    for (const LineRecord& record : tables.records) {
        if (!std::memchr(record.modemName, 0, sizeof record.modemName))
            __builtin_trap();
        ActiveConfigName(record, tables.settings[0]);
        ConfigNamesOf(record);
    }
    auto written = EncodeLineFile(fileHeader, tables.tableHeader, std::span(tables.records).first(count));
    LineTables again;
    LineFileHeader againHeader;
    if (DecodeLineFile(written, againHeader, again.tableHeader, again.records) != LineFileVerdict::Usable ||
        again.tableHeader.count != count)
        __builtin_trap();
    if (EncodeLineFile(againHeader, again.tableHeader, std::span(again.records).first(count)) != written)
        __builtin_trap();

    DecodeDialSettingsFile(file, count, tables.settingsHeader, tables.settings);
    for (const LineSettings& settings : tables.settings) {
        if (!std::memchr(settings.prefix, 0, sizeof settings.prefix))
            __builtin_trap();
    }
    auto settingsFile = EncodeDialSettingsFile(tables.settingsHeader, std::span(tables.settings).first(count));
    LineTables back;
    if (!DecodeDialSettingsFile(settingsFile, count, back.settingsHeader, back.settings) ||
        EncodeDialSettingsFile(back.settingsHeader, std::span(back.settings).first(count)) != settingsFile)
        __builtin_trap();

    if (count > 0 && size > 0) {
        PrepareChosenLine(tables, data[0] % MaxLines, size & 1);
        RemoveLineAt(tables, data[0] % 10);
    }
    SpeakerModeIn(file);
    return 0;
}
