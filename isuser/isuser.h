// "_isuser.dll", the installer library: installs a program of the product as
// a platform service. The console loads it at run time from its program
// directory and looks its one entry up by name.
#pragma once
#include <windows.h>

extern "C" {
// Installs `programPath` as the service `serviceName` (also its display
// name): its own process, started automatically with the system. A service
// of that name that already exists is left exactly as it is. A path holding
// a space is given to the service manager in quotes, so that it cannot be
// taken for a shorter program path followed by arguments. TRUE when the
// service exists afterwards.
BOOL WINAPI CreateServiceEx(const char* serviceName, const char* programPath);
}

// The type of the entry as the console finds it with GetProcAddress.
using CreateServiceExProc = decltype(&CreateServiceEx);
