#include "users/windows_user.h"

#include <windows.h>

#include <optional>

static std::optional<std::string> NameForTests;

void SetWindowsUserNameForTests(const char* name)
{
    NameForTests = name ? std::optional<std::string>(name) : std::nullopt;
}

std::string GetWindowsUserName()
{
    if (NameForTests)
        return *NameForTests;
    char name[260] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size))
        return {};
    return name;
}
