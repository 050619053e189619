#include "base/log_trace.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>
#include <vector>

#include "base/file_io.h"

namespace {

std::string& LogPathOverride()
{
    static std::string path;
    return path;
}

HWND TraceWindow = nullptr;
HWND TraceList = nullptr;

constexpr int kTraceListId = 120;
// wvsprintfA never writes more than this many bytes.
constexpr size_t kTraceLimit = 1024;

}  // namespace

void SetLogPathForTests(std::string path)
{
    LogPathOverride() = std::move(path);
}

static std::string TempDirectory()
{
    std::vector<char> dir(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetTempPathA(static_cast<DWORD>(dir.size()), dir.data());
        if (n == 0)
            return {};
        if (n < dir.size())
            return std::string(dir.data(), n);
        dir.resize(n + 1);  // the length needed, terminator included
    }
}

std::string LogFilePath()
{
    if (!LogPathOverride().empty())
        return LogPathOverride();
    return TempDirectory() + "quorel.log";
}

void AppendLog(const char* text)
{
    std::string line = text ? text : "";
    line += "\r\n";
    // One write for the whole line, so that lines from other programs never
    // land in the middle of it.
    AppendToFile(LogFilePath(), std::span(reinterpret_cast<const uint8_t*>(line.data()), line.size()));
}

void FindTraceWindow()
{
    TraceWindow = FindWindowA("Dbs", nullptr);
    TraceList = TraceWindow ? GetDlgItem(TraceWindow, kTraceListId) : nullptr;
}

void Trace(const char* format, ...)
{
    if (!TraceList || !format)
        return;
    // Room beyond the limit, and a terminator placed at the limit whatever
    // the formatting left there.
    char line[kTraceLimit + 16];
    va_list args;
    va_start(args, format);
    wvsprintfA(line, format, args);
    va_end(args);
    line[kTraceLimit] = '\0';
    SendMessageA(TraceList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
}
