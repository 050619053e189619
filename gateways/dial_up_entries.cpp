#include "gateways/dial_up_entries.h"

#include <ras.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/le_bytes.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "gateways/dial_up_records.h"
#include "gateways/gateway_table.h"
#include "gateways/line_files.h"

namespace {

constexpr unsigned kEntryPrefixSize = 128;
// A device list larger than this is no answer of a sane service.
constexpr DWORD kLargestDeviceList = 1u << 20;

// The entries the console calls, with the platform's declarations so that the
// calling convention is the library's own. The other six are only looked for.
struct DialUpLibrary {
    HMODULE module = nullptr;
    decltype(&RasSetEntryPropertiesA) setEntryProperties = nullptr;
    decltype(&RasSetEntryDialParamsA) setEntryDialParams = nullptr;
    decltype(&RasEditPhonebookEntryA) editPhonebookEntry = nullptr;
    decltype(&RasEnumDevicesA) enumDevices = nullptr;
    decltype(&RasDeleteEntryA) deleteEntry = nullptr;
};

DialUpLibrary Library;
int CallsRunning;
bool ReleaseWhenDone;

template <typename Function>
Function Find(HMODULE module, DialUpFunction function)
{
    FARPROC found = GetProcAddress(module, kDialUpFunctionNames[function]);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

void Release()
{
    if (Library.module)
        FreeLibrary(Library.module);
    Library = DialUpLibrary{};
    ReleaseWhenDone = false;
}

// Keeps the library loaded while a call into it runs.
class DialUpCall {
public:
    DialUpCall() { ++CallsRunning; }
    ~DialUpCall()
    {
        if (--CallsRunning == 0 && ReleaseWhenDone)
            Release();
    }
    DialUpCall(const DialUpCall&) = delete;
    DialUpCall& operator=(const DialUpCall&) = delete;
};

bool IsWorkLine(int index)
{
    return index >= 0 && index < std::min<int>(WorkLines.tableHeader.count, MaxLines);
}

// The devices of the dial-up service, asked first for the room they need.
std::vector<DialUpDevice> DialUpDevices()
{
    DWORD size = 0;
    DWORD count = 0;
    Library.enumDevices(nullptr, &size, &count);
    if (size == 0 || size > kLargestDeviceList)
        return {};
    // Whole entries, each aligned as the service's structures are.
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
    std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(buffer.data()), size);
    if (size >= sizeof(DWORD))
        WriteU32(bytes, 0, kRasDeviceInfoSize);
    count = 0;
    Library.enumDevices(reinterpret_cast<LPRASDEVINFOA>(buffer.data()), &size, &count);
    size = std::min<DWORD>(size, static_cast<DWORD>(bytes.size()));
    return DecodeDialUpDevices(bytes.first(size), count);
}

}  // namespace

bool LoadDialUpFunctions()
{
    if (Library.module)
        return true;
    HMODULE module = LoadLibraryA("rasapi32.dll");
    if (!module)
        return false;
    std::array<bool, kDialUpFunctionCount> found{};
    for (int f = 0; f < kDialUpFunctionCount; ++f)
        found[f] = GetProcAddress(module, kDialUpFunctionNames[f]) != nullptr;
    if (!AreDialUpFunctionsUsable(found)) {
        FreeLibrary(module);
        return false;
    }
    Library.module = module;
    Library.setEntryProperties = Find<decltype(Library.setEntryProperties)>(module, kRasSetEntryProperties);
    Library.setEntryDialParams = Find<decltype(Library.setEntryDialParams)>(module, kRasSetEntryDialParams);
    Library.editPhonebookEntry = Find<decltype(Library.editPhonebookEntry)>(module, kRasEditPhonebookEntry);
    Library.enumDevices = Find<decltype(Library.enumDevices)>(module, kRasEnumDevices);
    Library.deleteEntry = Find<decltype(Library.deleteEntry)>(module, kRasDeleteEntry);
    return true;
}

void UnloadDialUpFunctions()
{
    if (CallsRunning > 0)
        ReleaseWhenDone = true;
    else
        Release();
}

bool DialUpFunctionsAvailable()
{
    return Library.module != nullptr && !ReleaseWhenDone;
}

std::string LineEntryNameOf(int index)
{
    std::string prefix = ReadProfileText("Minitel", "AccesRAS", kDefaultEntryPrefix, ProgramPath("\\whconfig.ini"),
                                         kEntryPrefixSize);
    return LineEntryName(prefix, index);
}

bool CreateLineEntry(int index)
{
    if (!IsWorkLine(index))
        return false;
    std::string name = LineEntryNameOf(index);
    alignas(DWORD) std::array<uint8_t, kRasDialParamsSize> params = EncodeLineDialParams(name);
    if (!DialUpFunctionsAvailable())
        return false;
    DialUpCall call;
    std::vector<DialUpDevice> devices = DialUpDevices();
    const LineRecord& record = WorkLines.records[index];
    auto device = ChooseLineDevice(devices, std::string(record.modemName, strnlen(record.modemName, kModemNameSize)),
                                   WorkLines.settings[index].networkType);
    if (!device)
        return false;
    alignas(DWORD) std::array<uint8_t, kRasEntrySize> entry = EncodeLineEntryProperties(*device);
    Library.setEntryProperties(nullptr, name.c_str(), reinterpret_cast<LPRASENTRYA>(entry.data()), kRasEntrySize,
                               nullptr, 0);
    Library.setEntryDialParams(nullptr, reinterpret_cast<LPRASDIALPARAMSA>(params.data()), FALSE);
    return true;
}

void DeleteLineEntry(int index)
{
    if (index < 0 || index >= MaxLines || !DialUpFunctionsAvailable())
        return;
    DialUpCall call;
    Library.deleteEntry(nullptr, LineEntryNameOf(index).c_str());
}

void EditLineEntry(HWND dialog, int index)
{
    if (!IsWorkLine(index) || !DialUpFunctionsAvailable())
        return;
    std::string name = LineEntryNameOf(index);
    DialUpCall call;
    // The editor has no owner: nothing else keeps the dialog, and with it the
    // library, from going away while it runs.
    EnableWindow(dialog, FALSE);
    Library.editPhonebookEntry(nullptr, nullptr, name.c_str());
    EnableWindow(dialog, TRUE);
    SetActiveWindow(dialog);
}

bool IsMinitelIpEnabled()
{
    return ReadProfileInt("Minitel", "MinitelIP", 1, ProgramPath("\\admin.ini")) != 0;
}

int ReadDirectIpAccess(int position)
{
    return ReadProfileInt(FormatPassIniSection(position).c_str(), "AccesDirectIP", 0, ProgramPath("\\pass.ini"));
}

bool WriteDirectIpAccess(int position, int access)
{
    return WriteProfileInt(FormatPassIniSection(position).c_str(), "AccesDirectIP", access,
                           ProgramPath("\\pass.ini"));
}
