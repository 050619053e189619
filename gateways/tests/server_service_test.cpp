#include "gateways/server_service.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/wine/test_support.h"

namespace {

std::vector<std::pair<std::string, std::string>> Calls;

BOOL WINAPI RecordCall(const char* name, const char* path)
{
    Calls.emplace_back(name, path);
    return TRUE;
}

}  // namespace

// The product's key under a prefix of this test process alone.
class ServerServiceTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        prefix_ = "QuorelTest" + std::to_string(GetCurrentProcessId());
        SetRegistryPrefixForTests(prefix_ + "\\");
        Calls.clear();
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\" + prefix_ + "\\server").c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\" + prefix_).c_str());
        SetRegistryPrefixForTests("");
        SetServiceInstallerForTests(nullptr);
        ProgramDirTest::TearDown();
    }
    void SetValue(DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Software\\" + prefix_ + "\\server").c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "IdProduct", 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    void SetText(const std::string& text)
    {
        SetValue(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

    std::string prefix_;
};

TEST_F(ServerServiceTest, ProductIdentifierComesFromTheRegistryWhenItIsAUsableString)
{
    EXPECT_EQ(ReadServiceIdentifier(), "QUOREL") << "no key";
    DWORD number = 7;
    SetValue(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(ReadServiceIdentifier(), "QUOREL") << "a number";
    SetText(std::string(128, 'X'));
    EXPECT_EQ(ReadServiceIdentifier(), "QUOREL") << "longer than 127 characters";
    SetText("");
    EXPECT_EQ(ReadServiceIdentifier(), "QUOREL") << "empty";
    SetValue(REG_BINARY, "ABC", 4);
    EXPECT_EQ(ReadServiceIdentifier(), "QUOREL") << "bytes";
    SetText(std::string(127, 'Y'));
    EXPECT_EQ(ReadServiceIdentifier(), std::string(127, 'Y'));
    SetText("QuorelPro");
    EXPECT_EQ(ReadServiceIdentifier(), "QuorelPro");
}

TEST_F(ServerServiceTest, InstallerGetsTheIdentifierAndTheServerProgramPath)
{
    SetText("QuorelPro");
    SetServiceInstallerForTests(RecordCall);
    EXPECT_TRUE(InstallServerService());
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].first, "QuorelPro");
    EXPECT_EQ(Calls[0].second, Path("\\services.exe"));
}

TEST_F(ServerServiceTest, MissingLibraryOrEntrySkipsTheInstallation)
{
    EXPECT_FALSE(InstallServerService()) << "no _isuser.dll in the program directory";
    // A library of that name without the entry: zemoctln.dll exports nothing by name.
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe, std::string(exe).find_last_of('\\'));
    ASSERT_TRUE(CopyFileA((folder + "\\zemoctln.dll").c_str(), Path("\\_isuser.dll").c_str(), FALSE));
    EXPECT_FALSE(InstallServerService());
    WriteBytes(Path("\\_isuser.dll"), {'M', 'Z', 0, 0});
    EXPECT_FALSE(InstallServerService()) << "not a library at all";
}
