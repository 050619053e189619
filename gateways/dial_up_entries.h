// The dial-up entries of a gateway's lines in the platform's default
// phonebook, through the remote access library "rasapi32.dll", bound at run
// time for the life of one configuration dialog; and the gateway's direct IP
// access ("Routage IP"). Without the library the console works, and no entry
// is created, deleted or edited.
#pragma once
#include <windows.h>

#include <string>

// Loads "rasapi32.dll" and looks its eleven entries up. When the library is
// missing or lacks entries (see AreDialUpFunctionsUsable) it is released at
// once and the dial-up functions stay unavailable until the next load.
// Whether they are available.
bool LoadDialUpFunctions();

// Releases the library. Asked during a call into it (the entry editor runs
// its own message loop), it is released once that call has returned.
void UnloadDialUpFunctions();

bool DialUpFunctionsAvailable();

// The name of line `index`'s entry: "AccesRAS" of section "Minitel" of
// whconfig.ini (at most 127 characters, "Connexion Quorel sur IP n°" by
// default) followed by the index.
std::string LineEntryNameOf(int index);

// Writes the entry of line `index` of the work copy (WorkLines), dialling the
// Minitel access on the device of the line (see ChooseLineDevice), with its
// dial parameters; an entry of that name is replaced. Whether the entry was
// written: not when the functions are unavailable, there is no such line or
// no device suits it. The platform's answers are not examined.
bool CreateLineEntry(int index);

// Deletes the entry of line `index` from the default phonebook, when the
// functions are available.
void DeleteLineEntry(int index);

// Opens the platform's editor on the entry of line `index`, with no owner
// window; `dialog` is disabled until the editor is closed.
void EditLineEntry(HWND dialog, int index);

// "MinitelIP" of section "Minitel" of admin.ini, 1 when missing: whether the
// entries may be edited ("Configuration RAS").
bool IsMinitelIpEnabled();

// "AccesDirectIP" of the gateway at `position` (section "pass<position>" of
// pass.ini), 0 when missing.
int ReadDirectIpAccess(int position);
bool WriteDirectIpAccess(int position, int access);
