// Times the console's start-up, from the end of the login to the first paint
// of a journal pane that shows its rows, against a plain read of the journal
// file, under Wine:
//
//   startup_bench directory [runs] [sort command]
//
// `directory` is a program directory as the demo leaves it (users, gateways,
// admin.ini, Journal.dat). Its journal is first brought to 1,000,000 records
// by repeating the records it holds (nothing is done when it already has
// them). The sort command (5 to 11, "Date" = 9 by default) is written to
// admin.ini as the saved sort column.
//
// Each run is a fresh process of this program, as a start-up is: it does what
// the console does before its login, reads the file once to have it in the
// page cache, times a plain read of it into fresh memory, then times one of:
//   whole: CreateMainWindow and RunMainWindow, the console's own calls, until
//          the pane has painted its rows;
//   split: the same steps one by one (window, journal load, sort, header and
//          toolbar buttons, pane shown and filled, layout), then the messages
//          until the pane has painted its rows.
// The paint is caught by subclassing the pane: the first WM_PAINT that finds
// it visible, with a height and with rows, is let through to the pane's own
// painting (which draws every visible row), and the time is taken once that
// returned, the drawing flushed and no update region left. The main window is
// then closed, which ends the message loop as "Quitter" would.
//
// Prints the median and the minimum of each time over the runs, and the
// start-up's ratio to the plain read.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/bench_files.h"
#include "journal/journal_file.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "base/app.h"
#include "base/drawing_objects.h"
#include "shell/main_window.h"
#include "base/program_dir.h"
#include "shell/window_classes.h"
#include "states/activity_files.h"
#include "zemoctln/zemoctln.h"

namespace {

constexpr uint32_t kTargetCount = 1000000;
constexpr size_t kRecordSize = 564;
constexpr size_t kChunk = 2048 * kRecordSize;

std::string JournalPath(const std::string& dir)
{
    return dir + "\\Journal.dat";
}

// Journal.dat ------------------------------------------------------------------

bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes)
{
    return ReadInChunks(path, bytes, kChunk);
}

uint32_t CountOf(const std::vector<uint8_t>& bytes)
{
    return bytes.size() < 4 ? 0 : bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
}

// The records the file holds, repeated in their order up to the target count.
bool MakeBigJournal(const std::string& dir)
{
    std::vector<uint8_t> bytes;
    if (!ReadWhole(JournalPath(dir), bytes)) {
        std::printf("no journal in %s\n", dir.c_str());
        return false;
    }
    size_t held = std::min<size_t>(CountOf(bytes), (bytes.size() - std::min<size_t>(bytes.size(), 4)) / kRecordSize);
    if (held == kTargetCount && bytes.size() == 4 + kTargetCount * kRecordSize)
        return true;
    if (held == 0) {
        std::printf("the journal of %s has no record to repeat\n", dir.c_str());
        return false;
    }
    std::printf("repeating the %zu records of the journal up to %u records\n", held, kTargetCount);
    std::vector<uint8_t> out(4 + size_t{kTargetCount} * kRecordSize);
    out[0] = uint8_t(kTargetCount);
    out[1] = uint8_t(kTargetCount >> 8);
    out[2] = uint8_t(kTargetCount >> 16);
    out[3] = uint8_t(kTargetCount >> 24);
    for (size_t i = 0; i < kTargetCount; ++i)
        std::memcpy(out.data() + 4 + i * kRecordSize, bytes.data() + 4 + (i % held) * kRecordSize, kRecordSize);
    HANDLE file = CreateFileA(JournalPath(dir).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (size_t at = 0; ok && at < out.size();) {
        DWORD written = 0;
        DWORD want = static_cast<DWORD>(std::min(out.size() - at, kChunk));
        ok = WriteFile(file, out.data() + at, want, &written, nullptr) && written == want;
        at += written;
    }
    CloseHandle(file);
    return ok;
}

void ReadInto(const std::string& path, uint8_t* buffer, size_t length)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    for (size_t at = 0; at < length;) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min(length - at, kChunk));
        if (!ReadFile(file, buffer + at, want, &got, nullptr) || got == 0)
            break;
        at += got;
    }
    CloseHandle(file);
}

size_t FileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return static_cast<size_t>(uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

// The yardstick: the whole file into memory the process did not hold before
// (not even zeroed: the read is the first to touch it).
double TimePlainRead(const std::string& path)
{
    double start = Now();
    size_t length = FileLength(path);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[length]);
    ReadInto(path, buffer.get(), length);
    return Now() - start;
}

// For comparison, taken after the start-up so as not to touch it: the same
// read into memory the process holds already, and the filling of as much
// fresh memory without any read.
void TimeComparisons(const std::string& path, std::map<std::string, double>& times)
{
    size_t length = FileLength(path);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[length]);
    ReadInto(path, buffer.get(), length);
    times["reread"] = Seconds([&] { ReadInto(path, buffer.get(), length); });
    buffer.reset();
    times["fill"] = Seconds([&] {
        std::unique_ptr<uint8_t[]> fresh(new uint8_t[length]);
        std::memset(fresh.get(), 0x5A, length);
        // Keeps the filling from being optimised away.
        times["fillcheck"] = fresh[length / 2];
    });
}

// The paint -------------------------------------------------------------------

WNDPROC PaneProc;
double PaintedAt;
LRESULT PaintedRows;

bool ShowsRows(HWND pane)
{
    RECT client;
    GetClientRect(pane, &client);
    return IsWindowVisible(pane) && client.bottom > 0 && SendMessageA(pane, LB_GETCOUNT, 0, 0) > 0;
}

LRESULT CALLBACK WatchedPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT || PaintedAt != 0 || !ShowsRows(pane))
        return CallWindowProcA(PaneProc, pane, message, wParam, lParam);
    LRESULT result = CallWindowProcA(PaneProc, pane, message, wParam, lParam);
    GdiFlush();
    RECT left;
    if (!GetUpdateRect(pane, &left, FALSE)) {
        PaintedAt = Now();
        PaintedRows = SendMessageA(pane, LB_GETCOUNT, 0, 0);
        PostMessageA(GetParent(pane), WM_CLOSE, 0, 0);
    }
    return result;
}

void WatchPane()
{
    PaneProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(JournalPane, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchedPaneProc)));
}

// One run ---------------------------------------------------------------------

// What the console does before its login asks for a name.
void StartLikeConsole(HINSTANCE instance)
{
    IsWindowsNT = 1;
    InitCommonControls();
    LoadUserActivity();
    TooltipsEnabled = 1;
    ZemoInitControls();
    AppInstance = instance;
    JournalSettings = {};
    GatewayActiveFlags.fill(0);
    CreateDrawingObjects();
    RegisterWindowClasses(instance);
}

void RunWhole(HINSTANCE instance, std::map<std::string, double>& times)
{
    double start = Now();
    HWND window = CreateMainWindow(instance, SW_SHOWNORMAL);
    if (!window)
        return;
    WatchPane();
    RunMainWindow(window);
    times["startup"] = PaintedAt - start;
}

// The steps of RunMainWindow before its message loop, in its order (the
// demo's settings purge nothing, so the purge is left out).
void RunSplit(HINSTANCE instance, std::map<std::string, double>& times)
{
    double t0 = Now();
    HWND window = CreateMainWindow(instance, SW_SHOWNORMAL);
    if (!window)
        return;
    WatchPane();
    double t1 = Now();
    LoadJournal();
    double t2 = Now();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(JournalSettings.sortColumn, 0), 0);
    double t3 = Now();
    CreateColumnHeaders(JournalPane);
    CreateToolbarButtons(window);
    double t4 = Now();
    ShowJournalPane();
    double t5 = Now();
    LayoutMainWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    times["window"] = t1 - t0;
    times["load"] = t2 - t1;
    times["sort"] = t3 - t2;
    times["buttons"] = t4 - t3;
    times["show"] = t5 - t4;
    times["paint"] = PaintedAt - t5;
    times["startup"] = PaintedAt - t0;
}

int RunChild(const std::string& mode, const std::string& dir)
{
    SetProgramDirForTests(dir);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    StartLikeConsole(instance);
    std::vector<uint8_t> warm;
    ReadWhole(JournalPath(dir), warm);
    std::vector<uint8_t>().swap(warm);
    std::map<std::string, double> times;
    times["read"] = TimePlainRead(JournalPath(dir));
    if (mode == "whole")
        RunWhole(instance, times);
    else
        RunSplit(instance, times);
    if (PaintedAt == 0 || Journal.count <= 0) {
        std::printf("error=1\n");
        return 1;
    }
    TimeComparisons(JournalPath(dir), times);
    times["records"] = Journal.count;
    times["rows"] = double(PaintedRows);
    for (const auto& [name, value] : times)
        std::printf("%s=%.6f\n", name.c_str(), value);
    return 0;
}

// The runs --------------------------------------------------------------------

// Runs this program as `child mode dir` and reads back its name=value lines.
bool RunChildProcess(const std::string& mode, const std::string& dir, std::map<std::string, double>& times)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" child " + mode + " \"" + dir + "\"";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process);
    CloseHandle(writeEnd);
    std::string output;
    char buffer[512];
    DWORD got;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    CloseHandle(readEnd);
    if (!started)
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    size_t at = 0;
    while (at < output.size()) {
        size_t end = output.find('\n', at);
        std::string entry = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? output.size() : end + 1;
        size_t equals = entry.find('=');
        if (equals != std::string::npos)
            times[entry.substr(0, equals)] = std::atof(entry.c_str() + equals + 1);
    }
    return !times.count("error") && times.count("startup");
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Minimum(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

void PrintRow(const char* label, const std::vector<double>& values)
{
    std::printf("%-44s %9.3f %9.3f\n", label, Median(values), Minimum(values));
}

int RunParent(const std::string& dir, int runs, int sortCommand)
{
    if (!MakeBigJournal(dir))
        return 2;
    std::string ini = dir + "\\admin.ini";
    WritePrivateProfileStringA("Journal", "Tri", std::to_string(sortCommand).c_str(), ini.c_str());

    std::map<std::string, std::vector<double>> whole, split;
    double records = 0, rows = 0;
    for (int run = 0; run < runs; ++run) {
        for (const char* mode : {"whole", "split"}) {
            std::map<std::string, double> times;
            if (!RunChildProcess(mode, dir, times)) {
                std::printf("run %d (%s) failed\n", run + 1, mode);
                return 2;
            }
            auto& into = std::strcmp(mode, "whole") == 0 ? whole : split;
            for (const auto& [name, value] : times)
                into[name].push_back(value);
            records = times["records"];
            rows = times["rows"];
            std::fprintf(stderr, "run %d %s: read %.3f s, start-up %.3f s\n", run + 1, mode, times["read"],
                         times["startup"]);
        }
    }

    std::vector<double> ratios;
    for (size_t i = 0; i < whole["startup"].size(); ++i)
        ratios.push_back(whole["startup"][i] / whole["read"][i]);
    std::printf("\njournal of %.0f records (%.0f MB), sort command %d, %.0f rows in the pane, %d runs\n", records,
                (4.0 + records * kRecordSize) / 1e6, sortCommand, rows, runs);
    std::printf("\n%-44s %9s %9s\n", "seconds", "median", "min");
    PrintRow("plain read into fresh memory", whole["read"]);
    PrintRow("plain read again, into memory already held", whole["reread"]);
    PrintRow("fresh memory of that size filled, no read", whole["fill"]);
    PrintRow("start-up after the login to the painted pane", whole["startup"]);
    std::printf("%-44s %9.2f %9.2f\n", "ratio start-up / read (same run)", Median(ratios), Minimum(ratios));
    std::printf("%-44s %9.2f %9.2f\n", "ratio of the medians, of the minimums",
                Median(whole["startup"]) / Median(whole["read"]), Minimum(whole["startup"]) / Minimum(whole["read"]));

    std::printf("\nwhere it goes (the same steps one by one, other runs)\n");
    PrintRow("plain read into fresh memory", split["read"]);
    PrintRow("main window created (settings, users)", split["window"]);
    PrintRow("LoadJournal", split["load"]);
    PrintRow("sort command (sort and fill)", split["sort"]);
    PrintRow("header and toolbar buttons", split["buttons"]);
    PrintRow("ShowJournalPane (show and fill)", split["show"]);
    PrintRow("layout and messages to the painted pane", split["paint"]);
    PrintRow("all of it", split["startup"]);
    return 0;
}

std::string FullPath(const char* path)
{
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full) : std::string(path);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "child") == 0)
        return RunChild(argv[2], argv[3]);
    if (argc < 2) {
        std::printf("usage: startup_bench directory [runs] [sort command]\n");
        return 2;
    }
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    int sortCommand = argc > 3 ? std::atoi(argv[3]) : 9;
    return RunParent(FullPath(argv[1]), runs, sortCommand);
}
