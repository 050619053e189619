#include "users/network_import.h"

// The import of network accounts comes with its own work; until then set-up
// always builds the default user database.
int ImportNetworkUsers(HWND)
{
    return 0;
}
