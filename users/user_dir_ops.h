// Directory and journal work that the users window's changes call for,
// noted while the window is open (users/dir_ops_plan.h) and carried out on
// its "OK".
#pragma once

// Carries out what was noted against the current user table.
void ApplyPendingDirOps();

// Renames the user in the journal and rewrites the user directory's path in
// the old directory's "minitel.ini".
void RenameUserData(const char* newName, const char* oldName);
