// The order of the user table by name, and the map that follows users as they
// move while the users window is open. Pure: no platform.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "users/numbers_record.h"
#include "users/user_record.h"

// Entry p: the position that the user now at position p had in reseau.dat
// when the users window opened (the number of its activity record).
extern std::array<uint32_t, MaxUsers> PositionMap;

// Entry p: the identity, for the users window's pending directory work, of
// the user now at position p. Unlike the station number it is never shared:
// users made by set-up or by the import all have station 0.
extern std::array<uint32_t, MaxUsers> UserKeys;

// Every entry p back to p.
void ResetPositionMap();
void ResetUserKeys();

// Sorts `users` by name, byte by byte with letter case counting, moving the
// numbers record, the position entry and the key of the same index with each
// user. Equal names are never exchanged. Only the first min(sizes) entries
// take part.
void SortRecordsByName(std::span<UserRecord> users, std::span<NumbersRecord> numbers, std::span<uint32_t> positions,
                       std::span<uint32_t> keys);

// The same for callers that keep no keys.
void SortRecordsByName(std::span<UserRecord> users, std::span<NumbersRecord> numbers, std::span<uint32_t> positions);

// The same over the current user table, numbers table, PositionMap and UserKeys.
void SortUsersByName();
