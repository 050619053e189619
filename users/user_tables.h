// The process-wide user table and numbers table. Each exists once; every load
// replaces it whole, and the rest of the console addresses users by position.
#pragma once
#include "users/numbers_record.h"
#include "users/user_record.h"

UserTable& CurrentUserTable();

// The slot at `position`. A position outside the table gives a blank scratch
// record, so that a stray index never reaches memory beyond the table.
UserRecord& UserAt(int position);

// The number of users, never more than MaxUsers.
int UserCount();

// Empties the table: no users, every byte zero.
void FreeUserTable();

NumbersTable& CurrentNumbersTable();
void FreeNumbersTable();
