// The users window's changes to the user table, each with the bookkeeping
// calls the window makes, for tests of the directory work of its "OK".
#pragma once
#include <cstring>
#include <string>

#include "users/dir_ops_plan.h"
#include "users/user_sort.h"
#include "users/user_table_ops.h"
#include "users/user_tables.h"

namespace window_steps {

inline int Find(const std::string& name)
{
    for (int p = 0; p < UserCount(); ++p)
        if (name == UserAt(p).name)
            return p;
    return -1;
}

inline void SetName(int position, const std::string& name)
{
    std::memset(UserAt(position).name, 0, sizeof UserAt(position).name);
    std::strncpy(UserAt(position).name, name.c_str(), kMaxNameLength);
}

// The window opens on the table as loaded.
inline void Open()
{
    ClearPendingDirOps();
    ResetPositionMap();
    SortUsersByName();
}

// "A&jouter" then, in the edit it starts, "&Valider" with `name`, or
// "Annu&ler" when `name` is null (the user keeps "Poste%d").
inline void Add(uint16_t station, const char* name)
{
    int n = UserCount();
    UserRecord& user = UserAt(n);
    user = UserRecord{};
    user.station = station;
    SetName(n, "Poste" + std::to_string(station + 1));
    CurrentUserTable().header.userCount = static_cast<uint16_t>(n + 1);
    NoteUserAdded(n);
    NoteUserEditStarted(n);
    if (name) {
        SetName(n, name);
        NoteUserValidated(n);
    }
    SortUsersByName();
}

// "Modi&fier" on the user, then "&Valider" with the new name.
inline void Rename(const std::string& from, const std::string& to)
{
    int p = Find(from);
    NoteUserEditStarted(p);
    SetName(p, to);
    NoteUserValidated(p);
    SortUsersByName();
}

// "Modi&fier" then "Annu&ler".
inline void EditAndCancel(const std::string& name)
{
    NoteUserEditStarted(Find(name));
}

// "&Supprimer", answered Yes.
inline void Delete(const std::string& name)
{
    int p = Find(name);
    NoteUserDeleted(p);
    RemoveUserSlot(CurrentUserTable().records, CurrentNumbersTable().records, PositionMap, static_cast<size_t>(p));
    UserTable& table = CurrentUserTable();
    table.header.userCount = static_cast<uint16_t>(UserCount() - 1);
}

// One change of a table of cases.
struct Step {
    char kind;  // 'r' rename a to b, 'd' delete a, 'a' add at `station` named a (null: cancelled), 'c' edit a and cancel
    const char* a;
    const char* b = nullptr;
    uint16_t station = 0;
};

inline void Run(const Step& step)
{
    switch (step.kind) {
    case 'r': Rename(step.a, step.b); break;
    case 'd': Delete(step.a); break;
    case 'a': Add(step.station, step.a); break;
    case 'c': EditAndCancel(step.a); break;
    }
}

}  // namespace window_steps
