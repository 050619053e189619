#include "users/dir_ops_plan.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "base/ansi_case.h"
#include "base/le_bytes.h"
#include "users/directory_name.h"
#include "users/user_sort.h"
#include "users/user_tables.h"

PendingDirOpTable PendingDirOps;

namespace {

std::string NameOf(const UserRecord& user)
{
    return std::string(StoredName(user));
}

std::string NameOf(const char (&field)[30])
{
    return std::string(FieldText(field));
}

bool IsUserPosition(int position)
{
    return position >= 0 && position < UserCount();
}

// The entry of the user at `position`, made when the user has none yet.
PendingDirOp& EntryAt(int position)
{
    PendingDirOp& op = PendingDirOps.entries[UserKeys[static_cast<size_t>(position)]];
    op.station = UserAt(position).station;
    return op;
}

// A user of the table as "OK" finds it.
struct Survivor {
    uint32_t key = 0;
    uint16_t station = 0;
    std::string name;    // as it is now
    std::string source;  // the name its directory and records have now; empty for a user added
    bool created = false;
    bool renamed = false;  // has a name other than `source`
};

std::vector<Survivor> Survivors(const PendingDirOpTable& pending, std::span<const UserRecord> users,
                                std::span<const uint32_t> keys)
{
    std::vector<Survivor> out;
    size_t count = std::min(users.size(), keys.size());
    for (size_t p = 0; p < count; ++p) {
        Survivor s;
        s.key = keys[p];
        s.station = users[p].station;
        s.name = NameOf(users[p]);
        s.source = s.name;
        auto found = pending.entries.find(s.key);
        if (found != pending.entries.end()) {
            const PendingDirOp& op = found->second;
            if (op.createPending) {
                s.created = true;
                s.source.clear();
            } else if (op.renamePending) {
                // A user whose name was empty (a table written by hand) has
                // nothing on disk nor in the journal: it only gets its
                // directory.
                s.source = NameOf(op.oldName);
                s.renamed = s.source != s.name;
            }
        }
        out.push_back(std::move(s));
    }
    return out;
}

enum class Holders { all, keepingTheirNames };

// Whether a remaining user has `name` as the name of its directory and
// records now: exactly (for the journal) or as a directory. A renamed user is
// the one whose `source` it is, so it is left out when the renamed user asks.
bool HeldByUser(const std::vector<Survivor>& survivors, Holders holders, std::string_view name, bool asDirectory)
{
    for (const Survivor& s : survivors) {
        if (s.source.empty() || (holders == Holders::keepingTheirNames && s.renamed))
            continue;
        if (asDirectory ? SameDirectoryName(s.source, name) : s.source == name)
            return true;
    }
    return false;
}

template <typename T>
void SortByStation(std::vector<std::tuple<uint16_t, uint32_t, T>>& items, std::vector<T>& out)
{
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    for (auto& item : items)
        out.push_back(std::move(std::get<2>(item)));
}

// Ends a directory path: what may follow the path of a directory inside a
// settings text without its name going on.
bool EndsPath(std::string_view text, size_t at)
{
    if (at >= text.size())
        return true;
    switch (text[at]) {
    case '\\': case '/': case '"': case '\t': case '\r': case '\n': case '\0':
        return true;
    default:
        return false;
    }
}

}  // namespace

void ClearPendingDirOps()
{
    PendingDirOps = {};
    ResetUserKeys();
}

void NoteUserAdded(int position)
{
    if (!IsUserPosition(position))
        return;
    UserKeys[static_cast<size_t>(position)] = PendingDirOps.nextKey++;
    PendingDirOp& op = EntryAt(position);
    op = {};
    op.createPending = 1;
    op.station = UserAt(position).station;
}

void NoteUserEditStarted(int position)
{
    if (!IsUserPosition(position))
        return;
    PendingDirOp& op = EntryAt(position);
    if (!op.renamePending)
        SetTextField(op.oldName, NameOf(UserAt(position)));
}

void NoteUserValidated(int position)
{
    if (!IsUserPosition(position))
        return;
    EntryAt(position).renamePending = 1;
}

void NoteUserDeleted(int position)
{
    if (!IsUserPosition(position))
        return;
    auto slot = static_cast<size_t>(position);
    uint32_t key = UserKeys[slot];
    PendingDirOp& op = EntryAt(position);
    if (op.createPending) {
        // Nothing of a user added since the window opened is on disk yet: a
        // directory or records of the same name belong to someone else.
        PendingDirOps.entries.erase(key);
    } else if (!op.deletePending) {
        // The directory and the records still have the name the user had
        // when the window opened.
        std::string name = op.renamePending ? NameOf(op.oldName) : NameOf(UserAt(position));
        op.deletePending = 1;
        op.createPending = 0;
        op.renamePending = 0;
        SetTextField(op.deletedName, name);
    }
    for (size_t p = slot; p + 1 < MaxUsers; ++p)
        UserKeys[p] = UserKeys[p + 1];
    UserKeys[MaxUsers - 1] = PendingDirOps.nextKey++;
}

int FindUserByStation(int station)
{
    for (int p = 0; p < UserCount(); ++p) {
        if (UserAt(p).station == station)
            return p;
    }
    return -1;
}

DirOpsPlan PlanDirOps(const PendingDirOpTable& pending, std::span<const UserRecord> users,
                      std::span<const uint32_t> keys)
{
    std::vector<Survivor> survivors = Survivors(pending, users, keys);
    DirOpsPlan plan;

    std::vector<std::tuple<uint16_t, uint32_t, DirDeletion>> deletions;
    for (const auto& [key, op] : pending.entries) {
        if (!op.deletePending)
            continue;
        DirDeletion deletion;
        deletion.name = NameOf(op.deletedName);
        // Two users of one name (a table edited by hand): what is on disk
        // under it stays with the one that remains.
        deletion.removeRecords = !deletion.name.empty() && !HeldByUser(survivors, Holders::all, deletion.name, false);
        deletion.deleteDirectory =
            IsUsableDirectoryName(deletion.name) && !HeldByUser(survivors, Holders::all, deletion.name, true);
        deletions.emplace_back(op.station, key, std::move(deletion));
    }
    SortByStation(deletions, plan.deletions);

    std::vector<std::tuple<uint16_t, uint32_t, Survivor>> renamed;
    std::vector<std::tuple<uint16_t, uint32_t, std::string>> created;
    for (const Survivor& s : survivors) {
        if (s.renamed)
            renamed.emplace_back(s.station, s.key, s);
        else if (s.created && IsUsableDirectoryName(s.name))
            created.emplace_back(s.station, s.key, s.name);
    }
    std::vector<Survivor> ordered;
    SortByStation(renamed, ordered);
    for (const Survivor& s : ordered) {
        // A directory or records that another user, who keeps his name,
        // has too (a table edited by hand) stay with that user.
        if (!s.source.empty() && !HeldByUser(survivors, Holders::keepingTheirNames, s.source, false))
            plan.journalRenames.push_back({s.source, s.name});
        if (!IsUsableDirectoryName(s.name))
            continue;
        DirRename rename;
        rename.to = s.name;
        rename.station = s.station;
        if (IsUsableDirectoryName(s.source) && !HeldByUser(survivors, Holders::keepingTheirNames, s.source, true))
            rename.from = s.source;
        plan.renames.push_back(std::move(rename));
    }
    SortByStation(created, plan.creations);
    return plan;
}

DirOpsPlan PlanPendingDirOps()
{
    auto count = static_cast<size_t>(UserCount());
    return PlanDirOps(PendingDirOps, std::span<const UserRecord>(CurrentUserTable().records).first(count),
                      std::span<const uint32_t>(UserKeys).first(count));
}

bool SameDirectoryName(std::string_view a, std::string_view b)
{
    return EqualIgnoringCase(a, b);
}

std::string ReplaceDirectoryPath(std::string_view text, std::string_view oldPath, std::string_view newPath)
{
    if (oldPath.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        if (text.size() - at >= oldPath.size() && SameDirectoryName(text.substr(at, oldPath.size()), oldPath) &&
            EndsPath(text, at + oldPath.size())) {
            out += newPath;
            at += oldPath.size();
        } else {
            out += text[at];
            ++at;
        }
    }
    return out;
}
