// The gateways window "Passerelles".
#pragma once
#include <windows.h>

// Shows the gateways window modally (stand-alone use); its result.
INT_PTR ShowGatewaysWindow(HWND owner);

// Opens the gateways window as a modeless dialog owned by the main window,
// which the caller has disabled; the window enables its owner again when it
// closes.
void OpenGatewaysWindow(HWND owner);
