// reseau.dat on disk: creation, loading (with conversion of the older
// layouts), saving, the users window's work copy and the lookup of one stored
// password. The in-memory tables are those of users/user_tables.h.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "users/user_record.h"
#include "users/user_tables.h"

// Creates the default reseau.dat in `dir` (one administrator, the Windows
// user) unless the directory already holds one.
void CreateUserDatabase(HWND owner, const std::string& dir);

// Reads reseau.dat of `dir` into the user table; a file of an older layout is
// converted and rewritten as "Serveur3". An unusable file is reported, leaves
// the table empty and is never rewritten; a missing file is reported and
// leaves the table as it was.
void LoadUserDatabase(HWND owner, const std::string& dir);

// Writes the user table over reseau.dat of the program directory (workCopy 0)
// or over usertemp\reseau.dat (workCopy 1), keeping the file's header. A
// target that holds a file the console cannot read is reported and left as it
// is, so that an empty table never replaces users it could not see.
bool SaveUserDatabase(HWND owner, int workCopy);

bool OpenUserWorkCopy();
bool CommitUserWorkCopy();
void DiscardUserWorkCopy();

// Copies the scrambled password of the first user of reseau.dat (read afresh)
// whose name matches `name` without regard to letter case. 1 found, 0 not.
int ReadStoredPassword(const char* name, char out[21]);

// What reading reseau.dat found.
struct UserFileReading {
    bool opened = false;
    UserFileVerdict verdict = UserFileVerdict::WrongIdentification;
};

// Reads the file at `path` into `header` and `table` (all zero unless usable).
// When the file cannot be opened, `table` is not touched.
UserFileReading ReadUserDatabaseFile(const std::string& path, UserFileHeader& header, UserTable& table);

// The two reading failures, as every reader of reseau.dat reports them.
void ReportUnusableUserFile(HWND owner);
void ReportMissingUserFile(HWND owner);

// The text in upper case, as the platform's ANSI code page has it.
std::string UpperCaseText(std::string_view text);
