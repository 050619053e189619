#include "tests/wine/test_support.h"

#include <shellapi.h>
#include <winspool.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>

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
    seam.propertySheet = PropertySheetHook;
    seam.saveFile = SaveFileHook;
    seam.print = PrintHook;
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

INT_PTR ModalRecorder::PropertySheetHook(void* context, PROPSHEETHEADERA* header)
{
    auto* self = static_cast<ModalRecorder*>(context);
    return self->propertySheet ? self->propertySheet(header) : PropertySheetA(header);
}

INT_PTR RunSheetModeless(PROPSHEETHEADERA* header, const std::function<void(HWND sheet)>& drive)
{
    header->dwFlags |= PSH_MODELESS;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(header));
    if (!sheet || !IsWindow(sheet))
        return -1;
    PumpMessages();
    drive(sheet);
    // A modeless sheet stays after OK or Cancel: it has no current page then.
    for (int n = 0; n < 200 && SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0); ++n) {
        PumpMessages();
        Sleep(5);
    }
    bool open = SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
    EXPECT_FALSE(open) << "the sheet is still open";
    if (open)
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    LRESULT result = SendMessageA(sheet, PSM_GETRESULT, 0, 0);
    DestroyWindow(sheet);
    PumpMessages();
    return result;
}

namespace {

// A double-zero-ended list of texts, with its zeros shown as '|'.
std::string FilterText(const char* list)
{
    std::string text;
    if (!list)
        return text;
    while (*list) {
        size_t length = std::strlen(list);
        text.append(list, length);
        text += '|';
        list += length + 1;
    }
    return text;
}

void NotePrinterNames(HGLOBAL block, ModalCall& call)
{
    if (!block)
        return;
    SIZE_T size = GlobalSize(block);
    const auto* names = static_cast<const char*>(GlobalLock(block));
    if (!names)
        return;
    call.hasPrinterNames = true;
    // Names read within the block only: a wrong offset shows as a mark.
    auto name = [&](size_t at) -> std::string {
        if (at + 2 > size)
            return "<header outside the block>";
        size_t offset = static_cast<uint8_t>(names[at]) | static_cast<uint8_t>(names[at + 1]) << 8;
        if (offset < 8 || offset >= size)
            return "<offset outside the block>";
        size_t length = strnlen(names + offset, size - offset);
        if (offset + length == size)
            return "<name not ended in the block>";
        return std::string(names + offset, length);
    };
    call.driver = name(0);
    call.device = name(2);
    call.port = name(4);
    GlobalUnlock(block);
}

std::string PreselectedDevice(HGLOBAL block)
{
    ModalCall names;
    NotePrinterNames(block, names);
    return names.device.empty() || names.device[0] == '<' ? std::string() : names.device;
}

// A device context of the printer, on a paper of the answer's size if it
// gives one, as the print dialog returns it.
HDC PrinterContext(const std::string& printer, const PrintAnswer& answer)
{
    if (!answer.paperWidth && !answer.paperLength)
        return CreateDCA(nullptr, printer.c_str(), nullptr, nullptr);
    HANDLE handle = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &handle, nullptr))
        return nullptr;
    LONG size = DocumentPropertiesA(nullptr, handle, const_cast<char*>(printer.c_str()), nullptr, nullptr, 0);
    HDC dc = nullptr;
    if (size > 0) {
        std::vector<uint8_t> buffer(static_cast<size_t>(size));
        auto* mode = reinterpret_cast<DEVMODEA*>(buffer.data());
        if (DocumentPropertiesA(nullptr, handle, const_cast<char*>(printer.c_str()), mode, nullptr, DM_OUT_BUFFER) ==
            IDOK) {
            // A size of its own: width and length, and no paper of a name.
            mode->dmFields = (mode->dmFields & ~DM_PAPERSIZE) | DM_PAPERWIDTH | DM_PAPERLENGTH;
            mode->dmPaperSize = 0;
            mode->dmPaperWidth = answer.paperWidth;
            mode->dmPaperLength = answer.paperLength;
            dc = CreateDCA(nullptr, printer.c_str(), nullptr, mode);
        }
    }
    ClosePrinter(handle);
    return dc;
}

}  // namespace

BOOL ModalRecorder::SaveFileHook(void* context, OPENFILENAMEA* dialog)
{
    auto* self = static_cast<ModalRecorder*>(context);
    ModalCall call;
    call.kind = "save";
    call.owner = dialog->hwndOwner;
    call.text = dialog->lpstrFile ? std::string(dialog->lpstrFile, strnlen(dialog->lpstrFile, dialog->nMaxFile)) : "";
    call.caption = dialog->lpstrTitle ? dialog->lpstrTitle : "";
    call.type = dialog->Flags;
    call.filter = FilterText(dialog->lpstrFilter);
    call.directory = dialog->lpstrInitialDir ? dialog->lpstrInitialDir : "";
    call.extension = dialog->lpstrDefExt ? dialog->lpstrDefExt : "";
    call.filterIndex = dialog->nFilterIndex;
    call.nameSize = dialog->nMaxFile;
    self->calls_.push_back(call);
    if (self->onMessage)
        self->onMessage(*self, call);
    if (self->saveAnswers_.empty())
        return FALSE;
    std::string name = self->saveAnswers_.front();
    self->saveAnswers_.pop_front();
    // As the platform's dialog does, a name longer than the buffer is refused.
    if (!dialog->lpstrFile || name.size() >= dialog->nMaxFile)
        return FALSE;
    std::memcpy(dialog->lpstrFile, name.c_str(), name.size() + 1);
    return TRUE;
}

BOOL ModalRecorder::PrintHook(void* context, PRINTDLGA* dialog)
{
    auto* self = static_cast<ModalRecorder*>(context);
    ModalCall call;
    call.kind = "print";
    call.owner = dialog->hwndOwner;
    call.type = dialog->Flags;
    NotePrinterNames(dialog->hDevNames, call);
    call.fromPage = dialog->nFromPage;
    call.toPage = dialog->nToPage;
    call.minPage = dialog->nMinPage;
    call.maxPage = dialog->nMaxPage;
    self->calls_.push_back(call);
    if (self->onMessage)
        self->onMessage(*self, call);
    if (self->printAnswers_.empty())
        return FALSE;
    PrintAnswer answer = self->printAnswers_.front();
    self->printAnswers_.pop_front();
    if (answer.cancel)
        return FALSE;
    std::string printer = answer.printer;
    if (printer.empty())
        printer = PreselectedDevice(dialog->hDevNames);
    if (printer.empty())
        printer = DefaultPrinterName();
    if (printer.empty())
        return FALSE;
    if (dialog->Flags & PD_RETURNDC) {
        dialog->hDC = PrinterContext(printer, answer);
        if (!dialog->hDC)
            return FALSE;
    }
    return TRUE;
}

std::string DefaultPrinterName()
{
    char name[512];
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size))
        return {};
    return name;
}

std::map<std::string, std::vector<uint8_t>> FilesIn(const std::string& dir)
{
    std::map<std::string, std::vector<uint8_t>> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] = ReadBytes(dir + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

std::vector<std::string> ReadTextLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    }
    return found;
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
