#include "shell/startup.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "gateways/gateway_table.h"
#include "gateways/gateways_window.h"
#include "gateways/line_files.h"
#include "journal/journal_settings.h"
#include "base/app.h"
#include "base/drawing_objects.h"
#include "base/file_io.h"
#include "base/log_trace.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/tooltips.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "shell/window_classes.h"
#include "states/activity_files.h"
#include "users/network_import.h"
#include "users/numbers_file.h"
#include "users/user_database.h"
#include "users/user_dir_ops.h"
#include "users/users_confirm.h"
#include "users/user_sort.h"
#include "users/users_window.h"
#include "users/windows_user.h"
#include "zemoctln/zemoctln.h"

// Switches are plain substrings anywhere on the line, each in both cases.
static bool HasSwitch(const char* commandLine, char letter)
{
    char lower[3] = {'/', static_cast<char>(letter | 0x20), 0};
    char upper[3] = {'/', static_cast<char>(letter & ~0x20), 0};
    return commandLine && (std::strstr(commandLine, lower) || std::strstr(commandLine, upper));
}

static void CheckPlatform()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        IsWindowsNT = 1;
}

// The zero images of the activity files, made once. A file that is there,
// even one that cannot be read now, is kept.
static void CreateMissingActivityFile(const char* name, const char* trace, size_t size)
{
    std::string path = ProgramPath(name);
    if (ExaminePath(path) != PathState::missing)
        return;
    Trace(trace);
    CreateNewFileSafely(path, std::vector<uint8_t>(size, 0));
}

static void SetUpUserDatabase()
{
    std::string dir = GetProgramDir();
    if (ExaminePath(dir + "\\reseau.dat") != PathState::missing)
        return;
    int imported = IsWindowsNT ? ImportNetworkUsers(nullptr) : 0;
    if (imported == 0)
        CreateUserDatabase(nullptr, dir);
    LoadUserDatabase(nullptr, dir);
    CreateNumbersFile();
    SortUsersByName();
    SaveNumbersFile();
    SaveUserDatabase(nullptr, 0);
    WriteProfileInt("Journal", "User", imported, AdminIniPath());
    WriteProfileInt("Journal", "Pass", 0, AdminIniPath());
    AppendLog("");
    AppendLog("");
}

// "/u" has nothing to do when the Windows user is already one of the users.
static bool WindowsUserIsKnown()
{
    LoadUserDatabase(nullptr, GetProgramDir());
    std::string windowsUser = GetWindowsUserName().substr(0, kMaxNameLength);  // as set-up stores it
    CharUpperA(windowsUser.data());
    for (int i = 0; i < UserCount(); ++i) {
        char name[sizeof UserAt(i).name];
        std::memcpy(name, UserAt(i).name, sizeof name);
        name[sizeof name - 1] = 0;
        CharUpperA(name);
        if (windowsUser == name)
            return true;
    }
    return false;
}

void FinishInterruptedSaves()
{
    FinishInterruptedReplacements(GetProgramDir());
    for (int number = 0; number < MaxGateways; ++number) {
        std::string gateway = ProgramPath("\\pass" + std::to_string(number));
        FinishInterruptedReplacements(gateway);
        FinishInterruptedWorkCopySaves(gateway);
    }
    FinishInterruptedReplacements(ProgramPath("\\usertemp"));
    FinishInterruptedCommit();
    FinishInterruptedRenames();
}

// Every way out before the main window: the console no longer runs.
static int LeaveConsole()
{
    ClearRunningFlag();
    RemoveTooltipHooks();
    FreeUserTable();
    return 0;
}

int RunConsole(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show)
{
    // Set-up's import shows its dialogs before the rest of start-up.
    AppInstance = instance;
    CheckPlatform();
    InitCommonControls();

    if (ReadProfileInt("Administrateur", "Etat", 0, AdminIniPath()) != 0) {
        ShowMessageBox(nullptr, "L'administrateur est déjà lancé.", "Attention", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    WriteProfileInt("Administrateur", "Etat", 1, AdminIniPath());
    FinishInterruptedSaves();

    CreateMissingActivityFile("\\ActUser.dat", "Création ActifUser.dat", kUserActivitySize);
    CreateMissingActivityFile("\\ActPass.dat", "Création ActifPass.dat", kGatewayActivitySize);
    if (HasSwitch(commandLine, 's'))
        SetUpUserDatabase();
    LoadUserActivity();

    TooltipsEnabled = 1;
    ZemoInitControls();
    FindTraceWindow();
    JournalSettings = {};
    GatewayActiveFlags.fill(0);

    CreateDrawingObjects();
    if (!previous && !RegisterWindowClasses(instance))
        return LeaveConsole();

    if (HasSwitch(commandLine, 'u') && WindowsUserIsKnown())
        return LeaveConsole();
    // Only a login that passed goes on: a dialog that could not even be
    // shown is no login.
    if (ShowLoginDialog() != 1)
        return LeaveConsole();

    // F1 and the tooltips work in a window shown alone too.
    if (HasSwitch(commandLine, 'p') || HasSwitch(commandLine, 'u'))
        InstallTooltipHooks();
    if (HasSwitch(commandLine, 'p')) {
        StandaloneDialog = 1;
        ShowGatewaysWindow(nullptr);
        return LeaveConsole();
    }
    if (HasSwitch(commandLine, 'u')) {
        StandaloneDialog = 1;
        ShowUsersWindow(nullptr);
        return LeaveConsole();
    }

    HWND window = CreateMainWindow(instance, show);
    if (!window)
        return LeaveConsole();
    int exitCode = RunMainWindow(window);
    FreeUserTable();
    return exitCode;
}
