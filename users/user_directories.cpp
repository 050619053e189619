#include "users/user_directories.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/file_io.h"
#include "base/program_dir.h"
#include "users/directory_name.h"
#include "users/user_tables.h"

static std::string NameOf(const UserRecord& user)
{
    return std::string(user.name, strnlen(user.name, sizeof user.name));
}

void EnsureUserDirectories()
{
    for (int i = 0; i < UserCount(); ++i) {
        std::string name = NameOf(UserAt(i));
        if (!IsUsableDirectoryName(name))
            continue;
        std::string dir = GetProgramDir() + "\\" + name;
        if (CreateDirectoryA(dir.c_str(), nullptr))
            WriteNewFile(dir + "\\minitel.ini", {});
    }
}
