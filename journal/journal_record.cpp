#include "journal/journal_record.h"

#include <algorithm>
#include <cstring>

#include "base/le_bytes.h"

std::string_view JournalRecord::Text(size_t offset, size_t size) const
{
    const auto* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string_view(start, strnlen(start, size));
}

uint32_t JournalRecord::durationValue() const
{
    return ReadU32(bytes, kJournalDurationValueAt);
}

void JournalRecord::SetGateway(std::string_view name)
{
    PutText(bytes, kJournalGatewayAt, kJournalGatewaySize, name);
}

void JournalRecord::SetUser(std::string_view name)
{
    PutText(bytes, kJournalUserAt, kJournalUserSize, name);
}

bool ParseJournalRecord(std::span<const uint8_t> bytes, JournalRecord& out)
{
    if (bytes.size() < kJournalRecordSize)
        return false;
    std::copy_n(bytes.begin(), kJournalRecordSize, out.bytes.begin());
    return true;
}

void WriteJournalRecord(const JournalRecord& record, std::span<uint8_t, kJournalRecordSize> out)
{
    std::copy(record.bytes.begin(), record.bytes.end(), out.begin());
}

std::string_view CutNameToField(std::string_view name)
{
    return name.substr(0, kJournalGatewaySize - 1);
}
