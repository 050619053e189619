#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "users/user_table_ops.h"

// Records straight from the input, names unterminated or not: the lookups
// stay within the fields, the free station is free, and a removal keeps every
// other entry in order and leaves the last slot empty.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t index = data[0];
    std::string_view name(reinterpret_cast<const char*>(data + 1), std::min<size_t>(data[1] % 24, size - 2));
    std::span<const uint8_t> rest(data + 2, size - 2);
    std::vector<UserRecord> users;
    for (size_t at = 0; at + kUserRecordSize <= rest.size() && users.size() < 40; at += kUserRecordSize)
        users.push_back(ParseUserRecord(rest.subspan(at).first<kUserRecordSize>()));

    uint16_t station = FindFreeStation(users);
    if (station > users.size())
        __builtin_trap();
    for (const UserRecord& u : users)
        if (station < users.size() && u.station == station)
            __builtin_trap();

    int found = FindNamedUser(users, name);
    if (found < 0 || found > static_cast<int>(users.size()))
        __builtin_trap();
    if (found < static_cast<int>(users.size()) && StoredName(users[static_cast<size_t>(found)]) != name)
        __builtin_trap();
    int clash = FindNameClash(users, name, found);
    if (clash == found && clash >= 0)
        __builtin_trap();

    std::vector<UserRecord> before = users;
    std::vector<NumbersRecord> numbers(users.size());
    std::vector<uint32_t> positions(users.size());
    for (size_t p = 0; p < positions.size(); ++p)
        positions[p] = static_cast<uint32_t>(p);
    RemoveUserSlot(users, numbers, positions, index);
    if (index < users.size()) {
        for (size_t p = 0; p + 1 < users.size(); ++p) {
            size_t from = p < index ? p : p + 1;
            if (positions[p] != from || StoredName(users[p]) != StoredName(before[from]))
                __builtin_trap();
        }
        if (users.back().name[0] != 0 || users.back().station != 0 || positions.back() != users.size() - 1)
            __builtin_trap();
    }
    return 0;
}
