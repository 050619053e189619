#include "users/users_confirm.h"

#include <cstring>
#include <memory>
#include <string>

#include "base/file_io.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "journal/journal_file.h"
#include "states/activity_files.h"
#include "users/dir_ops_plan.h"
#include "users/directory_name.h"
#include "users/numbers_file.h"
#include "users/user_database.h"
#include "users/user_dir_ops.h"
#include "users/user_sort.h"
#include "users/user_table_ops.h"
#include "users/user_tables.h"

namespace {

constexpr char kNotSaved[] = "Les modifications n'ont pas pu être enregistrées dans reseau.dat.";

void Warn(HWND owner, const std::string& text)
{
    ShowMessageBox(owner, text.c_str(), "Attention", MB_OK | MB_ICONEXCLAMATION);
}

bool IsAddedInWindow(int position)
{
    return UserKeys[static_cast<size_t>(position)] >= kFirstAddedUserKey;
}

// Numaut.dat could not be read when the window opened: it is read again and
// each user's record carried to the user's place now; a user added in the
// window starts with none. False when it still cannot be read.
bool ReadNumbersAlongUsers(const UsersWindowState& state)
{
    std::string path = ProgramPath("\\Numaut.dat");
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path);
    NumbersTable& table = CurrentNumbersTable();
    if (!bytes) {
        if (ExaminePath(path) != PathState::missing)
            return false;
        ClearNumbersTable(table);
        table.head = static_cast<uint32_t>(UserCount());
        return true;
    }
    auto file = std::make_unique<NumbersTable>();
    DecodeNumbersFile(*bytes, *file);
    ClearNumbersTable(table);
    table.head = file->head;
    for (int p = 0; p < UserCount(); ++p) {
        uint32_t record = PositionMap[static_cast<size_t>(p)];
        if (!IsAddedInWindow(p) && record < state.OpeningUsers.size() && record < MaxUsers)
            table.records[static_cast<size_t>(p)] = file->records[record];
    }
    return true;
}

// The active users that the window moved get their old activity record
// cleared and are told, through their own settings file, to announce
// themselves again.
void TellMovedActiveUsers()
{
    std::vector<int> moved = FindMovedActiveUsers(PositionMap, UserActiveFlags);
    for (int p : moved) {
        auto record = static_cast<int>(PositionMap[static_cast<size_t>(p)]);
        SetUserActive(record, false);
        WriteUserActivityRecord(record);
    }
    for (int p : moved) {
        UserActiveFlags[PositionMap[static_cast<size_t>(p)]] = 0;
        std::string name(StoredName(UserAt(p)));
        if (IsUsableDirectoryName(name))
            WriteProfileInt("Minitel", "ForceUserActif", 1, GetProgramDir() + "\\" + name + "\\minitel.ini");
    }
}

void ReportDirOps(HWND owner, const DirOpsOutcome& outcome)
{
    if (!outcome.journalWritten) {
        Warn(owner, "Le journal des appels n'a pas pu être mis à jour : les répertoires des utilisateurs n'ont pas "
                    "été modifiés.");
        return;
    }
    std::string text;
    auto list = [&text](const char* title, const std::vector<std::string>& names) {
        if (names.empty())
            return;
        if (!text.empty())
            text += "\n\n";
        text += title;
        for (const std::string& name : names)
            text += "\n" + name;
    };
    list("Ces répertoires d'utilisateurs n'ont pas pu prendre leur nouveau nom :", outcome.notRenamed);
    list("Ces répertoires d'utilisateurs supprimés n'ont pas pu être effacés entièrement :", outcome.notDeleted);
    list("Ces répertoires d'utilisateurs n'ont pas pu être créés :", outcome.notMade);
    list("Le fichier minitel.ini de ces utilisateurs n'a pas pu être mis à jour :", outcome.settingsNotRewritten);
    if (!text.empty())
        Warn(owner, text);
}

}  // namespace

std::unique_ptr<UserTable> ReadStoredUsers()
{
    auto table = std::make_unique<UserTable>();
    UserFileHeader header;
    UserFileReading reading = ReadUserDatabaseFile(ProgramPath("\\reseau.dat"), header, *table);
    if (!reading.opened || reading.verdict != UserFileVerdict::Usable)
        return nullptr;
    return table;
}

PasswordTakeOver TakeOverChangedPassword(const UsersWindowState& state, int position, const UserTable* stored)
{
    if (position < 0 || position >= UserCount() || IsAddedInWindow(position))
        return PasswordTakeOver::none;
    auto record = static_cast<int>(PositionMap[static_cast<size_t>(position)]);
    if (record < 0 || static_cast<size_t>(record) >= state.OpeningUsers.size() || !PasswordChanged(record))
        return PasswordTakeOver::none;
    const UserRecord& opening = state.OpeningUsers[static_cast<size_t>(record)];
    if (!stored || record >= stored->header.userCount ||
        !SameDirectoryName(StoredName(stored->records[static_cast<size_t>(record)]), StoredName(opening)))
        return PasswordTakeOver::notFound;
    UserRecord& user = UserAt(position);
    if (std::memcmp(user.password, opening.password, sizeof user.password) != 0)
        return PasswordTakeOver::keptOwn;  // the administrator's new password wins
    std::memcpy(user.password, stored->records[static_cast<size_t>(record)].password, sizeof user.password);
    return PasswordTakeOver::taken;
}

std::vector<int> TakeOverChangedPasswords(const UsersWindowState& state)
{
    LoadUserActivity();
    std::vector<int> cleared;
    std::unique_ptr<UserTable> stored;
    bool read = false;
    for (int p = 0; p < UserCount(); ++p) {
        auto record = static_cast<int>(PositionMap[static_cast<size_t>(p)]);
        if (IsAddedInWindow(p) || !PasswordChanged(record))
            continue;
        if (!read) {
            stored = ReadStoredUsers();
            read = true;
        }
        PasswordTakeOver outcome = TakeOverChangedPassword(state, p, stored.get());
        if (outcome == PasswordTakeOver::taken || outcome == PasswordTakeOver::keptOwn)
            cleared.push_back(record);
    }
    return cleared;
}

// Beside the work copies while they take the files' places: should the
// console end meanwhile, the next start finishes what "OK" began.
static std::string CommitMarkPath()
{
    return ProgramPath("\\usertemp\\valide");
}

bool CommitWorkFiles()
{
    std::optional<std::vector<uint8_t>> users = ReadWholeFile(ProgramPath("\\reseau.dat"));
    std::string mark = CommitMarkPath();
    // Empty, it is whole as soon as it is there.
    if (!File(mark, FileAccess::write, FileCreation::createNew).ok())
        return false;
    bool committed = CommitUserWorkCopy();
    if (committed && !CommitNumbersWorkCopy()) {
        committed = false;
        if (users)
            ReplaceFileSafely(ProgramPath("\\reseau.dat"), *users);  // as it was
    }
    // A mark left behind would have the next start commit the work copies
    // again, whatever the window did since: it gets a second try.
    if (!RemoveFile(mark))
        RemoveFile(mark);
    return committed;
}

bool FinishInterruptedCommit()
{
    std::string mark = CommitMarkPath();
    if (ExaminePath(mark) == PathState::missing)
        return true;
    if (FileExists(ProgramPath("\\usertemp\\reseau.dat")) && !CommitUserWorkCopy())
        return false;
    if (FileExists(ProgramPath("\\usertemp\\Numaut.dat")) && !CommitNumbersWorkCopy())
        return false;
    return RemoveFile(mark);
}

void FinishOrDropInterruptedCommit()
{
    if (!FinishInterruptedCommit())
        RemoveFile(CommitMarkPath());
}

bool ConfirmUserChanges(HWND owner, UsersWindowState& state)
{
    std::vector<int> taken = TakeOverChangedPasswords(state);
    if (state.NumbersUnreadable) {
        if (!ReadNumbersAlongUsers(state)) {
            Warn(owner, "Le fichier Numaut.dat ne peut toujours pas être lu : les modifications n'ont pas été "
                        "enregistrées.");
            return false;
        }
        state.NumbersUnreadable = false;
    }
    // The work copies are saved in the window's order first: the activity
    // records, the numbers records and the journal filter all follow the
    // positions of the table as the window sorted it, also when nothing else
    // changed since the opening sort.
    bool saved = SaveUserDatabase(owner, 1);
    if (!saved || !SaveNumbersFile(1)) {
        Warn(owner, kNotSaved);
        return false;
    }
    // The journal must be able to follow before anything is committed, so
    // that the journal and the directories stay in step with reseau.dat.
    DirOpsPlan plan = PlanPendingDirOps();
    JournalHold journal;
    if (PlanTouchesJournal(plan)) {
        journal = HoldJournal();
        if (!journal.ok()) {
            Warn(owner, "Le journal des appels est utilisé par un autre programme : les modifications n'ont pas été "
                        "enregistrées. Réessayez dans un instant.");
            return false;
        }
    }
    if (!CommitWorkFiles()) {
        Warn(owner, kNotSaved);
        return false;
    }
    for (int record : taken)
        ClearPasswordChanged(record);
    PendingDirOps.entries.clear();
    ReportDirOps(owner, ApplyDirOpsPlan(plan, journal));
    TellMovedActiveUsers();
    return true;
}
