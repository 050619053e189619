// The directory and journal work that the users window's changes call for:
// what it notes while it is open, and the plan of what its "OK" carries out
// (users/user_dir_ops.h). Pure: no platform.
#pragma once
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "journal/journal_edit.h"
#include "users/user_record.h"

// Keys of users added while the window is open start here, above every
// position, so that no added user ever shares a key with another user.
constexpr uint32_t kFirstAddedUserKey = 1000;

// What is pending for one user, known by its key (UserKeys).
struct PendingDirOp {
    uint32_t deletePending = 0;  // the user was deleted
    uint32_t createPending = 0;  // the user was added while the window is open
    uint32_t renamePending = 0;  // the user was validated, possibly with a new name
    char oldName[30] = {};       // the name before its first change
    char deletedName[30] = {};   // the name its directory and journal records have
    uint16_t station = 0;        // the last station seen, which orders the work
};

struct PendingDirOpTable {
    std::map<uint32_t, PendingDirOp> entries;
    uint32_t nextKey = kFirstAddedUserKey;
};

extern PendingDirOpTable PendingDirOps;

// Bookkeeping, called by the users window with the position of the user
// concerned in the current user table; noted in PendingDirOps under the
// user's key (UserKeys).
void ClearPendingDirOps();              // the window opens (after its table is loaded)
void NoteUserAdded(int position);       // "A&jouter" filled this slot
void NoteUserEditStarted(int position); // "Modi&fier": remembers the name before the first change
void NoteUserValidated(int position);   // "&Valider", after the record took its new name
void NoteUserDeleted(int position);     // "&Supprimer", before the record is removed

// The first user in table order with this station number, or -1.
int FindUserByStation(int station);

// One rename of a user directory. An empty `from` means there is nothing to
// move (its name cannot be a directory name, or another user who keeps his
// name still uses that directory): the new directory is only made.
struct DirRename {
    std::string from;
    std::string to;
    uint16_t station = 0;
};

// One deleted user.
struct DirDeletion {
    std::string name;
    bool removeRecords = true;      // no remaining user still has this name
    bool deleteDirectory = true;    // the name is usable and no remaining user uses the directory
};

// Everything "OK" does, in the order it does it: the deletions, then the
// journal renames all at once, then the directory renames, then the
// directories of the users added.
struct DirOpsPlan {
    std::vector<DirDeletion> deletions;
    std::vector<NameChange> journalRenames;
    std::vector<DirRename> renames;
    std::vector<std::string> creations;
};

// The plan for `pending` against the users (positions 0 to users.size() - 1)
// and their keys.
DirOpsPlan PlanDirOps(const PendingDirOpTable& pending, std::span<const UserRecord> users,
                      std::span<const uint32_t> keys);

// The plan for PendingDirOps against the current user table.
DirOpsPlan PlanPendingDirOps();

// True when the two names name the same directory: equal without regard to
// letter case, as the file system compares them.
bool SameDirectoryName(std::string_view a, std::string_view b);

// `text` with every occurrence of the directory path `oldPath`, found
// without regard to letter case, replaced by `newPath` as written. An
// occurrence counts only where the path ends (end of text, a backslash, a
// slash, a quote, a tab, a line end or a zero byte follows), so that the
// path of another directory whose name begins with the same letters
// ("...\Bobby" for "...\Bob") is left alone.
std::string ReplaceDirectoryPath(std::string_view text, std::string_view oldPath, std::string_view newPath);
