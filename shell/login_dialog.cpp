#include "shell/login_dialog.h"

#include <string>

#include "resources/resource.h"
#include "base/app.h"
#include "base/modal_seam.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "users/login_check.h"
#include "users/user_record.h"
#include "users/windows_user.h"

// Buffers of the check; the fields take no more than a stored name or
// password can hold, so that nothing typed is silently cut.
constexpr int kLoginSize = 128;
constexpr int kPasswordSize = 256;

static void OpenLoginDialog(HWND dialog)
{
    CentreWindow(dialog);
    SendDlgItemMessageA(dialog, IDC_LOGIN_NAME, EM_LIMITTEXT, kMaxNameLength, 0);
    SendDlgItemMessageA(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, kMaxNameLength, 0);
    // Set-up stores a longer Windows user name cut to what a name holds.
    std::string user = GetWindowsUserName().substr(0, kMaxNameLength);
    SetDlgItemTextA(dialog, IDC_LOGIN_NAME, user.c_str());
    SetFocus(GetDlgItem(dialog, user.empty() ? IDC_LOGIN_NAME : IDC_LOGIN_PASSWORD));
}

static void CheckLogin(HWND dialog)
{
    char password[kPasswordSize];
    char login[kLoginSize];
    GetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, password, sizeof password);
    GetDlgItemTextA(dialog, IDC_LOGIN_NAME, login, sizeof login);
    switch (CheckLogin(nullptr, GetProgramDir(), login, password)) {
    case LoginVerdict::accepted:
        EndDialog(dialog, 1);
        return;
    case LoginVerdict::refused:
        ShowMessageBox(nullptr, "Ce mot de passe n'est pas celui d'un administrateur", "Erreur mot de passe",
                       MB_OK | MB_ICONSTOP);
        return;  // the fields stay as they are, for another try
    case LoginVerdict::passwordNotRecorded:
        return;  // already said; the fields stay
    }
}

INT_PTR CALLBACK LoginDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenLoginDialog(dialog);
        return FALSE;  // the focus was placed by hand
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:     CheckLogin(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_ENDSESSION:
        // The Windows session ends before anyone logged in: the console
        // must not be left marked as running.
        if (wParam)
            ClearRunningFlag();
        return TRUE;
    }
    return FALSE;
}

INT_PTR ShowLoginDialog()
{
    return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_LOGIN), nullptr, LoginDialog, 0);
}
