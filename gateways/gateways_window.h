// The gateways window "Passerelles": the gateways with their modem counts and
// active marks, and the lines of the selected gateway with their live states.
// From it gateways are created, configured and deleted.
#pragma once
#include <windows.h>

#include "gateways/gateways_window_model.h"

// Shows the gateways window modally with no owner, as the console run with
// "/p" does; the dialog's result.
INT_PTR ShowGatewaysWindow(HWND owner);

// Opens the gateways window as a modeless dialog owned by the main window,
// which the caller has disabled; the window enables the main window again
// when it closes, and at once when it cannot be created.
void OpenGatewaysWindow(HWND owner);

INT_PTR CALLBACK GatewaysDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// State of the open window.
// The position each gateway had when the window opened (see
// OpeningPositionTable): the key to its activity record.
extern OpeningPositionTable OpeningPositions;
// The journal's gateway filter as it will be once the window closes; the
// number of gateways means every gateway.
extern int32_t PendingGatewayFilter;
// The number of gateways when the window opened.
extern int GatewayCountAtOpen;
