#include "journal/journal_image.h"

#include <algorithm>

#include "base/le_bytes.h"

int32_t ReadJournalCount(std::span<const uint8_t> header)
{
    if (header.size() < kJournalHeaderSize)
        return 0;
    return static_cast<int32_t>(ReadU32(header, 0));
}

int32_t RecordsHeld(uint64_t fileSize, int32_t count)
{
    if (count <= 0 || fileSize < kJournalHeaderSize)
        return 0;
    uint64_t present = (fileSize - kJournalHeaderSize) / kJournalRecordSize;
    return static_cast<int32_t>(std::min<uint64_t>(present, static_cast<uint64_t>(count)));
}

std::vector<JournalRecord> DecodeJournalImage(std::span<const uint8_t> image)
{
    int32_t held = RecordsHeld(image.size(), ReadJournalCount(image));
    std::vector<JournalRecord> records(static_cast<size_t>(held));
    for (size_t i = 0; i < records.size(); ++i)
        ParseJournalRecord(image.subspan(JournalRecordAt(i), kJournalRecordSize), records[i]);
    return records;
}

std::vector<uint8_t> EncodeJournalImage(std::span<const JournalRecord> records)
{
    std::vector<uint8_t> image(JournalRecordAt(records.size()));
    WriteU32(image, 0, static_cast<uint32_t>(records.size()));
    for (size_t i = 0; i < records.size(); ++i)
        WriteJournalRecord(records[i], std::span<uint8_t, kJournalRecordSize>(image.data() + JournalRecordAt(i),
                                                                           kJournalRecordSize));
    return image;
}
