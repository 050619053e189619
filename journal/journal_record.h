// One call of the journal, as the server writes it into "Journal.dat".
// The record is kept as the 564 bytes read from the file: the console reads a
// few fields and rewrites two, and every other byte (the four at offset 456,
// whatever follows a text's terminator) goes back to the file as it came.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

constexpr size_t kJournalRecordSize = 564;

constexpr size_t kJournalLineAt = 0;
constexpr size_t kJournalLineSize = 256;
constexpr size_t kJournalGatewayAt = 256;
constexpr size_t kJournalGatewaySize = 50;
constexpr size_t kJournalUserAt = 306;
constexpr size_t kJournalUserSize = 50;
constexpr size_t kJournalNumberAt = 356;
constexpr size_t kJournalNumberSize = 50;
constexpr size_t kJournalDateTimeAt = 406;
constexpr size_t kJournalDateTimeSize = 50;
// Offset 456, 4 bytes: not ours, carried along unchanged.
constexpr size_t kJournalRateAt = 460;
constexpr size_t kJournalRateSize = 50;
constexpr size_t kJournalDurationAt = 510;
constexpr size_t kJournalDurationSize = 50;
constexpr size_t kJournalDurationValueAt = 560;

struct JournalRecord {
    std::array<uint8_t, kJournalRecordSize> bytes{};

    // Each text up to its terminator, never past its field.
    std::string_view line() const { return Text(kJournalLineAt, kJournalLineSize); }
    std::string_view gateway() const { return Text(kJournalGatewayAt, kJournalGatewaySize); }
    std::string_view user() const { return Text(kJournalUserAt, kJournalUserSize); }
    std::string_view number() const { return Text(kJournalNumberAt, kJournalNumberSize); }
    std::string_view dateTime() const { return Text(kJournalDateTimeAt, kJournalDateTimeSize); }
    std::string_view rate() const { return Text(kJournalRateAt, kJournalRateSize); }
    std::string_view duration() const { return Text(kJournalDurationAt, kJournalDurationSize); }
    uint32_t durationValue() const;

    // Copies the name and its terminator into the field as strcpy would, cut
    // to 49 characters; the bytes after the new terminator stay as they were.
    void SetGateway(std::string_view name);
    void SetUser(std::string_view name);

private:
    std::string_view Text(size_t offset, size_t size) const;
};

static_assert(sizeof(JournalRecord) == kJournalRecordSize);

// False when fewer than 564 bytes are given.
bool ParseJournalRecord(std::span<const uint8_t> bytes, JournalRecord& out);
void WriteJournalRecord(const JournalRecord& record, std::span<uint8_t, kJournalRecordSize> out);

// A name as a 50-byte field of the record can hold it: its first 49 characters.
std::string_view CutNameToField(std::string_view name);
