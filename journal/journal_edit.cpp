#include "journal/journal_edit.h"

#include <algorithm>
#include <cstring>

#include "base/date_text.h"

bool HasTwoDigitYear(const JournalRecord& record)
{
    const uint8_t* field = record.bytes.data() + kJournalDateTimeAt;
    size_t length = strnlen(reinterpret_cast<const char*>(field), kJournalDateTimeSize);
    return length > 8 && field[8] == ' ';
}

bool FixTwoDigitYear(JournalRecord& record)
{
    uint8_t* field = record.bytes.data() + kJournalDateTimeAt;
    constexpr size_t kYear = 6;
    size_t length = strnlen(reinterpret_cast<const char*>(field), kJournalDateTimeSize);
    if (!HasTwoDigitYear(record))
        return false;
    // The text from the year on, with its terminator when the field has one,
    // moves two places right; what would pass the field's end is cut and the
    // field keeps a terminator.
    size_t moved = std::min(length + 1, kJournalDateTimeSize) - kYear;
    moved = std::min(moved, kJournalDateTimeSize - kYear - 2);
    std::memmove(field + kYear + 2, field + kYear, moved);
    field[kYear] = '1';
    field[kYear + 1] = '9';
    if (length + 2 >= kJournalDateTimeSize)
        field[kJournalDateTimeSize - 1] = 0;
    return true;
}

size_t FixTwoDigitYears(std::span<JournalRecord> records)
{
    size_t fixed = 0;
    for (JournalRecord& record : records)
        fixed += FixTwoDigitYear(record);
    return fixed;
}

// A field's text as a zero-terminated string: the field may fill its 50 bytes
// without a terminator.
struct DateText {
    char text[kJournalDateTimeSize + 1] = {};
    explicit DateText(std::string_view value)
    {
        std::memcpy(text, value.data(), std::min(value.size(), kJournalDateTimeSize));
    }
};

size_t PurgeRecords(std::vector<JournalRecord>& records, std::string_view limit)
{
    DateText last(limit);
    return std::erase_if(records, [&](const JournalRecord& record) {
        return DateNotAfter(DateText(record.dateTime()).text, last.text) != 0;
    });
}

size_t RemoveGatewayRecords(std::vector<JournalRecord>& records, std::string_view name)
{
    std::string_view stored = CutNameToField(name);
    return std::erase_if(records, [stored](const JournalRecord& record) { return record.gateway() == stored; });
}

size_t RemoveUserRecords(std::vector<JournalRecord>& records, std::string_view name)
{
    std::string_view stored = CutNameToField(name);
    return std::erase_if(records, [stored](const JournalRecord& record) { return record.user() == stored; });
}

size_t RenameGatewayRecords(std::span<JournalRecord> records, std::string_view oldName, std::string_view newName)
{
    std::string_view stored = CutNameToField(oldName);
    size_t renamed = 0;
    for (JournalRecord& record : records) {
        if (record.gateway() == stored) {
            record.SetGateway(newName);
            ++renamed;
        }
    }
    return renamed;
}

size_t RenameUserRecords(std::span<JournalRecord> records, std::span<const NameChange> changes)
{
    size_t renamed = 0;
    for (JournalRecord& record : records) {
        std::string_view user = record.user();
        for (const NameChange& change : changes) {
            if (user == CutNameToField(change.oldName)) {
                record.SetUser(change.newName);
                ++renamed;
                break;
            }
        }
    }
    return renamed;
}

size_t RenameUserRecords(std::span<JournalRecord> records, std::string_view oldName, std::string_view newName)
{
    const NameChange change[] = {{std::string(oldName), std::string(newName)}};
    return RenameUserRecords(records, change);
}
