#include "gateways/tests/dial_up_double.h"

#include <fstream>

#include "tests/wine/test_support.h"

namespace {

std::string TestProgramFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    return file.substr(0, file.find_last_of('\\'));
}

// The search path of newer systems, which keeps the folder set with
// SetDllDirectoryA (the telephony double's) and adds others to it.
void AddToDllSearchPath(const std::string& folder)
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using AddDllDirectoryFn = void*(WINAPI*)(PCWSTR);
    constexpr DWORD kSearchDefaultDirs = 0x1000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    auto add = reinterpret_cast<AddDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "AddDllDirectory")));
    if (!setDefault || !add)
        return;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
    add(wide);
    setDefault(kSearchDefaultDirs);
}

}  // namespace

DialUpDouble::DialUpDouble(const std::string& programDir, Build build)
    : script_(programDir + "\\rasapi32.ini"), log_(programDir + "\\rasapi32.log"),
      phonebook_(programDir + "\\rasphone.ini")
{
    AddToDllSearchPath(TestProgramFolder() + "\\..\\doubles\\rasapi32" +
                       (build == Build::incomplete ? "-incomplete" : ""));
    SetEnvironmentVariableA("QUOREL_RAS_SCRIPT", script_.c_str());
    Set("Ras", "Log", log_);
    Set("Ras", "Phonebook", phonebook_);
}

DialUpDouble::~DialUpDouble()
{
    SetEnvironmentVariableA("QUOREL_RAS_SCRIPT", nullptr);
}

void DialUpDouble::Set(const std::string& section, const char* key, const std::string& value)
{
    WritePrivateProfileStringA(section.c_str(), key, value.c_str(), script_.c_str());
}

void DialUpDouble::AddDevice(const std::string& type, const std::string& name)
{
    std::string section = "Device" + std::to_string(devices_++);
    Set(section, "Type", type);
    Set(section, "Name", name);
}

std::vector<std::string> DialUpDouble::Log() const
{
    return ReadTextLines(log_);
}

std::vector<std::string> DialUpDouble::Calls(const std::string& prefix) const
{
    return LinesStartingWith(Log(), prefix);
}

std::vector<std::string> DialUpDouble::Entries() const
{
    std::vector<char> names(8192, '\0');
    DWORD n = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), phonebook_.c_str());
    std::vector<std::string> entries;
    for (DWORD at = 0; at < n && names[at];) {
        std::string name(names.data() + at);
        entries.push_back(name);
        at += static_cast<DWORD>(name.size()) + 1;
    }
    return entries;
}

std::string DialUpDouble::Entry(const std::string& entry, const char* key) const
{
    char text[1024];
    GetPrivateProfileStringA(entry.c_str(), key, "", text, sizeof text, phonebook_.c_str());
    return text;
}

void DialUpDouble::SetEntry(const std::string& entry, const char* key, const std::string& value)
{
    WritePrivateProfileStringA(entry.c_str(), key, value.c_str(), phonebook_.c_str());
}

std::string DefaultEntryName(int index)
{
    return "Connexion Quorel sur IP n°" + std::to_string(index);
}
