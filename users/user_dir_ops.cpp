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

// A name in the program directory that nothing has, for a directory on its
// way from one user name to another.
std::string FreeTemporaryDir()
{
    for (unsigned i = 0;; ++i) {
        std::string path = GetProgramDir() + "\\~renommage-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(i);
        if (!PathExists(path))
            return path;
    }
}

// Rewrites, in the old directory's "minitel.ini", the path of the user's
// directory. The file is replaced whole, so that a failed write leaves it
// as it was.
void RewriteMinitelPaths(const std::string& newName, const std::string& oldName)
{
    if (!IsUsableDirectoryName(newName) || !IsUsableDirectoryName(oldName))
        return;
    std::string file = UserDir(oldName) + "\\minitel.ini";
    std::optional<std::vector<uint8_t>> content = ReadWholeFile(file);
    if (!content)
        return;
    std::string text(content->begin(), content->end());
    std::string rewritten = ReplaceDirectoryPath(text, UserDir(oldName), UserDir(newName));
    if (rewritten != text)
        ReplaceFileSafely(file, std::span(reinterpret_cast<const uint8_t*>(rewritten.data()), rewritten.size()));
}

void DeleteUsers(const std::vector<DirDeletion>& deletions)
{
    for (const DirDeletion& deletion : deletions) {
        if (deletion.removeRecords)
            RemoveUserEntries(deletion.name.c_str());
        if (deletion.deleteDirectory)
            DeleteTree(UserDir(deletion.name));
    }
}

// Every directory that moves first goes to a name of its own, then to its
// new name: names swapped between users or passed along a chain never have
// two users' files meet, and a change of letter case alone is a rename in
// place.
void RenameDirectories(const std::vector<DirRename>& renames)
{
    struct Move {
        const DirRename* rename;
        std::string source;  // empty: nothing to move
        bool parked;         // `source` is a temporary name
    };
    std::vector<Move> moves;
    for (const DirRename& rename : renames) {
        Move move{&rename, "", false};
        if (!rename.from.empty() && IsDirectory(UserDir(rename.from))) {
            RewriteMinitelPaths(rename.to, rename.from);
            std::string parked = FreeTemporaryDir();
            move.parked = MovePath(UserDir(rename.from), parked);
            move.source = move.parked ? parked : UserDir(rename.from);
        }
        moves.push_back(std::move(move));
    }
    for (const Move& move : moves) {
        std::string target = UserDir(move.rename->to);
        if (move.source.empty()) {
            MakeDirectory(target);
        } else if (!move.parked && SameDirectoryName(move.rename->from, move.rename->to)) {
            MovePath(move.source, target);
        } else if (!MoveDirectory(move.source, target) && move.parked) {
            // What could not join the new directory goes back under the old
            // name when that is still free, or stays where it was parked.
            MovePath(move.source, UserDir(move.rename->from));
        }
    }
}

}  // namespace

void ApplyPendingDirOps()
{
    DirOpsPlan plan = PlanPendingDirOps();
    PendingDirOps.entries.clear();
    DeleteUsers(plan.deletions);
    if (!plan.journalRenames.empty())
        RenameUserEntries(plan.journalRenames);
    RenameDirectories(plan.renames);
    for (const std::string& name : plan.creations)
        MakeDirectory(UserDir(name));
}

void RenameUserData(const char* newName, const char* oldName)
{
    RenameUserEntries(oldName, newName);
    RewriteMinitelPaths(newName, oldName);
}
