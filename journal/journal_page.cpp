#include "journal/journal_page.h"

#include <commctrl.h>
#include <prsht.h>

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "base/modal_seam.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "gateways/gateway_registry.h"
#include "journal/journal_file.h"
#include "journal/journal_page_values.h"
#include "journal/journal_settings.h"
#include "resources/resource.h"
#include "users/user_tables.h"

namespace {

constexpr ULONG_PTR kJournalPageHelpContext = 105;
// The page copy of the days reads this many characters of the field at most.
constexpr int kDaysCopyLength = 127;

}  // namespace

int MaxPurgeDays()
{
    time_t now = time(nullptr);
    return now > 0 ? static_cast<int>(now / 86400) : 0;
}

static void FillList(HWND list, int count, const char* (*name)(int), const char* all, int selected)
{
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name(i)));
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(all));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(FilterPosition(selected, count)), 0);
}

static const char* GatewayName(int position)
{
    return Gateways.slots[static_cast<size_t>(position)].name;
}

static const char* UserName(int position)
{
    return UserAt(position).name;
}

static int SelectedPosition(HWND page, int list, int count)
{
    return FilterPosition(static_cast<int>(SendDlgItemMessageA(page, list, CB_GETCURSEL, 0, 0)), count);
}

static std::string FieldText(HWND field)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(field, text.data(), static_cast<int>(text.size()))));
    return text;
}

static void OpenJournalPage(HWND page, const PROPSHEETPAGEA* sheetPage)
{
    SetWindowLongPtrA(page, DWLP_USER, sheetPage->lParam);
    CentreWindow(GetParent(page));
    CheckDlgButton(page, IDC_JOURNAL_SHOW, JournalSettings.shown ? BST_CHECKED : BST_UNCHECKED);
    FillList(GetDlgItem(page, IDC_JOURNAL_GATEWAYS), Gateways.count, GatewayName, "Toutes",
             JournalSettings.gatewayFilter);
    FillList(GetDlgItem(page, IDC_JOURNAL_USERS), UserCount(), UserName, "Tous", JournalSettings.userFilter);
    CheckDlgButton(page, IDC_JOURNAL_PURGE, JournalSettings.purge ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(page, IDC_JOURNAL_DAYS, std::to_string(JournalSettings.purgeDays).c_str());
}

// The sheet comes back to this page with the days field selected.
static void RefuseDays(HWND page)
{
    std::string text = "Le nombre de jours doit être un nombre entier compris entre 0 et " +
                       std::to_string(MaxPurgeDays()) + ".";
    ShowMessageBox(GetParent(page), text.c_str(), "Attention", MB_OK | MB_ICONEXCLAMATION);
    HWND days = GetDlgItem(page, IDC_JOURNAL_DAYS);
    PostMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(days), TRUE);
}

// OK: the settings take the page's values and a ticked purge runs. False,
// with nothing changed, when the purge has no usable number of days.
static bool ApplyJournalPage(HWND page)
{
    std::string daysText = FieldText(GetDlgItem(page, IDC_JOURNAL_DAYS));
    bool purge = IsDlgButtonChecked(page, IDC_JOURNAL_PURGE) == BST_CHECKED;
    int days = DaysFromText(std::string_view(daysText).substr(0, kDaysCopyLength));
    std::string limit;
    if (purge) {
        std::optional<int> checked = PurgeDaysFromText(daysText, MaxPurgeDays());
        if (!checked || FormatDaysAgo(limit, *checked) == 0) {
            RefuseDays(page);
            return false;
        }
        days = *checked;
    }
    JournalSettings.userFilter = SelectedPosition(page, IDC_JOURNAL_USERS, UserCount());
    JournalSettings.gatewayFilter = SelectedPosition(page, IDC_JOURNAL_GATEWAYS, Gateways.count);
    JournalSettings.shown = IsDlgButtonChecked(page, IDC_JOURNAL_SHOW) == BST_CHECKED;
    JournalSettings.purge = purge;
    JournalSettings.purgeDays = days;
    if (purge)
        PurgeJournal(limit.c_str());
    if (bool* applied = reinterpret_cast<bool*>(GetWindowLongPtrA(page, DWLP_USER)))
        *applied = true;
    return true;
}

static void ShowJournalPageHelp(HWND page)
{
    ShowHelpFile(page, ProgramPath("\\admin.hlp"), HELP_CONTEXT, kJournalPageHelpContext);
}

static INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    switch (header->code) {
    case PSN_APPLY:
        SetWindowLongPtrA(page, DWLP_MSGRESULT, ApplyJournalPage(page) ? PSNRET_NOERROR : PSNRET_INVALID);
        return TRUE;
    case PSN_HELP:
        ShowJournalPageHelp(page);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK JournalPageDialog(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenJournalPage(page, reinterpret_cast<const PROPSHEETPAGEA*>(lParam));
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_HELP_KEY) {
            ShowJournalPageHelp(page);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
