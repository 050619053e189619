// The nine telephony entries the console uses, bound at run time: each has
// the platform's name and declaration (<tapi.h>), loads "TAPI32.DLL" on first
// need, and forwards to the library's entry of that name. When the library or
// the entry is missing, it returns LINEERR_OPERATIONUNAVAIL, and it is never
// tried again in this run; the console starts and runs without telephony.
//
// Include this header, never <tapi.h> alone: it makes the plain names (the
// ANSI entries of TAPI 1.4) the ones the code calls.
#pragma once
#include <windows.h>

#ifndef TAPI_CURRENT_VERSION
#define TAPI_CURRENT_VERSION 0x00010004
#endif
#include <tapi.h>

// The header maps some names to their ANSI or Unicode forms; the console
// binds the plain TAPI 1.4 names.
#undef lineConfigDialog
#undef lineGetDevCaps
#undef lineGetIcon
#undef lineGetTranslateCaps
#undef lineTranslateDialog

// Bound here:
//   lineConfigDialog, lineGetDevCaps, lineGetIcon, lineGetTranslateCaps,
//   lineInitialize, lineNegotiateAPIVersion, lineSetCurrentLocation,
//   lineShutdown, lineTranslateDialog
