// A stand-in for "ZemoNet.DLL" that the tests script: the accounts it lists,
// their rights, the count it reports, and a press of the console's "Annuler"
// part-way through a search. It reads "ZemoNet.txt" beside itself when first
// called and appends every call it gets to "ZemoNet.log" beside itself.
//
// Script lines (Windows-1252; the name is the rest of the line, so it may be
// empty or hold spaces):
//   account RIGHT NAME    an account of the network, GetUserRight gives RIGHT
//   local RIGHT NAME      an account of this computer, listed once SetServer
//                         was called
//   many N RIGHT PREFIX   N accounts of the network, PREFIX0001 to PREFIXnnnn
//   count N               the count UserFindFirst reports, whatever it lists
//   cancel K              once the K-th name is given (0: when the search
//                         starts), click the "Annuler" button of the calling
//                         thread's visible window
//   delay MS              each UserFindNext takes MS milliseconds
//   fail                  UserFindFirst fails (null handle, count 0)
#include "zemonet/zemonet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Account {
    std::string name;
    DWORD right;
};

struct Script {
    bool loaded = false;
    std::vector<Account> network;
    std::vector<Account> local;
    long count = -1;
    long cancelAt = -1;
    DWORD delay = 0;
    bool fail = false;
};

Script TheScript;
bool ServerSet;

struct Search {
    const std::vector<Account>* accounts;
    size_t next;
};

std::string OwnDirectory()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnDirectory), &self);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\'));
}

void Log(const std::string& line)
{
    std::string text = line + "\r\n";
    HANDLE file = CreateFileA((OwnDirectory() + "\\ZemoNet.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// "WORD REST": the first word, and what follows its one separating space.
void SplitWord(const std::string& line, std::string& word, std::string& rest)
{
    size_t space = line.find(' ');
    word = line.substr(0, space);
    rest = space == std::string::npos ? std::string() : line.substr(space + 1);
}

void AddLine(const std::string& line)
{
    std::string word, rest, number;
    SplitWord(line, word, rest);
    if (word == "account" || word == "local") {
        SplitWord(rest, number, rest);
        (word == "account" ? TheScript.network : TheScript.local)
            .push_back({rest, static_cast<DWORD>(std::strtoul(number.c_str(), nullptr, 10))});
    } else if (word == "many") {
        std::string right;
        SplitWord(rest, number, rest);
        SplitWord(rest, right, rest);
        long n = std::strtol(number.c_str(), nullptr, 10);
        for (long i = 1; i <= n; ++i) {
            char name[kZemoNetTextSize];
            std::snprintf(name, sizeof name, "%s%04ld", rest.c_str(), i);
            TheScript.network.push_back({name, static_cast<DWORD>(std::strtoul(right.c_str(), nullptr, 10))});
        }
    } else if (word == "count") {
        TheScript.count = std::strtol(rest.c_str(), nullptr, 10);
    } else if (word == "cancel") {
        TheScript.cancelAt = std::strtol(rest.c_str(), nullptr, 10);
    } else if (word == "delay") {
        TheScript.delay = std::strtoul(rest.c_str(), nullptr, 10);
    } else if (word == "fail") {
        TheScript.fail = true;
    }
}

Script& LoadedScript()
{
    if (TheScript.loaded)
        return TheScript;
    TheScript.loaded = true;
    FILE* file = std::fopen((OwnDirectory() + "\\ZemoNet.txt").c_str(), "rb");
    if (!file)
        return TheScript;
    std::string line;
    int c;
    while ((c = std::fgetc(file)) != EOF || !line.empty()) {
        if (c == '\n' || c == EOF) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            AddLine(line);
            line.clear();
            if (c == EOF)
                break;
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    std::fclose(file);
    return TheScript;
}

BOOL CALLBACK ClickCancel(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    HWND button = FindWindowExA(window, nullptr, "Button", "Annuler");
    if (!button)
        return TRUE;
    PostMessageA(button, BM_CLICK, 0, 0);
    Log("cancel");
    return FALSE;
}

void CancelIfAsked(size_t given)
{
    if (LoadedScript().cancelAt == static_cast<long>(given))
        EnumThreadWindows(GetCurrentThreadId(), ClickCancel, 0);
}

void CopyText(char* out, const std::string& text)
{
    if (!out)
        return;
    size_t n = text.size() < kZemoNetTextSize - 1 ? text.size() : kZemoNetTextSize - 1;
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Log("attach");
    else if (reason == DLL_PROCESS_DETACH)
        Log("detach");
    return TRUE;
}

BOOL WINAPI SetServer(const char* server)
{
    Log(std::string("SetServer ") + (server ? server : "(null)"));
    ServerSet = true;
    return TRUE;
}

HANDLE WINAPI UserFindFirst(DWORD* count)
{
    Script& script = LoadedScript();
    if (script.fail) {
        *count = 0;
        Log("UserFindFirst failed");
        return nullptr;
    }
    auto* search = new Search{ServerSet ? &script.local : &script.network, 0};
    *count = script.count >= 0 ? static_cast<DWORD>(script.count) : static_cast<DWORD>(search->accounts->size());
    Log("UserFindFirst " + std::to_string(*count));
    CancelIfAsked(0);
    return search;
}

BOOL WINAPI UserFindNext(HANDLE handle, char* name, char* fullName, char* comment)
{
    auto* search = static_cast<Search*>(handle);
    CopyText(fullName, "");
    CopyText(comment, "");
    if (LoadedScript().delay)
        Sleep(LoadedScript().delay);
    if (!search || search->next >= search->accounts->size()) {
        CopyText(name, "");
        Log("UserFindNext end");
        return FALSE;
    }
    const Account& account = (*search->accounts)[search->next++];
    CopyText(name, account.name);
    Log("UserFindNext " + account.name);
    CancelIfAsked(search->next);
    return TRUE;
}

void WINAPI UserFindFree(HANDLE handle)
{
    Log(handle ? "UserFindFree" : "UserFindFree null");
    delete static_cast<Search*>(handle);
}

#ifndef ZEMONET_DOUBLE_WITHOUT_RIGHTS
DWORD WINAPI GetUserRight(const char* name)
{
    Log(std::string("GetUserRight ") + (name ? name : "(null)"));
    for (const auto* list : {&LoadedScript().network, &LoadedScript().local})
        for (const Account& account : *list)
            if (name && account.name == name)
                return account.right;
    return 0;
}
#endif

}  // extern "C"
