// What the gateways window decides without the platform: how the positions
// it remembers follow the deletions, which journal filter a creation or a
// deletion leaves, which active gateways it moved, and the texts of its rows.
// Pure: no platform.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gateways/gateway_table.h"

// Entry i: the position that the gateway now at position i had when the
// window opened. The activity records stay addressed by those positions until
// the server has caught up with the moves.
using OpeningPositionTable = std::array<int32_t, MaxGateways>;

// 0, 1, ..., 7: nothing moved yet.
OpeningPositionTable FirstOpeningPositions();

// The gateway at `position` was deleted: the following entries move one
// place down and the last entry becomes 7. A position outside 0 to 7 changes
// nothing.
void RemoveOpeningPosition(OpeningPositionTable& positions, int position);

// The activity record of the gateway now at `position`, or -1 when the
// entry does not name a record.
int ActivityRecordOf(const OpeningPositionTable& positions, int position);

// The journal's gateway filter, in which the number of gateways means every
// gateway, after a gateway was added at the end of a table of `countBefore`:
// a filter on every gateway still means every gateway; any other is kept.
int32_t FilterAfterCreation(int32_t filter, int countBefore);

// The filter after the gateway at `position` of a table of `countBefore` was
// deleted, so that it keeps meaning the same gateway: a filter on a later
// gateway follows it down, a filter on the deleted gateway (which no longer
// has records) and a filter on every gateway become every gateway, a filter
// on an earlier gateway is kept. A filter naming no position is kept.
int32_t FilterAfterDeletion(int32_t filter, int countBefore, int position);

// A gateway that the server marks active and whose position changed since
// the window opened.
struct MovedGateway {
    int position;  // where it is now
    int record;    // its activity record, the position it had
};

// Every position i whose opening position o is active (flags[o] != 0) and
// differs from i, in the order of the positions. A record may appear twice
// (the tail entries all name 7): the first, lowest position is the gateway's.
std::vector<MovedGateway> FindMovedActiveGateways(const OpeningPositionTable& positions,
                                                  std::span<const int32_t, MaxGateways> activeFlags);

// How many lines the line list shows for a gateway of `modemCount` lines: a
// count from a damaged admin.dat never lists more than the eight lines a
// gateway can have.
int ListedLineCount(uint32_t modemCount);

// "%d modems" of the stored count, whatever it is.
std::string FormatModemCount(uint32_t modemCount);

// The word shown for a line state: "Inactif", "Inaccessible",
// "Initialisation", "Numérotation", "Utilisé"; empty for any other value.
const char* LineStateWord(int state);

// The service name to install the server under, from the registry value
// "IdProduct" as read into a buffer of 128 bytes: a string of 1 to 127
// characters (ending at its first zero byte, or at the end of the data when
// it has none); anything else, an empty text among them, gives "QUOREL".
std::string ServiceIdentifierFrom(bool isString, std::span<const uint8_t> data);
