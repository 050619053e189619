// Import of the network's user accounts into reseau.dat (set-up on Windows NT).
#pragma once
#include <windows.h>

// The number of users written to reseau.dat; 0 when nothing was imported.
int ImportNetworkUsers(HWND owner);
