// Whether a user's name can name the user's directory. The name is appended to
// the program directory as its last component, so a name that the file system
// would read as something else (a path, a device, a stream, a name it trims)
// must never be used. Pure: no platform.
#pragma once
#include <string_view>

// False for an empty name, a name holding \ / : * ? " < > | or a control
// character (bytes 0 to 31), "." and "..", a name ending with a dot or a
// space, and the device names CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0 to
// COM9 and LPT0 to LPT9 (also with ¹ ² ³ as the digit) in any letter case,
// alone or followed by an extension ("nul.txt", "Com1 .log"), and the names
// of the console's own directories in the program directory, in any letter
// case: the gateways' "pass0" to "pass7" and the work copy's "usertemp".
bool IsUsableDirectoryName(std::string_view name);
