// The network accounts library "ZemoNet.DLL", as the console sees it. The
// console loads it by full path from the program directory and looks the five
// entries up by these names; the types below are the ones both sides use, so
// that the calling convention is checked where the pointers are taken.
#pragma once
#include <windows.h>

extern "C" {
// The computer whose accounts the next searches list, as a UNC server name
// ("\\NAME"). Until it is called, a search lists the accounts of the network's
// domain, or of this computer when it belongs to no domain.
BOOL WINAPI SetServer(const char* server);

// Starts a search: the accounts are read at once and `*count` is the number
// the search holds. Null (and a count of 0) when they cannot be read.
HANDLE WINAPI UserFindFirst(DWORD* count);

// Writes the search's next account name, zero-terminated, into `name`, and its
// full name and description into the two other buffers (each at least
// kZemoNetTextSize bytes; a longer text is cut). FALSE, with the three buffers
// left empty, once every account was given.
BOOL WINAPI UserFindNext(HANDLE search, char* name, char* fullName, char* comment);

// Ends the search and frees what it holds. A null handle is ignored.
void WINAPI UserFindFree(HANDLE search);

// The account's level on the server of the searches: 2 (kZemoNetAdministrator)
// for an administrator, 1 for an ordinary user, 0 for a guest or an account
// that cannot be read.
DWORD WINAPI GetUserRight(const char* name);
}

constexpr DWORD kZemoNetAdministrator = 2;
constexpr size_t kZemoNetTextSize = 260;
