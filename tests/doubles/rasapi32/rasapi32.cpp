// A stand-in for the platform's remote access library, rasapi32.dll, for the
// tests and the demo: its dial-up devices come from a script, every call is
// logged, and the default phonebook is a small INI file that the tests read.
// The entries are decoded at the offsets of the platform's own declarations,
// which places the first versions' structures at the start of today's.
//
// The script: an INI file named by the environment variable
// QUOREL_RAS_SCRIPT, or "rasapi32.ini" beside the double.
//   [Ras]
//   Log=<path>           every call is appended there, one line each
//   Phonebook=<path>     the default phonebook (default: "rasphone.ini" beside
//                        the script)
//   EditorCloses=1       the entry editor, while it runs, has the dialog
//                        "Configuration de la passerelle" cancelled, as a
//                        person closing it meanwhile would
//   [Device<k>]          dial-up device k, k from 0 while present
//   Type=modem           its type ("modem", "isdn", ...)
//   Name=                its name
//
// The phonebook: one section per entry, named after the entry:
//   Size=1768            the size the entry's properties were given with
//   Options=0x110        dwfOptions
//   CountryID=33 CountryCode=33 AreaCode=
//   PhoneNumber=3622     szLocalPhoneNumber
//   NetProtocols=4 FramingProtocol=1
//   DeviceType=modem DeviceName=...
//   OtherBytes=0         how many bytes of the properties outside those fields are not zero
//   DialSize=1052        the size of the dial parameters
//   DialNumber=3622 UserName=... Password=... CallbackNumber= Domain=
#include <windows.h>

#include <ras.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE Self;

constexpr DWORD kEntrySize = 1768;        // RASENTRYA of the first version
constexpr DWORD kDialParamsSize = 1052;   // RASDIALPARAMSA of the first version
constexpr DWORD kDeviceInfoSize = sizeof(RASDEVINFOA);
static_assert(kDeviceInfoSize == 152);
static_assert(offsetof(RASENTRYA, dwReserved2) + sizeof(DWORD) == kEntrySize);
static_assert(offsetof(RASDIALPARAMSA, szDomain) + DNLEN + 1 <= kDialParamsSize);

constexpr DWORD kBufferTooSmall = 603;
constexpr DWORD kCannotOpenPhonebook = 621;
constexpr DWORD kCannotFindEntry = 623;
constexpr DWORD kInvalidSize = 632;

std::string Beside(const std::string& path, const char* name)
{
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string ScriptPath()
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QUOREL_RAS_SCRIPT", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return path;
    n = GetModuleFileNameA(Self, path, MAX_PATH);
    return Beside(std::string(path, n), "rasapi32.ini");
}

std::string ScriptText(const std::string& section, const char* key)
{
    char text[1024];
    GetPrivateProfileStringA(section.c_str(), key, "", text, sizeof text, ScriptPath().c_str());
    return text;
}

std::string PhonebookPath()
{
    std::string path = ScriptText("Ras", "Phonebook");
    return path.empty() ? Beside(ScriptPath(), "rasphone.ini") : path;
}

void Log(const std::string& line)
{
    std::string path = ScriptText("Ras", "Log");
    if (path.empty())
        return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\r\n";
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Text(const char* text)
{
    return text ? text : "-";
}

// A field's text, never past the field.
std::string Field(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::string Number(DWORD value, bool hex = false)
{
    char text[16];
    std::snprintf(text, sizeof text, hex ? "0x%lX" : "%lu", static_cast<unsigned long>(value));
    return text;
}

struct Device {
    std::string type;
    std::string name;
};

std::vector<Device> Devices()
{
    std::vector<Device> devices;
    for (int k = 0;; ++k) {
        std::string section = "Device" + std::to_string(k);
        std::string name = ScriptText(section, "Name");
        std::string type = ScriptText(section, "Type");
        if (name.empty() && type.empty())
            return devices;
        devices.push_back({type, name});
    }
}

bool HasEntry(const std::string& entry)
{
    char keys[64];
    return GetPrivateProfileSectionA(entry.c_str(), keys, sizeof keys, PhonebookPath().c_str()) > 0;
}

void Store(const std::string& entry, const char* key, const std::string& value)
{
    WritePrivateProfileStringA(entry.c_str(), key, value.c_str(), PhonebookPath().c_str());
}

// Bytes of the properties that lie outside every field the console fills.
DWORD OtherNonZeroBytes(const BYTE* bytes)
{
    struct Span { size_t at, size; } fields[] = {
        {offsetof(RASENTRYA, dwSize), 4},
        {offsetof(RASENTRYA, dwfOptions), 4},
        {offsetof(RASENTRYA, dwCountryID), 4},
        {offsetof(RASENTRYA, dwCountryCode), 4},
        {offsetof(RASENTRYA, szLocalPhoneNumber), RAS_MaxPhoneNumber + 1},
        {offsetof(RASENTRYA, dwfNetProtocols), 4},
        {offsetof(RASENTRYA, dwFramingProtocol), 4},
        {offsetof(RASENTRYA, szDeviceType), RAS_MaxDeviceType + 1},
        {offsetof(RASENTRYA, szDeviceName), RAS_MaxDeviceName + 1},
    };
    DWORD count = 0;
    for (size_t at = 0; at < kEntrySize; ++at) {
        bool inField = false;
        for (const Span& field : fields)
            inField = inField || (at >= field.at && at < field.at + field.size);
        if (!inField && bytes[at] != 0)
            ++count;
    }
    return count;
}

BOOL CALLBACK FindOwnConfigurationDialog(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    if (process != GetCurrentProcessId() || std::strcmp(title, "Configuration de la passerelle") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The configuration dialog of this process: tests run side by side, each in
// its own process, and may each show one.
HWND FindConfigurationDialog()
{
    HWND found = nullptr;
    EnumWindows(FindOwnConfigurationDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Has the dialog that called the editor cancelled, as if closed meanwhile,
// and lets it handle that before the editor returns.
void CloseConfigurationDialog(HWND dialog)
{
    if (!dialog)
        return;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Self = instance;
    return TRUE;
}

DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA devices, LPDWORD size, LPDWORD count)
{
    Log("RasEnumDevicesA " + std::string(devices ? "buffer" : "null") + " " + (size ? Number(*size) : "-"));
    if (!size || !count)
        return ERROR_INVALID_PARAMETER;
    std::vector<Device> list = Devices();
    DWORD needed = static_cast<DWORD>(list.size()) * kDeviceInfoSize;
    if (devices && devices->dwSize != kDeviceInfoSize)
        return kInvalidSize;
    if (!devices || *size < needed) {
        *size = needed;
        *count = static_cast<DWORD>(list.size());
        return needed ? kBufferTooSmall : 0;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        RASDEVINFOA& info = devices[i];
        std::memset(&info, 0, sizeof info);
        info.dwSize = kDeviceInfoSize;
        lstrcpynA(info.szDeviceType, list[i].type.c_str(), sizeof info.szDeviceType);
        lstrcpynA(info.szDeviceName, list[i].name.c_str(), sizeof info.szDeviceName);
    }
    *size = needed;
    *count = static_cast<DWORD>(list.size());
    return 0;
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA properties, DWORD size,
                                    LPBYTE deviceInfo, DWORD deviceInfoSize)
{
    Log("RasSetEntryPropertiesA " + Text(phonebook) + " " + Text(entry) + " " + Number(size) + " " +
        (properties ? Number(properties->dwSize) : "-") + " " + Number(deviceInfoSize) +
        (deviceInfo ? " deviceinfo" : ""));
    if (phonebook)
        return kCannotOpenPhonebook;
    if (!entry || !*entry || !properties)
        return ERROR_INVALID_PARAMETER;
    if (properties->dwSize != kEntrySize || size < kEntrySize)
        return kInvalidSize;
    const RASENTRYA& e = *properties;
    Store(entry, "Size", Number(size));
    Store(entry, "Options", Number(e.dwfOptions, true));
    Store(entry, "CountryID", Number(e.dwCountryID));
    Store(entry, "CountryCode", Number(e.dwCountryCode));
    Store(entry, "AreaCode", Field(e.szAreaCode, sizeof e.szAreaCode));
    Store(entry, "PhoneNumber", Field(e.szLocalPhoneNumber, sizeof e.szLocalPhoneNumber));
    Store(entry, "NetProtocols", Number(e.dwfNetProtocols));
    Store(entry, "FramingProtocol", Number(e.dwFramingProtocol));
    Store(entry, "DeviceType", Field(e.szDeviceType, sizeof e.szDeviceType));
    Store(entry, "DeviceName", Field(e.szDeviceName, sizeof e.szDeviceName));
    Store(entry, "OtherBytes", Number(OtherNonZeroBytes(reinterpret_cast<const BYTE*>(properties))));
    return 0;
}

DWORD WINAPI RasSetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params, WINBOOL removePassword)
{
    Log("RasSetEntryDialParamsA " + Text(phonebook) + " " +
        (params ? Field(params->szEntryName, sizeof params->szEntryName) + " " + Number(params->dwSize) : "-") +
        " " + Number(removePassword));
    if (phonebook)
        return kCannotOpenPhonebook;
    if (!params)
        return ERROR_INVALID_PARAMETER;
    if (params->dwSize != kDialParamsSize)
        return kInvalidSize;
    std::string entry = Field(params->szEntryName, sizeof params->szEntryName);
    if (!HasEntry(entry))
        return kCannotFindEntry;
    Store(entry, "DialSize", Number(params->dwSize));
    Store(entry, "DialNumber", Field(params->szPhoneNumber, sizeof params->szPhoneNumber));
    Store(entry, "CallbackNumber", Field(params->szCallbackNumber, sizeof params->szCallbackNumber));
    Store(entry, "UserName", Field(params->szUserName, sizeof params->szUserName));
    Store(entry, "Password", removePassword ? "" : Field(params->szPassword, sizeof params->szPassword));
    Store(entry, "Domain", Field(params->szDomain, sizeof params->szDomain));
    return 0;
}

DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR entry)
{
    Log("RasDeleteEntryA " + Text(phonebook) + " " + Text(entry));
    if (phonebook)
        return kCannotOpenPhonebook;
    if (!entry || !HasEntry(entry))
        return kCannotFindEntry;
    WritePrivateProfileStringA(entry, nullptr, nullptr, PhonebookPath().c_str());
    return 0;
}

DWORD WINAPI RasEditPhonebookEntryA(HWND owner, LPCSTR phonebook, LPCSTR entry)
{
    HWND dialog = FindConfigurationDialog();
    Log("RasEditPhonebookEntryA " + std::string(owner ? "owner" : "no-owner") + " " + Text(phonebook) + " " +
        Text(entry) + " " + (dialog ? (IsWindowEnabled(dialog) ? "dialog-enabled" : "dialog-disabled") : "no-dialog"));
    if (ScriptText("Ras", "EditorCloses") == "1")
        CloseConfigurationDialog(dialog);
    if (phonebook)
        return kCannotOpenPhonebook;
    return entry && HasEntry(entry) ? 0 : kCannotFindEntry;
}

// Looked for by the console, never called by it.
DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA, LPBOOL)
{
    Log("RasGetEntryDialParamsA " + Text(phonebook));
    return kCannotFindEntry;
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA, LPDWORD, LPBYTE, LPDWORD)
{
    Log("RasGetEntryPropertiesA " + Text(phonebook) + " " + Text(entry));
    return kCannotFindEntry;
}

DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR text, DWORD size)
{
    Log("RasGetErrorStringA " + Number(error));
    if (text && size > 0)
        lstrcpynA(text, "Erreur d'accès distant", static_cast<int>(size));
    return 0;
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR phonebook, LPRASDIALPARAMSA, DWORD, LPVOID, LPHRASCONN)
{
    Log("RasDialA " + Text(phonebook));
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DWORD WINAPI RasHangUpA(HRASCONN)
{
    Log("RasHangUpA");
    return 0;
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN, LPRASCONNSTATUSA)
{
    Log("RasGetConnectStatusA");
    return ERROR_INVALID_HANDLE;
}
