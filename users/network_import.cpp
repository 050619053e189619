#include "users/network_import.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "base/app.h"
#include "base/file_io.h"
#include "base/log_trace.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "resources/resource.h"
#include "users/import_accounts.h"
#include "users/user_record.h"
#include "users/windows_user.h"
#include "zemonet/zemonet.h"

int ImportCancelled;

namespace {

UINT DriveTypeForTests;

// The five entries of ZemoNet.DLL, typed as the library declares them.
struct ZemoNet {
    HMODULE module = nullptr;
    decltype(&SetServer) setServer = nullptr;
    decltype(&UserFindFirst) userFindFirst = nullptr;
    decltype(&UserFindNext) userFindNext = nullptr;
    decltype(&UserFindFree) userFindFree = nullptr;
    decltype(&GetUserRight) getUserRight = nullptr;
};

template <typename Entry>
void LookUp(HMODULE module, const char* name, Entry& entry)
{
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// False, with nothing kept loaded, when the library or one of its entries is
// missing.
bool LoadZemoNet(ZemoNet& net)
{
    net.module = LoadLibraryA(ProgramPath("\\ZemoNet.DLL").c_str());
    if (!net.module)
        return false;
    LookUp(net.module, "UserFindFirst", net.userFindFirst);
    LookUp(net.module, "UserFindNext", net.userFindNext);
    LookUp(net.module, "UserFindFree", net.userFindFree);
    LookUp(net.module, "GetUserRight", net.getUserRight);
    LookUp(net.module, "SetServer", net.setServer);
    if (net.userFindFirst && net.userFindNext && net.userFindFree && net.getUserRight && net.setServer)
        return true;
    FreeLibrary(net.module);
    return false;
}

// A program directory on another computer imports the network's accounts
// without asking. A UNC path has no drive letter and is always remote.
bool LiesOnNetworkDrive(const std::string& dir)
{
    if (dir.size() >= 2 && dir[0] == '\\' && dir[1] == '\\')
        return true;
    if (dir.size() < 2 || dir[1] != ':')
        return false;
    std::string root = dir.substr(0, 2) + "\\";
    UINT type = DriveTypeForTests ? DriveTypeForTests : GetDriveTypeA(root.c_str());
    return type == DRIVE_REMOTE;
}

std::string ThisComputerAsServer()
{
    char name[18] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return std::string("\\\\") + name;
}

void SetProgressText(HWND progress, const std::string& text)
{
    if (progress)
        SendMessageA(progress, WM_IMPORT_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Repaints the progress window and handles the input waiting meanwhile, so
// that its "Annuler" is taken between two accounts.
void HandleProgressInput(HWND progress)
{
    if (progress)
        UpdateWindow(progress);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop it was meant for
            return;
        }
        if (progress && IsDialogMessageA(progress, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

template <typename... Args>
std::string Format(const char* format, Args... args)
{
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Account names come from another program: a control character would break
// the log's line.
std::string Printable(const char* name)
{
    std::string text = name;
    std::replace_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, '?');
    return text;
}

void LogRefusedAccount(AccountVerdict verdict, const char* name)
{
    const char* why = nullptr;
    switch (verdict) {
    case AccountVerdict::Empty:    AppendLog("Utilisateur sans nom ignoré"); return;
    case AccountVerdict::TooLong:  why = "nom de plus de 20 caractères"; break;
    case AccountVerdict::Unusable: why = "nom impossible à enregistrer"; break;
    case AccountVerdict::Repeated: why = "nom déjà récupéré"; break;
    case AccountVerdict::Full:     why = "1000 utilisateurs déjà récupérés"; break;
    case AccountVerdict::Taken:    return;
    }
    AppendLog(Format("Utilisateur %s ignoré : %s", Printable(name).c_str(), why).c_str());
}

void CreateUserDirectory(std::string_view name)
{
    CreateDirectoryA(ProgramPath("\\" + std::string(name)).c_str(), nullptr);  // an existing one is kept
}

// Reads the search's accounts into `table`, as many as the count says and
// the library really gives, until "Annuler".
void ReadAccounts(HWND progress, const ZemoNet& net, UserTable& table, std::string& lastName)
{
    DWORD count = 0;
    HANDLE search = net.userFindFirst(&count);
    if (!search || count == 0) {
        AppendLog("Aucun utilisateur n'est disponible");
        if (search)
            net.userFindFree(search);
        return;
    }
    int total = static_cast<int>(std::min<DWORD>(count, MaxUsers));
    SetProgressText(progress, Format("Récuperation de %d utilisateurs", total));
    AppendLog(Format("%d utilisateurs on été trouvés", total).c_str());
    for (int i = 0; i < total; ++i) {
        HandleProgressInput(progress);
        if (ImportCancelled)
            break;
        // One byte more than the library may fill, so that the name always ends.
        char name[kZemoNetTextSize + 1] = {}, fullName[kZemoNetTextSize + 1] = {}, comment[kZemoNetTextSize + 1] = {};
        if (!net.userFindNext(search, name, fullName, comment))
            break;  // fewer accounts than counted
        SetProgressText(progress, Format("Récuperation de l'utilisateur %s\n(%d/%d)", name, i + 1, total));
        bool administrator = net.getUserRight(name) == kZemoNetAdministrator;
        AccountVerdict verdict = TakeImportedAccount(table, name, administrator);
        if (verdict != AccountVerdict::Taken) {
            LogRefusedAccount(verdict, name);
            continue;
        }
        lastName = name;
        CreateUserDirectory(name);
    }
    net.userFindFree(search);
    if (table.header.userCount == 0)
        AppendLog("Aucun utilisateur n'a été récupéré");
}

// The import's last step, then the one write of reseau.dat. The number of
// users written; 0 when there is nothing to write or it could not be written.
int SaveImportedUsers(HWND progress, UserTable& table, const std::string& windowsUser, bool thisComputerOnly,
                      const std::string& lastName)
{
    int read = table.header.userCount;
    if (read == 0)
        return 0;
    switch (FinishImport(table, windowsUser, thisComputerOnly)) {
    case ImportEnding::TakenOver:
        SetProgressText(progress, Format("Récuperation de l'utilisateur %s\n(%d/%d)", lastName.c_str(), read, read));
        CreateUserDirectory(windowsUser);
        AppendLog(Format("L'utilisateur %s devient administrateur", windowsUser.c_str()).c_str());
        break;
    case ImportEnding::CurrentUserRaised:
        AppendLog(Format("L'utilisateur %s devient administrateur", windowsUser.c_str()).c_str());
        break;
    case ImportEnding::NoAdministrator:
        AppendLog("Aucun administrateur parmi les utilisateurs récupérés");
        return 0;
    case ImportEnding::AsRead:
        break;
    }
    // Made only where nothing is: a reseau.dat that appeared during the
    // import is kept.
    if (!CreateNewFileSafely(ProgramPath("\\reseau.dat"), EncodeUserFile(DefaultUserFileHeader(), table, MaxUsers))) {
        AppendLog("Impossible de créer le fichier reseau.dat");
        return 0;
    }
    return read;
}

int RunImport(HWND owner, const ZemoNet& net, const std::string& windowsUser)
{
    bool thisComputerOnly = false;
    if (!LiesOnNetworkDrive(GetProgramDir())) {
        INT_PTR choice =
            DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_CHOICE), owner, ImportChoiceDialog, 0);
        if (choice != 1 && choice != 2)
            return 0;  // "Annuler", or no dialog could be shown
        thisComputerOnly = choice == 2;
        if (thisComputerOnly)
            net.setServer(ThisComputerAsServer().c_str());
    }

    ImportCancelled = 0;
    HWND progress =
        CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_IMPORT_PROGRESS), owner, ImportProgressDialog, 0);
    if (progress)
        ShowWindow(progress, SW_SHOW);
    SetProgressText(progress, "Récuperation des comptes utilisateurs");

    auto table = std::make_unique<UserTable>();
    table->header = DefaultUserTableHeader(0);
    std::string lastName;
    ReadAccounts(progress, net, *table, lastName);
    int written = SaveImportedUsers(progress, *table, windowsUser, thisComputerOnly, lastName);
    if (progress)
        DestroyWindow(progress);
    return written;
}

void OpenChoiceDialog(HWND dialog)
{
    CentreWindow(dialog);
    CheckRadioButton(dialog, IDC_IMPORT_NETWORK, IDC_IMPORT_THIS_COMPUTER, IDC_IMPORT_NETWORK);
}

void EndChoiceDialog(HWND dialog)
{
    EndDialog(dialog, IsDlgButtonChecked(dialog, IDC_IMPORT_NETWORK) == BST_CHECKED ? 1 : 2);
}

}  // namespace

void SetProgramDriveTypeForTests(UINT type)
{
    DriveTypeForTests = type;
}

INT_PTR CALLBACK ImportChoiceDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenChoiceDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:     EndChoiceDialog(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK ImportProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CentreWindow(dialog);
        return TRUE;
    case WM_IMPORT_PROGRESS_TEXT:
        SetDlgItemTextA(dialog, IDC_IMPORT_PROGRESS_TEXT, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            ImportCancelled = 1;  // the import sees it before the next account and closes the window
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int ImportNetworkUsers(HWND owner)
{
    if (!IsWindowsNT)
        return 0;
    // As set-up stores it: a longer Windows user name is cut to what a name holds.
    std::string windowsUser = GetWindowsUserName().substr(0, kMaxNameLength);
    ZemoNet net;
    if (!LoadZemoNet(net))
        return 0;
    int written = RunImport(owner, net, windowsUser);
    FreeLibrary(net.module);
    return written;
}
