#include "tests/doubles/tapi32/script.h"

#include <cstdlib>
#include <vector>

std::string ScriptPath(HMODULE self)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QUOREL_TAPI_SCRIPT", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return path;
    n = GetModuleFileNameA(self, path, MAX_PATH);
    std::string beside(path, n);
    return beside.substr(0, beside.find_last_of('\\') + 1) + "tapi32.ini";
}

std::string ScriptText(HMODULE self, const std::string& section, const char* key, const char* fallback)
{
    char text[1024];
    GetPrivateProfileStringA(section.c_str(), key, fallback, text, sizeof text, ScriptPath(self).c_str());
    return text;
}

DWORD ScriptNumber(HMODULE self, const std::string& section, const char* key, DWORD fallback)
{
    std::string text = ScriptText(self, section, key);
    return text.empty() ? fallback : static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
}

bool HasScriptSection(HMODULE self, const std::string& section)
{
    std::vector<char> keys(1024, '\0');
    return GetPrivateProfileSectionA(section.c_str(), keys.data(), static_cast<DWORD>(keys.size()),
                                     ScriptPath(self).c_str()) > 0;
}

void WriteScript(HMODULE self, const std::string& section, const char* key, const std::string& value)
{
    WritePrivateProfileStringA(section.c_str(), key, value.c_str(), ScriptPath(self).c_str());
}

void LogCall(HMODULE self, const std::string& line)
{
    std::string path = ScriptText(self, "Telephony", "Log");
    if (path.empty())
        return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\r\n";
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}
