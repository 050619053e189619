#include "users/user_tables.h"

#include <algorithm>

static UserTable Users;
static NumbersTable Numbers;

UserTable& CurrentUserTable()
{
    return Users;
}

UserRecord& UserAt(int position)
{
    if (position >= 0 && position < MaxUsers)
        return Users.records[position];
    static UserRecord scratch;
    scratch = UserRecord{};
    return scratch;
}

int UserCount()
{
    return std::min<int>(Users.header.userCount, MaxUsers);
}

void FreeUserTable()
{
    ClearUserTable(Users);
}

NumbersTable& CurrentNumbersTable()
{
    return Numbers;
}

void FreeNumbersTable()
{
    ClearNumbersTable(Numbers);
}
