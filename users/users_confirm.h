// What "OK" of the users window does to the files, apart from the window:
// the passwords that workstations changed meanwhile are taken over, the work
// copies of reseau.dat and Numaut.dat are saved and then commit together, and
// the journal and the user directories follow the renames and deletions.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "users/users_window_state.h"

// A workstation flagged (PasswordChanged) that the user whose activity
// record is PositionMap[position] changed its password in reseau.dat: unless
// the window changed that password itself, the table takes it over from the
// file, found at the record's position under the name the user had when the
// window opened. `stored` is reseau.dat as read now (null: unusable).
enum class PasswordTakeOver {
    none,     // no flag, or a user added in the window
    taken,    // the table holds the workstation's password; the flag may go
    keptOwn,  // the window changed the password: its own is kept; the flag may go
    notFound, // the file no longer holds the user there: the flag stays
};
PasswordTakeOver TakeOverChangedPassword(const UsersWindowState& state, int position, const UserTable* stored);

// reseau.dat of the program directory as it stands, or null when it cannot
// be read or used.
std::unique_ptr<UserTable> ReadStoredUsers();

// ActUser.dat read afresh and every flagged password taken over. Returns the
// activity records whose flag is to be cleared once the table is committed.
std::vector<int> TakeOverChangedPasswords(const UsersWindowState& state);

// Both work copies take the place of reseau.dat and Numaut.dat, or neither
// does: when Numaut.dat cannot be replaced, reseau.dat is put back as it was.
// A mark beside the work copies says, while they do, that the commit is
// under way.
bool CommitWorkFiles();

// A commit that the end of the console cut short (its mark is still there)
// is finished: both work copies take their files' places. Run at start-up.
// False when a mark is still there.
bool FinishInterruptedCommit();

// As the window opens: a commit that still cannot be finished is dropped
// (its mark goes), so that the new work copies are never taken for it.
void FinishOrDropInterruptedCommit();

// Everything "OK" does to the files. False, the administrator told why, when
// nothing was committed: the window then stays open with its changes.
bool ConfirmUserChanges(HWND owner, UsersWindowState& state);
