#include "gateways/gateways_window_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gateways/line_records.h"

namespace {

constexpr char kDefaultServiceIdentifier[] = "QUOREL";
constexpr size_t kServiceIdentifierLimit = 127;

bool IsPosition(int position)
{
    return position >= 0 && position < MaxGateways;
}

}  // namespace

OpeningPositionTable FirstOpeningPositions()
{
    OpeningPositionTable positions;
    for (int i = 0; i < MaxGateways; ++i)
        positions[i] = i;
    return positions;
}

void RemoveOpeningPosition(OpeningPositionTable& positions, int position)
{
    if (!IsPosition(position))
        return;
    std::copy(positions.begin() + position + 1, positions.end(), positions.begin() + position);
    positions[MaxGateways - 1] = MaxGateways - 1;
}

int ActivityRecordOf(const OpeningPositionTable& positions, int position)
{
    if (!IsPosition(position))
        return -1;
    int record = positions[position];
    return IsPosition(record) ? record : -1;
}

int32_t FilterAfterCreation(int32_t filter, int countBefore)
{
    return filter == countBefore ? countBefore + 1 : filter;
}

int32_t FilterAfterDeletion(int32_t filter, int countBefore, int position)
{
    int countAfter = countBefore - 1;
    if (filter == countBefore)
        return countAfter;
    if (filter < 0 || filter > countBefore || position < 0 || position >= countBefore)
        return filter;
    if (position < filter)
        return filter - 1;
    if (position == filter)
        return countAfter;
    return filter;
}

std::vector<MovedGateway> FindMovedActiveGateways(const OpeningPositionTable& positions,
                                                  std::span<const int32_t, MaxGateways> activeFlags)
{
    std::vector<MovedGateway> moved;
    for (int i = 0; i < MaxGateways; ++i) {
        int record = ActivityRecordOf(positions, i);
        if (record >= 0 && record != i && activeFlags[record] != 0)
            moved.push_back({i, record});
    }
    return moved;
}

int ListedLineCount(uint32_t modemCount)
{
    return static_cast<int>(std::min<uint32_t>(modemCount, MaxLines));
}

std::string FormatModemCount(uint32_t modemCount)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u modems", static_cast<unsigned>(modemCount));
    return text;
}

const char* LineStateWord(int state)
{
    static const char* const words[] = {"Inactif", "Inaccessible", "Initialisation", "Numérotation", "Utilisé"};
    if (state < 0 || state >= static_cast<int>(std::size(words)))
        return "";
    return words[state];
}

std::string ServiceIdentifierFrom(bool isString, std::span<const uint8_t> data)
{
    if (!isString || data.empty())
        return kDefaultServiceIdentifier;
    auto text = reinterpret_cast<const char*>(data.data());
    size_t length = strnlen(text, data.size());
    if (length == 0 || length > kServiceIdentifierLimit)
        return kDefaultServiceIdentifier;
    return std::string(text, length);
}
