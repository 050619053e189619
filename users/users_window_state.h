// What the users window keeps while it is open: its mode, its edit buffers
// and its bookkeeping. The window owns one, made when it opens and freed
// when it goes, and hands it (or the part they need) to its pages; the pool
// list, a control of the numbers page, finds it through the window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "users/numbers_record.h"
#include "users/user_record.h"

struct UsersWindowState {
    // 1 while the selected user is being edited, 0 in browse mode.
    int EditMode = 0;
    // 1 once a change was saved to the work copy since the window opened.
    int UsersModified = 0;
    // The edit buffers: the selected user as the pages show and change it.
    // They reach the tables only through "&Valider".
    char EditName[kMaxNameLength + 1] = {};
    char EditPassword[kMaxNameLength + 1] = {};  // scrambled, as stored
    // The password typed last holds a character that scrambles to the byte
    // that ends the text: stored, it would be cut short there.
    bool EditPasswordCut = false;
    uint8_t EditCategory = 0;
    int32_t EditMultiSession = 0;
    NumbersRecord EditNumbers{};
    // The user on which the journal's user filter stood when the window
    // opened; empty when the filter shows every user.
    std::string FilterUserName;
    // Set while the window puts the edit buffers into the fields, so that the
    // change notifications this raises do not flow back into the buffers.
    int FillingFields = 0;
    // The users as reseau.dat held them when the window opened, in the file's
    // order: entry r is the user of activity record r, whose name and
    // password a workstation's password change is checked against.
    std::vector<UserRecord> OpeningUsers;
    // Activity records whose changed password could not be taken over yet
    // (reseau.dat no longer holds that user there): tried again by "OK".
    std::set<int> PasswordsNotTaken;
    // Numaut.dat was there but could not be read when the window opened: its
    // numbers are not in the table, cannot be edited, and "OK" reads the
    // file again to carry them along with their users.
    bool NumbersUnreadable = false;
};

// The state of the users window `dialog` (or of a window standing for it),
// kept in its DWLP_USER; null before it is attached.
UsersWindowState* UsersWindowStateOf(HWND dialog);
void AttachUsersWindowState(HWND dialog, UsersWindowState* state);
