// Times the journal pane under Wine on a year of calls:
//
//   journal_view_bench [records] [directory]
//
// Writes "Journal.dat" of `records` calls (1,000,000 by default, about
// 564 MB) into `directory` (a fresh folder of the temporary directory by
// default, removed afterwards), loads it, and times in a real pane: each
// column's sort and filling, the filling alone (every record, and one
// user's), the painting at the top and at the end, a timer tick while the
// file is unchanged, and ticks after the server appended 1, 100 and 1000
// records under three sort columns. Prints the process's memory against the
// file's size. Ends with 0 when the filling takes under a second, an
// unchanged tick under a millisecond and the memory at most 1.5 times the
// file.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/journal_bench_data.h"
#include "journal/journal_file.h"
#include "journal/journal_reload.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "base/app.h"
#include "base/drawing_objects.h"
#include "base/program_dir.h"
#include "shell/window_classes.h"
#include "users/user_tables.h"

namespace {

double Best(int times, const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < times; ++i)
        best = std::min(best, Seconds(work));
    return best;
}

LRESULT CALLBACK BenchMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) >= 5 && LOWORD(wParam) <= 11)
            SortJournal(LOWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        DrawJournalRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string JournalPath()
{
    return ProgramPath("\\Journal.dat");
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::vector<uint8_t> CountBytes(uint32_t count)
{
    return {uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)};
}

bool WriteJournal(size_t count, bench::CallMaker& maker)
{
    HANDLE file = CreateFileA(JournalPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, CountBytes(static_cast<uint32_t>(count)));
    std::vector<uint8_t> chunk;
    for (size_t i = 0; i < count && ok; ++i) {
        JournalRecord record = maker.Make(i);
        chunk.insert(chunk.end(), record.bytes.begin(), record.bytes.end());
        if (chunk.size() >= 2048 * kJournalRecordSize || i + 1 == count) {
            ok = WriteAll(file, chunk);
            chunk.clear();
        }
    }
    CloseHandle(file);
    return ok;
}

// Appends as the server does: the records after the counted ones, then the
// new count.
bool AppendRecords(size_t count, bench::CallMaker& maker, size_t& made)
{
    HANDLE file = CreateFileA(JournalPath().c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    uint8_t head[4] = {};
    DWORD got = 0;
    bool ok = ReadFile(file, head, 4, &got, nullptr) && got == 4;
    uint32_t held = head[0] | head[1] << 8 | head[2] << 16 | uint32_t(head[3]) << 24;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i) {
        JournalRecord record = maker.Make(made++);
        bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
    }
    LARGE_INTEGER at;
    at.QuadPart = 4 + LONGLONG(held) * LONGLONG(kJournalRecordSize);
    ok = ok && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && WriteAll(file, bytes);
    at.QuadPart = 0;
    ok = ok && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
         WriteAll(file, CountBytes(held + static_cast<uint32_t>(count)));
    CloseHandle(file);
    return ok;
}

void Paint()
{
    InvalidateRect(JournalPane, nullptr, TRUE);
    UpdateWindow(JournalPane);
}

const char* ColumnName(int command)
{
    const char* names[] = {"Ligne", "Passerelle", "Utilisateur", "Numero", "Date", "Debit", "Duree"};
    return names[command - 5];
}

void RemoveDirectoryTree(const std::string& dir)
{
    DeleteFileA((dir + "\\Journal.dat").c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    std::string dir;
    bool ownDir = argc <= 2;
    if (ownDir) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir = std::string(temp) + "quorel-view-bench-" + std::to_string(GetCurrentProcessId());
    } else {
        dir = argv[2];
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    SetProgramDirForTests(dir);
    AppInstance = GetModuleHandleA(nullptr);

    bench::CallMaker maker(2001);
    size_t made = count;
    std::printf("journal of %zu records (%.0f MB) in %s\n", count, (4.0 + count * 564.0) / 1e6, dir.c_str());
    if (!WriteJournal(count, maker)) {
        std::printf("cannot write the journal\n");
        return 2;
    }

    CreateDrawingObjects();
    RegisterWindowClasses(AppInstance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchMainProc;
    wc.hInstance = AppInstance;
    wc.lpszClassName = "JournalViewBench";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    MainWindow = CreateWindowExA(0, "JournalViewBench", "Administrateur", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 800, 600, nullptr, nullptr, AppInstance, nullptr);
    RECT client;
    GetClientRect(MainWindow, &client);
    JournalPane = CreateWindowExA(WS_EX_CLIENTEDGE, "arrayed", "",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED, 5, 60, client.right - 10,
                                  client.bottom - 65, MainWindow, nullptr, AppInstance, nullptr);
    SendMessageA(JournalPane, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont), FALSE);
    CreateColumnHeaders(JournalPane);
    PlaceColumnHeaders(5, 60, client.right - 10);
    JournalSettings.shown = 1;
    JournalSettings.sortColumn = 9;
    JournalSettings.userFilter = UserCount();
    JournalSettings.gatewayFilter = 0;
    ShowJournalPane();

    bool met = true;
    double load = Seconds(LoadJournal);
    std::printf("\nLoadJournal (whole file, as the journal module reads it): %.3f s, %d records\n", load,
                Journal.count);

    std::printf("\n%-12s %14s\n", "sort column", "sort+fill (s)");
    for (int command = 5; command <= 11; ++command) {
        double t = Seconds([command] { SortJournal(command); });
        std::printf("%-12s %14.3f\n", ColumnName(command), t);
    }

    SortJournal(9);
    double fill = Best(3, FillJournalPane);
    size_t rows = JournalRows().size();
    UserTable& users = CurrentUserTable();
    users.header.userCount = 1;
    lstrcpynA(users.records[0].name, "Durand", sizeof users.records[0].name);
    JournalSettings.userFilter = 0;
    double fillUser = Best(3, FillJournalPane);
    size_t userRows = JournalRows().size();
    JournalSettings.userFilter = UserCount();
    FillJournalPane();
    std::printf("\nFillJournalPane, %zu rows: %.3f s (pane count %ld)\n", rows, fill,
                static_cast<long>(SendMessageA(JournalPane, LB_GETCOUNT, 0, 0)));
    std::printf("FillJournalPane, one user's %zu rows: %.3f s\n", userRows, fillUser);
    met = met && fill < 1.0 && fillUser < 1.0;

    double paintTop = Best(3, Paint);
    SendMessageA(JournalPane, WM_VSCROLL, SB_BOTTOM, 0);
    double paintEnd = Best(3, Paint);
    std::printf("paint at the top: %.2f ms; at the end (top row %ld): %.2f ms\n", paintTop * 1e3,
                static_cast<long>(SendMessageA(JournalPane, LB_GETTOPINDEX, 0, 0)), paintEnd * 1e3);

    SortJournal(7);
    SendMessageA(JournalPane, LB_SETCURSEL, 5, 0);
    uint64_t probe = LoadJournalAppends();
    std::vector<double> ticks;
    for (int i = 0; i < 200; ++i)
        ticks.push_back(Seconds([] { RefreshJournalOnTimer(MainWindow); }));
    std::sort(ticks.begin(), ticks.end());
    double median = ticks[ticks.size() / 2];
    std::printf("\nunchanged tick: %llu bytes read; median %.3f ms, slowest %.3f ms of %zu\n",
                static_cast<unsigned long long>(probe), median * 1e3, ticks.back() * 1e3, ticks.size());
    met = met && median < 1e-3 && probe <= 4096;

    std::printf("\n%-12s %8s %12s %10s\n", "sort column", "appended", "tick (ms)", "rows");
    for (int command : {9, 7, 11}) {
        SortJournal(command);
        for (size_t k : {size_t{1}, size_t{100}, size_t{1000}}) {
            if (!AppendRecords(k, maker, made)) {
                std::printf("cannot append\n");
                return 2;
            }
            double t = Seconds([] { RefreshJournalOnTimer(MainWindow); });
            std::printf("%-12s %8zu %12.2f %10zu\n", ColumnName(command), k, t * 1e3, JournalRows().size());
            if (JournalRows().size() != static_cast<size_t>(Journal.count))
                met = false;
        }
    }
    // Where a tick's time goes, one appended record at a time.
    std::printf("\n%-12s %10s %16s %14s\n", "sort column", "read (ms)", "sort+fill (ms)", "select (ms)");
    for (int command : {9, 7, 11}) {
        SortJournal(command);
        SendMessageA(JournalPane, LB_SETCURSEL, 5, 0);
        AppendRecords(1, maker, made);
        double read = Seconds([] { LoadJournalAppends(); });
        double sort = Seconds([command] { SortJournal(command); });
        double select = Seconds([] { SendMessageA(JournalPane, LB_SETCURSEL, 5, 0); });
        std::printf("%-12s %10.2f %16.2f %14.2f\n", ColumnName(command), read * 1e3, sort * 1e3, select * 1e3);
    }

    size_t before = Journal.records.size();
    AppendRecords(10, maker, made);
    uint64_t appendedRead = LoadJournalAppends();
    std::printf("reading 10 appended records: %llu bytes (%zu new records)\n",
                static_cast<unsigned long long>(appendedRead), Journal.records.size() - before);
    SortJournal(JournalSettings.sortColumn);

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    double fileSize = 4.0 + double(Journal.count) * 564.0;
    // Wine reports no private bytes: the larger of what it does report.
    double held = double(std::max({memory.PrivateUsage, memory.PagefileUsage, memory.WorkingSetSize}));
    std::printf("\nmemory: private %.0f MB, committed %.0f MB, working set %.0f MB (peak %.0f MB); file %.0f MB: "
                "%.2f x the file\n",
                double(memory.PrivateUsage) / 1e6, double(memory.PagefileUsage) / 1e6,
                double(memory.WorkingSetSize) / 1e6, double(memory.PeakWorkingSetSize) / 1e6, fileSize / 1e6,
                held / fileSize);
    std::printf("records %.0f MB (capacity), sort index %.1f MB, rows %.1f MB\n",
                double(Journal.records.capacity()) * 564.0 / 1e6, double(Journal.count) * 4.0 / 1e6,
                double(JournalRows().capacity()) * 4.0 / 1e6);
    met = met && held <= 1.5 * fileSize;

    DestroyWindow(MainWindow);
    if (ownDir)
        RemoveDirectoryTree(dir);
    std::printf("\n%s\n", met ? "every requirement met" : "REQUIREMENT NOT MET");
    return met ? 0 : 1;
}
