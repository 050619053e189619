// A year of calls for the benchmarks: lines named alike for dozens of bytes,
// a few gateways, a few hundred users (some accented), ten-digit numbers,
// dates in file order, the usual rates, and durations with many repeats.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "journal/journal_record.h"

namespace bench {

inline void PutText(JournalRecord& record, size_t offset, size_t size, const std::string& text)
{
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(record.bytes.data() + offset, text.data(), n);
    record.bytes[offset + n] = 0;
}

class CallMaker {
public:
    explicit CallMaker(uint32_t seed) : random_(seed)
    {
        const char* first[] = {"Martin", "Bernard", "Dubois", "Thomas", "Robert", "Richard", "Petit", "Durand",
                               "Leroy", "Moreau", "Simon", "Laurent", "Lefebvre", "Michel", "Garcia", "David",
                               "Bertrand", "Roux", "Vincent", "Fournier", "\xC9mile", "H\xE9l\xE8ne", "\xC9lodie",
                               "Zo\xE9", "Andr\xE9", "Fran\xE7ois", "J\xE9r\xF4me", "C\xE9line", "No\xEBl", "Ir\xE8ne"};
        for (const char* name : first)
            for (int i = 0; i < 8; ++i)
                users_.push_back(i == 0 ? std::string(name) : std::string(name) + std::to_string(i));
        const char* kinds[] = {"Modem standard 33600 bps", "Modem standard 56000 bps V90", "Lucent Win Modem",
                               "RNIS Eicon Diva 2.01 canal B", "GSM Wavecom Fastrack M1306B"};
        for (const char* kind : kinds)
            for (int port = 1; port <= 8; ++port)
                lines_.push_back(std::string(kind) + " (COM" + std::to_string(port) + ")");
    }

    JournalRecord Make(size_t index)
    {
        JournalRecord record;
        // What follows each terminator is whatever the server left there.
        for (size_t i = 0; i < record.bytes.size(); ++i)
            record.bytes[i] = static_cast<uint8_t>(0xA5 ^ i);
        std::uniform_int_distribution<size_t> line(0, lines_.size() - 1), user(0, users_.size() - 1);
        std::uniform_int_distribution<int> gateway(1, 6), digit(0, 9), rate(0, 5);
        std::exponential_distribution<double> seconds(1.0 / 240);
        PutText(record, kJournalLineAt, kJournalLineSize, lines_[line(random_)]);
        PutText(record, kJournalGatewayAt, kJournalGatewaySize, "Pass" + std::to_string(gateway(random_)));
        PutText(record, kJournalUserAt, kJournalUserSize, users_[user(random_)]);
        std::string number = "0";
        for (int i = 0; i < 9; ++i)
            number += static_cast<char>('0' + digit(random_));
        PutText(record, kJournalNumberAt, kJournalNumberSize, number);
        // About three calls a minute for a year.
        uint64_t minute = index / 3;
        char date[32];
        std::snprintf(date, sizeof date, "%02u/%02u/2001 %02u:%02u:%02u", static_cast<unsigned>(minute / 43200 % 28 + 1),
                      static_cast<unsigned>(minute / 43200 % 12 + 1), static_cast<unsigned>(minute / 60 % 24),
                      static_cast<unsigned>(minute % 60), static_cast<unsigned>(index * 7 % 60));
        PutText(record, kJournalDateTimeAt, kJournalDateTimeSize, date);
        const char* rates[] = {"9600", "14400", "28800", "33600", "56000", "64000"};
        PutText(record, kJournalRateAt, kJournalRateSize, rates[rate(random_)]);
        uint32_t duration = static_cast<uint32_t>(seconds(random_));
        char text[32];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", duration / 3600, duration / 60 % 60, duration % 60);
        PutText(record, kJournalDurationAt, kJournalDurationSize, text);
        for (int i = 0; i < 4; ++i)
            record.bytes[kJournalDurationValueAt + i] = static_cast<uint8_t>(duration >> (8 * i));
        return record;
    }

private:
    std::mt19937 random_;
    std::vector<std::string> users_;
    std::vector<std::string> lines_;
};

inline std::vector<JournalRecord> MakeJournal(size_t count, uint32_t seed = 2001)
{
    CallMaker maker(seed);
    std::vector<JournalRecord> records;
    records.reserve(count);
    for (size_t i = 0; i < count; ++i)
        records.push_back(maker.Make(i));
    return records;
}

}  // namespace bench
