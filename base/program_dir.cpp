#include "base/program_dir.h"

#include <windows.h>

#include "base/path_text.h"

static std::string& ProgramDirOverride()
{
    static std::string dir;
    return dir;
}

void SetProgramDirForTests(std::string dir)
{
    ProgramDirOverride() = std::move(dir);
}

static std::string ModuleFileName()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try again with room to spare
    }
}

std::string GetProgramDir()
{
    if (!ProgramDirOverride().empty())
        return ProgramDirOverride();
    return DirectoryOf(ModuleFileName());
}

std::string ProgramPath(std::string_view name)
{
    std::string path = GetProgramDir();
    path += name;
    return path;
}

std::string AdminIniPath()
{
    return ProgramPath("\\admin.ini");
}
