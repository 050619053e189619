// The forbidden numbers file Numaut.dat: a head and one NumbersRecord per user
// position, parallel to the user table. Pure: no platform.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "users/user_record.h"

constexpr int MaxNumbers = 40;
constexpr size_t kNumberSize = 20;
constexpr size_t kNumbersRecordSize = 4 + MaxNumbers * kNumberSize;
constexpr size_t kNumbersHeadSize = 4;
constexpr size_t kNumbersFileSize = kNumbersHeadSize + MaxUsers * kNumbersRecordSize;

// The numbers forbidden to one user. Read from a file, `count` is at most
// MaxNumbers and every number ends within its field.
struct NumbersRecord {
    uint32_t count = 0;
    char numbers[MaxNumbers][kNumberSize] = {};
};

struct NumbersTable {
    uint32_t head = 0;  // the number of users when the file was made; written back as read
    std::array<NumbersRecord, MaxUsers> records;
};

NumbersRecord ParseNumbersRecord(std::span<const uint8_t, kNumbersRecordSize> bytes);
void WriteNumbersRecord(const NumbersRecord& record, std::span<uint8_t, kNumbersRecordSize> out);

void ClearNumbersTable(NumbersTable& table);

// Reads a whole Numaut.dat image into `table`; bytes missing at the end read
// as zero, bytes beyond the 1000th record are ignored.
void DecodeNumbersFile(std::span<const uint8_t> file, NumbersTable& table);
std::vector<uint8_t> EncodeNumbersFile(const NumbersTable& table);
