// "ZemoNet.DLL": the accounts of the network, or of one computer, through the
// platform's network account functions. Every account is read at once when a
// search starts, so that the count given is the number of names the search
// really holds.
#include "zemonet/zemonet.h"

#include <lm.h>

namespace {

// The server chosen by SetServer; empty until then.
WCHAR ChosenServer[kZemoNetTextSize];
// The server the searches and rights are read from: the chosen one, else the
// domain controller, else this computer (null). Looked up once.
bool ServerResolved;
LPWSTR DomainController;

struct AccountSearch {
    DWORD count;
    DWORD next;
    DWORD capacity;
    LPWSTR* names;
};

HANDLE Heap()
{
    return GetProcessHeap();
}

LPCWSTR SearchServer()
{
    if (ChosenServer[0])
        return ChosenServer;
    if (!ServerResolved) {
        ServerResolved = true;
        LPBYTE controller = nullptr;
        if (NetGetDCName(nullptr, nullptr, &controller) == NERR_Success)
            DomainController = reinterpret_cast<LPWSTR>(controller);
        else if (controller)
            NetApiBufferFree(controller);
    }
    return DomainController;
}

bool AddName(AccountSearch* search, LPCWSTR name)
{
    if (search->count == search->capacity) {
        DWORD capacity = search->capacity ? search->capacity * 2 : 64;
        void* grown = search->names
                          ? HeapReAlloc(Heap(), 0, search->names, capacity * sizeof(LPWSTR))
                          : HeapAlloc(Heap(), 0, capacity * sizeof(LPWSTR));
        if (!grown)
            return false;
        search->names = static_cast<LPWSTR*>(grown);
        search->capacity = capacity;
    }
    SIZE_T size = (lstrlenW(name) + 1) * sizeof(WCHAR);
    auto* copy = static_cast<LPWSTR>(HeapAlloc(Heap(), 0, size));
    if (!copy)
        return false;
    CopyMemory(copy, name, size);
    search->names[search->count++] = copy;
    return true;
}

void FreeSearch(AccountSearch* search)
{
    for (DWORD i = 0; i < search->count; ++i)
        HeapFree(Heap(), 0, search->names[i]);
    if (search->names)
        HeapFree(Heap(), 0, search->names);
    HeapFree(Heap(), 0, search);
}

// Reads every ordinary account of the server, page after page. False when not
// even the first page could be read.
bool ReadAccounts(AccountSearch* search)
{
    DWORD resume = 0;
    NET_API_STATUS status;
    bool anyPage = false;
    do {
        LPBYTE buffer = nullptr;
        DWORD read = 0, total = 0;
        status = NetUserEnum(SearchServer(), 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, &total,
                             &resume);
        if ((status == NERR_Success || status == ERROR_MORE_DATA) && buffer) {
            anyPage = true;
            auto* users = reinterpret_cast<USER_INFO_0*>(buffer);
            for (DWORD i = 0; i < read; ++i)
                if (users[i].usri0_name && !AddName(search, users[i].usri0_name))
                    status = ERROR_NOT_ENOUGH_MEMORY;  // keep what was read
        }
        if (buffer)
            NetApiBufferFree(buffer);
    } while (status == ERROR_MORE_DATA);
    return anyPage;
}

void ClearText(char* text)
{
    if (text)
        text[0] = 0;
}

}  // namespace

extern "C" {

BOOL WINAPI SetServer(const char* server)
{
    ChosenServer[0] = 0;
    if (!server)
        return TRUE;
    if (!MultiByteToWideChar(CP_ACP, 0, server, -1, ChosenServer, kZemoNetTextSize)) {
        ChosenServer[0] = 0;  // too long for a server name: back to the default
        return FALSE;
    }
    return TRUE;
}

HANDLE WINAPI UserFindFirst(DWORD* count)
{
    if (count)
        *count = 0;
    auto* search = static_cast<AccountSearch*>(HeapAlloc(Heap(), HEAP_ZERO_MEMORY, sizeof(AccountSearch)));
    if (!search)
        return nullptr;
    if (!ReadAccounts(search)) {
        FreeSearch(search);
        return nullptr;
    }
    if (count)
        *count = search->count;
    return search;
}

BOOL WINAPI UserFindNext(HANDLE handle, char* name, char* fullName, char* comment)
{
    ClearText(name);
    ClearText(fullName);
    ClearText(comment);
    auto* search = static_cast<AccountSearch*>(handle);
    if (!search || !name || search->next >= search->count)
        return FALSE;
    LPCWSTR account = search->names[search->next++];
    if (!WideCharToMultiByte(CP_ACP, 0, account, -1, name, kZemoNetTextSize, nullptr, nullptr))
        name[kZemoNetTextSize - 1] = 0;  // too long: cut where the buffer ends
    return TRUE;
}

void WINAPI UserFindFree(HANDLE handle)
{
    if (handle)
        FreeSearch(static_cast<AccountSearch*>(handle));
}

DWORD WINAPI GetUserRight(const char* name)
{
    WCHAR account[kZemoNetTextSize];
    if (!name || !MultiByteToWideChar(CP_ACP, 0, name, -1, account, kZemoNetTextSize))
        return 0;
    LPBYTE buffer = nullptr;
    DWORD right = 0;
    if (NetUserGetInfo(SearchServer(), account, 1, &buffer) == NERR_Success && buffer)
        right = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv;
    if (buffer)
        NetApiBufferFree(buffer);
    return right;
}

}  // extern "C"
