// A stand-in for the platform's Modems applet, MODEM.CPL, for the tests and
// the demo: run through Control_RunDLL, it logs how it was started and, as
// the telephony double's script says ([Applet] of script.h), installs a line
// device ("MODEM.CPL,,ADD") or takes the last one away. It shows nothing.
#include <windows.h>

#include <cpl.h>

#include <cstring>
#include <string>

#include "tests/doubles/tapi32/script.h"

namespace {

HMODULE Self;

DWORD DeviceCount()
{
    DWORD present = 0;
    while (HasScriptSection(Self, "Device" + std::to_string(present)))
        ++present;
    return ScriptNumber(Self, "Telephony", "Devices", present);
}

void Run(HWND owner, const std::string& parameters)
{
    LogCall(Self, "applet " + (parameters.empty() ? std::string("-") : parameters) +
                      (IsWindow(owner) ? " owner" : " no-owner"));
    DWORD devices = DeviceCount();
    if (parameters.find("ADD") != std::string::npos) {
        std::string name = ScriptText(Self, "Applet", "Add");
        if (name.empty())
            return;
        std::string section = "Device" + std::to_string(devices);
        WriteScript(Self, section, "Name", name);
        WriteScript(Self, "Telephony", "Devices", std::to_string(devices + 1));
    } else if (ScriptNumber(Self, "Applet", "Remove", 0) && devices > 0) {
        WriteScript(Self, "Telephony", "Devices", std::to_string(devices - 1));
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Self = instance;
    return TRUE;
}

extern "C" LONG WINAPI CPlApplet(HWND owner, UINT message, LPARAM first, LPARAM second)
{
    switch (message) {
    case CPL_INIT:
        return 1;
    case CPL_GETCOUNT:
        return 1;
    case CPL_INQUIRE: {
        auto* info = reinterpret_cast<CPLINFO*>(second);
        info->idIcon = CPL_DYNAMIC_RES;
        info->idName = CPL_DYNAMIC_RES;
        info->idInfo = CPL_DYNAMIC_RES;
        info->lData = 0;
        return 0;
    }
    case CPL_NEWINQUIRE: {
        auto* info = reinterpret_cast<NEWCPLINFOA*>(second);
        std::memset(info, 0, sizeof *info);
        info->dwSize = sizeof *info;
        info->hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
        std::strcpy(info->szName, "Modems");
        std::strcpy(info->szInfo, "Modems");
        return 0;
    }
    case CPL_DBLCLK:
        Run(owner, "");
        return 0;
    case CPL_STARTWPARMSA:
        Run(owner, reinterpret_cast<const char*>(second) ? reinterpret_cast<const char*>(second) : "");
        return 1;
    case CPL_STARTWPARMSW: {
        char parameters[256] = "";
        if (second)
            WideCharToMultiByte(1252, 0, reinterpret_cast<const wchar_t*>(second), -1, parameters, sizeof parameters,
                                nullptr, nullptr);
        Run(owner, parameters);
        return 1;
    }
    }
    (void)first;
    return 0;
}
