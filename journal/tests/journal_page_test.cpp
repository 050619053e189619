// The journal page, run alone in a modeless sheet and stepped with the
// sheet's own messages, as the platform's conformance tests run their pages.
#include "journal/journal_page.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <climits>
#include <cstdio>
#include <ctime>
#include <ostream>
#include <functional>
#include <string>
#include <vector>

#include "base/app.h"
#include "gateways/gateway_registry.h"
#include "journal/journal_file.h"
#include "journal/journal_settings.h"
#include "journal/tests/journal_fixture.h"
#include "resources/resource.h"
#include "tests/wine/test_support.h"
#include "users/user_tables.h"

// The settings compare field by field, and print so in a failure.
static bool operator==(const JournalSettingsValues& a, const JournalSettingsValues& b)
{
    return a.userFilter == b.userFilter && a.gatewayFilter == b.gatewayFilter && a.shown == b.shown &&
           a.sortColumn == b.sortColumn && a.purge == b.purge && a.purgeDays == b.purgeDays;
}

static std::ostream& operator<<(std::ostream& out, const JournalSettingsValues& s)
{
    return out << "{user " << s.userFilter << ", gateway " << s.gatewayFilter << ", shown " << s.shown << ", sort "
               << s.sortColumn << ", purge " << s.purge << ", days " << s.purgeDays << "}";
}

namespace {

using Records = std::vector<std::vector<uint8_t>>;

constexpr JournalSettingsValues kStartSettings = {1, 0, 1, 7, 0, 30};

// "dd/mm/yyyy hh:mm:ss" of now + `seconds`, in UTC.
std::string UtcText(long long seconds)
{
    time_t t = time(nullptr) + static_cast<time_t>(seconds);
    const tm* utc = gmtime(&t);
    char text[32];
    snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", utc->tm_mday, utc->tm_mon + 1, utc->tm_year + 1900,
             utc->tm_hour, utc->tm_min, utc->tm_sec);
    return text;
}

constexpr long long kDay = 86400;

std::string ListText(HWND list, int index)
{
    char text[256] = {};
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> ListTexts(HWND list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < SendMessageA(list, CB_GETCOUNT, 0, 0); ++i)
        texts.push_back(ListText(list, i));
    return texts;
}

std::string ItemText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// As the mouse would: the list takes the entry and tells the page.
void Choose(HWND page, int id, int index)
{
    HWND list = GetDlgItem(page, id);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void Click(HWND page, int id)
{
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
}

void Press(HWND sheet, int button)
{
    SendMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    PumpMessages();
}

bool SheetOpen(HWND sheet)
{
    return SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
}

class JournalPageTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        MainWindow = nullptr;
        JournalSettings = kStartSettings;
        Journal = JournalTable{};
        SetGateways({"Paris", "Lyon", "Nice"});
        SetUsers({"Durand", "\xC9mile"});
    }
    void TearDown() override
    {
        FreeUserTable();
        Gateways = GatewayTable{};
        Journal = JournalTable{};
        ProgramDirTest::TearDown();
    }

    static void SetUsers(const std::vector<const char*>& names)
    {
        FreeUserTable();
        UserTable& table = CurrentUserTable();
        table.header.userCount = static_cast<uint16_t>(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            lstrcpynA(table.records[i].name, names[i], sizeof table.records[i].name);
    }

    static void SetGateways(const std::vector<const char*>& names)
    {
        Gateways = GatewayTable{};
        Gateways.count = static_cast<int32_t>(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            lstrcpynA(Gateways.slots[i].name, names[i], sizeof Gateways.slots[i].name);
    }

    // Runs a sheet holding the journal page alone; `drive` gets the sheet and
    // the page. Returns whether the page reported its values applied.
    bool RunPage(const std::function<void(HWND sheet, HWND page)>& drive)
    {
        bool applied = false;
        PROPSHEETPAGEA page = {};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_HASHELP;
        page.hInstance = AppInstance;
        page.pszTemplate = MAKEINTRESOURCEA(IDD_JOURNAL_PAGE);
        page.pfnDlgProc = JournalPageDialog;
        page.lParam = reinterpret_cast<LPARAM>(&applied);
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
        header.hInstance = AppInstance;
        header.pszCaption = "Pr\xE9" "f\xE9rences";
        header.nPages = 1;
        header.ppsp = &page;
        INT_PTR created = RunSheetModeless(&header, [&](HWND sheet) {
            drive(sheet, reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
        });
        EXPECT_NE(created, -1) << "the sheet could not be created";
        return applied;
    }

    void WriteJournal(const Records& records) { WriteBytes(Path("\\Journal.dat"), JournalFileBytes(records)); }
    std::vector<uint8_t> JournalNow() const { return ReadBytes(Path("\\Journal.dat")); }
};

}  // namespace

// The lists hold the table's names in order and end with "Toutes"/"Tous",
// whose positions are the counts; a filter outside its list shows them.
TEST_F(JournalPageTest, OpensOnTheSettingsWithListsEndingInTheirAll)
{
    struct Case { int gatewayFilter, userFilter, gatewayShown, userShown; } cases[] = {
        {3, 2, 3, 2}, {1, 0, 1, 0}, {0, 1, 0, 1}, {7, -1, 3, 2}, {-1, 99, 3, 2},
    };
    for (const Case& c : cases) {
        JournalSettings = {c.userFilter, c.gatewayFilter, 0, 7, 1, -2};
        JournalSettingsValues before = JournalSettings;
        bool applied = RunPage([&](HWND sheet, HWND page) {
            HWND gateways = GetDlgItem(page, IDC_JOURNAL_GATEWAYS);
            HWND users = GetDlgItem(page, IDC_JOURNAL_USERS);
            EXPECT_EQ(ListTexts(gateways), (std::vector<std::string>{"Paris", "Lyon", "Nice", "Toutes"}));
            EXPECT_EQ(ListTexts(users), (std::vector<std::string>{"Durand", "\xC9mile", "Tous"}));
            EXPECT_EQ(SendMessageA(gateways, CB_GETCURSEL, 0, 0), c.gatewayShown) << c.gatewayFilter;
            EXPECT_EQ(SendMessageA(users, CB_GETCURSEL, 0, 0), c.userShown) << c.userFilter;
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_JOURNAL_SHOW), static_cast<UINT>(BST_UNCHECKED));
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_JOURNAL_PURGE), static_cast<UINT>(BST_CHECKED));
            EXPECT_EQ(ItemText(page, IDC_JOURNAL_DAYS), "-2");
            Press(sheet, PSBTN_CANCEL);
        });
        EXPECT_FALSE(applied);
        EXPECT_EQ(JournalSettings, before);
    }
}

TEST_F(JournalPageTest, ShowsItsLabelsAndSitsInTheMiddleOfTheScreen)
{
    RunPage([&](HWND sheet, HWND page) {
        struct Label { int id; const char* text; } labels[] = {
            {IDC_JOURNAL_SHOW, "&Afficher le journal"},
            {IDC_JOURNAL_GATEWAY_LABEL, "&Passerelle :"},
            {IDC_JOURNAL_USER_LABEL, "&Utilisateur :"},
            {IDC_JOURNAL_PURGE, "&Supprimer les enregistrements"},
            {IDC_JOURNAL_BEFORE_LABEL, "Ant\xE9rieurs \xE0 "},
            {IDC_JOURNAL_DAYS_LABEL, "jours"},
        };
        for (const Label& label : labels)
            EXPECT_EQ(ItemText(page, label.id), label.text);
        char className[32] = {};
        GetClassNameA(GetDlgItem(page, IDC_JOURNAL_SEPARATOR), className, sizeof className);
        EXPECT_STREQ(className, "NiceBox32");
        char title[64] = {};
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = title;
        tab.cchTextMax = sizeof title;
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
        EXPECT_STREQ(title, "Journal");
        // Without a parent the sheet is centred on the screen.
        RECT r;
        GetWindowRect(sheet, &r);
        EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        Press(sheet, PSBTN_CANCEL);
    });
}

TEST_F(JournalPageTest, OkTakesEveryControlIntoTheSettings)
{
    Records records = {CallBytes({.dateTime = "01/01/1999 10:00:00"})};
    WriteJournal(records);
    std::vector<uint8_t> file = JournalNow();
    bool applied = RunPage([&](HWND sheet, HWND page) {
        Click(page, IDC_JOURNAL_SHOW);
        Choose(page, IDC_JOURNAL_GATEWAYS, 1);
        Choose(page, IDC_JOURNAL_USERS, 2);
        SetDlgItemTextA(page, IDC_JOURNAL_DAYS, "45");
        Press(sheet, PSBTN_OK);
    });
    EXPECT_TRUE(applied);
    EXPECT_EQ(JournalSettings, (JournalSettingsValues{2, 1, 0, 7, 0, 45}));
    EXPECT_EQ(JournalNow(), file) << "nothing is purged without the purge box";
    EXPECT_FALSE(Exists(Path("\\Journal.old")));
}

// A filter naming no entry of its list, or a list left with no entry
// selected, is stored as "Toutes"/"Tous", never as -1.
TEST_F(JournalPageTest, AFilterOutsideItsListIsStoredAsEveryEntry)
{
    JournalSettings = {-1, 7, 1, 7, 0, 30};
    EXPECT_TRUE(RunPage([](HWND sheet, HWND) { Press(sheet, PSBTN_OK); }));
    EXPECT_EQ(JournalSettings, (JournalSettingsValues{2, 3, 1, 7, 0, 30}));

    JournalSettings = {0, 0, 1, 7, 0, 30};
    EXPECT_TRUE(RunPage([](HWND sheet, HWND page) {
        SendDlgItemMessageA(page, IDC_JOURNAL_GATEWAYS, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendDlgItemMessageA(page, IDC_JOURNAL_USERS, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_JOURNAL_GATEWAYS, CB_GETCURSEL, 0, 0), CB_ERR);
        Press(sheet, PSBTN_OK);
    }));
    EXPECT_EQ(JournalSettings, (JournalSettingsValues{2, 3, 1, 7, 0, 30}));
}

// Unticked, the days field is kept as atoi reads it, whatever it holds.
TEST_F(JournalPageTest, WithoutThePurgeTheDaysAreReadAsAtoiDoes)
{
    struct Case { const char* text; int days; } cases[] = {
        {"", 0}, {"abc", 0}, {"-2", -2}, {"12 jours", 12}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
        {"  7", 7},
    };
    for (const Case& c : cases) {
        JournalSettings = kStartSettings;
        RunPage([&](HWND sheet, HWND page) {
            SetDlgItemTextA(page, IDC_JOURNAL_DAYS, c.text);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_EQ(JournalSettings.purgeDays, c.days) << c.text;
        EXPECT_EQ(JournalSettings.purge, 0) << c.text;
    }
}

// Records not later than the limit (days × 86400 s before now, in UTC) go;
// "Journal.old" holds the file as it was.
TEST_F(JournalPageTest, APurgeRemovesTheRecordsNotLaterThanTheLimitAndKeepsTheOldFile)
{
    Records records = {
        CallBytes({.user = "a", .dateTime = UtcText(-30 * kDay), .filler = 0x11}),
        CallBytes({.user = "b", .dateTime = UtcText(-10 * kDay - 120), .filler = 0x22}),
        CallBytes({.user = "c", .dateTime = UtcText(-10 * kDay + 120), .filler = 0x33}),
        CallBytes({.user = "d", .dateTime = UtcText(-120), .filler = 0x44}),
        CallBytes({.user = "e", .dateTime = UtcText(kDay), .filler = 0x55}),
    };
    struct Case { const char* text; int days; std::vector<size_t> kept; } cases[] = {
        {"10", 10, {2, 3, 4}},
        {" +10 ", 10, {2, 3, 4}},
        {"0", 0, {4}},
        {"31", 31, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        WriteJournal(records);
        std::vector<uint8_t> before = JournalNow();
        DeleteFileA(Path("\\Journal.old").c_str());
        JournalSettings = kStartSettings;
        bool applied = RunPage([&](HWND sheet, HWND page) {
            Click(page, IDC_JOURNAL_PURGE);
            SetDlgItemTextA(page, IDC_JOURNAL_DAYS, c.text);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_TRUE(applied) << c.text;
        Records kept;
        for (size_t i : c.kept)
            kept.push_back(records[i]);
        EXPECT_EQ(JournalNow(), JournalFileBytes(kept)) << c.text;
        EXPECT_EQ(JournalSettings.purge, 1) << c.text;
        EXPECT_EQ(JournalSettings.purgeDays, c.days) << c.text;
        if (kept.size() < records.size())
            EXPECT_EQ(ReadBytes(Path("\\Journal.old")), before) << c.text;
        else
            EXPECT_FALSE(Exists(Path("\\Journal.old"))) << c.text << ": nothing was removed";
    }
}

// A purge setting that is already on purges again on every OK; a purge that
// removes nothing keeps the backup of the one before.
TEST_F(JournalPageTest, ConfirmingAtOncePurgesAgainAndKeepsTheLastBackup)
{
    Records records = {CallBytes({.dateTime = UtcText(-40 * kDay), .filler = 0x11}),
                       CallBytes({.dateTime = UtcText(-kDay), .filler = 0x22})};
    WriteJournal(records);
    std::vector<uint8_t> first = JournalNow();
    JournalSettings.purge = 1;
    JournalSettings.purgeDays = 30;
    EXPECT_TRUE(RunPage([](HWND sheet, HWND) { Press(sheet, PSBTN_OK); }));
    EXPECT_EQ(JournalNow(), JournalFileBytes({records[1]}));
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), first);

    EXPECT_TRUE(RunPage([](HWND sheet, HWND) { Press(sheet, PSBTN_OK); }));
    EXPECT_EQ(JournalNow(), JournalFileBytes({records[1]}));
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), first) << "the backup of the purge that removed a record";
    EXPECT_EQ(JournalSettings.purge, 1);
    EXPECT_EQ(JournalSettings.purgeDays, 30);
}

// Ticked, a field without a usable number is refused before anything
// changes: the administrator is told, the sheet stays open on the page, and
// nothing is purged. Unticking the box then lets OK through.
TEST_F(JournalPageTest, APurgeWithoutAUsableNumberOfDaysIsRefused)
{
    Records records = {CallBytes({.dateTime = UtcText(-40 * kDay), .filler = 0x11}),
                       CallBytes({.dateTime = UtcText(-kDay), .filler = 0x22})};
    std::string tooMany = std::to_string(MaxPurgeDays() + 1);
    struct Case { std::string text; int daysUnticked; } cases[] = {
        {"", 0},
        {"abc", 0},
        {"-2", -2},
        {"10abc", 10},
        {"99999999999", INT_MAX},
        {tooMany, MaxPurgeDays() + 1},
    };
    for (const Case& c : cases) {
        WriteJournal(records);
        std::vector<uint8_t> file = JournalNow();
        JournalSettings = kStartSettings;
        ModalRecorder recorder;
        bool applied = RunPage([&](HWND sheet, HWND page) {
            Click(page, IDC_JOURNAL_PURGE);
            SetDlgItemTextA(page, IDC_JOURNAL_DAYS, c.text.c_str());
            Press(sheet, PSBTN_OK);
            EXPECT_TRUE(SheetOpen(sheet)) << c.text;
            EXPECT_EQ(JournalSettings, kStartSettings) << c.text;
            EXPECT_EQ(JournalNow(), file) << c.text;
            EXPECT_FALSE(Exists(Path("\\Journal.old"))) << c.text;
            EXPECT_EQ(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), reinterpret_cast<LRESULT>(page));
            Click(page, IDC_JOURNAL_PURGE);
            Press(sheet, PSBTN_OK);
        });
        EXPECT_TRUE(applied) << c.text;
        ASSERT_EQ(recorder.Calls().size(), 1u) << c.text;
        const ModalCall& call = recorder.Calls()[0];
        EXPECT_EQ(call.kind, "message");
        EXPECT_EQ(call.caption, "Attention");
        EXPECT_EQ(call.text, "Le nombre de jours doit \xEAtre un nombre entier compris entre 0 et " +
                                 std::to_string(MaxPurgeDays()) + ".");
        EXPECT_EQ(call.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
        EXPECT_EQ(call.type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(JournalSettings.purge, 0) << c.text;
        EXPECT_EQ(JournalSettings.purgeDays, c.daysUnticked) << c.text;
        EXPECT_EQ(JournalNow(), file) << c.text;
    }
}

// The largest number of days the date arithmetic carries is taken: its limit
// lies on 1 January 1970, before every record.
TEST_F(JournalPageTest, TheLargestNumberOfDaysIsTaken)
{
    Records records = {CallBytes({.dateTime = "02/01/1970 00:00:00"})};
    WriteJournal(records);
    RunPage([&](HWND sheet, HWND page) {
        Click(page, IDC_JOURNAL_PURGE);
        SetDlgItemTextA(page, IDC_JOURNAL_DAYS, std::to_string(MaxPurgeDays()).c_str());
        Press(sheet, PSBTN_OK);
    });
    EXPECT_EQ(JournalSettings.purgeDays, MaxPurgeDays());
    EXPECT_EQ(JournalNow(), JournalFileBytes(records));
    EXPECT_GT(MaxPurgeDays(), 365 * 50);
}

TEST_F(JournalPageTest, CancelAfterChangingEveryControlChangesNothing)
{
    Records records = {CallBytes({.dateTime = UtcText(-40 * kDay), .filler = 0x11}),
                       CallBytes({.dateTime = UtcText(-kDay), .filler = 0x22})};
    WriteJournal(records);
    std::vector<uint8_t> file = JournalNow();
    ModalRecorder recorder;
    bool applied = RunPage([&](HWND sheet, HWND page) {
        Click(page, IDC_JOURNAL_SHOW);
        Choose(page, IDC_JOURNAL_GATEWAYS, 2);
        Choose(page, IDC_JOURNAL_USERS, 0);
        Click(page, IDC_JOURNAL_PURGE);
        SetDlgItemTextA(page, IDC_JOURNAL_DAYS, "2");
        Press(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(applied);
    EXPECT_EQ(JournalSettings, kStartSettings);
    EXPECT_EQ(JournalNow(), file);
    EXPECT_FALSE(Exists(Path("\\Journal.old")));
    EXPECT_TRUE(recorder.Calls().empty());
}

// The sheet's help button and F1 (command 1056) open topic 105.
TEST_F(JournalPageTest, HelpOpensTopic105)
{
    ModalRecorder recorder;
    RunPage([&](HWND sheet, HWND page) {
        HWND help = GetDlgItem(sheet, IDHELP);
        EXPECT_TRUE(help && IsWindowVisible(help) && IsWindowEnabled(help));
        SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), reinterpret_cast<LPARAM>(help));
        PostMessageA(page, WM_COMMAND, ID_HELP_KEY, 0);
        PumpMessages();
        Press(sheet, PSBTN_CANCEL);
    });
    ASSERT_EQ(recorder.Calls().size(), 2u);
    for (const ModalCall& call : recorder.Calls()) {
        EXPECT_EQ(call.kind, "help");
        EXPECT_EQ(call.text, Path("\\admin.hlp"));
        EXPECT_EQ(call.type, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(call.data, 105u);
    }
}
