#include "base/profile.h"

#include <windows.h>

#include <cstdio>

bool WriteProfileInt(const char* section, const char* key, int value, const std::string& path)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileStringA(section, key, text, path.c_str()) != 0;
}

int ReadProfileInt(const char* section, const char* key, int fallback, const std::string& path)
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path.c_str()));
}

std::string ReadProfileText(const char* section, const char* key, const char* fallback, const std::string& path,
                            unsigned size)
{
    std::string text(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, fallback, text.data(), size, path.c_str());
    text.resize(n);
    return text;
}
