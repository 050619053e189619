// The console's telephony session and what it reads through it: the candidate
// modems of the machine (the soft modem and the special names of
// "whconfig.ini", then the telephony line devices able to place data calls)
// and the dialling locations. The telephony entries themselves are those of
// tapi_binding.h; callers may use them directly with LineApp.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "telephony/tapi_binding.h"

// The session opened by the last successful StartTelephony; 0 when none.
extern HLINEAPP LineApp;

// Read from "whconfig.ini" of the program directory at each StartTelephony:
// the soft modem's name (key "Name" of section "SoftModem", at most 63
// characters, empty when there is none) and the number of keys of section
// "SpecialNames".
extern std::string SoftModemName;
extern int SpecialNameCount;

// Opens a new telephony session (the previous one is shut down first). While
// another program reconfigures telephony the start is retried; after five
// seconds the administrator is asked, in a task-modal box, whether to go on
// waiting. A start that fails is reported in a task-modal box. Returns -1 on
// failure, else the number of candidate entries: the line devices, the
// special names and the soft modem when there is one.
int StartTelephony();

// Shuts the session down, if one is open. Returns 1.
int StopTelephony();

// Receives each entry's name and identifier (modem_entries.h); returns
// non-zero to go on, 0 to stop.
using ModemEntryCallback = int (*)(const char* name, DWORD id, void* context);

// Gives the callback the soft modem, then every key of "SpecialNames" (read
// again), then each line device that places data calls, in that order.
// `count` is what StartTelephony returned: nothing is enumerated when it is
// not above 0. The line devices are those the session's start reported.
// Returns 1 when the enumeration ran to its end, 0 when the callback stopped
// it.
int EnumerateModems(int count, ModemEntryCallback callback, void* context);

// Fills `buffer` with the LINEDEVCAPS of `device`, growing it as the
// provider asks up to 1 MiB. False when the provider fails, asks too much,
// or memory runs out; `buffer` is then empty.
bool GetLineDevCaps(std::vector<uint8_t>& buffer, DWORD device, DWORD version);

// The permanent identifier of the current dialling location, 0 on failure.
// With `countryId`, also its country identifier there (0 when the current
// location is not among the entries); on failure `countryId` is left alone.
DWORD GetCurrentLocation(DWORD* countryId);

// Fills the combo box with the dialling locations' names, each with its
// permanent identifier as item data, and selects the current one (the first
// item when none is). On failure the list is left as it is.
void FillLocationList(HWND comboBox);

// Tests count the five seconds of the retry prompt on their own clock; null
// puts GetTickCount back.
void SetTelephonyClockForTests(DWORD (*clock)());
