#include "users/users_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "base/app.h"
#include "base/le_bytes.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "states/activity_files.h"
#include "users/dir_ops_plan.h"
#include "users/directory_name.h"
#include "users/numbers_file.h"
#include "users/numbers_page.h"
#include "users/user_database.h"
#include "users/user_dir_ops.h"
#include "users/users_confirm.h"
#include "users/user_sort.h"
#include "users/user_table_ops.h"
#include "users/user_tables.h"
#include "users/users_window_state.h"
#include "users/windows_user.h"
#include "zemoctln/zemoctln.h"

namespace {

constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintPeriod = 1000;
constexpr ULONG_PTR kUsersHelpContext = 101;
constexpr int kRowHeight = 16;
constexpr int kMarkWidth = 16;
constexpr COLORREF kMarkTransparent = RGB(255, 0, 255);
constexpr char kAdministrator[] = "Administrateur";
constexpr char kUser[] = "Utilisateur";
constexpr char kAttention[] = "Attention";

std::span<const UserRecord> Users()
{
    return std::span<const UserRecord>(CurrentUserTable().records).first(static_cast<size_t>(UserCount()));
}

HWND UsersList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_USERS_LIST);
}

// The selected row, or -1.
int SelectedRow(HWND dialog)
{
    auto row = static_cast<int>(SendMessageA(UsersList(dialog), LB_GETCURSEL, 0, 0));
    return row == LB_ERR ? -1 : row;
}

bool ConfigurationTabSelected(HWND dialog)
{
    return SendDlgItemMessageA(dialog, IDC_TAB_CONFIGURATION, kTabIsSelected, 0, 0) != 0;
}

void FocusControl(HWND dialog, int id)
{
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

void ShowControl(HWND dialog, int id, bool shown, bool enabled)
{
    HWND control = GetDlgItem(dialog, id);
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    EnableWindow(control, enabled);
}

int AskQuestion(HWND dialog, const char* text)
{
    return ShowMessageBox(dialog, text, kAttention, MB_YESNO | MB_ICONEXCLAMATION);
}

void Warn(HWND dialog, const char* text, const char* caption = kAttention)
{
    ShowMessageBox(dialog, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void SetBrowseButtons(HWND dialog, int editing)
{
    bool browse = editing == 0;
    for (int id : {IDC_USERS_LIST, IDOK, IDCANCEL, IDC_USER_DELETE})
        EnableWindow(GetDlgItem(dialog, id), browse);
    ShowControl(dialog, IDC_USER_ADD, browse, browse);
    ShowControl(dialog, IDC_USER_MODIFY, browse, browse);
    ShowControl(dialog, IDC_USER_VALIDATE, !browse, !browse);
    ShowControl(dialog, IDC_USER_CANCEL_EDIT, !browse, !browse);
}

void ShowConfigurationPage(HWND dialog, int editing)
{
    for (int id : {IDC_USER_NAME_LABEL, IDC_USER_PASSWORD_LABEL, IDC_USER_CATEGORY_LABEL})
        ShowControl(dialog, id, true, true);
    for (int id : {IDC_USER_NAME, IDC_USER_PASSWORD, IDC_USER_CATEGORY})
        ShowControl(dialog, id, true, editing != 0);
    ShowControl(dialog, IDC_USER_MULTI_SESSION, false, editing != 0);
}

void HideConfigurationPage(HWND dialog)
{
    for (int id : {IDC_USER_NAME_LABEL, IDC_USER_PASSWORD_LABEL, IDC_USER_CATEGORY_LABEL, IDC_USER_NAME,
                   IDC_USER_PASSWORD, IDC_USER_CATEGORY, IDC_USER_MULTI_SESSION})
        ShowControl(dialog, id, false, false);
}

static void SelectCategory(HWND dialog, const char* text)
{
    LRESULT index = SendDlgItemMessageA(dialog, IDC_USER_CATEGORY, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text));
    if (index != CB_ERR)
        SendDlgItemMessageA(dialog, IDC_USER_CATEGORY, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void FillConfigurationPage(HWND dialog, UsersWindowState& state)
{
    ++state.FillingFields;
    SetDlgItemTextA(dialog, IDC_USER_NAME, state.EditName);
    char password[sizeof state.EditPassword];
    std::memcpy(password, state.EditPassword, sizeof password);
    UnscrambleText(password);
    SetDlgItemTextA(dialog, IDC_USER_PASSWORD, password);
    if (state.EditCategory == CategoryAdministrator)
        SelectCategory(dialog, kAdministrator);
    else if (state.EditCategory == CategoryUser)
        SelectCategory(dialog, kUser);
    CheckDlgButton(dialog, IDC_USER_MULTI_SESSION, state.EditMultiSession != 0 ? BST_CHECKED : BST_UNCHECKED);
    --state.FillingFields;
}

void LoadEditBuffers(UsersWindowState& state, int position)
{
    const UserRecord& user = UserAt(position);
    SetTextField(state.EditName, StoredName(user));
    SetTextField(state.EditPassword, FieldText(user.password));
    state.EditPasswordCut = false;
    state.EditCategory = user.category;
    state.EditMultiSession = user.multiSession;
    state.EditNumbers = position >= 0 && position < MaxUsers ? CurrentNumbersTable().records[position] : NumbersRecord{};
}

int FindUserByName(const char* name)
{
    return FindNamedUser(Users(), std::string_view(name, strnlen(name, kMaxNameLength + 1)));
}

void AssignStationNumber()
{
    UserAt(UserCount()).station = FindFreeStation(Users());
}

int CheckUserName(HWND owner, const char* name, int position)
{
    std::string_view typed(name, strnlen(name, kMaxNameLength + 1));
    if (typed.empty()) {
        Warn(owner, "Impossible de définir un nom vide");
        return 1;
    }
    // The name becomes the user's directory in the program directory.
    if (!IsUsableDirectoryName(typed)) {
        Warn(owner, "Ce nom ne peut pas servir de nom de répertoire.");
        return 1;
    }
    int other = FindNameClash(Users(), typed, position);
    if (other >= 0) {
        char text[128];
        std::snprintf(text, sizeof text, "Ce nom est déjà utilisé pour le poste %d.", other);
        Warn(owner, text);
        return 1;
    }
    return 0;
}

// A workstation changed its user's password in reseau.dat: the table takes it
// over, and so does the work copy, which "OK" would otherwise put back over it.
// The flag goes only once the password is taken over (or the window's own
// new password is to win); a user that reseau.dat no longer holds where it
// did is left to "OK", which tries again.
static void TakeOverDrawnPassword(HWND dialog, UsersWindowState& state, int position, int record)
{
    if (state.PasswordsNotTaken.count(record))
        return;
    std::unique_ptr<UserTable> stored = ReadStoredUsers();
    PasswordTakeOver outcome = TakeOverChangedPassword(state, position, stored.get());
    if (outcome == PasswordTakeOver::notFound) {
        state.PasswordsNotTaken.insert(record);
        return;
    }
    if (outcome == PasswordTakeOver::none)
        return;
    // Cleared first: a failed save below shows a message box, whose own loop
    // redraws the list, which must not take the password over again.
    ClearPasswordChanged(record);
    if (outcome != PasswordTakeOver::taken)
        return;
    SaveUserDatabase(dialog, 1);
    if (state.EditMode == 0 && SelectedRow(dialog) == position) {
        std::memcpy(state.EditPassword, UserAt(position).password, sizeof state.EditPassword);
        state.EditPassword[kMaxNameLength] = 0;
        if (ConfigurationTabSelected(dialog))
            FillConfigurationPage(dialog, state);
    }
}

void DrawUserRow(HWND dialog, UsersWindowState& state, const DRAWITEMSTRUCT* item)
{
    if (item->CtlID != IDC_USERS_LIST || item->itemID == static_cast<UINT>(-1))
        return;
    RECT row = item->rcItem;
    if (item->itemAction == ODA_FOCUS) {
        DrawFocusRect(item->hDC, &row);
        return;
    }
    auto position = static_cast<int>(item->itemData);
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(item->hDC, &row, selected ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : WindowBrush);
    int oldMode = SetBkMode(item->hDC, TRANSPARENT);
    COLORREF oldColour = SetTextColor(item->hDC, selected ? GetSysColor(COLOR_WINDOW) : RGB(0, 0, 0));
    std::string name(StoredName(UserAt(position)));
    int width = row.right - row.left;
    FitText(item->hDC, name, width - kMarkWidth);
    TextOutA(item->hDC, row.left, row.top + 1, name.c_str(), static_cast<int>(name.size()));
    SetTextColor(item->hDC, oldColour);
    SetBkMode(item->hDC, oldMode);

    if (position < 0 || position >= MaxUsers)
        return;
    auto record = static_cast<int>(PositionMap[position]);
    if (UserActiveFlags[record])
        ZemoDrawTransparent(item->hDC, row.left + width - kMarkWidth, row.top, ActiveMarkBitmap, kMarkTransparent);
    if (PasswordChanged(record))
        TakeOverDrawnPassword(dialog, state, position, record);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &row);
}

static void FillUsersList(HWND dialog)
{
    HWND list = UsersList(dialog);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int p = 0; p < UserCount(); ++p) {
        std::string name(StoredName(UserAt(p)));
        auto row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), p);
    }
}

static void SelectRow(HWND dialog, int row)
{
    SendMessageA(UsersList(dialog), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

// The numbers cannot be edited while Numaut.dat could not be read: what was
// typed would replace numbers the window never saw.
static void ShowNumbers(HWND dialog, const UsersWindowState& state, int editing)
{
    ShowNumbersPage(dialog, editing && !state.NumbersUnreadable);
}

static void RefreshSelectedPage(HWND dialog, UsersWindowState& state, int editing)
{
    if (ConfigurationTabSelected(dialog)) {
        ShowConfigurationPage(dialog, editing);
        FillConfigurationPage(dialog, state);
    } else {
        ShowNumbers(dialog, state, editing);
        FillNumbersPage(dialog, state.EditNumbers);
    }
}

// Both work copies. False when either could not be written (the user
// database reports it).
static bool SaveWorkFiles(HWND dialog, const UsersWindowState& state)
{
    bool users = SaveUserDatabase(dialog, 1);
    bool numbers = state.NumbersUnreadable || SaveNumbersFile(1);
    return users && numbers;
}

// ---- Opening and closing

static void FillCategoryList(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_USER_CATEGORY, CB_RESETCONTENT, 0, 0);
    for (const char* text : {kUser, kAdministrator})
        SendDlgItemMessageA(dialog, IDC_USER_CATEGORY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

static void AttachTabs(HWND dialog)
{
    for (int id : {IDC_TAB_CONFIGURATION, IDC_TAB_NUMBERS})
        SendDlgItemMessageA(dialog, id, kTabAttachFrame, IDC_PAGE_FRAME, 0);
    SendDlgItemMessageA(dialog, IDC_TAB_CONFIGURATION, kTabSelect, 1, 0);
}

// The numbers' work copy, beside the user database's. A Numaut.dat that is
// there but cannot be read is kept as it is and said so: its numbers stay in
// the file and follow their users when "OK" reads it again.
static void OpenNumbersWork(HWND dialog, UsersWindowState& state)
{
    NumbersReading found = OpenNumbersWorkCopy();
    state.NumbersUnreadable = found == NumbersReading::unreadable || found == NumbersReading::notCopied;
    if (!state.NumbersUnreadable) {
        LoadNumbersFile(1);
        return;
    }
    FreeNumbersTable();
    ShowMessageBox(dialog,
                   found == NumbersReading::unreadable
                       ? "Le fichier Numaut.dat ne peut pas être lu : il est conservé tel quel, et les numéros "
                         "interdits ne peuvent pas être modifiés."
                       : "La copie de travail de Numaut.dat n'a pas pu être faite : les numéros interdits ne peuvent "
                         "pas être modifiés.",
                   "Erreur lecture de fichier", MB_OK | MB_ICONEXCLAMATION);
}

static void OpenUsersDialog(HWND dialog)
{
    // The window's state lives as long as the window: freed on its last
    // message (ForgetUsersWindowState).
    auto* owned = new UsersWindowState;
    AttachUsersWindowState(dialog, owned);
    UsersWindowState& state = *owned;
    CentreWindow(dialog);
    SetTimer(dialog, kRepaintTimer, kRepaintPeriod, nullptr);
    state.EditMode = 0;
    // Alone ("/u"), the window keeps the journal's user filter itself.
    if (StandaloneDialog)
        JournalSettings.userFilter = ReadProfileInt("Journal", "User", 1, AdminIniPath());
    // Without a work copy the window starts from reseau.dat itself, never
    // from a table loaded earlier; its first save makes the work copy.
    FinishOrDropInterruptedCommit();
    bool copied = OpenUserWorkCopy();
    LoadUserDatabase(dialog, copied ? GetProgramDir() + "\\usertemp" : GetProgramDir());
    OpenNumbersWork(dialog, state);
    state.OpeningUsers.assign(CurrentUserTable().records.begin(), CurrentUserTable().records.begin() + UserCount());
    // The filter names the user at its position in the file, before the
    // opening sort moves the users.
    int filter = JournalSettings.userFilter;
    state.FilterUserName = filter >= 0 && filter < UserCount() ? std::string(StoredName(UserAt(filter))) : std::string();
    ClearPendingDirOps();
    HideNumbersPage(dialog);
    ShowConfigurationPage(dialog, 0);
    ResetPositionMap();
    SortUsersByName();
    FillUsersList(dialog);
    if (UserCount() > 0)
        SelectRow(dialog, 0);
    FillCategoryList(dialog);
    AttachTabs(dialog);
    SetBrowseButtons(dialog, 0);
    int row = SelectedRow(dialog);
    if (row >= 0) {
        LoadEditBuffers(state, row);
        ShowConfigurationPage(dialog, 0);
        FillConfigurationPage(dialog, state);
    }
    state.UsersModified = 0;
    SendDlgItemMessageA(dialog, IDC_USER_NAME, EM_LIMITTEXT, kMaxNameLength, 0);
    SendDlgItemMessageA(dialog, IDC_USER_PASSWORD, EM_LIMITTEXT, kMaxNameLength, 0);
    SaveNumbersCopy();
    SetFocus(UsersList(dialog));
    if (StandaloneDialog)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_USER_ADD, BN_CLICKED), 0);
}

static void ForgetUsersWindowState(HWND dialog)
{
    delete UsersWindowStateOf(dialog);
    AttachUsersWindowState(dialog, nullptr);
}

// Both work copies and the saved numbers go; the files keep what they hold.
static void DropWorkFiles()
{
    FreeNumbersTable();
    DiscardNumbersWorkCopy();
    DiscardUserWorkCopy();
    DeleteNumbersCopy();
}

static void CloseUsersDialog(HWND dialog)
{
    KillTimer(dialog, kRepaintTimer);
    DropWorkFiles();
    EndDialog(dialog, 1);
}

// ---- Browse and edit commands

static void SelectUser(HWND dialog, UsersWindowState& state)
{
    SetBrowseButtons(dialog, 0);
    state.EditMode = 0;
    int row = SelectedRow(dialog);
    if (row >= 0) {
        LoadEditBuffers(state, row);
        RefreshSelectedPage(dialog, state, 0);
    }
}

static void ModifyUser(HWND dialog, UsersWindowState& state)
{
    int row = SelectedRow(dialog);
    if (row < 0)
        return;
    state.EditMode = 1;
    SetBrowseButtons(dialog, 1);
    NoteUserEditStarted(row);
    LoadEditBuffers(state, row);
    FillUserNumbersList(dialog, state.EditNumbers);
    RefreshSelectedPage(dialog, state, 1);
    FocusControl(dialog, ConfigurationTabSelected(dialog) ? IDC_USER_NAME : IDC_USER_NUMBERS);
}

// The new user's name and password: in stand-alone use the Windows user, who
// chooses a password at once; otherwise "Poste" and the station, with the
// name as first password.
// A "Poste" name that another user already has, in any letter case, would
// give the two users one directory: the number goes up until it is free.
static void NameNewUser(UserRecord& user)
{
    std::memset(user.name, 0, sizeof user.name);
    std::memset(user.password, 0, sizeof user.password);
    if (StandaloneDialog) {
        std::string name = GetWindowsUserName();
        SetTextField(user.name, name);
        return;
    }
    int number = user.station + 1;
    do
        std::snprintf(user.name, sizeof user.name, "Poste%d", number++);
    while (FindNameClash(Users(), user.name, -1) >= 0);
    std::memcpy(user.password, user.name, sizeof user.password);
    ScrambleText(user.password);
}

static void AddUser(HWND dialog, UsersWindowState& state)
{
    if (UserCount() >= MaxUsers) {
        Warn(dialog, "Le nombre maximum d'utilisateurs est atteint.");
        return;
    }
    int position = UserCount();
    // The slot after the last user is zero in a sound file; one written
    // otherwise must not lend the new user its fields or numbers.
    UserAt(position) = UserRecord{};
    CurrentNumbersTable().records[static_cast<size_t>(position)] = NumbersRecord{};
    AssignStationNumber();
    UserRecord& user = UserAt(position);
    NameNewUser(user);
    user.category = CategoryUser;
    ++CurrentUserTable().header.userCount;
    NoteUserAdded(position);
    SaveWorkFiles(dialog, state);
    FillUsersList(dialog);
    SelectRow(dialog, position);
    state.EditMode = 0;
    LoadEditBuffers(state, position);
    state.EditNumbers = NumbersRecord{};
    RefreshSelectedPage(dialog, state, 0);
    SetBrowseButtons(dialog, 0);
    state.UsersModified = 1;
    ModifyUser(dialog, state);
    if (StandaloneDialog)
        FocusControl(dialog, IDC_USER_PASSWORD);
}

static void StoreEditBuffers(UsersWindowState& state, int row)
{
    UserRecord& user = UserAt(row);
    std::memcpy(user.name, state.EditName, sizeof user.name);
    std::memcpy(user.password, state.EditPassword, sizeof user.password);
    user.category = state.EditCategory;
    user.multiSession = static_cast<uint16_t>(state.EditMultiSession & 0xFFFF);
    CurrentNumbersTable().records[static_cast<size_t>(row)] = state.EditNumbers;
}

static void ValidateUser(HWND dialog, UsersWindowState& state)
{
    state.EditMode = 0;
    int row = SelectedRow(dialog);
    if (row < 0)
        return;
    if (CheckUserName(dialog, state.EditName, row)) {
        state.EditMode = 1;
        return;
    }
    if (state.EditPasswordCut) {
        Warn(dialog, "Ce mot de passe contient un caractère qui ne peut pas être enregistré.");
        state.EditMode = 1;
        return;
    }
    if (!state.FilterUserName.empty() && state.FilterUserName == StoredName(UserAt(row)))
        state.FilterUserName = state.EditName;
    StoreEditBuffers(state, row);
    NoteUserValidated(row);
    RefreshSelectedPage(dialog, state, 0);
    SortUsersByName();
    SaveWorkFiles(dialog, state);
    // The selection stays on its row, which now holds whichever user the sort
    // put there: the page must show that user, whom "&Supprimer" and
    // "Modi&fier" would take.
    LoadEditBuffers(state, row);
    RefreshSelectedPage(dialog, state, 0);
    SetBrowseButtons(dialog, 0);
    SetFocus(UsersList(dialog));
    InvalidateRect(UsersList(dialog), nullptr, TRUE);
    state.UsersModified = 1;
}

static void CancelEdit(HWND dialog, UsersWindowState& state)
{
    state.EditMode = 0;
    int row = SelectedRow(dialog);
    if (row >= 0) {
        LoadEditBuffers(state, row);
        RefreshSelectedPage(dialog, state, 0);
    }
    SetBrowseButtons(dialog, 0);
    SetFocus(UsersList(dialog));
}

static void DeleteUser(HWND dialog, UsersWindowState& state)
{
    int row = SelectedRow(dialog);
    if (row < 0)
        return;
    if (UserActiveFlags[PositionMap[static_cast<size_t>(row)]]) {
        Warn(dialog, "Impossible de supprimer cet utilisateur car son poste est actuellement lancé", "ATTENTION");
        return;
    }
    if (AskQuestion(dialog, "Voulez-vous vraiment supprimer cet utilisateur?") != IDYES)
        return;
    NoteUserDeleted(row);
    RemoveUserSlot(CurrentUserTable().records, CurrentNumbersTable().records, PositionMap, static_cast<size_t>(row));
    --CurrentUserTable().header.userCount;
    SaveWorkFiles(dialog, state);
    FillUsersList(dialog);
    if (UserCount() > 0)
        SelectRow(dialog, std::min(row, UserCount() - 1));
    state.EditMode = 0;
    if (SelectedRow(dialog) >= 0) {
        LoadEditBuffers(state, SelectedRow(dialog));
        RefreshSelectedPage(dialog, state, 0);
    }
    SetBrowseButtons(dialog, 0);
    state.UsersModified = 1;
}

static void ShowConfigurationTab(HWND dialog, UsersWindowState& state)
{
    SendDlgItemMessageA(dialog, IDC_TAB_CONFIGURATION, kTabSelect, 1, 0);
    if (SelectedRow(dialog) < 0)
        return;
    HideNumbersPage(dialog);
    ShowConfigurationPage(dialog, state.EditMode);
    FillConfigurationPage(dialog, state);
}

static void ShowNumbersTab(HWND dialog, UsersWindowState& state)
{
    SendDlgItemMessageA(dialog, IDC_TAB_NUMBERS, kTabSelect, 1, 0);
    if (SelectedRow(dialog) < 0)
        return;
    HideConfigurationPage(dialog);
    ShowNumbers(dialog, state, state.EditMode);
    FillNumbersPage(dialog, state.EditNumbers);
}

// ---- Field changes

static void TakeFieldChange(HWND dialog, UsersWindowState& state, int id, int code)
{
    if (state.FillingFields || SelectedRow(dialog) < 0)
        return;
    char text[kMaxNameLength + 1] = {};
    switch (id) {
    case IDC_USER_NAME:
        if (code == EN_CHANGE) {
            GetDlgItemTextA(dialog, IDC_USER_NAME, text, sizeof text);
            SetTextField(state.EditName, text);
        }
        break;
    case IDC_USER_PASSWORD:
        if (code == EN_CHANGE) {
            GetDlgItemTextA(dialog, IDC_USER_PASSWORD, text, sizeof text);
            state.EditPasswordCut = !IsStorablePassword(text);
            ScrambleText(text);
            SetTextField(state.EditPassword, FieldText(text));
        }
        break;
    case IDC_USER_CATEGORY:
        if (code == CBN_SELCHANGE) {
            char choice[32] = {};
            GetDlgItemTextA(dialog, IDC_USER_CATEGORY, choice, sizeof choice);
            if (std::strcmp(choice, kAdministrator) == 0)
                state.EditCategory = CategoryAdministrator;
            else if (std::strcmp(choice, kUser) == 0)
                state.EditCategory = CategoryUser;
        }
        break;
    case IDC_USER_MULTI_SESSION:
        if (code == BN_CLICKED)
            state.EditMultiSession = IsDlgButtonChecked(dialog, IDC_USER_MULTI_SESSION) == BST_CHECKED ? 1 : 0;
        break;
    }
}

// ---- Confirming and dropping

static void ConfirmUsers(HWND dialog, UsersWindowState& state)
{
    if (state.EditMode)
        return;
    if (!ConfirmUserChanges(dialog, state))
        return;  // told; the changes stay in the window
    FillJournalPane();
    JournalSettings.userFilter = FindUserByName(state.FilterUserName.c_str());
    if (StandaloneDialog)
        WriteProfileInt("Journal", "User", JournalSettings.userFilter, AdminIniPath());
    CloseUsersDialog(dialog);
}

static void DropUsers(HWND dialog, UsersWindowState& state)
{
    if (state.UsersModified && AskQuestion(dialog, "Voulez-vous vraiment ignorer les modifications ?") != IDYES)
        return;
    // Numaut.dat was never changed: the window worked on its copy.
    LoadUserDatabase(dialog, GetProgramDir());
    CloseUsersDialog(dialog);
}

// The Escape key: while editing it drops the edit, as "Annu&ler" does;
// otherwise it is "Annuler".
static void CancelUsers(HWND dialog, UsersWindowState& state)
{
    if (state.EditMode)
        CancelEdit(dialog, state);
    else
        DropUsers(dialog, state);
}

// The title bar's close box and the system menu's "Fermer": an edit under way
// is dropped first, then the window closes as "Annuler" does.
static void RequestClose(HWND dialog, UsersWindowState& state)
{
    if (state.EditMode)
        CancelEdit(dialog, state);
    DropUsers(dialog, state);
}

// The Windows session ends: nothing can be asked any more. The changes are
// dropped as "Annuler" drops them, and the console alone no longer runs.
static void EndUsersSession(HWND dialog)
{
    KillTimer(dialog, kRepaintTimer);
    DropWorkFiles();
    if (StandaloneDialog)
        ClearRunningFlag();
}

static void ShowUsersHelp(HWND dialog)
{
    ShowHelpFile(dialog, ProgramPath("\\admin.hlp"), HELP_CONTEXT, kUsersHelpContext);
}

static void RepaintUsersList(HWND dialog)
{
    InvalidateRect(UsersList(dialog), nullptr, TRUE);
}

static void MeasureUserRow(MEASUREITEMSTRUCT* item)
{
    item->itemHeight = kRowHeight;
}

static INT_PTR OnCommand(HWND dialog, UsersWindowState& state, int id, int code)
{
    switch (id) {
    case IDC_USERS_LIST:
        if (code == LBN_SELCHANGE)
            SelectUser(dialog, state);
        else if (code == LBN_DBLCLK)
            ModifyUser(dialog, state);
        return TRUE;
    case IDC_TAB_CONFIGURATION: ShowConfigurationTab(dialog, state); return TRUE;
    case IDC_TAB_NUMBERS:       ShowNumbersTab(dialog, state); return TRUE;
    case IDC_USER_ADD:          AddUser(dialog, state); return TRUE;
    case IDC_USER_MODIFY:       ModifyUser(dialog, state); return TRUE;
    case IDC_USER_VALIDATE:     ValidateUser(dialog, state); return TRUE;
    case IDC_USER_CANCEL_EDIT:  CancelEdit(dialog, state); return TRUE;
    case IDC_USER_DELETE:       DeleteUser(dialog, state); return TRUE;
    case IDC_USER_NAME:
    case IDC_USER_PASSWORD:
    case IDC_USER_CATEGORY:
    case IDC_USER_MULTI_SESSION: TakeFieldChange(dialog, state, id, code); return TRUE;
    case IDC_INSERT_NUMBER:
        if (!state.NumbersUnreadable)
            InsertPoolNumbers(dialog, state.EditNumbers);
        return TRUE;
    case IDC_REMOVE_NUMBER:
        if (!state.NumbersUnreadable)
            RemoveUserNumbers(dialog, state.EditNumbers);
        return TRUE;
    case IDC_USER_NUMBERS:
        if (code == LBN_DBLCLK && !state.NumbersUnreadable)
            RemoveUserNumbers(dialog, state.EditNumbers);
        return TRUE;
    case IDC_NEW_NUMBER:        AddPoolNumber(dialog); return TRUE;
    case IDOK:                  ConfirmUsers(dialog, state); return TRUE;
    case IDCANCEL:              CancelUsers(dialog, state); return TRUE;
    case IDC_USERS_HELP:
    case ID_HELP_KEY:           ShowUsersHelp(dialog); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK UsersDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:   OpenUsersDialog(dialog); return FALSE;
    // The list measures its rows while the dialog is made, before it has a state.
    case WM_MEASUREITEM:  MeasureUserRow(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return TRUE;
    case WM_TIMER:        RepaintUsersList(dialog); return TRUE;
    case WM_CTLCOLORLISTBOX:
        if (reinterpret_cast<HWND>(lParam) == UsersList(dialog))
            return reinterpret_cast<INT_PTR>(WindowBrush);
        return FALSE;
    case WM_NCDESTROY:    ForgetUsersWindowState(dialog); return FALSE;
    }
    UsersWindowState* state = UsersWindowStateOf(dialog);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_DRAWITEM:     DrawUserRow(dialog, *state, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CLOSE:        RequestClose(dialog, *state); return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndUsersSession(dialog);
        return TRUE;
    case WM_COMMAND:      return OnCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

INT_PTR ShowUsersWindow(HWND owner)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_USERS), owner, UsersDialog, 0);
    return 1;
}
