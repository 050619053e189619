// The users window's operations on the user table that need no platform: the
// free station number, the name lookups and the removal of one user with its
// parallel entries. Every user name is read within its 21-byte field, so a
// record without a terminator never leads a search past it. Pure: no platform.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "users/numbers_record.h"
#include "users/user_record.h"

// The lowest station number below users.size() that no user holds, or
// users.size() when every one of them is taken.
uint16_t FindFreeStation(std::span<const UserRecord> users);

// The position of the first user whose name equals `name` byte for byte, or
// users.size(). An empty name gives users.size().
int FindNamedUser(std::span<const UserRecord> users, std::string_view name);

// The position of the first user other than the one at `except` whose name
// equals `name` without regard to letter case (as the system's ANSI
// upper-casing has it), or -1.
int FindNameClash(std::span<const UserRecord> users, std::string_view name, int except);

// Removes the entry at `index` from the three parallel tables: the entries
// after it move up by one, the last user and numbers slots become all zero and
// the last position entry becomes its own index. Tables of different lengths
// each shift over their own length; an index outside one leaves it as it is.
void RemoveUserSlot(std::span<UserRecord> users, std::span<NumbersRecord> numbers, std::span<uint32_t> positions,
                    size_t index);

// The positions p whose user is active (activeFlags[positions[p]] non-zero)
// and sits elsewhere than when the window opened (positions[p] != p).
// Entries of `positions` outside `activeFlags` are never active.
std::vector<int> FindMovedActiveUsers(std::span<const uint32_t> positions, std::span<const int32_t> activeFlags);
