#include "users/user_directories.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/file_io.h"
#include "base/program_dir.h"
#include "users/directory_name.h"
#include "users/user_tables.h"

void EnsureUserDirectories()
{
    for (int i = 0; i < UserCount(); ++i) {
        std::string name(StoredName(UserAt(i)));
        if (!IsUsableDirectoryName(name))
            continue;
        std::string dir = GetProgramDir() + "\\" + name;
        if (MakeDirectory(dir))
            WriteNewFile(dir + "\\minitel.ini", {});
    }
}
