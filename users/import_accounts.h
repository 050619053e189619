// The user table that the import of the network's accounts builds in memory:
// which account names can become users, and the administrator that set-up
// must leave behind. Pure: no platform.
#pragma once
#include <string_view>

#include "users/user_record.h"

// What became of one account offered to the import.
enum class AccountVerdict {
    Taken,     // appended as the next user
    Empty,     // no name
    TooLong,   // more than 20 characters: it would be stored cut
    Unusable,  // cannot name a directory, or cannot be stored as a password
    Repeated,  // another user already has the name, in some letter case
    Full,      // the table already holds MaxUsers users
};

// Appends the account as the next user of `table` (after userCount, which
// grows by one) when its name can be stored whole: the name, its scrambled
// form as the password, category 5 for an administrator and 0 otherwise,
// every other field zero. Otherwise the table is left as it is.
AccountVerdict TakeImportedAccount(UserTable& table, std::string_view name, bool administrator);

// True when `name` can be stored as a user's name and first password: not
// empty, at most 20 characters, a usable directory name, and a text whose
// scrambled form keeps every character.
bool IsStorableUserName(std::string_view name);

// The position of the user whose name equals `name` without regard to letter
// case, or -1.
int FindImportedUser(const UserTable& table, std::string_view name);

bool HasAdministrator(const UserTable& table);

// How the import's last step changed the table.
enum class ImportEnding {
    AsRead,            // nothing changed
    TakenOver,         // the Windows user took over the last user's record
    CurrentUserRaised, // the Windows user's own record became an administrator
    NoAdministrator,   // no user is an administrator and none could be made
};

// The last step of the import, over the users read. When the Windows user is
// not among them and only this computer's accounts were read, the Windows
// user takes over the last record (its name, its name as password, category
// 5). Then, when no user is an administrator, the Windows user becomes one:
// its own record when it was read, else by taking over the last record. A
// Windows user name that cannot be stored takes nothing over. An empty table
// stays as it is (AsRead).
ImportEnding FinishImport(UserTable& table, std::string_view windowsUser, bool thisComputerOnly);
