// Whether a text typed by the administrator can stand as one file name in the
// program directory. Gateway names become file names (the ".pcp" file, the
// directory of the "ForceActif" flag) and line files are named from the line
// records, so a name that could lead elsewhere ("..", a drive, a separator, a
// device) must never reach a path. Pure: no platform.
#pragma once
#include <string_view>

// True for a non-empty name of at most 127 characters without control
// characters, path separators, a drive colon or the wildcard and quoting
// characters, that is not "." or "..", does not end with a dot or a space
// (the platform would drop them and name another file) and is not a device
// name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an
// extension).
bool IsSafeFileName(std::string_view name);
