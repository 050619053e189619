// TEMPORARY: empty bodies so that the users window links and runs until the
// directory work lands.
#include "users/user_dir_ops.h"

void ClearPendingDirOps() {}
void NoteUserAdded(int) {}
void NoteUserEditStarted(int) {}
void NoteUserValidated(int) {}
void NoteUserDeleted(int) {}
void ApplyPendingDirOps() {}

int FindUserByStation(int)
{
    return -1;
}

void RenameUserData(const char*, const char*) {}
