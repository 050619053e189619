// The checks behind the administrator login, straight on reseau.dat.
#pragma once
#include <windows.h>

#include <string>

#include "users/user_record.h"

// 1 and a copy of the user's record when `login` names a user of reseau.dat
// in `dir` (letter case ignored), else 0. Replaces the user table by a fresh
// load. At a user's first login (stored password still equal to the name) the
// typed password, upper-cased, becomes the stored password; when it cannot be
// recorded (it would not survive scrambling, or the file cannot be written),
// the administrator is told and the record keeps its password.
int FindUserForLogin(HWND owner, const std::string& dir, const char* login, const char* password, UserRecord& out);

// What the login dialog's check found.
enum class LoginVerdict {
    refused,              // no such administrator, or another password
    accepted,
    passwordNotRecorded,  // a first login whose password could not be stored: refused, and already said so
};
LoginVerdict CheckLogin(HWND owner, const std::string& dir, const char* login, const char* password);

// 1 when `login` names an administrator whose password is `password` (letter
// case ignored), else 0.
int CheckAdministrator(HWND owner, const std::string& dir, const char* login, const char* password);
