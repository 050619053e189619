// Times the journal's text export and printout under Wine, through the
// console's own commands with their dialogs answered:
//
//   journal_print_bench [export rows] [print rows] [printer]
//
// The export writes a pane of `export rows` rows (1,000,000 by default) to a
// file, against a plain write of the same bytes to a new file, best of three
// each. The printout prints a pane of `print rows` rows (10,000 by default)
// on `printer` (the PDF print queue "PDF" by default) and reports pages per
// second: the console's own work (until the document is handed to the
// spooler), and until the PDF printer has written the document in ~/PDF.
// Ends with 0 when the export took at most twice the plain write.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/drawing_objects.h"
#include "base/modal_seam.h"
#include "base/program_dir.h"
#include "bench/bench_clock.h"
#include "bench/journal_bench_data.h"
#include "journal/journal_export_text.h"
#include "journal/journal_file.h"
#include "journal/journal_print.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "shell/window_classes.h"
#include "users/user_tables.h"

namespace {

std::string ExportPath;
std::string Printer = "PDF";

BOOL AnswerSave(void*, OPENFILENAMEA* dialog)
{
    if (ExportPath.size() >= dialog->nMaxFile)
        return FALSE;
    lstrcpyA(dialog->lpstrFile, ExportPath.c_str());
    return TRUE;
}

BOOL AnswerPrint(void*, PRINTDLGA* dialog)
{
    dialog->hDC = CreateDCA(nullptr, Printer.c_str(), nullptr, nullptr);
    return dialog->hDC != nullptr;
}

// The overwrite question is answered yes; anything else is shown.
int AnswerMessage(void*, HWND, const char* text, const char*, UINT type)
{
    if (!(type & MB_YESNO))
        std::printf("  message: %s\n", text);
    return IDYES;
}

LRESULT CALLBACK BenchMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DRAWITEM) {
        DrawJournalRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A pane listing the first `count` calls of a year, in file order.
void ShowCalls(size_t count)
{
    Journal = JournalTable{};
    Journal.records = bench::MakeJournal(count);
    Journal.count = static_cast<int32_t>(count);
    Journal.loadedCount = Journal.count;
    SortJournal(9);
}

double PlainWrite(const std::string& path, const std::vector<char>& bytes, bool flush)
{
    return Seconds([&] {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (flush)
            FlushFileBuffers(file);
        CloseHandle(file);
    });
}

// The lines alone, made a megabyte at a time into the same buffer.
double FormatOnly()
{
    std::span<const JournalRecord> records(Journal.records.data(), Journal.records.size());
    std::vector<int> rows = JournalRows();
    std::vector<char> piece(1 << 20);
    return Seconds([&] {
        size_t next = 0;
        do {
            size_t used = 0;
            next = WriteJournalExportLines(records, rows, next, piece, used);
        } while (next < rows.size());
    });
}

std::vector<char> ReadAll(const std::string& path)
{
    std::vector<char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// The PDF files in cups-pdf's folder, ~/PDF of the user who prints.
std::string PdfFolder()
{
    char home[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home);
    std::string folder = home;
    if (folder.rfind("\\??\\", 0) == 0)
        folder = folder.substr(4);
    return folder + "\\PDF";
}

std::vector<std::string> PdfFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((PdfFolder() + "\\*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Waits for a new PDF that ends as a complete document; its size, or 0.
size_t WaitForNewPdf(const std::vector<std::string>& before, double limitSeconds)
{
    double start = Now();
    while (Now() - start < limitSeconds) {
        for (const std::string& name : PdfFiles()) {
            if (std::binary_search(before.begin(), before.end(), name))
                continue;
            std::vector<char> bytes = ReadAll(PdfFolder() + "\\" + name);
            std::string tail(bytes.end() - std::min<size_t>(bytes.size(), 32), bytes.end());
            if (tail.find("%%EOF") != std::string::npos)
                return bytes.size();
        }
        Sleep(100);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    size_t exportRows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    size_t printRows = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000;
    if (argc > 3)
        Printer = argv[3];

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "quorel-print-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    SetProgramDirForTests(dir);
    AppInstance = GetModuleHandleA(nullptr);
    CreateDrawingObjects();
    RegisterWindowClasses(AppInstance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchMainProc;
    wc.hInstance = AppInstance;
    wc.lpszClassName = "JournalPrintBench";
    RegisterClassA(&wc);
    MainWindow = CreateWindowExA(0, "JournalPrintBench", "Administrateur", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 800, 600, nullptr, nullptr, AppInstance, nullptr);
    JournalPane = CreateWindowExA(WS_EX_CLIENTEDGE, "arrayed", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 5, 60, 780,
                                  500, MainWindow, nullptr, AppInstance, nullptr);
    CreateColumnHeaders(JournalPane);
    PlaceColumnHeaders(5, 60, 780);
    JournalSettings.shown = 1;
    JournalSettings.userFilter = UserCount();
    JournalSettings.gatewayFilter = 0;  // no gateway: every one

    ModalSeam seam;
    seam.saveFile = AnswerSave;
    seam.print = AnswerPrint;
    seam.messageBox = AnswerMessage;
    SetModalSeamForTests(&seam);

    bool met = true;
    if (exportRows) {
        ShowCalls(exportRows);
        ExportPath = dir + "\\export.txt";
        std::string plainPath = dir + "\\plain.txt";
        // To a new file, then over the file of the previous run.
        double exported = 1e30, replaced = 1e30;
        for (int i = 0; i < 3; ++i) {
            DeleteFileA(ExportPath.c_str());
            exported = std::min(exported, Seconds([] { ExportJournal(MainWindow); }));
            replaced = std::min(replaced, Seconds([] { ExportJournal(MainWindow); }));
        }
        std::vector<char> bytes = ReadAll(ExportPath);
        double plain = 1e30, flushed = 1e30, format = 1e30;
        for (int i = 0; i < 3; ++i) {
            plain = std::min(plain, PlainWrite(plainPath, bytes, false));
            flushed = std::min(flushed, PlainWrite(plainPath, bytes, true));
            format = std::min(format, FormatOnly());
        }
        std::printf("export of %zu rows, %.1f MB (best of three each):\n", JournalRows().size(), bytes.size() / 1e6);
        std::printf("  plain write of the same bytes to a new file: %.3f s\n", plain);
        std::printf("  the same, flushed to the disk: %.3f s\n", flushed);
        std::printf("  ExportJournal to a new file (lines made a megabyte at a time, written beside, moved into "
                    "place): %.3f s, %.2f times the plain write (goal: at most 2)\n", exported, exported / plain);
        std::printf("  ExportJournal over an existing file (the same, flushed before the move): %.3f s, %.2f times "
                    "the flushed write\n", replaced, replaced / flushed);
        std::printf("  making the lines alone: %.3f s\n", format);
        met = exported <= 2 * plain;
        DeleteFileA(ExportPath.c_str());
        DeleteFileA(plainPath.c_str());
    }

    if (printRows) {
        ShowCalls(printRows);
        std::vector<std::string> before = PdfFiles();
        double start = Now();
        PrintJournal(JournalPane);
        double printed = Now() - start;
        size_t size = WaitForNewPdf(before, 3600);
        double written = Now() - start;
        // 40 rows a page on A4 at 300 dpi.
        HDC dc = CreateDCA(nullptr, Printer.c_str(), nullptr, nullptr);
        int pages = -1;
        if (dc) {
            HFONT font = CreateFontA(-72, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                     VARIABLE_PITCH | FF_SWISS, nullptr);
            HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICA metrics;
            GetTextMetricsA(dc, &metrics);
            int perPage = GetDeviceCaps(dc, VERTRES) / (metrics.tmHeight + metrics.tmExternalLeading + 1) - 1;
            pages = perPage > 0 ? static_cast<int>((printRows + perPage - 1) / perPage) : -1;
            SelectObject(dc, old);
            DeleteObject(font);
            DeleteDC(dc);
        }
        std::printf("printout of %zu rows, %d pages on \"%s\":\n", JournalRows().size(), pages, Printer.c_str());
        std::printf("  PrintJournal (drawn and handed to the spooler): %.2f s, %.2f pages/s\n", printed,
                    pages / printed);
        if (size)
            std::printf("  until the PDF printer wrote it (%.1f MB): %.2f s, %.2f pages/s\n", size / 1e6, written,
                        pages / written);
        else
            std::printf("  no PDF came to %s\n", PdfFolder().c_str());
    }
    SetModalSeamForTests(nullptr);
    RemoveDirectoryA(dir.c_str());
    return met ? 0 : 1;
}
