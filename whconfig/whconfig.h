// whconfig.dll, the modem configuration library of a gateway's lines: it
// writes the modem chosen for a line into the gateway's work copy of its line
// files, and shows the properties of the soft modem and the special entries.
// The console loads it by full path from the program directory at each use
// and calls it by ordinal (whcGetSpecialProperties by name). Every entry is
// WINAPI; the console takes its pointer types from these declarations.
//
// The library's program directory is its own folder; it reads "whconfig.ini"
// there:
//   [SoftModem]    Name=<name of the soft modem shown in the modem list>
//   [SpecialNames] <name>=<text shown in its properties>, one key per entry
//   [Reseaux]      <displayed modem name>=<network flags 1 to 7: bit 0 RTC,
//                  bit 1 GSM, bit 2 RNIS>; 1 (RTC) for a modem not listed
//
// What it writes in the open work directory, for a line:
//   comlines.dat  the line record: modemName is the displayed name (the soft
//                 modem's "Name" for "SOFTMOD"), cut to 63 characters;
//                 configNames are "L<n>RTC", "L<n>GSM" and "L<n>RNIS" with the
//                 smallest n from 1 to 99 that no other line and no file of
//                 the directory uses; networkFlags from [Reseaux]; comPort 0
//                 (the device is reached through telephony, not a port). Every
//                 other byte, and every other record, is kept.
//   Fax0Mid.mid   for a new line, its settings record: networkType the first
//                 type of its flags, dialType 1 (tone), no prefix, prefix not
//                 enabled, the other bytes kept; the file then holds one record
//                 per line after its header.
//   <name>.cnf    for each of the three config names, 512 bytes: 0-15 the text
//                 "WHCONFIG", 16 the layout version 1, 17 the kind of entry
//                 (0 line device, 1 soft modem, 2 special entry), 18 the
//                 network type of the file (0 RTC, 1 GSM, 2 RNIS), 19 the last
//                 argument of ordinal 5 or 6 (1 standard, 0 advanced), 32-95
//                 the displayed name, 404 the speaker mode (1, "Actif jusqu'à
//                 la connexion", in a new file). A change rewrites bytes 0-95
//                 and keeps the others, the speaker mode among them.
//   <name>.cmd    the modem commands for that network type, as text; rewritten
//                 whole.
#pragma once
#include <windows.h>

// Results of ordinals 5 and 6.
constexpr int kWhcStay = 0;     // nothing written; the administrator may choose again
constexpr int kWhcRefused = 1;  // nothing written
constexpr int kWhcDone = 2;     // the line was written

constexpr int kWhcOpenConfigOrdinal = 3;
constexpr int kWhcCloseConfigOrdinal = 4;
constexpr int kWhcAddLineOrdinal = 5;
constexpr int kWhcChangeLineOrdinal = 6;
constexpr int kWhcShowSoftModemOrdinal = 11;
constexpr char kWhcSpecialPropertiesName[] = "whcGetSpecialProperties";

// The name the console passes for the soft modem.
constexpr char kSoftModemArgument[] = "SOFTMOD";

extern "C" {

// Ordinal 3. Opens the gateway's work directory for changes: `workDir` is
// relative to the program directory ("pass3\cfgtemp\"), plain names separated
// by backslashes; an empty path, "." or "..", a drive, an absolute or network
// path, a device name or a directory that does not exist is refused. `access`
// and `user` (the console passes 1 and "Administrateur") are not checked. 1
// when open, 0 when refused. A second call replaces what the first opened.
int WINAPI WhcOpenConfig(HWND owner, const char* workDir, int access, const char* user);

// Ordinal 4. Closes what ordinal 3 opened. Returns 1.
int WINAPI WhcCloseConfig(HWND owner, int access);

// Ordinal 5. Appends a line for `modem` (a displayed name, or "SOFTMOD") to the
// open work directory. kWhcDone when written; kWhcStay when that line device
// already serves another line of the gateway (the administrator is told, in a
// box owned by `owner`, captioned "Configuration du modem"); kWhcRefused when
// nothing is open, the soft modem is not named in "whconfig.ini", the line
// files are missing or are not line files, the gateway already has eight
// lines, or a file cannot be written.
int WINAPI WhcAddLine(HWND owner, const char* modem, int standard);

// Ordinal 6. Puts `modem` on line `lineIndex` of the open work directory,
// keeping its config names (a missing or unusable one gets a new name) and its
// settings record. Results as ordinal 5; a line index outside the lines is
// refused.
int WINAPI WhcChangeLine(HWND owner, const char* modem, int lineIndex, int standard);

// Ordinal 11. Shows the soft modem's properties in a box owned by `owner`,
// captioned "Modem logiciel". Returns 1.
int WINAPI WhcShowSoftModem(HWND owner);

// Shows the properties of the special entry `name` in a box owned by `owner`,
// captioned "Propriétés". Returns 1, or 0 when `name` is no special entry.
int WINAPI whcGetSpecialProperties(HWND owner, const char* name);
}
