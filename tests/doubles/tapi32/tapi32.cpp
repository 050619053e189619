// A stand-in for the platform's telephony library, TAPI32.DLL, for the tests
// and the demo: its line devices and dialling locations come from a script
// (script.h), every call is logged, and the answers are real TAPI 1.4
// structures written at their documented offsets, growing as the platform
// does: a buffer that holds the fixed part gets it, with dwNeededSize telling
// how much the whole answer needs.
#include <windows.h>

// The platform's declarations, so that each entry here is checked against
// the one the console binds.
#define TAPI_CURRENT_VERSION 0x00010004
#include <tapi.h>
#undef lineConfigDialog
#undef lineGetDevCaps
#undef lineGetIcon
#undef lineGetTranslateCaps
#undef lineTranslateDialog

#include <cstring>
#include <string>
#include <vector>

#include "tests/doubles/tapi32/script.h"

namespace {

HMODULE Self;
HICON DeviceIcon;

constexpr DWORD kAppHandle = 0x5A11;
constexpr LONG kStructureTooSmall = static_cast<LONG>(0x8000004D);
constexpr LONG kReinit = static_cast<LONG>(0x80000052);
constexpr LONG kBadDeviceId = static_cast<LONG>(0x80000002);
constexpr LONG kInvalAppHandle = static_cast<LONG>(0x80000015);
constexpr LONG kInvalPointer = static_cast<LONG>(0x80000035);
constexpr LONG kInvalLocation = static_cast<LONG>(0x8000002C);
constexpr LONG kNoDevice = static_cast<LONG>(0x80000048);

// LINEDEVCAPS of TAPI 1.4: 240 bytes of fixed part.
constexpr DWORD kDevCapsFixed = 240;
// LINETRANSLATECAPS: 44 bytes; LINELOCATIONENTRY: 68 bytes each.
constexpr DWORD kTranslateFixed = 44;
constexpr DWORD kLocationEntry = 68;

void Put32(void* base, DWORD at, DWORD value)
{
    std::memcpy(static_cast<char*>(base) + at, &value, 4);
}

DWORD Get32(const void* base, DWORD at)
{
    DWORD value;
    std::memcpy(&value, static_cast<const char*>(base) + at, 4);
    return value;
}

std::string Hex(DWORD value)
{
    char text[16];
    wsprintfA(text, "0x%lX", value);
    return text;
}

std::string DeviceSection(DWORD device)
{
    return "Device" + std::to_string(device);
}

DWORD DeviceCount()
{
    DWORD present = 0;
    while (HasScriptSection(Self, DeviceSection(present)))
        ++present;
    return ScriptNumber(Self, "Telephony", "Devices", present);
}

std::vector<BYTE> NameBytes(const std::string& section)
{
    std::string name = ScriptText(Self, section, "Name");
    std::vector<BYTE> bytes;
    if (ScriptNumber(Self, section, "Format", 1) == 3) {
        int units = MultiByteToWideChar(1252, 0, name.c_str(), -1, nullptr, 0);
        std::vector<WCHAR> wide(units);
        MultiByteToWideChar(1252, 0, name.c_str(), -1, wide.data(), units);
        bytes.resize(units * 2);
        std::memcpy(bytes.data(), wide.data(), bytes.size());
    } else {
        bytes.assign(name.begin(), name.end());
        bytes.push_back(0);
    }
    return bytes;
}

// Writes over the answer what the script says it should claim instead.
void ApplyOverride(void* answer, const std::string& section, const char* key, DWORD at)
{
    std::string text = ScriptText(Self, section, key);
    if (!text.empty())
        Put32(answer, at, ScriptNumber(Self, section, key, 0));
}

// The shared start of both answers: too small for the fixed part, or a
// provider that never asks for more room. Returns true when answered so.
bool AnswerTooSmall(void* answer, const std::string& section, DWORD fixed, DWORD needed, LONG& result)
{
    DWORD total = Get32(answer, 0);
    if (ScriptNumber(Self, section, "NeverGrows", 0)) {
        Put32(answer, 4, total);
        result = kStructureTooSmall;
        return true;
    }
    if (total < fixed) {
        if (total >= 12) {
            Put32(answer, 4, needed);
            Put32(answer, 8, 12);
        }
        result = kStructureTooSmall;
        return true;
    }
    return false;
}

std::string LocationSection(DWORD k)
{
    return "Location" + std::to_string(k);
}

DWORD CurrentLocation()
{
    return ScriptNumber(Self, "Telephony", "CurrentLocation", 0);
}

bool IsLocation(DWORD id)
{
    DWORD count = ScriptNumber(Self, "Locations", "Count", 0);
    for (DWORD k = 0; k < count; ++k) {
        if (ScriptNumber(Self, LocationSection(k), "Id", 0) == id)
            return true;
    }
    return false;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Self = instance;
    return TRUE;
}

LONG WINAPI lineInitialize(LPHLINEAPP lineApp, HINSTANCE, LINECALLBACK, LPCSTR, LPDWORD devices)
{
    LONG result;
    DWORD reinits = ScriptNumber(Self, "Telephony", "Reinit", 0);
    if (reinits > 0) {
        WriteScript(Self, "Telephony", "Reinit", std::to_string(reinits - 1));
        result = kReinit;
    } else {
        result = static_cast<LONG>(ScriptNumber(Self, "Telephony", "Initialize", 0));
    }
    if (result == 0) {
        *lineApp = kAppHandle;
        *devices = DeviceCount();
    }
    LogCall(Self, "lineInitialize " + Hex(result) + (result == 0 ? " " + std::to_string(*devices) : ""));
    return result;
}

LONG WINAPI lineShutdown(HLINEAPP lineApp)
{
    LogCall(Self, "lineShutdown " + Hex(lineApp));
    return lineApp == kAppHandle ? 0 : kInvalAppHandle;
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD device, DWORD low, DWORD high, LPDWORD version,
                                    LPLINEEXTENSIONID extension)
{
    LogCall(Self, "lineNegotiateAPIVersion " + std::to_string(device) + " " + Hex(low) + " " + Hex(high));
    if (lineApp != kAppHandle)
        return kInvalAppHandle;
    if (device >= DeviceCount())
        return kBadDeviceId;
    LONG result = static_cast<LONG>(ScriptNumber(Self, DeviceSection(device), "Negotiate", 0));
    if (result != 0)
        return result;
    *version = 0x00010004;
    // LINEEXTENSIONID: four DWORDs, all written as a provider does.
    extension->dwExtensionID0 = 0xE0E0E0E0;
    extension->dwExtensionID1 = 0xE1E1E1E1;
    extension->dwExtensionID2 = 0xE2E2E2E2;
    extension->dwExtensionID3 = 0xE3E3E3E3;
    return 0;
}

LONG WINAPI lineGetDevCaps(HLINEAPP lineApp, DWORD device, DWORD version, DWORD, LPLINEDEVCAPS caps)
{
    LogCall(Self, "lineGetDevCaps " + std::to_string(device) + " " + Hex(version) + " " +
                      std::to_string(caps ? Get32(caps, 0) : 0));
    if (lineApp != kAppHandle)
        return kInvalAppHandle;
    if (!caps)
        return kInvalPointer;
    if (device >= DeviceCount())
        return kBadDeviceId;
    std::string section = DeviceSection(device);
    LONG result = static_cast<LONG>(ScriptNumber(Self, section, "Result", 0));
    if (result != 0)
        return result;

    std::vector<BYTE> name = NameBytes(section);
    DWORD needed = kDevCapsFixed + static_cast<DWORD>(name.size());
    needed = ScriptNumber(Self, section, "Size", needed);
    if (AnswerTooSmall(caps, section, kDevCapsFixed, needed, result))
        return result;

    DWORD total = Get32(caps, 0);
    std::memset(reinterpret_cast<char*>(caps) + 4, 0, kDevCapsFixed - 4);
    Put32(caps, 4, needed);
    Put32(caps, 8, kDevCapsFixed);
    Put32(caps, 28, 0x100 + device);                                        // dwPermanentLineID
    Put32(caps, 40, ScriptNumber(Self, section, "Format", 1));              // dwStringFormat
    Put32(caps, 44, 1);                                                     // dwAddressModes
    Put32(caps, 48, 1);                                                     // dwNumAddresses
    Put32(caps, 52, ScriptNumber(Self, section, "Bearer", 1));              // dwBearerModes
    Put32(caps, 56, 57600);                                                 // dwMaxRate
    Put32(caps, 60, ScriptNumber(Self, section, "Media", 0x10));            // dwMediaModes
    Put32(caps, 236, ScriptNumber(Self, section, "Features", 0x8));         // dwLineFeatures
    DWORD nameEnd = kDevCapsFixed + static_cast<DWORD>(name.size());
    if (total >= needed && total >= nameEnd) {
        std::memcpy(reinterpret_cast<char*>(caps) + kDevCapsFixed, name.data(), name.size());
        Put32(caps, 32, static_cast<DWORD>(name.size()));  // dwLineNameSize
        Put32(caps, 36, kDevCapsFixed);                     // dwLineNameOffset
        if (needed > nameEnd) {
            // The rest of the answer: device-specific bytes.
            std::memset(reinterpret_cast<char*>(caps) + nameEnd, 0x5D, needed - nameEnd);
            Put32(caps, 228, needed - nameEnd);  // dwDevSpecificSize
            Put32(caps, 232, nameEnd);           // dwDevSpecificOffset
        }
        Put32(caps, 8, needed);
    }
    ApplyOverride(caps, section, "NameSize", 32);
    ApplyOverride(caps, section, "NameOffset", 36);
    ApplyOverride(caps, section, "Used", 8);
    return 0;
}

LONG WINAPI lineGetTranslateCaps(HLINEAPP, DWORD version, LPLINETRANSLATECAPS caps)
{
    LogCall(Self, "lineGetTranslateCaps " + Hex(version) + " " + std::to_string(caps ? Get32(caps, 0) : 0));
    if (!caps)
        return kInvalPointer;
    DWORD count = ScriptNumber(Self, "Locations", "Count", 0);
    std::vector<std::string> names;
    DWORD needed = kTranslateFixed + count * kLocationEntry;
    for (DWORD k = 0; k < count; ++k) {
        names.push_back(ScriptText(Self, LocationSection(k), "Name"));
        needed += static_cast<DWORD>(names.back().size()) + 1;
    }
    needed = ScriptNumber(Self, "Locations", "Size", needed);
    LONG result;
    if (AnswerTooSmall(caps, "Locations", kTranslateFixed, needed, result))
        return result;

    DWORD total = Get32(caps, 0);
    std::memset(reinterpret_cast<char*>(caps) + 4, 0, kTranslateFixed - 4);
    Put32(caps, 4, needed);
    Put32(caps, 8, kTranslateFixed);
    Put32(caps, 24, CurrentLocation());  // dwCurrentLocationID
    if (total >= needed) {
        Put32(caps, 12, count);                   // dwNumLocations
        Put32(caps, 16, count * kLocationEntry);  // dwLocationListSize
        Put32(caps, 20, kTranslateFixed);         // dwLocationListOffset
        DWORD nameAt = kTranslateFixed + count * kLocationEntry;
        for (DWORD k = 0; k < count; ++k) {
            std::string section = LocationSection(k);
            DWORD entry = kTranslateFixed + k * kLocationEntry;
            std::memset(reinterpret_cast<char*>(caps) + entry, 0, kLocationEntry);
            DWORD size = static_cast<DWORD>(names[k].size()) + 1;
            std::memcpy(reinterpret_cast<char*>(caps) + nameAt, names[k].c_str(), size);
            Put32(caps, entry + 0, ScriptNumber(Self, section, "Id", k + 1));        // dwPermanentLocationID
            Put32(caps, entry + 4, size);                                           // dwLocationNameSize
            Put32(caps, entry + 8, nameAt);                                         // dwLocationNameOffset
            Put32(caps, entry + 12, ScriptNumber(Self, section, "Country", 33));    // dwCountryCode
            Put32(caps, entry + 52, ScriptNumber(Self, section, "Country", 33));    // dwCountryID
            ApplyOverride(caps, section, "NameSize", entry + 4);
            ApplyOverride(caps, section, "NameOffset", entry + 8);
            nameAt += size;
        }
        Put32(caps, 8, needed);
    }
    ApplyOverride(caps, "Locations", "Used", 8);
    return 0;
}

LONG WINAPI lineSetCurrentLocation(HLINEAPP lineApp, DWORD location)
{
    LogCall(Self, "lineSetCurrentLocation " + Hex(lineApp) + " " + std::to_string(location));
    if (!IsLocation(location))
        return kInvalLocation;
    WriteScript(Self, "Telephony", "CurrentLocation", std::to_string(location));
    return 0;
}

LONG WINAPI lineTranslateDialog(HLINEAPP lineApp, DWORD device, DWORD version, HWND owner, LPCSTR address)
{
    LogCall(Self, "lineTranslateDialog " + Hex(lineApp) + " " + std::to_string(device) + " " + Hex(version) +
                      (IsWindow(owner) ? " owner" : " no-owner") + (address ? " address" : " no-address"));
    std::string chosen = ScriptText(Self, "Telephony", "TranslateDialogSets");
    if (!chosen.empty())
        WriteScript(Self, "Telephony", "CurrentLocation", chosen);
    return 0;
}

LONG WINAPI lineConfigDialog(DWORD device, HWND owner, LPCSTR deviceClass)
{
    LogCall(Self, "lineConfigDialog " + std::to_string(device) + (IsWindow(owner) ? " owner" : " no-owner") +
                      (deviceClass ? " class" : " no-class"));
    return device < DeviceCount() ? 0 : kBadDeviceId;
}

LONG WINAPI lineGetIcon(DWORD device, LPCSTR deviceClass, LPHICON icon)
{
    LogCall(Self, "lineGetIcon " + std::to_string(device) + (deviceClass ? " class" : " no-class"));
    if (device >= DeviceCount() || !ScriptNumber(Self, DeviceSection(device), "Icon", 1))
        return kNoDevice;
    // One icon for every device, owned by the library as the platform's are;
    // a copy of a system icon, so that destroying it would really destroy it.
    if (!DeviceIcon)
        DeviceIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32516)));  // IDI_INFORMATION
    *icon = DeviceIcon;
    return 0;
}
