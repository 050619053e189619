// The gateways of the server: the process-wide table, its file admin.dat, the
// gateway directories, and the creation, deletion and renaming of gateways.
// Nothing outside this subsystem writes the table; every other part reads
// the count and the names and addresses a gateway by its position.
#pragma once
#include <windows.h>

#include <string>

#include "gateways/gateway_table.h"

extern GatewayTable Gateways;
// The position that the gateways window last selected, or that the
// configuration dialog works on.
extern int CurrentGateway;

// Reads admin.dat into the table. A missing file is created with 1092 zero
// bytes and the table starts empty; a file shorter than the table is
// completed with zeros. A file that is there but cannot be read is said to
// the administrator and kept as it is: the table starts empty, and no save
// writes it over the file until a load has read the file.
void LoadGatewayTable();

// Whether the last load found admin.dat there but could not read it.
bool IsGatewayTableUnreadable();

// Writes the table's 1092-byte image to admin.dat; a failed write leaves the
// previous file as it was. Whether it was written.
bool SaveGatewayTable();

// The directory of the gateway at `position`, named after its number.
std::string GatewayDirectory(int position);

// Creates a gateway at the end of the table: its number and default name,
// its directory with empty line files, and the saved table. CurrentGateway
// becomes its position, which is returned; -1 when the table is full.
int AddGatewaySlot();

// Deletes the gateway at `position`: its journal records, its ".pcp" file,
// its directory and its slot (the following gateways move up); the table is
// saved, and the "AccesDirectIP" keys of pass.ini move up with their
// gateways. A position outside the table does nothing.
void RemoveGatewayAt(int position);

// When the gateway at `position` no longer has the name `oldName`, renames
// it in every journal record. Whether the journal was renamed.
bool RenameGatewayInJournal(const std::string& oldName, int position);

// 1 when a gateway other than the one at CurrentGateway has this name, in
// any letter case, else 0.
int IsGatewayNameTaken(const char* name);

// Tells the server that the configuration of the gateway at `position`
// changed: "LastChange" in section "Pass<position>" of admin.ini.
void MarkGatewayChanged(int position);

// Asks the server to reactivate the gateway now at `position`: "ForceActif"
// = 1 in section "Passerelle" of "pass.ini" in the directory named after the
// gateway. Nothing is written for a name that cannot be a file name, nor
// when that directory does not exist. Whether it was written.
bool WriteForceActif(int position);

// The gateway list of the gateways window: one item per position, the item
// data being the position.
void FillGatewayList(HWND gatewayList);

// The three commands of the gateways window, on its gateway list (whose
// parent receives the list's selection-change notification) and its line
// list.
//
// CreateGateway: creates a gateway, selects it and runs the configuration
// dialog on it; a cancelled dialog, or one that could not be shown, removes
// its slot and its directory again. The dialog's result, or 0 when the table
// was full ("Vous ne pouvez plus créer de passerelle.") or the gateway was
// not confirmed.
INT_PTR CreateGateway(HWND gatewayList, HWND lineList);
// DeleteGateway: deletes the selected gateway (the caller has asked and
// checked that it is idle) and selects the same position, or the last one.
void DeleteGateway(HWND gatewayList, HWND lineList);
// ModifyGateway: runs the configuration dialog on the selected gateway and
// carries a new name into the journal.
void ModifyGateway(HWND gatewayList);

// Tests stand in for the configuration dialog with `dialog`, which answers
// as the dialog would (non-zero: confirmed); null puts the dialog back.
void SetConfigDialogForTests(INT_PTR (*dialog)(HWND owner));
