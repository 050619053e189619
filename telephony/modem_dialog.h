// The dialog "Modems": the administrator picks the modem of a new or changed
// line among the machine's candidate modems (telephony.h), may install or
// remove modems through the platform's Modems applet and see a modem's
// properties; on OK the chosen modem goes to whconfig.dll, which writes the
// line into the gateway's work copy (whconfig/whconfig.h).
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int32_t kModemAddLine = 4;
constexpr int32_t kModemChangeLine = 5;
constexpr size_t kModemNameLength = 64;

// What the caller asks, kept by the dialog for its whole life.
struct ModemRequest {
    // kModemAddLine: add a line to the gateway; any other value (the caller
    // passes kModemChangeLine): change the modem of line `lineIndex`.
    int32_t mode = kModemAddLine;
    // Non-zero: when the list holds exactly one modem at opening, it is
    // accepted at once.
    int32_t autoAccept = 1;
    // The line whose modem changes; for a new line, the current line count.
    int32_t lineIndex = 0;
    // The gateway's work directory as whconfig.dll expects it: "pass%d\cfgtemp\"
    // with the gateway's number, relative to the program directory.
    const char* workDir = nullptr;
    // In: the modem to select at opening (the line's present modem, or empty).
    // Out: the displayed name of the modem accepted, cut to 63 characters.
    char modemName[kModemNameLength] = {};
};

// Runs "Modems" modally over `owner`. Returns 1 when whconfig.dll wrote the
// line into the work copy ("comlines.dat", "Fax0Mid.mid" and the line's
// ".cnf" and ".cmd" files; a new last line for kModemAddLine), so that the
// caller reloads it; 0 otherwise (cancelled, refused by the library, or no
// modem on the machine even after the add-modem wizard).
INT_PTR RunModemDialog(HWND owner, ModemRequest& request);
