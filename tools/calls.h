// Call records as the server appends them to "Journal.dat", shared by the demo
// generator and the server simulator.
#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <random>
#include <string>

#include "journal/journal_record.h"

struct Call {
    std::string line;     // the modem that carried it
    std::string gateway;
    std::string user;
    std::string number;
    std::time_t start = 0;
    std::string rate;
    uint32_t seconds = 0;
};

std::array<uint8_t, kJournalRecordSize> EncodeCall(const Call& call);

// "dd/mm/yyyy hh:mm:ss" in local time, as the server stamps its records.
std::string FormatCallDate(std::time_t t);

// "hh:mm:ss".
std::string FormatDuration(uint32_t seconds);

// A French number of some kind: local, mobile, Minitel, freephone, abroad.
std::string PickNumber(std::mt19937& random);

// The connection rate a line of that network gives (0 RTC, 1 GSM, 2 RNIS).
std::string PickRate(std::mt19937& random, int network);

// How long a call lasts, in seconds: mostly short, now and then long.
uint32_t PickDuration(std::mt19937& random);
