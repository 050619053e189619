// Journal records written out byte by byte at the offsets of the file's
// layout, independent of the code under test: every byte that is not a text
// or its terminator holds a recognisable non-zero filler, so that a test sees
// whether the bytes after a terminator and the four bytes at offset 456 survive.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fixtures/byte_fixture.h"

struct CallFields {
    std::string line = "Modem 1";
    std::string gateway = "Paris";
    std::string user = "Durand";
    std::string number = "0145678900";
    std::string dateTime = "07/03/2001 14:05:09";
    std::string rate = "28800";
    std::string duration = "00:01:05";
    uint32_t durationValue = 65;
    uint8_t filler = 0xC0;  // varies the filler from record to record
};

using byte_fixture::PutText;

inline std::vector<uint8_t> CallBytes(const CallFields& f)
{
    std::vector<uint8_t> bytes(564);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(f.filler + i % 31 + 1);
    PutText(bytes, 0, f.line);
    PutText(bytes, 256, f.gateway);
    PutText(bytes, 306, f.user);
    PutText(bytes, 356, f.number);
    PutText(bytes, 406, f.dateTime);
    PutText(bytes, 460, f.rate);
    PutText(bytes, 510, f.duration);
    byte_fixture::Put32(bytes, 560, f.durationValue);
    return bytes;
}

// A journal file: the count (little-endian, signed) then the records.
inline std::vector<uint8_t> JournalFileBytes(const std::vector<std::vector<uint8_t>>& records, int32_t count)
{
    std::vector<uint8_t> file(4);
    byte_fixture::Put32(file, 0, static_cast<uint32_t>(count));
    for (const auto& record : records)
        file.insert(file.end(), record.begin(), record.end());
    return file;
}

inline std::vector<uint8_t> JournalFileBytes(const std::vector<std::vector<uint8_t>>& records)
{
    return JournalFileBytes(records, static_cast<int32_t>(records.size()));
}
