// ActUser.dat and ActPass.dat: which users and gateways the server sees
// active and what each line is doing. The console keeps one image of each
// file, re-reads them every two seconds and writes back single records it
// changed. The server writes the same files meanwhile, so every operation
// opens the file sharing it, and closes it again at once.
//
// Callers change the image first, then call a write operation; writes never
// read the file. A file that cannot be opened is skipped without a word:
// reads keep the old image, writes are dropped, and no file is ever created
// here (start-up creates them). A record number out of range does nothing.
#pragma once
#include <array>
#include <cstdint>

#include "states/activity_image.h"

extern UserActivityImage UserActivity;        // ActUser.dat, 1000 records of 3 bytes
extern GatewayActivityImage GatewayActivity;  // ActPass.dat, 8 records of 19 bytes
// Copies of the Active byte of every record, refreshed on every read; the
// lists of the windows test these rather than the images.
extern std::array<int32_t, kUserActivityRecordCount> UserActiveFlags;
extern std::array<int32_t, kGatewayActivityRecordCount> GatewayActiveFlags;

// Reads both files into the images (a short file leaves the rest of its
// image as it was) and refreshes both flag arrays.
void ReadActivityFiles();

// Start-up load of ActUser.dat into UserActivity. UserActiveFlags is
// refreshed too, so that the users window run alone (/u), which never reads
// the files again, still sees who is connected.
void LoadUserActivity();

// Writes the 3 bytes of record i of UserActivity at offset 3 × i.
void WriteUserActivityRecord(int i);

// Clears PasswordChanged of record i in UserActivity and writes that one
// zero byte at offset 3 × i + 2, leaving the rest of the record to the server.
void ClearPasswordChanged(int i);

// Clears Active of user record i (gateway record j) in the image and writes
// that one zero byte at the record's offset: the rest of the record is the
// server's, which may have changed it since the image was read.
void ClearUserActive(int i);
void ClearGatewayActive(int j);

// Writes the 19 bytes of record j of GatewayActivity at offset 19 × j, or,
// for j = -1, the whole 152-byte image from offset 0.
void WriteGatewayActivity(int j);

// When the main window is created, after ReadActivityFiles: lines left held
// by a console that ended while configuring a gateway are released (every
// line state 1 becomes 0) and, if any was, the whole image is written
// (WriteGatewayActivity(-1)). Returns whether any line was released.
bool ReleaseHeldLines();

// Fields of the images; a record or line number out of range reads 0 or
// false and changes nothing. The setters change the image only.
bool UserActive(int i);
void SetUserActive(int i, bool active);
bool PasswordChanged(int i);
bool GatewayActive(int j);
void SetGatewayActive(int j, bool active);
bool ConfigChanged(int j);
void SetConfigChanged(int j, bool changed);
int LineState(int gateway, int line);
void SetLineState(int gateway, int line, int state);  // state 0 to 255
