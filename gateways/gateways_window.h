// The gateways window "Passerelles".
#pragma once
#include <windows.h>

// Shows the gateways window modally (stand-alone use); its result.
INT_PTR ShowGatewaysWindow(HWND owner);
