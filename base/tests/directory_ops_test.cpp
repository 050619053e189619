#include "base/directory_ops.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/test_support.h"

class DirectoryOpsTest : public ProgramDirTest {
protected:
    void MakeDir(const std::string& name) { ASSERT_TRUE(CreateDirectoryA(Path(name).c_str(), nullptr)) << name; }
    void MakeFile(const std::string& name, const std::string& content = "x")
    {
        WriteBytes(Path(name), std::vector<uint8_t>(content.begin(), content.end()));
    }
    std::string Content(const std::string& name) const
    {
        auto bytes = ReadBytes(Path(name));
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(DirectoryOpsTest, DeleteTreeRemovesFilesSubdirectoriesAndTheDirectory)
{
    MakeDir("\\Marcel");
    MakeFile("\\Marcel\\minitel.ini");
    MakeFile("\\Marcel\\LISEZMOI");
    MakeDir("\\Marcel\\fax");
    MakeFile("\\Marcel\\fax\\page1.tif");
    MakeFile("\\Marcel\\fax\\page2.tif");
    MakeDir("\\Marcel\\fax\\recus");
    MakeFile("\\Marcel\\fax\\recus\\a.tif");
    MakeFile("\\voisin.dat");

    DeleteTree(Path("\\Marcel"));

    EXPECT_FALSE(Exists(Path("\\Marcel")));
    EXPECT_TRUE(Exists(Path("\\voisin.dat")));
}

TEST_F(DirectoryOpsTest, DeleteTreeEmptiesSubdirectoriesWhoseNamesHaveDots)
{
    MakeDir("\\Passerelle1");
    MakeDir("\\Passerelle1\\v1.2");
    MakeFile("\\Passerelle1\\v1.2\\comlines.dat");
    MakeDir("\\Passerelle1\\v1.2\\sous");
    MakeFile("\\Passerelle1\\v1.2\\sous\\Fax0Mid.mid");

    DeleteTree(Path("\\Passerelle1"));

    EXPECT_FALSE(Exists(Path("\\Passerelle1")));
}

TEST_F(DirectoryOpsTest, DirectoryOperationsOnAMissingDirectoryDoNothing)
{
    MakeFile("\\garde.dat");
    DeleteTree(Path("\\absent"));
    DeleteFilesIn(Path("\\absent"));
    CopyFilesInto(Dir(), Path("\\absent"));
    CopyFilesInto(Path("\\absent"), Dir());
    EXPECT_TRUE(Exists(Path("\\garde.dat")));
    EXPECT_FALSE(Exists(Path("\\absent")));
    DeleteTree(Path("\\garde.dat"));  // a file is no directory: it stays
    EXPECT_TRUE(Exists(Path("\\garde.dat")));
}

TEST_F(DirectoryOpsTest, DeleteFilesInDeletesFilesWithDotsAndKeepsTheRest)
{
    MakeDir("\\Passerelle1");
    MakeFile("\\Passerelle1\\Comlines.dat");
    MakeFile("\\Passerelle1\\Fax0Mid.mid");
    MakeFile("\\Passerelle1\\ligne.cnf");
    MakeFile("\\Passerelle1\\ETAT");
    MakeDir("\\Passerelle1\\cfgtemp");
    MakeFile("\\Passerelle1\\cfgtemp\\Comlines.dat");
    MakeDir("\\Passerelle1\\old.v1");
    MakeFile("\\Passerelle1\\old.v1\\ligne.cmd");

    DeleteFilesIn(Path("\\Passerelle1"));

    EXPECT_FALSE(Exists(Path("\\Passerelle1\\Comlines.dat")));
    EXPECT_FALSE(Exists(Path("\\Passerelle1\\Fax0Mid.mid")));
    EXPECT_FALSE(Exists(Path("\\Passerelle1\\ligne.cnf")));
    EXPECT_TRUE(Exists(Path("\\Passerelle1\\ETAT")));
    EXPECT_TRUE(Exists(Path("\\Passerelle1\\cfgtemp\\Comlines.dat")));
    EXPECT_TRUE(Exists(Path("\\Passerelle1\\old.v1\\ligne.cmd")));
}

TEST_F(DirectoryOpsTest, CopyFilesIntoReplacesFilesAndSkipsSubdirectories)
{
    MakeDir("\\source");
    MakeFile("\\source\\Comlines.dat", "nouveau");
    MakeFile("\\source\\SANSPOINT", "aussi");
    MakeDir("\\source\\sous");
    MakeFile("\\source\\sous\\cache.dat");
    MakeDir("\\cible");
    MakeFile("\\cible\\Comlines.dat", "ancien");
    MakeFile("\\cible\\autre.dat", "reste");

    CopyFilesInto(Path("\\cible"), Path("\\source"));

    EXPECT_EQ(Content("\\cible\\Comlines.dat"), "nouveau");
    EXPECT_EQ(Content("\\cible\\SANSPOINT"), "aussi");
    EXPECT_EQ(Content("\\cible\\autre.dat"), "reste");
    EXPECT_FALSE(Exists(Path("\\cible\\sous")));
    EXPECT_EQ(Content("\\source\\Comlines.dat"), "nouveau");
}

TEST_F(DirectoryOpsTest, CopyToWorkDirCopiesIntoCfgtemp)
{
    MakeFile("\\Comlines.dat", "lignes");
    MakeDir("\\cfgtemp");
    struct Step { const char* name; BOOL failIfExists; const char* before; BOOL result; const char* after; } steps[] = {
        {"\\Comlines.dat", FALSE, "", TRUE, "lignes"},
        {"\\Comlines.dat", TRUE, "ancien", FALSE, "ancien"},  // kept when it must not be replaced
        {"\\Comlines.dat", FALSE, "ancien", TRUE, "lignes"},
        {"\\Fax0Mid.mid", FALSE, "", FALSE, ""},              // no such file to copy
    };
    for (const auto& s : steps) {
        if (*s.before)
            MakeFile(std::string("\\cfgtemp") + s.name, s.before);
        EXPECT_EQ(CopyToWorkDir(Dir(), s.name, s.failIfExists), s.result) << s.name << " " << s.failIfExists;
        EXPECT_EQ(Content(std::string("\\cfgtemp") + s.name), s.after) << s.name << " " << s.failIfExists;
        DeleteFileA(Path(std::string("\\cfgtemp") + s.name).c_str());
    }
}

// Links for the tests. Wine cannot create reparse points (its
// CreateSymbolicLinkA does nothing, FSCTL_SET_REPARSE_POINT is not supported),
// but it shows a Unix symbolic link to a directory as a directory reparse
// point: under Wine the link is made by /bin/ln. On Windows a junction is.
using UnixNameFunction = char*(CDECL*)(const WCHAR*);

static UnixNameFunction WineUnixName()
{
    return reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

static std::string UnixPath(UnixNameFunction unixName, const std::string& path)
{
    std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a Unix command through Wine and waits until `done` holds.
template <typename Done>
static bool RunUnix(const std::string& command, Done done)
{
    std::string line = command;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100 && !done(); ++i)
        Sleep(50);
    return done();
}

static bool MakeJunction(const std::string& link, const std::string& target)
{
    if (!CreateDirectoryA(link.c_str(), nullptr))
        return false;
    HANDLE h = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // A mount point reparse buffer: tag, data length, reserved, then the
    // offsets and lengths of the substitute and print names and the names.
    std::wstring substitute = L"\\??\\" + std::wstring(target.begin(), target.end());
    std::wstring print(target.begin(), target.end());
    std::vector<uint8_t> data(16 + (substitute.size() + print.size() + 2) * 2, 0);
    auto put16 = [&](size_t at, size_t v) {
        data[at] = static_cast<uint8_t>(v);
        data[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    const uint32_t mountPointTag = 0xA0000003;
    std::memcpy(&data[0], &mountPointTag, 4);
    put16(4, data.size() - 8);
    put16(8, 0);
    put16(10, substitute.size() * 2);
    put16(12, (substitute.size() + 1) * 2);
    put16(14, print.size() * 2);
    std::memcpy(&data[16], substitute.data(), substitute.size() * 2);
    std::memcpy(&data[16 + (substitute.size() + 1) * 2], print.data(), print.size() * 2);
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size()), nullptr, 0,
                              &returned, nullptr);
    CloseHandle(h);
    return ok;
}

static bool IsDirectoryLink(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A directory link at `link` to the directory `target`; false when none can
// be made here.
static bool MakeDirectoryLink(const std::string& link, const std::string& target)
{
    if (UnixNameFunction unixName = WineUnixName()) {
        std::string command = "Z:\\bin\\ln -s \"" + UnixPath(unixName, target) + "\" \"" + UnixPath(unixName, link) + "\"";
        return RunUnix(command, [&] { return IsDirectoryLink(link); });
    }
    return MakeJunction(link, target) && IsDirectoryLink(link);
}

// Removes a link that the console's code may not be able to remove.
static void RemoveLinkLeftBehind(const std::string& link)
{
    if (!Exists(link))
        return;
    if (UnixNameFunction unixName = WineUnixName())
        RunUnix("Z:\\bin\\rm -f \"" + UnixPath(unixName, link) + "\"", [&] { return !Exists(link); });
    else
        RemoveDirectoryA(link.c_str());
}

TEST_F(DirectoryOpsTest, DeleteTreeRemovesALinkInsideWithoutFollowingIt)
{
    MakeDir("\\ailleurs");
    MakeFile("\\ailleurs\\precieux.dat", "garder");
    MakeDir("\\ailleurs\\sous");
    MakeFile("\\ailleurs\\sous\\aussi.dat", "garder");
    MakeDir("\\Marcel");
    MakeFile("\\Marcel\\minitel.ini");
    MakeDir("\\Marcel\\fax");
    MakeFile("\\Marcel\\fax\\page.tif");
    if (!MakeDirectoryLink(Path("\\Marcel\\lien"), Path("\\ailleurs")))
        GTEST_SKIP() << "no directory link can be made here";
    ASSERT_TRUE(Exists(Path("\\Marcel\\lien\\precieux.dat")));  // the link leads outside

    DeleteTree(Path("\\Marcel"));

    EXPECT_EQ(Content("\\ailleurs\\precieux.dat"), "garder");
    EXPECT_EQ(Content("\\ailleurs\\sous\\aussi.dat"), "garder");
    EXPECT_FALSE(Exists(Path("\\Marcel\\minitel.ini")));
    EXPECT_FALSE(Exists(Path("\\Marcel\\fax")));
    // Windows removes the link and then the directory; Wine cannot remove a
    // link at all, which leaves it and the directory holding it.
    if (!WineUnixName()) {
        EXPECT_FALSE(Exists(Path("\\Marcel")));
    }
    RemoveLinkLeftBehind(Path("\\Marcel\\lien"));
}

TEST_F(DirectoryOpsTest, DeleteTreeOfALinkLeavesWhatItPointsTo)
{
    MakeDir("\\ailleurs");
    MakeFile("\\ailleurs\\precieux.dat", "garder");
    if (!MakeDirectoryLink(Path("\\Marcel"), Path("\\ailleurs")))
        GTEST_SKIP() << "no directory link can be made here";

    DeleteTree(Path("\\Marcel"));

    EXPECT_EQ(Content("\\ailleurs\\precieux.dat"), "garder");
    if (!WineUnixName()) {
        EXPECT_FALSE(Exists(Path("\\Marcel")));
    }
    RemoveLinkLeftBehind(Path("\\Marcel"));
}
