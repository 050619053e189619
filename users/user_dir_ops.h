// Directory and journal work that the users window's changes call for,
// noted while the window is open and carried out on its "OK".
#pragma once

// Bookkeeping, called by the users window with the position of the user
// concerned in the current user table.
void ClearPendingDirOps();              // the window opens (after its table is loaded)
void NoteUserAdded(int position);       // "A&jouter" filled this slot
void NoteUserEditStarted(int position); // "Modi&fier": remembers the name before the first change
void NoteUserValidated(int position);   // "&Valider", after the record took its new name
void NoteUserDeleted(int position);     // "&Supprimer", before the record is removed

// Carries out what was noted against the current user table.
void ApplyPendingDirOps();

// The first user in table order with this station number, or -1.
int FindUserByStation(int station);

// Renames the user in the journal and rewrites the user directory's path in
// the old directory's "minitel.ini".
void RenameUserData(const char* newName, const char* oldName);
