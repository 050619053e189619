// The script of the telephony test doubles (tapi32.dll and modem.cpl): a small
// INI file named by the environment variable QUOREL_TAPI_SCRIPT, or
// "tapi32.ini" beside the double. It is read again at every call, so a test
// or the Modems applet double can change what telephony reports meanwhile.
//
//   [Telephony]
//   Initialize=0        result of lineInitialize once the LINEERR_REINIT answers are over
//   Reinit=0            how many LINEERR_REINIT answers lineInitialize gives first
//                       (counted down as they are given)
//   Devices=<n>         the line device count (default: the [Device<k>] sections present)
//   CurrentLocation=0   permanent identifier of the current dialling location
//   TranslateDialogSets=<id>  the location the dialling-properties dialog makes current
//   Log=<path>          every call is appended there, one line each
//   [Device<k>]         line device k
//   Name=               its name
//   Format=1            dwStringFormat; 3 writes the name in UTF-16
//   Bearer=1 Media=16 Features=8   dwBearerModes, dwMediaModes, dwLineFeatures
//   Size=<bytes>        dwNeededSize of the whole answer (default: the fixed part and the name)
//   Negotiate=0 Result=0  results of lineNegotiateAPIVersion and lineGetDevCaps
//   NeverGrows=1        answers "structure too small" without asking for more room
//   NameOffset= NameSize= Used=   written over what the answer says
//   Icon=1              0: lineGetIcon fails
//   [Locations]         Count=<n>, Size=, NeverGrows=, Used= as for a device
//   [Location<k>]       Id=, Name=, Country=, NameOffset=, NameSize=
//   [Applet]            Add=<name>: the add wizard installs a device of that name;
//                       Remove=1: the removal takes the last device away
// Numbers may be written in decimal or, with 0x, in hexadecimal.
#pragma once
#include <windows.h>

#include <string>

std::string ScriptPath(HMODULE self);
std::string ScriptText(HMODULE self, const std::string& section, const char* key, const char* fallback = "");
// A number of the script; `fallback` when the key is missing or empty.
DWORD ScriptNumber(HMODULE self, const std::string& section, const char* key, DWORD fallback);
bool HasScriptSection(HMODULE self, const std::string& section);
void WriteScript(HMODULE self, const std::string& section, const char* key, const std::string& value);
// Appends the line to the script's log file, when it names one.
void LogCall(HMODULE self, const std::string& line);
