// The dialog "Configuration de la passerelle", run on the gateway at
// CurrentGateway.
#pragma once
#include <windows.h>

// Runs the dialog modally over `owner`: non-zero when the administrator
// confirmed the configuration, 0 when it was cancelled.
INT_PTR RunGatewayConfigDialog(HWND owner);
