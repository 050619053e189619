#include "users/numbers_record.h"

#include <algorithm>
#include <cstring>

#include "base/le_bytes.h"

constexpr size_t kCountAt = 0, kFirstNumberAt = 4;

static_assert(kNumbersRecordSize == 804);
static_assert(kNumbersFileSize == 804004);
static_assert(sizeof(NumbersRecord::numbers) == MaxNumbers * kNumberSize);

NumbersRecord ParseNumbersRecord(std::span<const uint8_t, kNumbersRecordSize> b)
{
    NumbersRecord r;
    // Whoever walks the list trusts the count; the record has room for 40.
    r.count = std::min<uint32_t>(ReadU32(b, kCountAt), MaxNumbers);
    for (int k = 0; k < MaxNumbers; ++k) {
        std::memcpy(r.numbers[k], b.data() + kFirstNumberAt + k * kNumberSize, kNumberSize);
        if (!std::memchr(r.numbers[k], 0, kNumberSize))
            r.numbers[k][kNumberSize - 1] = 0;
    }
    return r;
}

void WriteNumbersRecord(const NumbersRecord& r, std::span<uint8_t, kNumbersRecordSize> out)
{
    WriteU32(out, kCountAt, r.count);
    for (int k = 0; k < MaxNumbers; ++k)
        std::memcpy(out.data() + kFirstNumberAt + k * kNumberSize, r.numbers[k], kNumberSize);
}

void ClearNumbersTable(NumbersTable& table)
{
    table.head = 0;
    table.records.fill(NumbersRecord{});
}

void DecodeNumbersFile(std::span<const uint8_t> file, NumbersTable& table)
{
    ClearNumbersTable(table);
    std::array<uint8_t, kNumbersHeadSize> head{};
    if (!file.empty())
        std::memcpy(head.data(), file.data(), std::min(file.size(), head.size()));
    table.head = ReadU32(head, 0);
    for (size_t p = 0; p < MaxUsers; ++p) {
        size_t at = kNumbersHeadSize + p * kNumbersRecordSize;
        if (at >= file.size())
            break;  // the rest stays zero
        std::array<uint8_t, kNumbersRecordSize> bytes{};
        std::memcpy(bytes.data(), file.data() + at, std::min(kNumbersRecordSize, file.size() - at));
        table.records[p] = ParseNumbersRecord(bytes);
    }
}

std::vector<uint8_t> EncodeNumbersFile(const NumbersTable& table)
{
    std::vector<uint8_t> bytes(kNumbersFileSize);
    std::span<uint8_t> out(bytes);
    WriteU32(out, 0, table.head);
    for (size_t p = 0; p < MaxUsers; ++p)
        WriteNumbersRecord(table.records[p],
                           out.subspan(kNumbersHeadSize + p * kNumbersRecordSize).first<kNumbersRecordSize>());
    return bytes;
}
