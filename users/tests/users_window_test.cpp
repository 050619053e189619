#include "users/users_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "journal/journal_settings.h"
#include "resources/resource.h"
#include "base/app.h"
#include "base/drawing_objects.h"
#include "states/activity_files.h"
#include "tests/wine/test_support.h"
#include "users/number_pool.h"
#include "users/numbers_record.h"
#include "users/user_database.h"
#include "users/user_tables.h"
#include "users/windows_user.h"
#include "zemoctln/zemoctln.h"

namespace {

struct UserSpec {
    UserSpec(std::string n, uint16_t s = 0, std::string p = {}) : name(std::move(n)), station(s), password(std::move(p)) {}
    std::string name;
    uint16_t station;
    std::string password;  // clear text; stored scrambled
};

constexpr char kCaption[] = "Configuration des utilisateurs";

std::unique_ptr<UserTable> TableOf(const std::vector<UserSpec>& users)
{
    auto table = std::make_unique<UserTable>();
    table->header = DefaultUserTableHeader(static_cast<uint16_t>(users.size()));
    for (size_t i = 0; i < users.size(); ++i) {
        UserRecord& r = table->records[i];
        std::strncpy(r.name, users[i].name.c_str(), sizeof r.name - 1);
        std::strncpy(r.password, users[i].password.c_str(), sizeof r.password - 1);
        ScrambleText(r.password);
        r.station = users[i].station;
        r.category = i == 0 ? CategoryAdministrator : CategoryUser;
    }
    return table;
}

// What a reseau.dat holds: the names in file order, and each clear password.
struct StoredUsers {
    std::vector<std::string> names;
    std::vector<std::string> passwords;
    std::vector<uint16_t> stations;
};

StoredUsers ReadUsers(const std::string& path)
{
    auto table = std::make_unique<UserTable>();
    UserFileHeader header;
    StoredUsers out;
    if (DecodeUserFile(ReadBytes(path), header, *table) != UserFileVerdict::Usable)
        return out;
    for (int i = 0; i < table->header.userCount; ++i) {
        UserRecord r = table->records[i];
        out.names.emplace_back(r.name, strnlen(r.name, sizeof r.name));
        UnscrambleText(r.password);
        out.passwords.emplace_back(r.password, strnlen(r.password, sizeof r.password));
        out.stations.push_back(r.station);
    }
    return out;
}

class UsersWindowTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        CreateDrawingObjects();
        RegisterNumberPoolClass(AppInstance);  // fails harmlessly when already done
        JournalSettings = {};
        StandaloneDialog = 0;
        SetWindowsUserNameForTests("Dupont");
        WriteBytes(Path("\\ActUser.dat"), std::vector<uint8_t>(3000, 0));
        ReadActivityFiles();
        FreeUserTable();
    }
    void TearDown() override
    {
        if (dialog_ && IsWindow(dialog_))
            DestroyWindow(dialog_);
        PumpMessages();
        FreeUserTable();
        FreeNumbersTable();
        StandaloneDialog = 0;
        SetWindowsUserNameForTests(nullptr);
        ProgramDirTest::TearDown();
    }

    void WriteUsers(const std::vector<UserSpec>& users)
    {
        WriteBytes(Path("\\reseau.dat"), EncodeUserFile(DefaultUserFileHeader(), *TableOf(users), MaxUsers));
    }
    // A Numaut.dat where the record of position p holds the one number "N<p>".
    void WriteTaggedNumbers(int count)
    {
        auto table = std::make_unique<NumbersTable>();
        table->head = static_cast<uint32_t>(count);
        for (int p = 0; p < count; ++p) {
            table->records[p].count = 1;
            std::snprintf(table->records[p].numbers[0], kNumberSize, "N%d", p);
        }
        WriteBytes(Path("\\Numaut.dat"), EncodeNumbersFile(*table));
    }
    // Marks activity records in ActUser.dat (byte 0 active, byte 2 password
    // changed) and reads the file as the main window's timer would.
    void SetActivity(int record, uint8_t active, uint8_t passwordChanged = 0)
    {
        auto bytes = ReadBytes(Path("\\ActUser.dat"));
        bytes[3 * record] = active;
        bytes[3 * record + 1] = 0x5A;  // the server's byte, never touched by the console
        bytes[3 * record + 2] = passwordChanged;
        WriteBytes(Path("\\ActUser.dat"), bytes);
        ReadActivityFiles();
    }

    // The window, modeless but otherwise as the console shows it.
    HWND Open()
    {
        dialog_ = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_USERS), nullptr, UsersDialog, 0);
        EXPECT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        UpdateWindow(dialog_);
        PumpMessages();
        return dialog_;
    }
    // The dialog ended: EndDialog hides it.
    bool Closed() const { return !IsWindowVisible(dialog_); }

    void Press(int id) { PressButton(dialog_, id); PumpMessages(); }
    void Key(int command) { SendDialogKey(dialog_, command); PumpMessages(); }
    void SelectRow(int row)
    {
        SendDlgItemMessageA(dialog_, IDC_USERS_LIST, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_USERS_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_USERS_LIST)));
    }
    void Type(int id, const char* text) { SetDlgItemTextA(dialog_, id, text); }
    std::string Text(int id)
    {
        char text[256] = {};
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        auto count = SendDlgItemMessageA(dialog_, IDC_USERS_LIST, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char text[64] = {};
            SendDlgItemMessageA(dialog_, IDC_USERS_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.emplace_back(text);
        }
        return rows;
    }
    int Selection() { return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_USERS_LIST, LB_GETCURSEL, 0, 0)); }
    bool Shown(int id) { return IsWindowVisible(GetDlgItem(dialog_, id)) != 0; }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog_, id)) != 0; }
    bool Editing() { return Shown(IDC_USER_VALIDATE); }

    HWND dialog_ = nullptr;
};

void ExpectMessage(const ModalCall& call, const std::string& text, const char* caption, UINT type,
                   const std::string& what = {})
{
    EXPECT_EQ(call.kind, "message") << what;
    EXPECT_EQ(call.text, text) << what;
    EXPECT_EQ(call.caption, caption) << what;
    EXPECT_EQ(call.type, type) << what;
}

const UINT kWarning = MB_OK | MB_ICONEXCLAMATION;
const UINT kQuestion = MB_YESNO | MB_ICONEXCLAMATION;

}  // namespace

// ---- Opening

TEST_F(UsersWindowTest, OpensOnTheSortedWorkCopyInBrowseMode)
{
    WriteUsers({{"DUPONT", 0, "X"}, {"BERNARD", 1, "SECRET"}, {"Claude", 2}});
    WriteTaggedNumbers(3);
    JournalSettings.userFilter = 0;
    ModalRecorder recorder;
    Open();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"BERNARD", "Claude", "DUPONT"}));
    EXPECT_EQ(Selection(), 0);
    EXPECT_EQ(Text(IDC_USER_NAME), "BERNARD");
    EXPECT_EQ(Text(IDC_USER_PASSWORD), "SECRET");
    EXPECT_EQ(Text(IDC_USER_CATEGORY), "Utilisateur");
    EXPECT_TRUE(Exists(Path("\\usertemp\\reseau.dat")));
    EXPECT_EQ(ReadBytes(Path("\\NumAut.sav")), ReadBytes(Path("\\Numaut.dat")));
    EXPECT_EQ(SendDlgItemMessageA(dialog_, IDC_USER_NAME, EM_GETLIMITTEXT, 0, 0), 20);
    EXPECT_EQ(SendDlgItemMessageA(dialog_, IDC_USER_PASSWORD, EM_GETLIMITTEXT, 0, 0), 20);
    EXPECT_NE(SendDlgItemMessageA(dialog_, IDC_TAB_CONFIGURATION, kTabIsSelected, 0, 0), 0);
    ASSERT_EQ(SendDlgItemMessageA(dialog_, IDC_USER_CATEGORY, CB_GETCOUNT, 0, 0), 2);
    char first[32] = {};
    SendDlgItemMessageA(dialog_, IDC_USER_CATEGORY, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, "Administrateur");
    EXPECT_TRUE(recorder.Calls().empty());

    SelectRow(2);
    EXPECT_EQ(Text(IDC_USER_NAME), "DUPONT");
    EXPECT_EQ(Text(IDC_USER_CATEGORY), "Administrateur");
}

// ---- Browse and edit states

TEST_F(UsersWindowTest, ButtonsAndFieldsFollowTheMode)
{
    WriteUsers({{"ALAIN"}, {"BRUNO", 1}});
    ModalRecorder recorder;
    Open();
    struct Step {
        const char* what;
        int command;  // 0: none
        bool editing;
    } steps[] = {
        {"opening", 0, false},
        {"Modifier", IDC_USER_MODIFY, true},
        {"Annuler the edit", IDC_USER_CANCEL_EDIT, false},
        {"Modifier again", IDC_USER_MODIFY, true},
        {"Valider", IDC_USER_VALIDATE, false},
    };
    for (const auto& step : steps) {
        if (step.command)
            Press(step.command);
        bool browse = !step.editing;
        for (int id : {IDC_USERS_LIST, IDOK, IDCANCEL, IDC_USER_DELETE})
            EXPECT_EQ(Enabled(id), browse) << step.what << " control " << id;
        for (int id : {IDC_USER_ADD, IDC_USER_MODIFY}) {
            EXPECT_EQ(Shown(id), browse) << step.what << " control " << id;
            EXPECT_EQ(Enabled(id), browse) << step.what << " control " << id;
        }
        for (int id : {IDC_USER_VALIDATE, IDC_USER_CANCEL_EDIT}) {
            EXPECT_EQ(Shown(id), step.editing) << step.what << " control " << id;
            EXPECT_EQ(Enabled(id), step.editing) << step.what << " control " << id;
        }
        for (int id : {IDC_USER_NAME, IDC_USER_PASSWORD, IDC_USER_CATEGORY}) {
            EXPECT_TRUE(Shown(id)) << step.what << " control " << id;
            EXPECT_EQ(Enabled(id), step.editing) << step.what << " control " << id;
        }
        EXPECT_FALSE(Shown(IDC_USER_MULTI_SESSION)) << step.what;
        EXPECT_TRUE(Enabled(IDC_USERS_HELP)) << step.what;
    }
    EXPECT_TRUE(recorder.Calls().empty());
}

TEST_F(UsersWindowTest, CancellingAnEditDropsTheTypedValues)
{
    WriteUsers({{"ALAIN", 0, "PASS"}});
    ModalRecorder recorder;
    Open();
    Press(IDC_USER_MODIFY);
    Type(IDC_USER_NAME, "AUTRE");
    Type(IDC_USER_PASSWORD, "NOUVEAU");
    Press(IDC_USER_CANCEL_EDIT);
    EXPECT_EQ(Text(IDC_USER_NAME), "ALAIN");
    EXPECT_EQ(Text(IDC_USER_PASSWORD), "PASS");
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(ReadUsers(Path("\\reseau.dat")).passwords, std::vector<std::string>{"PASS"});
}

TEST_F(UsersWindowTest, TabsSwitchTheConfigurationPage)
{
    WriteUsers({{"ALAIN"}, {"BRUNO", 1}});
    ModalRecorder recorder;
    Open();
    auto tabSelected = [this](int id) { return SendDlgItemMessageA(dialog_, id, kTabIsSelected, 0, 0) != 0; };
    Press(IDC_TAB_NUMBERS);
    EXPECT_TRUE(tabSelected(IDC_TAB_NUMBERS));
    EXPECT_FALSE(tabSelected(IDC_TAB_CONFIGURATION));
    for (int id : {IDC_USER_NAME_LABEL, IDC_USER_NAME, IDC_USER_PASSWORD_LABEL, IDC_USER_PASSWORD,
                   IDC_USER_CATEGORY_LABEL, IDC_USER_CATEGORY}) {
        EXPECT_FALSE(Shown(id)) << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }
    // A row chosen meanwhile shows on the configuration page once it is back,
    // editable when the choice is being edited.
    SelectRow(1);
    Press(IDC_USER_MODIFY);
    Press(IDC_TAB_CONFIGURATION);
    EXPECT_TRUE(tabSelected(IDC_TAB_CONFIGURATION));
    EXPECT_TRUE(Shown(IDC_USER_NAME));
    EXPECT_TRUE(Enabled(IDC_USER_NAME));
    EXPECT_EQ(Text(IDC_USER_NAME), "BRUNO");
    EXPECT_TRUE(recorder.Calls().empty());
}

// ---- "A&jouter"

TEST_F(UsersWindowTest, AddedUsersTakeTheLowestFreeStationAndTheirNameAsPassword)
{
    struct Case {
        std::vector<UserSpec> users;
        uint16_t station;
        std::string name;
    } cases[] = {
        {{}, 0, "Poste1"},
        {{{"A", 0}, {"B", 1}, {"C", 3}}, 2, "Poste3"},
        {{{"A", 2}, {"B", 1}}, 0, "Poste1"},
        {{{"A", 0}, {"B", 1}}, 2, "Poste3"},
        // The name another user already has, in any letter case, goes to
        // the next number nobody has.
        {{{"A", 0}, {"poste2", 5}, {"POSTE3", 6}}, 1, "Poste4"},
    };
    for (const auto& c : cases) {
        std::string what = c.name + " at station " + std::to_string(c.station);
        WriteUsers(c.users);
        DeleteFileA(Path("\\Numaut.dat").c_str());
        ModalRecorder recorder;
        Open();
        Press(IDC_USER_ADD);
        // The new user is in the work copy at once, and edited at once.
        StoredUsers work = ReadUsers(Path("\\usertemp\\reseau.dat"));
        ASSERT_EQ(work.names.size(), c.users.size() + 1) << what;
        EXPECT_EQ(work.names.back(), c.name) << what;
        EXPECT_EQ(ReadUsers(Path("\\reseau.dat")).names.size(), c.users.size()) << what;
        EXPECT_TRUE(Editing()) << what;
        EXPECT_EQ(Selection(), static_cast<int>(c.users.size())) << what;
        EXPECT_EQ(Text(IDC_USER_NAME), c.name) << what;
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, IDC_USER_NAME)) << what;

        Press(IDC_USER_VALIDATE);
        Press(IDOK);
        EXPECT_TRUE(Closed()) << what;
        StoredUsers stored = ReadUsers(Path("\\reseau.dat"));
        bool found = false;
        for (size_t i = 0; i < stored.names.size(); ++i) {
            if (stored.names[i] != c.name)
                continue;
            found = true;
            EXPECT_EQ(stored.stations[i], c.station) << what;
            EXPECT_EQ(stored.passwords[i], c.name) << what;
        }
        EXPECT_TRUE(found) << what;
        EXPECT_TRUE(recorder.Calls().empty()) << what;
        DestroyWindow(dialog_);
    }
}

TEST_F(UsersWindowTest, AddingToAThousandUsersIsRefused)
{
    std::vector<UserSpec> users;
    for (int i = 0; i < MaxUsers; ++i)
        users.push_back({"U" + std::to_string(1000 + i), static_cast<uint16_t>(i)});
    WriteUsers(users);
    ModalRecorder recorder;
    Open();
    auto before = ReadBytes(Path("\\usertemp\\reseau.dat"));
    Press(IDC_USER_ADD);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    ExpectMessage(recorder.Calls()[0], "Le nombre maximum d'utilisateurs est atteint.", "Attention", kWarning);
    EXPECT_EQ(Rows().size(), 1000u);
    EXPECT_FALSE(Editing());
    EXPECT_EQ(ReadBytes(Path("\\usertemp\\reseau.dat")), before);
    // Nothing changed, so "Annuler" asks nothing.
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(recorder.Calls().size(), 1u);
}

// ---- "&Valider"

TEST_F(UsersWindowTest, ValidatingChecksTheName)
{
    struct Case {
        int row;  // in the sorted list ALAIN, BRUNO, Claire
        const char* name;
        const char* message;  // nullptr: accepted
        const char* password = nullptr;  // typed too, when not null
    } cases[] = {
        {1, "alain", "Ce nom est déjà utilisé pour le poste 0."},
        {0, "CLAIRE", "Ce nom est déjà utilisé pour le poste 2."},
        {1, "bruno", nullptr},  // its own name in another case
        {1, "BRUNO", nullptr},
        {1, "", "Impossible de définir un nom vide"},
        {1, "a:b", "Ce nom ne peut pas servir de nom de répertoire."},
        {2, "con", "Ce nom ne peut pas servir de nom de répertoire."},
        {2, "point.", "Ce nom ne peut pas servir de nom de répertoire."},
        // The console's own directories: a gateway's line files, the work copies.
        {1, "PASS1", "Ce nom ne peut pas servir de nom de répertoire."},
        {1, "pass0", "Ce nom ne peut pas servir de nom de répertoire."},
        {2, "Pass7", "Ce nom ne peut pas servir de nom de répertoire."},
        {2, "UserTemp", "Ce nom ne peut pas servir de nom de répertoire."},
        {2, "pass8", nullptr},
        {2, "Zo\xE9", nullptr},
        // \x9F at index 2 scrambles to the terminating zero: the password would be cut.
        {1, "BRUNO", "Ce mot de passe contient un caractère qui ne peut pas être enregistré.", "AB\x9F"},
        {1, "BRUNO", nullptr, "AB\x9E"},
        {1, "alain", "Ce nom est déjà utilisé pour le poste 0.", "AB\x9F"},  // the name is checked first
    };
    for (const auto& c : cases) {
        std::string what = std::string("row ") + std::to_string(c.row) + " named '" + c.name + "'";
        WriteUsers({{"ALAIN"}, {"BRUNO", 1}, {"Claire", 2}});
        ModalRecorder recorder;
        Open();
        SelectRow(c.row);
        Press(IDC_USER_MODIFY);
        Type(IDC_USER_NAME, c.name);
        if (c.password)
            Type(IDC_USER_PASSWORD, c.password);
        Press(IDC_USER_VALIDATE);
        if (c.message) {
            ASSERT_EQ(recorder.Calls().size(), 1u) << what;
            ExpectMessage(recorder.Calls()[0], c.message, "Attention", kWarning, what);
            EXPECT_TRUE(Editing()) << what;
            EXPECT_EQ(Text(IDC_USER_NAME), c.name) << what;
            EXPECT_EQ(ReadUsers(Path("\\usertemp\\reseau.dat")).names,
                      (std::vector<std::string>{"ALAIN", "BRUNO", "Claire"}))
                << what;
        } else {
            EXPECT_TRUE(recorder.Calls().empty()) << what;
            EXPECT_FALSE(Editing()) << what;
            auto names = ReadUsers(Path("\\usertemp\\reseau.dat")).names;
            EXPECT_NE(std::find(names.begin(), names.end(), c.name), names.end()) << what;
        }
        DestroyWindow(dialog_);
    }
}

TEST_F(UsersWindowTest, ValidatingStoresTheFieldsAndSortsTheWorkCopy)
{
    WriteUsers({{"ALAIN", 0, "A"}, {"BRUNO", 1, "B"}});
    WriteTaggedNumbers(2);
    std::vector<uint8_t> numbersBefore = ReadBytes(Path("\\Numaut.dat"));
    ModalRecorder recorder;
    Open();
    Press(IDC_USER_MODIFY);
    Type(IDC_USER_NAME, "ZOE");
    Type(IDC_USER_PASSWORD, "motdepasse");
    SendDlgItemMessageA(dialog_, IDC_USER_CATEGORY, CB_SETCURSEL, 1, 0);  // "Utilisateur"
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_USER_CATEGORY, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_USER_CATEGORY)));
    Press(IDC_USER_VALIDATE);
    // The row stays where it was and now holds the user that the sort put
    // there; the page shows that user.
    EXPECT_EQ(Selection(), 0);
    EXPECT_EQ(Text(IDC_USER_NAME), "BRUNO");
    EXPECT_EQ(Text(IDC_USER_PASSWORD), "B");
    StoredUsers work = ReadUsers(Path("\\usertemp\\reseau.dat"));
    EXPECT_EQ(work.names, (std::vector<std::string>{"BRUNO", "ZOE"}));
    EXPECT_EQ(work.passwords, (std::vector<std::string>{"B", "MOTDEPASSE"}));
    // The numbers records moved with their users in the work copy; Numaut.dat
    // waits for "OK", which commits both files.
    auto numbers = std::make_unique<NumbersTable>();
    DecodeNumbersFile(ReadBytes(Path("\\usertemp\\Numaut.dat")), *numbers);
    EXPECT_STREQ(numbers->records[0].numbers[0], "N1");
    EXPECT_STREQ(numbers->records[1].numbers[0], "N0");
    EXPECT_EQ(ReadBytes(Path("\\Numaut.dat")), numbersBefore);
    Press(IDOK);
    ASSERT_TRUE(Closed());
    DecodeNumbersFile(ReadBytes(Path("\\Numaut.dat")), *numbers);
    EXPECT_STREQ(numbers->records[0].numbers[0], "N1");
    EXPECT_STREQ(numbers->records[1].numbers[0], "N0");
    auto table = std::make_unique<UserTable>();
    UserFileHeader header;
    ASSERT_EQ(DecodeUserFile(ReadBytes(Path("\\reseau.dat")), header, *table), UserFileVerdict::Usable);
    EXPECT_EQ(table->records[1].category, CategoryUser);  // ALAIN was the administrator
    EXPECT_EQ(table->records[1].station, 0);
    EXPECT_TRUE(recorder.Calls().empty());
}

// ---- "&Supprimer"

TEST_F(UsersWindowTest, Deleting)
{
    struct Case {
        const char* what;
        int row;
        int activeRecord;  // -1: nobody active
        int answer;
        std::vector<std::string> messages;
        std::vector<std::string> rows;
        int selection;
    } cases[] = {
        {"the middle user", 1, -1, IDYES, {"Voulez-vous vraiment supprimer cet utilisateur?"}, {"A", "C"}, 1},
        {"the last user", 2, -1, IDYES, {"Voulez-vous vraiment supprimer cet utilisateur?"}, {"A", "B"}, 1},
        {"answered No", 1, -1, IDNO, {"Voulez-vous vraiment supprimer cet utilisateur?"}, {"A", "B", "C"}, 1},
        // reseau.dat holds C, A, B: the active record 2 is B, row 1 once sorted.
        {"an active user", 1, 2, IDYES, {"Impossible de supprimer cet utilisateur car son poste est actuellement lancé"},
         {"A", "B", "C"}, 1},
    };
    for (const auto& c : cases) {
        WriteUsers({{"C", 2}, {"A", 0}, {"B", 1}});
        WriteTaggedNumbers(3);
        WriteBytes(Path("\\ActUser.dat"), std::vector<uint8_t>(3000, 0));
        if (c.activeRecord >= 0)
            SetActivity(c.activeRecord, 1);
        else
            ReadActivityFiles();
        ModalRecorder recorder;
        recorder.Answer(c.answer);
        Open();
        auto workBefore = ReadBytes(Path("\\usertemp\\reseau.dat"));
        auto numbersBefore = ReadBytes(Path("\\usertemp\\Numaut.dat"));
        auto committedNumbers = ReadBytes(Path("\\Numaut.dat"));
        SelectRow(c.row);
        Press(IDC_USER_DELETE);
        ASSERT_EQ(recorder.Calls().size(), c.messages.size()) << c.what;
        bool active = c.activeRecord >= 0;
        ExpectMessage(recorder.Calls()[0], c.messages[0], active ? "ATTENTION" : "Attention",
                      active ? kWarning : kQuestion, c.what);
        EXPECT_EQ(Rows(), c.rows) << c.what;
        EXPECT_EQ(Selection(), c.selection) << c.what;
        EXPECT_FALSE(Editing()) << c.what;
        bool deleted = c.rows.size() == 2;
        if (deleted) {
            EXPECT_EQ(ReadUsers(Path("\\usertemp\\reseau.dat")).names, c.rows) << c.what;
            EXPECT_EQ(Text(IDC_USER_NAME), c.rows[static_cast<size_t>(c.selection)]) << c.what;
            // The numbers records moved up with their users in the work copy;
            // the freed slot is zero.
            auto numbers = std::make_unique<NumbersTable>();
            DecodeNumbersFile(ReadBytes(Path("\\usertemp\\Numaut.dat")), *numbers);
            EXPECT_STREQ(numbers->records[0].numbers[0], "N1") << c.what;  // A, from reseau.dat position 1
            EXPECT_STREQ(numbers->records[1].numbers[0], c.row == 1 ? "N0" : "N2") << c.what;
            EXPECT_EQ(numbers->records[2].count, 0u) << c.what;
        } else {
            EXPECT_EQ(ReadBytes(Path("\\usertemp\\reseau.dat")), workBefore) << c.what;
            EXPECT_EQ(ReadBytes(Path("\\usertemp\\Numaut.dat")), numbersBefore) << c.what;
            // Nothing changed: "Annuler" closes without a question.
            Press(IDCANCEL);
            EXPECT_TRUE(Closed()) << c.what;
            EXPECT_EQ(recorder.Calls().size(), c.messages.size()) << c.what;
        }
        EXPECT_EQ(ReadBytes(Path("\\Numaut.dat")), committedNumbers) << c.what << ": only \"OK\" commits it";
        DestroyWindow(dialog_);
    }
}

TEST_F(UsersWindowTest, DeletingTheOnlyUserLeavesNoSelection)
{
    WriteUsers({{"SEUL"}});
    ModalRecorder recorder;
    recorder.Answer(IDYES);
    Open();
    Press(IDC_USER_DELETE);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Selection(), LB_ERR);
    Press(IDC_USER_MODIFY);  // nothing to edit
    EXPECT_FALSE(Editing());
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(ReadUsers(Path("\\reseau.dat")).names.empty());
}

// ---- "Annuler" and the close request

TEST_F(UsersWindowTest, CancelWithoutChangeClosesWithoutAQuestion)
{
    WriteUsers({{"ALAIN"}});
    WriteTaggedNumbers(1);
    ModalRecorder recorder;
    Open();
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(recorder.Calls().empty());
    EXPECT_FALSE(Exists(Path("\\NumAut.sav")));
    EXPECT_FALSE(Exists(Path("\\usertemp\\reseau.dat")));
}

TEST_F(UsersWindowTest, CancelAfterChangesAsksAndPutsBothFilesBack)
{
    WriteUsers({{"BRUNO", 1}, {"ALAIN"}, {"CLAIRE", 2}});
    WriteTaggedNumbers(3);
    auto users = ReadBytes(Path("\\reseau.dat"));
    auto numbers = ReadBytes(Path("\\Numaut.dat"));
    ModalRecorder recorder;
    recorder.Answer(IDYES);  // the deletion
    recorder.Answer(IDNO);   // the first "Annuler"
    recorder.Answer(IDYES);  // the second
    Open();
    Press(IDC_USER_DELETE);
    Press(IDC_USER_ADD);
    Press(IDC_USER_VALIDATE);

    Press(IDCANCEL);
    ASSERT_EQ(recorder.Calls().size(), 2u);
    ExpectMessage(recorder.Calls()[1], "Voulez-vous vraiment ignorer les modifications ?", "Attention", kQuestion);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"BRUNO", "CLAIRE", "Poste1"}));
    EXPECT_EQ(ReadUsers(Path("\\usertemp\\reseau.dat")).names, Rows());
    // Both files wait for "OK": the changes are in their work copies only.
    EXPECT_NE(ReadBytes(Path("\\usertemp\\Numaut.dat")), numbers);
    EXPECT_EQ(ReadBytes(Path("\\Numaut.dat")), numbers);
    EXPECT_EQ(ReadBytes(Path("\\reseau.dat")), users);

    Press(IDCANCEL);
    ASSERT_EQ(recorder.Calls().size(), 3u);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(ReadBytes(Path("\\reseau.dat")), users);
    EXPECT_EQ(ReadBytes(Path("\\Numaut.dat")), numbers);
    EXPECT_FALSE(Exists(Path("\\NumAut.sav")));
    EXPECT_FALSE(Exists(Path("\\usertemp\\reseau.dat")));
    EXPECT_FALSE(Exists(Path("\\usertemp\\Numaut.dat")));
    EXPECT_FALSE(DirExists(Path("\\usertemp")));
    // The table is reseau.dat again.
    EXPECT_EQ(UserCount(), 3);
    EXPECT_STREQ(UserAt(0).name, "BRUNO");
}

TEST_F(UsersWindowTest, CloseRequestGoesThroughAnnuler)
{
    struct Case {
        const char* what;
        bool change;   // a user added and validated first
        bool editing;  // "Modi&fier" pressed before the request
        UINT message;  // WM_CLOSE, or WM_SYSCOMMAND with SC_CLOSE
        int answer;    // to the question, when asked
        bool asked;
        bool closed;
    } cases[] = {
        {"no change", false, false, WM_CLOSE, IDYES, false, true},
        {"no change, system menu", false, false, WM_SYSCOMMAND, IDYES, false, true},
        {"change, refused", true, false, WM_CLOSE, IDNO, true, false},
        {"change, accepted", true, false, WM_SYSCOMMAND, IDYES, true, true},
        {"editing, no change", false, true, WM_CLOSE, IDYES, false, true},
        {"editing after a change, refused", true, true, WM_CLOSE, IDNO, true, false},
    };
    for (const auto& c : cases) {
        WriteUsers({{"ALAIN"}});
        WriteTaggedNumbers(1);
        auto users = ReadBytes(Path("\\reseau.dat"));
        ModalRecorder recorder;
        recorder.Answer(c.answer);
        Open();
        if (c.change) {
            Press(IDC_USER_ADD);
            Press(IDC_USER_VALIDATE);
        }
        if (c.editing)
            Press(IDC_USER_MODIFY);
        if (c.message == WM_CLOSE)
            SendMessageA(dialog_, WM_CLOSE, 0, 0);
        else
            SendMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpMessages();
        ASSERT_EQ(recorder.Calls().size(), c.asked ? 1u : 0u) << c.what;
        if (c.asked)
            ExpectMessage(recorder.Calls()[0], "Voulez-vous vraiment ignorer les modifications ?", "Attention",
                          kQuestion, c.what);
        EXPECT_EQ(Closed(), c.closed) << c.what;
        // An edit under way is dropped first: a refused close stays, in browse mode.
        EXPECT_FALSE(Editing()) << c.what;
        if (c.closed)
            EXPECT_EQ(ReadBytes(Path("\\reseau.dat")), users) << c.what;
        else
            EXPECT_EQ(ReadUsers(Path("\\usertemp\\reseau.dat")).names.size(), 2u) << c.what;
        DestroyWindow(dialog_);
    }
}

TEST_F(UsersWindowTest, EnterAndEscapeWhileEditing)
{
    WriteUsers({{"ALAIN"}});
    ModalRecorder recorder;
    Open();
    Press(IDC_USER_MODIFY);
    Type(IDC_USER_NAME, "AUTRE");
    Key(IDOK);  // the Enter key: "OK" is not taken while editing
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(Editing());
    Key(IDCANCEL);  // the Escape key
    EXPECT_FALSE(Closed());
    EXPECT_FALSE(Editing());
    EXPECT_EQ(Text(IDC_USER_NAME), "ALAIN");
    EXPECT_TRUE(recorder.Calls().empty());
}

// ---- "OK"

TEST_F(UsersWindowTest, OkTellsActiveUsersThatMovedAndClearsTheirOldRecord)
{
    // reseau.dat order A, B, D, E, C: sorted, C moves from 4 to 2, D and E
    // from 2 and 3 to 3 and 4, A stays at 0.
    WriteUsers({{"A", 0}, {"B", 1}, {"D", 2}, {"E", 3}, {"C", 4}});
    for (const char* name : {"A", "B", "C", "D", "E"})
        CreateDirectoryA(Path(std::string("\\") + name).c_str(), nullptr);
    SetActivity(4, 1);  // C
    SetActivity(0, 1);  // A
    auto activity = ReadBytes(Path("\\ActUser.dat"));
    ModalRecorder recorder;
    Open();
    Press(IDOK);
    ASSERT_TRUE(Closed());
    auto after = ReadBytes(Path("\\ActUser.dat"));
    ASSERT_EQ(after.size(), 3000u);
    EXPECT_EQ(after[12], 0);     // C's old record, no longer active
    EXPECT_EQ(after[13], 0x5A);  // the server's byte as it was
    activity[12] = 0;
    EXPECT_EQ(after, activity);  // every other byte as it was: A's record untouched
    EXPECT_EQ(IniText(Path("\\C\\minitel.ini"), "Minitel", "ForceUserActif"), "1");
    for (const char* name : {"A", "B", "D", "E"})
        EXPECT_EQ(IniText(Path(std::string("\\") + name + "\\minitel.ini"), "Minitel", "ForceUserActif"), "")
            << name;
    EXPECT_EQ(UserActiveFlags[4], 0);
    EXPECT_EQ(UserActiveFlags[0], 1);
    EXPECT_EQ(ReadUsers(Path("\\reseau.dat")).names, (std::vector<std::string>{"A", "B", "C", "D", "E"}));
    EXPECT_FALSE(Exists(Path("\\NumAut.sav")));
    EXPECT_TRUE(recorder.Calls().empty());
}

TEST_F(UsersWindowTest, OkTellsNoUserThroughAPathOutsideItsDirectory)
{
    // A user named ".." (from a file written elsewhere) moves from 1 to 0:
    // its settings file would be the parent directory's.
    WriteUsers({{"A", 0}, {"..", 1}});
    SetActivity(1, 1);
    std::string outside = Path("\\..\\minitel.ini");
    DeleteFileA(outside.c_str());
    ModalRecorder recorder;
    Open();
    Press(IDOK);
    ASSERT_TRUE(Closed());
    EXPECT_FALSE(Exists(outside));
    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat"))[3], 0);  // its old record is still cleared
}

TEST_F(UsersWindowTest, TheJournalFilterFollowsItsUser)
{
    struct Case {
        const char* what;
        int filter;  // on opening, a position in reseau.dat order ALAIN, BRUNO, CLAIRE
        int command;
        int expected;
    } cases[] = {
        {"renamed to the end", 1, IDC_USER_VALIDATE, 2},
        {"deleted", 1, IDC_USER_DELETE, 2},
        {"all users, a rename", 3, IDC_USER_VALIDATE, 3},
        {"another user deleted", 2, IDC_USER_DELETE, 1},
    };
    for (const auto& c : cases) {
        WriteUsers({{"ALAIN"}, {"BRUNO", 1}, {"CLAIRE", 2}});
        JournalSettings.userFilter = c.filter;
        ModalRecorder recorder;
        recorder.Answer(IDYES);
        Open();
        SelectRow(1);  // BRUNO
        if (c.command == IDC_USER_VALIDATE) {
            Press(IDC_USER_MODIFY);
            Type(IDC_USER_NAME, "ZOE");
        }
        Press(c.command);
        Press(IDOK);
        EXPECT_TRUE(Closed()) << c.what;
        EXPECT_EQ(JournalSettings.userFilter, c.expected) << c.what;
        DestroyWindow(dialog_);
    }
}

// Another program holds Numaut.dat while the window opens: it is said, and
// "OK" reads the file again and carries each user's numbers to the user's
// new place, so that no user loses or swaps numbers.
TEST_F(UsersWindowTest, ANumautHeldWhileTheWindowOpensKeepsEveryUsersNumbersAfterOk)
{
    WriteUsers({{"ALAIN"}, {"BRUNO", 1}, {"Claire", 2}});
    WriteTaggedNumbers(3);  // ALAIN N0, BRUNO N1, Claire N2
    HANDLE held = CreateFileA(Path("\\Numaut.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ModalRecorder recorder;
    Open();
    CloseHandle(held);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    ExpectMessage(recorder.Calls()[0],
                  "Le fichier Numaut.dat ne peut pas être lu : il est conservé tel quel, et les numéros interdits ne "
                  "peuvent pas être modifiés.",
                  "Erreur lecture de fichier", kWarning, "held Numaut.dat");
    SelectRow(0);
    Press(IDC_USER_MODIFY);
    Type(IDC_USER_NAME, "ZACK");  // ALAIN goes last
    Press(IDC_USER_VALIDATE);
    Press(IDOK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(ReadUsers(Path("\\reseau.dat")).names, (std::vector<std::string>{"BRUNO", "Claire", "ZACK"}));
    auto numbers = std::make_unique<NumbersTable>();
    DecodeNumbersFile(ReadBytes(Path("\\Numaut.dat")), *numbers);
    EXPECT_EQ(numbers->head, 3u);
    const char* expected[] = {"N1", "N2", "N0"};
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(numbers->records[p].count, 1u) << p;
        EXPECT_STREQ(numbers->records[p].numbers[0], expected[p]) << p;
    }
}

TEST_F(UsersWindowTest, OkKeepsTheWindowWhenTheWorkFilesCannotBeSavedOrCommitted)
{
    // Something in a file's place that no file can replace.
    struct Case {
        const char* what;
        const char* blocked;
    } cases[] = {
        {"reseau.dat cannot be replaced", "\\reseau.dat"},
        {"Numaut.dat cannot be saved", "\\Numaut.dat"},
    };
    for (const Case& c : cases) {
        WriteUsers({{"ALAIN"}, {"BRUNO", 1}});
        CreateDirectoryA(Path("\\BRUNO").c_str(), nullptr);
        SetActivity(1, 1);
        JournalSettings.userFilter = 1;
        ModalRecorder recorder;
        recorder.Answer(IDYES);
        Open();
        SelectRow(0);
        Press(IDC_USER_DELETE);  // BRUNO moves from 1 to 0
        auto users = ReadBytes(Path("\\reseau.dat"));
        DeleteFileA(Path(c.blocked).c_str());
        ASSERT_TRUE(CreateDirectoryA(Path(c.blocked).c_str(), nullptr)) << c.what;
        Press(IDOK);
        ASSERT_EQ(recorder.Calls().size(), 2u) << c.what;
        ExpectMessage(recorder.Calls()[1], "Les modifications n'ont pas pu être enregistrées dans reseau.dat.",
                      "Attention", kWarning, c.what);
        EXPECT_FALSE(Closed()) << c.what;
        if (std::string(c.blocked) != "\\reseau.dat") {
            EXPECT_EQ(ReadBytes(Path("\\reseau.dat")), users) << c.what;
        }
        EXPECT_EQ(IniText(Path("\\BRUNO\\minitel.ini"), "Minitel", "ForceUserActif"), "") << c.what;
        EXPECT_EQ(ReadBytes(Path("\\ActUser.dat"))[3], 1) << c.what;
        EXPECT_EQ(JournalSettings.userFilter, 1) << c.what;
        EXPECT_TRUE(Exists(Path("\\NumAut.sav"))) << c.what;
        DestroyWindow(dialog_);
        RemoveDirectoryA(Path(c.blocked).c_str());
        DeleteFileA(Path("\\Numaut.dat").c_str());
    }
}

// ---- Drawing and the changed password

TEST_F(UsersWindowTest, APasswordChangedAtTheWorkstationIsTakenOver)
{
    WriteUsers({{"ALAIN", 0, "ANCIEN"}, {"BRUNO", 1, "B"}});
    ModalRecorder recorder;
    Open();
    // The workstation writes its new password into reseau.dat and says so.
    WriteUsers({{"ALAIN", 0, "NOUVEAU"}, {"BRUNO", 1, "B"}});
    SetActivity(0, 1, 1);
    SendMessageA(dialog_, WM_TIMER, 1, 0);
    UpdateWindow(GetDlgItem(dialog_, IDC_USERS_LIST));
    PumpMessages();
    EXPECT_EQ(ReadBytes(Path("\\ActUser.dat"))[2], 0);
    EXPECT_FALSE(PasswordChanged(0));
    EXPECT_EQ(Text(IDC_USER_PASSWORD), "NOUVEAU");
    EXPECT_EQ(ReadUsers(Path("\\usertemp\\reseau.dat")).passwords, (std::vector<std::string>{"NOUVEAU", "B"}));
    // The edit buffers hold it as stored: editing and validating keeps it.
    Press(IDC_USER_MODIFY);
    EXPECT_EQ(Text(IDC_USER_PASSWORD), "NOUVEAU");
    Press(IDC_USER_VALIDATE);
    Press(IDOK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(ReadUsers(Path("\\reseau.dat")).passwords, (std::vector<std::string>{"NOUVEAU", "B"}));
    EXPECT_TRUE(recorder.Calls().empty());
}

// ---- Help

// "Ai&de" and the F1 key, which the message-filter hook turns into the help
// command, have numbers of their own and do the same.
TEST_F(UsersWindowTest, HelpOpensTheUsersTopic)
{
    WriteUsers({{"ALAIN"}});
    Open();
    struct Way { const char* what; std::function<void()> ask; } ways[] = {
        {"Ai&de", [&] { Press(IDC_USERS_HELP); }},
        {"F1", [&] { SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(ID_HELP_KEY, 0), 0); }},
    };
    for (const Way& way : ways) {
        ModalRecorder recorder;
        way.ask();
        ASSERT_EQ(recorder.Calls().size(), 1u) << way.what;
        EXPECT_EQ(recorder.Calls()[0].kind, "help") << way.what;
        EXPECT_EQ(recorder.Calls()[0].text, Path("\\admin.hlp")) << way.what;
        EXPECT_EQ(recorder.Calls()[0].type, static_cast<UINT>(HELP_CONTEXT)) << way.what;
        EXPECT_EQ(recorder.Calls()[0].data, 101u) << way.what;
        EXPECT_FALSE(Closed()) << way.what;
    }
}

// ---- Stand-alone use ("/u"), shown modally as the console shows it

namespace {
struct StandaloneSeen {
    bool editing = false;
    std::string name;
    std::string password;
    bool passwordFocused = false;
} Seen;

void CheckNewUserAndValidate(HWND dialog)
{
    // The modal loop shows the window once its queue is empty: the posted
    // "A&jouter" has run by now.
    Seen.editing = IsWindowVisible(GetDlgItem(dialog, IDC_USER_VALIDATE)) != 0;
    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_USER_NAME, text, sizeof text);
    Seen.name = text;
    GetDlgItemTextA(dialog, IDC_USER_PASSWORD, text, sizeof text);
    Seen.password = text;
    Seen.passwordFocused = GetFocus() == GetDlgItem(dialog, IDC_USER_PASSWORD);
    SetDlgItemTextA(dialog, IDC_USER_PASSWORD, "secret");
    PressButton(dialog, IDC_USER_VALIDATE);
    PressButton(dialog, IDOK);
}
}  // namespace

// Alone ("/u"), the window is the console: the end of the session clears
// the running flag and drops the work copies, as closing does.
TEST_F(UsersWindowTest, StandaloneTheEndOfTheSessionClearsTheRunningFlagAndTheWorkCopies)
{
    WriteUsers({{"ALAIN"}, {"BRUNO", 1}});
    WriteTaggedNumbers(2);
    WritePrivateProfileStringA("Administrateur", "Etat", "1", Path("\\admin.ini").c_str());
    StandaloneDialog = 1;
    ModalRecorder recorder;
    Open();
    ASSERT_TRUE(Exists(Path("\\usertemp\\reseau.dat")));
    SendMessageA(dialog_, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(IniText(Path("\\admin.ini"), "Administrateur", "Etat"), "1") << "the session goes on";
    EXPECT_TRUE(Exists(Path("\\usertemp\\reseau.dat")));
    SendMessageA(dialog_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(IniText(Path("\\admin.ini"), "Administrateur", "Etat"), "0");
    EXPECT_FALSE(Exists(Path("\\usertemp")));
    EXPECT_FALSE(Exists(Path("\\NumAut.sav")));
    EXPECT_EQ(ReadUsers(Path("\\reseau.dat")).names, (std::vector<std::string>{"ALAIN", "BRUNO"}));
}

TEST_F(UsersWindowTest, StandaloneOpensIntoEditingTheWindowsUser)
{
    struct Case {
        const char* windowsUser;
        const char* name;
    } cases[] = {
        {"Martin", "Martin"},
        {"UnNomBeaucoupTropLongPourLeChamp", "UnNomBeaucoupTropLon"},  // cut to 20 characters
    };
    for (const auto& c : cases) {
        WriteUsers({{"ADMIN"}});
        SetWindowsUserNameForTests(c.windowsUser);
        StandaloneDialog = 1;
        Seen = {};
        ModalRecorder recorder;
        DialogDriver driver;
        driver.Then(kCaption, CheckNewUserAndValidate);
        EXPECT_EQ(ShowUsersWindow(nullptr), 1);
        EXPECT_EQ(driver.StepsDone(), 1) << c.name;
        EXPECT_EQ(driver.Unexpected(), 0) << c.name;
        EXPECT_TRUE(Seen.editing) << c.name;
        EXPECT_EQ(Seen.name, c.name);
        EXPECT_EQ(Seen.password, "");
        EXPECT_TRUE(Seen.passwordFocused) << c.name;
        StoredUsers stored = ReadUsers(Path("\\reseau.dat"));
        EXPECT_EQ(stored.names, (std::vector<std::string>{"ADMIN", c.name}));
        EXPECT_EQ(stored.passwords.back(), "SECRET") << c.name;
        EXPECT_TRUE(recorder.Calls().empty()) << c.name;
    }
}
