#include "users/user_dir_ops.h"

#include <windows.h>

#include <string>
#include <vector>

#include "journal/journal_file.h"
#include "base/directory_ops.h"
#include "base/file_io.h"
#include "base/program_dir.h"
#include "users/dir_ops_plan.h"
#include "users/directory_name.h"

namespace {

std::string UserDir(const std::string& name)
{
    return GetProgramDir() + "\\" + name;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsPlainDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The entries of a directory, read in full before anything in it moves.
std::vector<DirectoryEntry> ListEntries(const std::string& dir)
{
    std::vector<DirectoryEntry> entries;
    ListDirectoryEntries(dir, entries);
    return entries;
}

// Moves what `from` holds into `to`, one entry at a time. A subdirectory that
// `to` holds too is merged the same way; an entry whose name is taken, or that
// cannot be moved, stays where it is.
void MoveEntries(const std::string& from, const std::string& to)
{
    for (const DirectoryEntry& entry : ListEntries(from)) {
        std::string source = from + "\\" + entry.name;
        std::string target = to + "\\" + entry.name;
        if (MovePath(source, target))
            continue;
        if (IsPlainDirectory(entry.attributes) && IsDirectory(target)) {
            MoveEntries(source, target);
            RemoveEmptyDirectory(source);
        }
    }
}

// Puts the directory `from` at `to`: in one step when nothing has that name
// yet, otherwise entry by entry, `from` being removed only once it is empty.
// Never deletes a file. True when `from` is gone.
bool MoveDirectory(const std::string& from, const std::string& to)
{
    if (!PathExists(to) && MovePath(from, to))
        return true;
    MakeDirectory(to);
    if (!IsDirectory(to))
        return false;
    MoveEntries(from, to);
    return RemoveEmptyDirectory(from);
}

// The name under which a directory waits for its new name during a rename:
// it tells both names, so that the next start can finish or undo the rename.
// It is longer than any user name, so that no user's directory is taken for
// one.
constexpr char kParkingPrefix[] = "~renommage en cours-";

std::string ParkingName(const std::string& from, const std::string& to)
{
    return kParkingPrefix + std::to_string(from.size()) + "-" + from + to;
}

bool ParseParkingName(const std::string& name, std::string& from, std::string& to)
{
    std::string prefix = kParkingPrefix;
    if (name.compare(0, prefix.size(), prefix) != 0)
        return false;
    size_t dash = name.find('-', prefix.size());
    if (dash == std::string::npos || dash == prefix.size() || dash - prefix.size() > 3)
        return false;
    size_t length = 0;
    for (size_t i = prefix.size(); i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        length = length * 10 + static_cast<size_t>(name[i] - '0');
    }
    if (length == 0 || name.size() - dash - 1 <= length)
        return false;
    from = name.substr(dash + 1, length);
    to = name.substr(dash + 1 + length);
    return IsUsableDirectoryName(from) && IsUsableDirectoryName(to);
}

// Rewrites, in the old directory's "minitel.ini", the path of the user's
// directory. The file is replaced whole, so that a failed write leaves it
// as it was. False when a file that names the old path could not be rewritten.
bool RewriteMinitelPaths(const std::string& newName, const std::string& oldName)
{
    if (!IsUsableDirectoryName(newName) || !IsUsableDirectoryName(oldName))
        return true;
    std::string file = UserDir(oldName) + "\\minitel.ini";
    std::optional<std::vector<uint8_t>> content = ReadWholeFile(file);
    if (!content)
        return ExaminePath(file) == PathState::missing;
    std::string text(content->begin(), content->end());
    std::string rewritten = ReplaceDirectoryPath(text, UserDir(oldName), UserDir(newName));
    return rewritten == text ||
           ReplaceFileSafely(file, std::span(reinterpret_cast<const uint8_t*>(rewritten.data()), rewritten.size()));
}

void DeleteDirectories(const std::vector<DirDeletion>& deletions, DirOpsOutcome& outcome)
{
    for (const DirDeletion& deletion : deletions) {
        if (!deletion.deleteDirectory)
            continue;
        DeleteTree(UserDir(deletion.name));
        if (ExaminePath(UserDir(deletion.name)) != PathState::missing)
            outcome.notDeleted.push_back(deletion.name);
    }
}

// Makes a user's directory unless it is there already.
void MakeUserDirectory(const std::string& name, DirOpsOutcome& outcome)
{
    if (!MakeDirectory(UserDir(name)) && !IsDirectory(UserDir(name)))
        outcome.notMade.push_back(name);
}

// One directory on its way to its new name.
struct Move {
    const DirRename* rename;
    std::string source;  // where it is now; empty: nothing to move
    bool parked = false; // `source` is its parking name
    bool done = false;
};

// True when `path` is the directory of a rename that has not moved yet.
bool IsWaitingSource(const std::vector<Move>& moves, const std::string& path)
{
    for (const Move& move : moves)
        if (!move.done && !move.parked && !move.source.empty() && SameDirectoryName(move.source, path))
            return true;
    return false;
}

// A directory whose new name is free is renamed at once; one whose new name
// is still taken (names swapped between users or passed along a chain) waits
// under its parking name until that name is free, so that two users' files
// never meet.
void RenameDirectories(const std::vector<DirRename>& renames, DirOpsOutcome& outcome)
{
    std::vector<Move> moves;
    for (const DirRename& rename : renames) {
        Move move{&rename, "", false, false};
        if (!rename.from.empty() && IsDirectory(UserDir(rename.from))) {
            if (!RewriteMinitelPaths(rename.to, rename.from))
                outcome.settingsNotRewritten.push_back(rename.to);
            std::string target = UserDir(rename.to);
            // A change of letter case alone goes by the parking name: the
            // platform takes the new name for the old directory itself.
            if (!SameDirectoryName(rename.from, rename.to) && ExaminePath(target) == PathState::missing)
                move.done = MovePath(UserDir(rename.from), target);
            if (!move.done) {
                std::string parked = UserDir(ParkingName(rename.from, rename.to));
                move.parked = MovePath(UserDir(rename.from), parked);
                move.source = move.parked ? parked : UserDir(rename.from);
            }
        }
        moves.push_back(std::move(move));
    }
    std::vector<std::string>& notRenamed = outcome.notRenamed;
    for (Move& move : moves) {
        if (move.done)
            continue;
        std::string target = UserDir(move.rename->to);
        if (move.source.empty()) {
            MakeUserDirectory(move.rename->to, outcome);
            move.done = true;
            continue;
        }
        // Never into the directory of another user whose own move failed.
        if (!IsWaitingSource(moves, target) && MoveDirectory(move.source, target)) {
            move.done = true;
            continue;
        }
        notRenamed.push_back(move.rename->from + " -> " + move.rename->to);
        // What could not join the new directory goes back under the old name
        // when that is free, or waits under its parking name.
        if (move.parked && ExaminePath(UserDir(move.rename->from)) == PathState::missing)
            MovePath(move.source, UserDir(move.rename->from));
        move.done = true;
    }
}

}  // namespace

bool PlanTouchesJournal(const DirOpsPlan& plan)
{
    if (!plan.journalRenames.empty())
        return true;
    for (const DirDeletion& deletion : plan.deletions)
        if (deletion.removeRecords)
            return true;
    return false;
}

DirOpsOutcome ApplyDirOpsPlan(const DirOpsPlan& plan, JournalHold& journal)
{
    DirOpsOutcome outcome;
    if (PlanTouchesJournal(plan)) {
        std::vector<std::string> removed;
        for (const DirDeletion& deletion : plan.deletions)
            if (deletion.removeRecords)
                removed.push_back(deletion.name);
        outcome.journalWritten = EditUserEntries(journal, removed, plan.journalRenames);
        if (!outcome.journalWritten)
            return outcome;
    }
    DeleteDirectories(plan.deletions, outcome);
    RenameDirectories(plan.renames, outcome);
    for (const std::string& name : plan.creations)
        MakeUserDirectory(name, outcome);
    return outcome;
}

DirOpsOutcome ApplyPendingDirOps()
{
    DirOpsPlan plan = PlanPendingDirOps();
    PendingDirOps.entries.clear();
    JournalHold journal;
    if (PlanTouchesJournal(plan))
        journal = HoldJournal();
    return ApplyDirOpsPlan(plan, journal);
}

void RenameUserData(const char* newName, const char* oldName)
{
    RenameUserEntries(oldName, newName);
    RewriteMinitelPaths(newName, oldName);
}

void FinishInterruptedRenames()
{
    std::vector<DirectoryEntry> entries;
    ListDirectoryEntries(GetProgramDir(), entries);
    for (const DirectoryEntry& entry : entries) {
        if (!IsPlainDirectory(entry.attributes))
            continue;
        // A "minitel.ini" rewrite cut short: only its own beside files are
        // touched, never another file of the user's.
        std::string settings = UserDir(entry.name) + "\\minitel.ini";
        FinishInterruptedReplacement(settings);
        if (ExaminePath(settings + ".new") == PathState::file)
            RemoveFile(settings + ".new");
        std::string from, to;
        if (!ParseParkingName(entry.name, from, to))
            continue;
        std::string parked = UserDir(entry.name);
        if (ExaminePath(UserDir(to)) == PathState::missing)
            MovePath(parked, UserDir(to));
        else if (ExaminePath(UserDir(from)) == PathState::missing)
            MovePath(parked, UserDir(from));
    }
}
