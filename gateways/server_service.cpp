#include "gateways/server_service.h"

#include <windows.h>

#include <cstdint>

#include "base/program_dir.h"
#include "gateways/gateways_window_model.h"

static CreateServiceExProc InstallerForTests;
static std::string PrefixForTests;

void SetServiceInstallerForTests(CreateServiceExProc entry)
{
    InstallerForTests = entry;
}

void SetRegistryPrefixForTests(const std::string& prefix)
{
    PrefixForTests = prefix;
}

static std::string ProductKey()
{
    return "Software\\" + (PrefixForTests.empty() ? std::string(kInstallRegistryPrefix) : PrefixForTests) + "server";
}

std::string ReadServiceIdentifier()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ServiceIdentifierFrom(false, {});
    uint8_t data[128];
    DWORD type = 0, size = sizeof data;
    LONG result = RegQueryValueExA(key, "IdProduct", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return ServiceIdentifierFrom(false, {});
    return ServiceIdentifierFrom(type == REG_SZ, std::span<const uint8_t>(data, size));
}

bool InstallServerService()
{
    if (InstallerForTests) {
        InstallerForTests(ReadServiceIdentifier().c_str(), ProgramPath("\\services.exe").c_str());
        return true;
    }
    // By its full path: never a library of that name found elsewhere.
    HMODULE library = LoadLibraryExA(ProgramPath("\\_isuser.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library)
        return false;
    auto entry = reinterpret_cast<CreateServiceExProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "CreateServiceEx")));
    if (entry)
        entry(ReadServiceIdentifier().c_str(), ProgramPath("\\services.exe").c_str());
    FreeLibrary(library);
    return entry != nullptr;
}
