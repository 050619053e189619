#include "isuser/isuser.h"

// The command line the service manager starts: the path itself, or the path
// in quotes when it holds a space and is not quoted already. The caller frees
// it with HeapFree; null when memory is short.
static char* ServiceCommand(const char* programPath)
{
    int length = lstrlenA(programPath);
    bool quote = programPath[0] != '"';
    if (quote) {
        quote = false;
        for (const char* c = programPath; *c; ++c)
            quote = quote || *c == ' ';
    }
    auto command = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length + 3));
    if (!command)
        return nullptr;
    char* at = command;
    if (quote)
        *at++ = '"';
    CopyMemory(at, programPath, length);
    at += length;
    if (quote)
        *at++ = '"';
    *at = 0;
    return command;
}

extern "C" __declspec(dllexport) BOOL WINAPI CreateServiceEx(const char* serviceName, const char* programPath)
{
    if (!serviceName || !*serviceName || !programPath || !*programPath)
        return FALSE;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    if (!manager)
        return FALSE;
    BOOL exists = FALSE;
    char* command = ServiceCommand(programPath);
    if (command) {
        SC_HANDLE service = CreateServiceA(manager, serviceName, serviceName, SERVICE_QUERY_STATUS,
                                           SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                           command, nullptr, nullptr, nullptr, nullptr, nullptr);
        exists = service != nullptr || GetLastError() == ERROR_SERVICE_EXISTS;
        if (service)
            CloseServiceHandle(service);
        HeapFree(GetProcessHeap(), 0, command);
    }
    CloseServiceHandle(manager);
    return exists;
}
