// A model check of the users window's directory work: a starting table, the
// window's steps over it, the plan of its "OK" carried out on a file system
// and a journal held in memory, then what must hold of every user's files and
// records. Shared by the fuzz target and the native tests. Pure: no platform.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <span>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/ansi_case.h"
#include "users/dir_ops_plan.h"
#include "users/directory_name.h"
#include "users/user_sort.h"
#include "users/user_table_ops.h"
#include "users/user_tables.h"

namespace dir_model {

// One step of the window. The user is the one at `position` in the table as
// the window shows it then (modulo the number of users), or, with `byName`,
// the first user named `who`.
struct Step {
    enum Kind { add, rename, cancel, remove };
    Kind kind = add;
    int position = 0;
    bool byName = false;
    std::string who;
    // add: the name validated in the edit that follows (empty: "Annu&ler");
    // rename: the name validated (empty: the name unchanged).
    std::string name;
};

struct StartUser {
    std::string name;
    uint16_t station = 0;
};

struct Scenario {
    std::vector<StartUser> users;
    std::vector<Step> steps;
};

// More users than this are not added: the window's limit is far away and
// changes nothing of the directory work.
constexpr int kMaxModelUsers = 24;

inline std::string FoldCase(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        c = static_cast<char>(UpperCaseAnsi(static_cast<uint8_t>(c)));
    return out;
}

// What the model knows of each user, whatever the table does with it.
struct ModelUser {
    std::string startName;  // empty for a user added during the session
    bool added = false;
    bool deleted = false;
    std::string name;  // the name it has now
    std::set<std::string> names;  // every name it had
    size_t files = 0;             // the files it had at the start
};

struct ModelDir {
    std::string name;  // as it was written
    std::map<std::string, int> files;  // file name -> owning user
};

struct ModelFs {
    std::map<std::string, ModelDir> dirs;  // by folded name
    std::set<std::string> made;             // folded names of directories made by the work
    int parked = 0;

    bool Exists(const std::string& name) const { return dirs.count(FoldCase(name)) != 0; }

    void Create(const std::string& name)
    {
        if (Exists(name))
            return;
        dirs[FoldCase(name)] = ModelDir{name, {}};
        made.insert(FoldCase(name));
    }

    void Delete(const std::string& name) { dirs.erase(FoldCase(name)); }

    // MoveFileA of a directory: only to a name nothing has.
    bool Move(const std::string& from, const std::string& to)
    {
        auto found = dirs.find(FoldCase(from));
        if (found == dirs.end())
            return false;
        if (FoldCase(from) != FoldCase(to) && Exists(to))
            return false;
        ModelDir dir = std::move(found->second);
        dirs.erase(found);
        dir.name = to;
        dirs[FoldCase(to)] = std::move(dir);
        made.insert(FoldCase(to));
        return true;
    }

    // The whole directory when `to` is free, else entry by entry: an entry
    // whose name is taken stays, and `from` goes only once it is empty.
    bool MoveDirectory(const std::string& from, const std::string& to)
    {
        if (!Exists(to) && Move(from, to))
            return true;
        Create(to);
        ModelDir& source = dirs[FoldCase(from)];
        ModelDir& target = dirs[FoldCase(to)];
        for (auto it = source.files.begin(); it != source.files.end();) {
            if (target.files.count(it->first)) {
                ++it;
                continue;
            }
            target.files[it->first] = it->second;
            it = source.files.erase(it);
        }
        if (!dirs[FoldCase(from)].files.empty())
            return false;
        Delete(from);
        return true;
    }

    std::string ParkingName() { return "\x01parked-" + std::to_string(parked++); }
};

struct JournalEntry {
    int owner;
    std::string user;
};

// The window's table and bookkeeping, driven step by step, with the model's
// own record of who is who: each record carries its model number in its
// password field, which the directory work never reads.
class Session {
public:
    explicit Session(const Scenario& scenario) : scenario_(scenario) {}

    // Empty when every rule holds, else what failed. `alter`, when given,
    // changes the plan before it is carried out.
    std::string Run(const std::function<void(DirOpsPlan&)>& alter = nullptr)
    {
        Load();
        for (const Step& step : scenario_.steps)
            Apply(step);
        plan_ = PlanPendingDirOps();
        if (alter)
            alter(plan_);
        std::string fault = CheckPlanNames();
        if (!fault.empty())
            return fault;
        Execute();
        return CheckResult();
    }

    const DirOpsPlan& Plan() const { return plan_; }

    // The steps as they were taken, for a failure's message.
    const std::string& Trace() const { return trace_; }

private:
    const Scenario& scenario_;
    std::vector<ModelUser> users_;
    ModelFs fs_;
    std::vector<JournalEntry> journal_;
    DirOpsPlan plan_;
    std::string trace_;

    void Note(const std::string& text) { trace_ += (trace_.empty() ? "" : ", ") + text; }

    static void SetName(UserRecord& user, const std::string& name)
    {
        std::memset(user.name, 0, sizeof user.name);
        std::strncpy(user.name, name.c_str(), kMaxNameLength);
    }

    static int IdOf(const UserRecord& user) { return std::atoi(user.password); }

    std::span<const UserRecord> Users() const
    {
        return std::span<const UserRecord>(CurrentUserTable().records).first(static_cast<size_t>(UserCount()));
    }

    int NewUser(const std::string& startName, bool added)
    {
        ModelUser user;
        user.startName = startName;
        user.added = added;
        users_.push_back(user);
        return static_cast<int>(users_.size()) - 1;
    }

    void Rename(int id, const std::string& name)
    {
        users_[static_cast<size_t>(id)].name = name;
        users_[static_cast<size_t>(id)].names.insert(name);
    }

    // The starting table, its directories and journal, and the window's
    // opening: bookkeeping cleared, table sorted by name.
    void Load()
    {
        FreeUserTable();
        FreeNumbersTable();
        int p = 0;
        for (const StartUser& start : scenario_.users) {
            int id = NewUser(start.name, false);
            Rename(id, start.name);
            Note("start " + start.name + "@" + std::to_string(start.station));
            UserRecord& record = UserAt(p++);
            SetName(record, start.name);
            record.station = start.station;
            std::snprintf(record.password, sizeof record.password, "%d", id);
            // Records without a user name are nobody's: the journal cannot
            // tell a user of no name from a call of no user.
            if (!start.name.empty())
                journal_.push_back({id, start.name});
            if (!IsUsableDirectoryName(start.name))
                continue;
            // One directory to a name; a user who shares it with an
            // earlier one brings only a file of its own.
            ModelDir& dir = fs_.dirs[FoldCase(start.name)];
            ModelUser& user = users_[static_cast<size_t>(id)];
            if (dir.name.empty()) {
                dir.name = start.name;
                dir.files["minitel.ini"] = id;
                dir.files["COMM"] = id;
                user.files += 2;
            }
            dir.files["data-" + std::to_string(id)] = id;
            ++user.files;
        }
        CurrentUserTable().header.userCount = static_cast<uint16_t>(p);
        ClearPendingDirOps();
        ResetPositionMap();
        SortUsersByName();
    }

    int Target(const Step& step) const
    {
        if (step.byName) {
            // FindNamedUser gives no user for an empty name.
            for (int p = 0; p < UserCount(); ++p)
                if (StoredName(UserAt(p)) == step.who)
                    return p;
            return -1;
        }
        return UserCount() == 0 ? 0 : step.position % UserCount();
    }

    // What "&Valider" refuses.
    bool Accepts(const std::string& name, int position) const
    {
        return !name.empty() && name.size() <= kMaxNameLength && IsUsableDirectoryName(name) &&
               FindNameClash(Users(), name, position) < 0;
    }

    // "Modi&fier" then "&Valider" with `name`, or "Annu&ler" when the name
    // is refused or none is given.
    void EditAndValidate(int position, const std::string& name)
    {
        NoteUserEditStarted(position);
        if (name.empty() || !Accepts(name, position))
            return;
        Note("valid " + std::string(UserAt(position).name) + ">" + name);
        SetName(UserAt(position), name);
        Rename(IdOf(UserAt(position)), name);
        NoteUserValidated(position);
        SortUsersByName();
    }

    void Add(const std::string& name)
    {
        int n = UserCount();
        if (n >= kMaxModelUsers)
            return;
        UserRecord& record = UserAt(n);
        record = UserRecord{};
        CurrentNumbersTable().records[static_cast<size_t>(n)] = NumbersRecord{};
        record.station = FindFreeStation(Users());
        int id = NewUser("", true);
        Rename(id, "Poste" + std::to_string(record.station + 1));
        SetName(record, users_[static_cast<size_t>(id)].name);
        std::snprintf(record.password, sizeof record.password, "%d", id);
        ++CurrentUserTable().header.userCount;
        Note("add " + users_[static_cast<size_t>(id)].name + "@" + std::to_string(record.station));
        NoteUserAdded(n);
        EditAndValidate(n, name);
    }

    void Delete(int position)
    {
        users_[static_cast<size_t>(IdOf(UserAt(position)))].deleted = true;
        Note("delete " + std::string(UserAt(position).name));
        NoteUserDeleted(position);
        RemoveUserSlot(CurrentUserTable().records, CurrentNumbersTable().records, PositionMap,
                       static_cast<size_t>(position));
        --CurrentUserTable().header.userCount;
    }

    void Apply(const Step& step)
    {
        if (step.kind == Step::add) {
            Add(step.name);
            return;
        }
        int position = Target(step);
        if (position < 0 || position >= UserCount())
            return;
        switch (step.kind) {
        case Step::rename:
            EditAndValidate(position, step.name.empty() ? std::string(StoredName(UserAt(position))) : step.name);
            break;
        case Step::cancel: Note("cancel " + std::string(UserAt(position).name)); NoteUserEditStarted(position); break;
        case Step::remove: Delete(position); break;
        case Step::add: break;
        }
    }

    // Rule 5: the plan never names a directory the file system would read
    // as something else.
    std::string CheckPlanNames() const
    {
        for (const DirDeletion& d : plan_.deletions)
            if (d.deleteDirectory && !IsUsableDirectoryName(d.name))
                return "deletion of an unusable directory name: " + d.name;
        for (const DirRename& r : plan_.renames)
            if ((!r.from.empty() && !IsUsableDirectoryName(r.from)) || !IsUsableDirectoryName(r.to))
                return "rename with an unusable directory name: " + r.from + " > " + r.to;
        for (const std::string& name : plan_.creations)
            if (!IsUsableDirectoryName(name))
                return "creation of an unusable directory name: " + name;
        return "";
    }

    // The plan carried out as "OK" does, on the model.
    void Execute()
    {
        for (const DirDeletion& d : plan_.deletions) {
            if (d.removeRecords)
                std::erase_if(journal_, [&](const JournalEntry& e) { return e.user == d.name; });
            if (d.deleteDirectory)
                fs_.Delete(d.name);
        }
        for (JournalEntry& e : journal_) {
            for (const NameChange& change : plan_.journalRenames) {
                if (e.user == change.oldName) {
                    e.user = change.newName;
                    break;
                }
            }
        }
        struct Move {
            const DirRename* rename;
            std::string source;
        };
        std::vector<Move> moves;
        for (const DirRename& r : plan_.renames) {
            Move move{&r, ""};
            if (!r.from.empty() && fs_.Exists(r.from)) {
                move.source = fs_.ParkingName();
                fs_.Move(r.from, move.source);
            }
            moves.push_back(move);
        }
        for (const Move& move : moves) {
            if (move.source.empty())
                fs_.Create(move.rename->to);
            else if (!fs_.MoveDirectory(move.source, move.rename->to) && !fs_.Exists(move.rename->from))
                fs_.Move(move.source, move.rename->from);
        }
        for (const std::string& name : plan_.creations)
            fs_.Create(name);
    }

    // Users who started under one directory (names equal without regard to
    // letter case) or with one journal name: what is on disk under that name
    // cannot be told apart, and stays with whichever of them keeps it.
    bool SharesDirectory(int a, int b) const
    {
        const ModelUser& x = users_[static_cast<size_t>(a)];
        const ModelUser& y = users_[static_cast<size_t>(b)];
        return !x.added && !y.added && FoldCase(x.startName) == FoldCase(y.startName);
    }

    bool SharesRecords(int a, int b) const
    {
        const ModelUser& x = users_[static_cast<size_t>(a)];
        const ModelUser& y = users_[static_cast<size_t>(b)];
        return !x.added && !y.added && x.startName == y.startName;
    }

    bool HasSharer(int id, bool records) const
    {
        for (int other = 0; other < static_cast<int>(users_.size()); ++other)
            if (other != id && (records ? SharesRecords(id, other) : SharesDirectory(id, other)))
                return true;
        return false;
    }

    bool HasRemainingSharer(int id, bool records) const
    {
        for (int other = 0; other < static_cast<int>(users_.size()); ++other)
            if (other != id && !users_[static_cast<size_t>(other)].deleted &&
                (records ? SharesRecords(id, other) : SharesDirectory(id, other)))
                return true;
        return false;
    }

    bool IsSharedStartDirectory(const std::string& name) const
    {
        for (int id = 0; id < static_cast<int>(users_.size()); ++id)
            if (!users_[static_cast<size_t>(id)].added && FoldCase(users_[static_cast<size_t>(id)].startName) == FoldCase(name) &&
                HasRemainingSharer(id, false))
                return true;
        return false;
    }

    bool IsCurrentName(const std::string& name) const
    {
        for (const ModelUser& u : users_)
            if (!u.deleted && FoldCase(u.name) == FoldCase(name))
                return true;
        return false;
    }

    std::string CheckResult() const
    {
        std::map<int, std::vector<std::string>> where;  // owner -> "dir/file"
        for (const auto& [key, dir] : fs_.dirs) {
            // Rule 2: one user's files to a directory.
            for (const auto& [file, owner] : dir.files)
                for (const auto& [file2, owner2] : dir.files)
                    if (owner != owner2 && !SharesDirectory(owner, owner2))
                        return "directory " + dir.name + " holds files of two users";
            for (const auto& [file, owner] : dir.files)
                where[owner].push_back(key);
        }
        for (int id = 0; id < static_cast<int>(users_.size()); ++id) {
            const ModelUser& u = users_[static_cast<size_t>(id)];
            std::string who = "user " + std::to_string(id) + " (" + u.name + ")";
            if (u.added) {
                // Rule 6: an added user's one directory is under its last name.
                if (!u.deleted && IsUsableDirectoryName(u.name) && !fs_.Exists(u.name))
                    return who + " added without a directory";
                for (const std::string& earlier : u.names)
                    if (FoldCase(earlier) != FoldCase(u.name) && fs_.made.count(FoldCase(earlier)) &&
                        !IsCurrentName(earlier))
                        return who + " got a directory under its earlier name " + earlier;
                continue;
            }
            size_t found = where.count(id) ? where.at(id).size() : 0;
            if (u.deleted) {
                // Rule 3: a deleted user's files and records are gone.
                if (found != 0 && !HasRemainingSharer(id, false))
                    return who + " deleted, its files remain";
                continue;
            }
            // Rule 1: no file lost, and each under the user's current name.
            if (found != u.files)
                return who + " lost files";
            if (IsUsableDirectoryName(u.name) && !fs_.Exists(u.name))
                return who + " has no directory";
            if (found > 0 && !HasSharer(id, false))
                for (const std::string& dir : where.at(id))
                    if (IsUsableDirectoryName(u.name) && dir != FoldCase(u.name))
                        return who + " has files outside the directory of its name";
        }
        for (const JournalEntry& e : journal_) {
            const ModelUser& u = users_[static_cast<size_t>(e.owner)];
            std::string who = "record of user " + std::to_string(e.owner) + " (" + u.name + ")";
            if (!HasSharer(e.owner, true)) {
                // Rules 3 and 4.
                if (u.deleted)
                    return who + " left after its deletion";
                if (e.user != u.name)
                    return who + " carries " + e.user;
                continue;
            }
            // Records of one name at the start: each carries the name of one
            // of those users who remains.
            bool held = false;
            for (int other = 0; other < static_cast<int>(users_.size()); ++other)
                if ((other == e.owner || SharesRecords(e.owner, other)) && !users_[static_cast<size_t>(other)].deleted &&
                    users_[static_cast<size_t>(other)].name == e.user)
                    held = true;
            if (!held)
                return who + " carries " + e.user + ", which none of its name-sharers has";
        }
        // Nothing is left under a name that no remaining user has, but for a
        // directory that users shared from the start.
        for (const auto& [key, dir] : fs_.dirs)
            if (!IsCurrentName(dir.name) && !IsSharedStartDirectory(dir.name))
                return "directory " + dir.name + " left under a name no user has";
        return "";
    }
};

// Runs the scenario; empty when every rule holds.
inline std::string CheckScenario(const Scenario& scenario)
{
    Session session(scenario);
    std::string fault = session.Run();
    return fault.empty() ? fault : fault + " [" + session.Trace() + "]";
}

}  // namespace dir_model
