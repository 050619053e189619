#include "users/user_sort.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "users/user_tables.h"

static std::array<uint32_t, MaxUsers> Identity()
{
    std::array<uint32_t, MaxUsers> map{};
    for (uint32_t p = 0; p < MaxUsers; ++p)
        map[p] = p;
    return map;
}

std::array<uint32_t, MaxUsers> PositionMap = Identity();
std::array<uint32_t, MaxUsers> UserKeys = Identity();

void ResetPositionMap()
{
    PositionMap = Identity();
}

void ResetUserKeys()
{
    UserKeys = Identity();
}

// strcmp's order (bytes as unsigned), bounded by the field.
static bool NameAfter(const UserRecord& a, const UserRecord& b)
{
    return std::strncmp(a.name, b.name, sizeof a.name) > 0;
}

// An exchange sort, kept as it is: where users with equal names end up depends
// on it, and a user's position is the user's key in the other files.
void SortRecordsByName(std::span<UserRecord> users, std::span<NumbersRecord> numbers, std::span<uint32_t> positions,
                       std::span<uint32_t> keys)
{
    size_t n = std::min({users.size(), numbers.size(), positions.size(), keys.size()});
    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            if (!NameAfter(users[i], users[j]))
                continue;
            std::swap(users[i], users[j]);
            std::swap(numbers[i], numbers[j]);
            std::swap(positions[i], positions[j]);
            std::swap(keys[i], keys[j]);
        }
    }
}

void SortRecordsByName(std::span<UserRecord> users, std::span<NumbersRecord> numbers, std::span<uint32_t> positions)
{
    std::vector<uint32_t> keys(positions.size());
    SortRecordsByName(users, numbers, positions, keys);
}

void SortUsersByName()
{
    auto count = static_cast<size_t>(UserCount());
    SortRecordsByName(std::span(CurrentUserTable().records).first(count),
                      std::span(CurrentNumbersTable().records).first(count), std::span(PositionMap).first(count),
                      std::span(UserKeys).first(count));
}
