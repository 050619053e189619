#include "users/user_table_ops.h"

#include <algorithm>
#include <cstring>

#include "base/ansi_case.h"

uint16_t FindFreeStation(std::span<const UserRecord> users)
{
    for (size_t s = 0; s < users.size(); ++s) {
        bool taken = std::any_of(users.begin(), users.end(), [s](const UserRecord& u) { return u.station == s; });
        if (!taken)
            return static_cast<uint16_t>(s);
    }
    return static_cast<uint16_t>(users.size());
}

int FindNamedUser(std::span<const UserRecord> users, std::string_view name)
{
    if (!name.empty()) {
        for (size_t p = 0; p < users.size(); ++p) {
            if (StoredName(users[p]) == name)
                return static_cast<int>(p);
        }
    }
    return static_cast<int>(users.size());
}

int FindNameClash(std::span<const UserRecord> users, std::string_view name, int except)
{
    for (size_t p = 0; p < users.size(); ++p) {
        if (static_cast<int>(p) != except && EqualIgnoringCase(StoredName(users[p]), name))
            return static_cast<int>(p);
    }
    return -1;
}

template <typename T>
static void ShiftOut(std::span<T> entries, size_t index, const T& last)
{
    if (index >= entries.size())
        return;
    std::move(entries.begin() + static_cast<std::ptrdiff_t>(index) + 1, entries.end(),
              entries.begin() + static_cast<std::ptrdiff_t>(index));
    entries.back() = last;
}

void RemoveUserSlot(std::span<UserRecord> users, std::span<NumbersRecord> numbers, std::span<uint32_t> positions,
                    size_t index)
{
    ShiftOut(users, index, UserRecord{});
    ShiftOut(numbers, index, NumbersRecord{});
    ShiftOut(positions, index, static_cast<uint32_t>(positions.size() - 1));
}

std::vector<int> FindMovedActiveUsers(std::span<const uint32_t> positions, std::span<const int32_t> activeFlags)
{
    std::vector<int> moved;
    for (size_t p = 0; p < positions.size(); ++p) {
        uint32_t q = positions[p];
        if (q != p && q < activeFlags.size() && activeFlags[q] != 0)
            moved.push_back(static_cast<int>(p));
    }
    return moved;
}
