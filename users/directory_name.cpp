#include "users/directory_name.h"

#include <array>

static bool IsRefusedCharacter(unsigned char c)
{
    return c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

static char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

// COM and LPT take a digit, or one of the superscript digits of Windows-1252.
static bool IsPortName(std::string_view base)
{
    if (base.size() != 4 || !(EqualsIgnoringCase(base.substr(0, 3), "COM") || EqualsIgnoringCase(base.substr(0, 3), "LPT")))
        return false;
    unsigned char digit = static_cast<unsigned char>(base[3]);
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// The platform ignores what follows the first dot, and the spaces before it,
// when it looks for a device name.
static bool IsDeviceName(std::string_view name)
{
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : devices)
        if (EqualsIgnoringCase(base, device))
            return true;
    return IsPortName(base);
}

// A user's directory must never be one that the console keeps for itself:
// deleting or renaming the user would take a gateway's line files or the
// users window's work copy with it.
static bool IsConsoleDirectory(std::string_view name)
{
    if (EqualsIgnoringCase(name, "usertemp"))
        return true;
    return name.size() == 5 && EqualsIgnoringCase(name.substr(0, 4), "pass") && name[4] >= '0' && name[4] <= '7';
}

bool IsUsableDirectoryName(std::string_view name)
{
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false;  // also "." and ".."
    for (char c : name)
        if (IsRefusedCharacter(static_cast<unsigned char>(c)))
            return false;
    return !IsDeviceName(name) && !IsConsoleDirectory(name);
}
