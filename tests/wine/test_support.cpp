#include "tests/wine/test_support.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>

#include "base/app.h"
#include "base/program_dir.h"
#include "shell/window_classes.h"

void ProgramDirTest::SetUp()
{
    static std::atomic<int> serial{0};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "quorel-test-%lu-%d", GetCurrentProcessId(), serial++);
    dir_ = std::string(temp) + name;
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
    SetProgramDirForTests(dir_);
}

void ProgramDirTest::TearDown()
{
    SetProgramDirForTests({});
    RemoveTree(dir_);
}

ModalRecorder::ModalRecorder()
{
    ModalSeam seam;
    seam.messageBox = MessageBoxHook;
    seam.help = HelpHook;
    seam.context = this;
    SetModalSeamForTests(&seam);
}

ModalRecorder::~ModalRecorder()
{
    SetModalSeamForTests(nullptr);
}

int ModalRecorder::MessageBoxHook(void* context, HWND owner, const char* text, const char* caption, UINT type)
{
    auto* self = static_cast<ModalRecorder*>(context);
    ModalCall call{"message", owner, text ? text : "", caption ? caption : "", type, 0};
    self->calls_.push_back(call);
    if (self->onMessage)
        self->onMessage(*self, call);
    if (self->answers_.empty())
        return IDOK;
    int answer = self->answers_.front();
    self->answers_.pop_front();
    return answer;
}

BOOL ModalRecorder::HelpHook(void* context, HWND owner, const char* file, UINT command, ULONG_PTR data)
{
    auto* self = static_cast<ModalRecorder*>(context);
    self->calls_.push_back(ModalCall{"help", owner, file ? file : "", "", command, data});
    return TRUE;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string IniText(const std::string& path, const char* section, const char* key)
{
    char text[1024];
    GetPrivateProfileStringA(section, key, "", text, sizeof text, path.c_str());
    return text;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(child.c_str());
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool RegisterConsoleWindowClasses()
{
    return RegisterWindowClasses(AppInstance);
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static DialogDriver* CurrentDriver;

DialogDriver::DialogDriver()
{
    CurrentDriver = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

DialogDriver::~DialogDriver()
{
    KillTimer(nullptr, timer_);
    CurrentDriver = nullptr;
}

namespace {
struct Search {
    const std::vector<std::string>* ignored = nullptr;
    HWND found = nullptr;
};
BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    char className[16];
    GetClassNameA(window, className, sizeof className);
    if (!IsWindowVisible(window) || std::string(className) != "#32770")
        return TRUE;
    char caption[256];
    GetWindowTextA(window, caption, sizeof caption);
    for (const std::string& ignored : *search->ignored)
        if (ignored == caption)
            return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver* self = CurrentDriver;
    if (!self)
        return;
    Search search;
    search.ignored = &self->ignored_;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return;
    char caption[256];
    GetWindowTextA(search.found, caption, sizeof caption);
    if (self->steps_.empty() || (self->steps_.front().caption != caption && ++self->waiting_ > 250)) {
        ++self->unexpected_;
        self->waiting_ = 0;
        PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (self->steps_.front().caption != caption)
        return;
    self->waiting_ = 0;
    Step step = self->steps_.front();
    self->steps_.pop_front();
    ++self->done_;
    step.action(search.found);
}

void SetItemText(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    bool shown = button && (GetWindowLongPtrA(button, GWL_STYLE) & WS_VISIBLE) != 0;
    if (!shown || !IsWindowEnabled(button) || !IsWindowEnabled(dialog)) {
        ADD_FAILURE() << "control " << id << (!button ? " does not exist" : !shown ? " is hidden" : " is disabled")
                      << ": nobody could press it";
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void SendDialogKey(HWND dialog, int command)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
}
