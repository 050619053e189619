#include <gtest/gtest.h>

#include <string>

#include "base/program_dir.h"
#include "gateways/server_service.h"
#include "tests/wine/test_support.h"

namespace {

std::string TestFolder()
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe);
    return path.substr(0, path.find_last_of('\\'));
}

struct ServiceConfig {
    bool found = false;
    DWORD type = 0;
    DWORD start = 0;
    std::string command;
    std::string displayName;
};

ServiceConfig QueryService(const std::string& name)
{
    ServiceConfig config;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return config;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_CONFIG);
    if (service) {
        alignas(QUERY_SERVICE_CONFIGA) char buffer[8192];
        auto* query = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
        DWORD needed = 0;
        if (QueryServiceConfigA(service, query, sizeof buffer, &needed)) {
            config.found = true;
            config.type = query->dwServiceType;
            config.start = query->dwStartType;
            config.command = query->lpBinaryPathName ? query->lpBinaryPathName : "";
            config.displayName = query->lpDisplayName ? query->lpDisplayName : "";
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return config;
}

void DeleteTestService(const std::string& name)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), DELETE);
    if (service) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

}  // namespace

// The real _isuser.dll, loaded by the console from a program directory whose
// path holds a space, installing a service of this test process alone in
// Wine's service manager; the service is removed again whatever happens.
class InstallerLibraryTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        name_ = "QuorelTest" + std::to_string(GetCurrentProcessId());
        programDir_ = Dir() + "\\Quorel Serveur";
        ASSERT_TRUE(CreateDirectoryA(programDir_.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA((TestFolder() + "\\_isuser.dll").c_str(), (programDir_ + "\\_isuser.dll").c_str(), FALSE));
        SetProgramDirForTests(programDir_);
        SetRegistryPrefixForTests(name_ + "\\");
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "IdProduct", 0, REG_SZ, reinterpret_cast<const BYTE*>(name_.c_str()),
                       static_cast<DWORD>(name_.size() + 1));
        RegCloseKey(key);
        DeleteTestService(name_);
    }
    void TearDown() override
    {
        DeleteTestService(name_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, KeyPath().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\" + name_).c_str());
        SetRegistryPrefixForTests("");
        ProgramDirTest::TearDown();
    }
    std::string KeyPath() const { return "Software\\" + name_ + "\\server"; }

    std::string name_;
    std::string programDir_;
};

TEST_F(InstallerLibraryTest, InstallsTheServerAsAnAutomaticOwnProcessServiceAndLeavesAnExistingOneAlone)
{
    ASSERT_TRUE(InstallServerService());
    ServiceConfig config = QueryService(name_);
    ASSERT_TRUE(config.found);
    EXPECT_EQ(config.type & SERVICE_WIN32_OWN_PROCESS, DWORD(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config.start, DWORD(SERVICE_AUTO_START));
    EXPECT_EQ(config.command, "\"" + programDir_ + "\\services.exe\"") << "quoted: the path holds a space";
    EXPECT_EQ(config.displayName, name_);

    // An administrator set the service to start by hand: a second
    // installation leaves it so.
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr);
    SC_HANDLE service = OpenServiceA(manager, name_.c_str(), SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);

    EXPECT_TRUE(InstallServerService());
    config = QueryService(name_);
    EXPECT_EQ(config.start, DWORD(SERVICE_DEMAND_START));
}

TEST_F(InstallerLibraryTest, EntryRefusesEmptyArgumentsAndQuotesOnlyPathsWithSpaces)
{
    HMODULE library = LoadLibraryA((programDir_ + "\\_isuser.dll").c_str());
    ASSERT_NE(library, nullptr);
    auto entry = reinterpret_cast<CreateServiceExProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "CreateServiceEx")));
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry(nullptr, "C:\\x\\services.exe"));
    EXPECT_FALSE(entry("", "C:\\x\\services.exe"));
    EXPECT_FALSE(entry(name_.c_str(), ""));
    EXPECT_FALSE(entry(name_.c_str(), nullptr));
    EXPECT_FALSE(QueryService(name_).found);

    EXPECT_TRUE(entry(name_.c_str(), "C:\\Quorel\\services.exe"));
    EXPECT_EQ(QueryService(name_).command, "C:\\Quorel\\services.exe");
    FreeLibrary(library);
}
