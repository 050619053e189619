#include "users/import_accounts.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "users/directory_name.h"
#include "users/user_table_ops.h"

static_assert(sizeof(UserRecord::name) == kMaxNameLength + 1);

bool IsStorableUserName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxNameLength || !IsUsableDirectoryName(name))
        return false;
    char text[kMaxNameLength + 1] = {};
    std::memcpy(text, name.data(), name.size());
    return IsStorablePassword(text);
}

static std::span<const UserRecord> UsersOf(const UserTable& table)
{
    return std::span(table.records).first(std::min<size_t>(table.header.userCount, MaxUsers));
}

int FindImportedUser(const UserTable& table, std::string_view name)
{
    return FindNameClash(UsersOf(table), name, -1);
}

bool HasAdministrator(const UserTable& table)
{
    for (const UserRecord& user : UsersOf(table))
        if (user.category == CategoryAdministrator)
            return true;
    return false;
}

// The record becomes the user `name` (already checked), whose first password
// is its name, with nothing else kept.
static void MakeUser(UserRecord& record, std::string_view name, bool administrator)
{
    record = UserRecord{};
    std::memcpy(record.name, name.data(), name.size());
    std::memcpy(record.password, name.data(), name.size());
    ScrambleText(record.password);
    record.category = administrator ? CategoryAdministrator : CategoryUser;
}

AccountVerdict TakeImportedAccount(UserTable& table, std::string_view name, bool administrator)
{
    if (name.empty())
        return AccountVerdict::Empty;
    if (name.size() > kMaxNameLength)
        return AccountVerdict::TooLong;
    if (!IsStorableUserName(name))
        return AccountVerdict::Unusable;
    if (FindImportedUser(table, name) >= 0)
        return AccountVerdict::Repeated;
    if (table.header.userCount >= MaxUsers)
        return AccountVerdict::Full;
    MakeUser(table.records[table.header.userCount], name, administrator);
    ++table.header.userCount;
    return AccountVerdict::Taken;
}

static bool TakeOverLastUser(UserTable& table, std::string_view windowsUser)
{
    if (table.header.userCount == 0 || !IsStorableUserName(windowsUser))
        return false;
    MakeUser(table.records[std::min<size_t>(table.header.userCount, MaxUsers) - 1], windowsUser, true);
    return true;
}

ImportEnding FinishImport(UserTable& table, std::string_view windowsUser, bool thisComputerOnly)
{
    if (table.header.userCount == 0)
        return ImportEnding::AsRead;
    int own = windowsUser.empty() ? -1 : FindImportedUser(table, windowsUser);
    if (own < 0 && thisComputerOnly && TakeOverLastUser(table, windowsUser))
        return ImportEnding::TakenOver;
    if (HasAdministrator(table))
        return ImportEnding::AsRead;
    if (own >= 0) {
        table.records[own].category = CategoryAdministrator;
        return ImportEnding::CurrentUserRaised;
    }
    return TakeOverLastUser(table, windowsUser) ? ImportEnding::TakenOver : ImportEnding::NoAdministrator;
}
