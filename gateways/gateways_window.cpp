#include "gateways/gateways_window.h"

// The gateways window comes with its own work; until then "/p" leaves after
// the login.
INT_PTR ShowGatewaysWindow(HWND)
{
    return 0;
}

// The gateways window comes with its own work; until then the owner is given
// back at once, as the window would do when it closes.
void OpenGatewaysWindow(HWND owner)
{
    EnableWindow(owner, TRUE);
}
