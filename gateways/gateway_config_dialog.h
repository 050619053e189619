// The dialog "Configuration de la passerelle", run on the gateway at
// CurrentGateway: its name, its lines (added and changed through "Modems",
// removed here), each line's dialling settings, loudspeaker, network and
// dial-up entry, the source of the dialling properties and the direct IP
// access. Everything goes into the work copy of the line files, which "OK"
// commits and "Annuler" throws away; meanwhile the gateway's idle lines are
// held in its activity record, so that the server leaves them alone.
#pragma once
#include <windows.h>

// Runs the dialog modally over `owner`: 1 when the administrator confirmed
// the configuration and it was saved, 0 when it was cancelled (-1 when the
// dialog could not be shown).
INT_PTR RunGatewayConfigDialog(HWND owner);

INT_PTR CALLBACK GatewayConfigDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
