#include "tools/calls.h"

#include <cstdio>
#include <span>

#include "base/le_bytes.h"

std::array<uint8_t, kJournalRecordSize> EncodeCall(const Call& call)
{
    std::array<uint8_t, kJournalRecordSize> record{};
    std::span<uint8_t> b(record);
    WriteText(b, kJournalLineAt, kJournalLineSize, call.line);
    WriteText(b, kJournalGatewayAt, kJournalGatewaySize, call.gateway);
    WriteText(b, kJournalUserAt, kJournalUserSize, call.user);
    WriteText(b, kJournalNumberAt, kJournalNumberSize, call.number);
    WriteText(b, kJournalDateTimeAt, kJournalDateTimeSize, FormatCallDate(call.start));
    WriteText(b, kJournalRateAt, kJournalRateSize, call.rate);
    WriteText(b, kJournalDurationAt, kJournalDurationSize, FormatDuration(call.seconds));
    WriteU32(b, kJournalDurationValueAt, call.seconds);
    return record;
}

std::string FormatCallDate(std::time_t t)
{
    std::tm local{};
    if (std::tm* p = std::localtime(&t))
        local = *p;
    char text[32];
    std::snprintf(text, sizeof text, "%02i/%02i/%04i %02i:%02i:%02i", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string FormatDuration(uint32_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

static int Pick(std::mt19937& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

std::string PickNumber(std::mt19937& random)
{
    char text[32];
    switch (Pick(random, 0, 9)) {
    case 0:
        return Pick(random, 0, 1) ? "3615" : "3617";
    case 1:
        std::snprintf(text, sizeof text, "0800 %03d %03d", Pick(random, 100, 999), Pick(random, 0, 999));
        return text;
    case 2:
        std::snprintf(text, sizeof text, "00 %d %d %04d %04d", Pick(random, 0, 1) ? 44 : 49, Pick(random, 20, 89),
                      Pick(random, 0, 9999), Pick(random, 0, 9999));
        return text;
    case 3:
    case 4:
        std::snprintf(text, sizeof text, "06 %02d %02d %02d %02d", Pick(random, 0, 99), Pick(random, 0, 99),
                      Pick(random, 0, 99), Pick(random, 0, 99));
        return text;
    default:
        std::snprintf(text, sizeof text, "0%d %02d %02d %02d %02d", Pick(random, 1, 5), Pick(random, 10, 99),
                      Pick(random, 0, 99), Pick(random, 0, 99), Pick(random, 0, 99));
        return text;
    }
}

std::string PickRate(std::mt19937& random, int network)
{
    static const char* const analogue[] = {"9600", "14400", "28800", "31200", "33600", "44000", "48000", "52000"};
    switch (network) {
    case 1:
        return "9600";
    case 2:
        return Pick(random, 0, 4) ? "64000" : "128000";
    default:
        return analogue[Pick(random, 0, 7)];
    }
}

uint32_t PickDuration(std::mt19937& random)
{
    if (Pick(random, 0, 9) == 0)
        return static_cast<uint32_t>(Pick(random, 600, 5400));
    return static_cast<uint32_t>(Pick(random, 4, 420));
}
