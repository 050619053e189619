// Directory and journal work that the users window's changes call for,
// noted while the window is open (users/dir_ops_plan.h) and carried out on
// its "OK".
#pragma once
#include <string>
#include <vector>

#include "journal/journal_file.h"
#include "users/dir_ops_plan.h"

// What the work came to, for the administrator.
struct DirOpsOutcome {
    // False when the journal could not be rewritten: then nothing was done.
    bool journalWritten = true;
    // The renames whose directory did not reach its new name, as "old -> new".
    std::vector<std::string> notRenamed;
    // The deleted users whose directory, or part of it, is still there.
    std::vector<std::string> notDeleted;
    // The users whose directory could not be made.
    std::vector<std::string> notMade;
    // The renamed users whose "minitel.ini" still names the old directory.
    std::vector<std::string> settingsNotRewritten;
    bool AllDone() const
    {
        return journalWritten && notRenamed.empty() && notDeleted.empty() && notMade.empty() &&
               settingsNotRewritten.empty();
    }
};

// Whether the plan changes the journal: its work then waits for the journal.
bool PlanTouchesJournal(const DirOpsPlan& plan);

// Carries out `plan`: the records of the deleted and renamed users in one
// rewrite of the journal, through `journal` (held by the caller when
// PlanTouchesJournal), then, once the journal holds the new names, the
// directories. The journal and the directories stay in step: when the
// journal cannot be rewritten no directory is touched.
DirOpsOutcome ApplyDirOpsPlan(const DirOpsPlan& plan, JournalHold& journal);

// The same for what was noted against the current user table, holding the
// journal itself; the notes are cleared.
DirOpsOutcome ApplyPendingDirOps();

// Renames the user in the journal and rewrites the user directory's path in
// the old directory's "minitel.ini".
void RenameUserData(const char* newName, const char* oldName);

// A directory that waits under a name of its own for its new name (a rename
// among users who pass names to one another) when the console ended: it goes
// to its new name when that is free, else back to its old one when that is,
// else stays for a person to see. A "minitel.ini" rewrite cut short in any
// directory is finished or dropped first. Run at start-up.
void FinishInterruptedRenames();
