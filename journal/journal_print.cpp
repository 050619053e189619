#include "journal/journal_print.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/app.h"
#include "base/file_io.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "journal/journal_export_text.h"
#include "journal/journal_file.h"
#include "journal/journal_page_layout.h"
#include "journal/journal_view.h"
#include "journal/printer_names.h"
#include "resources/resource.h"

namespace {

constexpr char kDocumentName[] = "Journal Quorel";
constexpr char kSaveTitle[] = "Enregistrer sous...";
constexpr char kOverwriteQuestion[] = "Ce fichier existe déjà.\nVoulez-vous l'écraser?";
constexpr char kPageTooSmall[] =
    "La page de cette imprimante est trop petite pour y imprimer le journal.\n"
    "Choisissez une autre imprimante ou un autre format de papier.";
constexpr char kPrintFailed[] = "L'impression du journal a échoué.";
constexpr char kExportFailed[] = "Le journal n'a pas pu être enregistré dans le fichier\n";
constexpr char kNoMemory[] = "Mémoire insuffisante pour imprimer ou enregistrer le journal.";

// The export's file name may be as long as the platform's longest path.
constexpr DWORD kExportNameSize = 32768;

std::span<const JournalRecord> CurrentRecords()
{
    size_t count = std::min(Journal.records.size(), static_cast<size_t>(std::max(Journal.count, 0)));
    return {Journal.records.data(), count};
}

// The rows of the pane and the records they name, as they stand when a
// command starts. The command's dialogs let the two-second timer run: the
// reload is held until the command ends, so that neither the rows nor the
// records move or change meanwhile.
class PaneRows {
public:
    PaneRows() : records_(CurrentRecords()), rows_(JournalRows()) { HoldJournalReload(); }
    ~PaneRows() { ReleaseJournalReload(); }
    PaneRows(const PaneRows&) = delete;
    PaneRows& operator=(const PaneRows&) = delete;

    std::span<const JournalRecord> records() const { return records_; }
    std::span<const int> rows() const { return rows_; }
    // The record of row i; nothing when the row names no record.
    const JournalRecord* RecordOf(size_t i) const
    {
        int r = rows_[i];
        return r >= 0 && static_cast<size_t>(r) < records_.size() ? &records_[static_cast<size_t>(r)] : nullptr;
    }

private:
    std::span<const JournalRecord> records_;
    std::vector<int> rows_;
};

void Report(HWND owner, const std::string& text, const char* caption)
{
    ShowMessageBox(owner, text.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
}

// Printing --------------------------------------------------------------------

HFONT CreatePrintFont()
{
    return CreateFontA(-72, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, nullptr);
}

// The printer-name block of "Devices" in section "Printer" of admin.ini, for
// the print dialog to preselect; nothing when the key is empty.
HGLOBAL PreferredPrinterNames()
{
    std::string devices = ReadProfileText("Printer", "Devices", "", AdminIniPath(), 256);
    if (devices.empty())
        return nullptr;
    std::vector<uint8_t> block = BuildPrinterNames(devices);
    HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE, block.size());
    if (!names)
        return nullptr;
    void* at = GlobalLock(names);
    if (!at) {
        GlobalFree(names);
        return nullptr;
    }
    std::memcpy(at, block.data(), block.size());
    GlobalUnlock(names);
    return names;
}

INT_PTR CALLBACK PrintProgressDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// "Impression du journal" / "En cours...", painted at once: the printout
// runs without giving the message loop a turn.
HWND ShowPrintProgress(HWND owner)
{
    HWND progress = CreateDialogA(AppInstance, MAKEINTRESOURCEA(IDD_PRINT_PROGRESS), owner, PrintProgressDialog);
    if (!progress)
        return nullptr;
    CentreWindow(progress);
    ShowWindow(progress, SW_SHOW);
    SetFocus(progress);
    UpdateWindow(progress);
    return progress;
}

// A text in its column's box, cut with "..." to the column less 10 units,
// "&" printed as it is.
void DrawCell(HDC dc, const JournalPageLayout& layout, int column, int top, std::string_view text)
{
    size_t k = static_cast<size_t>(column);
    std::string fitted(text);
    FitText(dc, fitted, layout.widths[k] - 10);
    RECT box = {layout.textLeft[k], top, layout.textLeft[k] + layout.widths[k], top + layout.rowHeight};
    DrawTextA(dc, fitted.c_str(), static_cast<int>(fitted.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// Some drivers reset the device context at each page: the font and colours
// are set again for every row.
void PrepareRow(HDC dc, HFONT font)
{
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, RGB(255, 255, 255));
    SelectObject(dc, font);
}

// The column titles in a framed row at the top of the page, with solid
// lines between them.
void DrawTitleRow(HDC dc, HFONT font, const JournalPageLayout& layout)
{
    PrepareRow(dc, font);
    HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 0, 0, layout.tableWidth, layout.rowHeight);
    SelectObject(dc, brush);
    for (int k = 0; k < kJournalColumnCount; ++k) {
        if (k > 0) {
            MoveToEx(dc, layout.ruleX[static_cast<size_t>(k)], 0, nullptr);
            LineTo(dc, layout.ruleX[static_cast<size_t>(k)], layout.rowHeight);
        }
        DrawCell(dc, layout, k, 0, kJournalColumnSpecs[static_cast<size_t>(k)].title);
    }
}

void DrawRecordRow(HDC dc, HFONT font, const JournalPageLayout& layout, const JournalRecord& record, int slot)
{
    PrepareRow(dc, font);
    COLORREF lines = GetSysColor(COLOR_GRAYTEXT);
    int top = layout.RowTop(slot);
    DrawDottedLine(dc, 0, top, layout.tableWidth, top, lines);
    for (int k = 0; k < kJournalColumnCount; ++k) {
        if (k > 0) {
            int x = layout.ruleX[static_cast<size_t>(k)];
            DrawDottedLine(dc, x, top, x, top + layout.rowHeight, lines);
        }
        DrawCell(dc, layout, k, top, JournalFieldText(record, k));
    }
}

enum class PrintOutcome { printed, pageTooSmall, cancelled, failed };

// The document: every row in turn, R to a page under the page's title row;
// with no row, one empty page.
PrintOutcome PrintRows(HDC dc, HFONT font, const PaneRows& pane)
{
    SelectObject(dc, font);
    TEXTMETRICA metrics;
    std::optional<JournalPageLayout> layout;
    if (GetTextMetricsA(dc, &metrics))
        layout = LayoutJournalPage(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), metrics.tmHeight,
                                   metrics.tmExternalLeading);
    if (!layout)
        return PrintOutcome::pageTooSmall;

    // Rows that name no record are not printed.
    std::vector<const JournalRecord*> records;
    records.reserve(pane.rows().size());
    for (size_t i = 0; i < pane.rows().size(); ++i)
        if (const JournalRecord* record = pane.RecordOf(i))
            records.push_back(record);

    DOCINFOA document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = kDocumentName;
    if (StartDocA(dc, &document) <= 0)
        // Printing to a file whose name the administrator did not give.
        return GetLastError() == ERROR_CANCELLED ? PrintOutcome::cancelled : PrintOutcome::failed;
    bool ok = StartPage(dc) > 0;
    const size_t perPage = static_cast<size_t>(layout->rowsPerPage);
    for (size_t i = 0; ok && i < records.size(); ++i) {
        int slot = static_cast<int>(i % perPage);
        if (slot == 0)
            DrawTitleRow(dc, font, *layout);
        DrawRecordRow(dc, font, *layout, *records[i], slot);
        if (i % perPage == perPage - 1 && i + 1 < records.size())
            ok = EndPage(dc) > 0 && StartPage(dc) > 0;
    }
    if (!ok || EndPage(dc) <= 0) {
        AbortDoc(dc);
        return PrintOutcome::failed;
    }
    return EndDoc(dc) > 0 ? PrintOutcome::printed : PrintOutcome::failed;
}

// Export -------------------------------------------------------------------

// The export written a megabyte at a time, so that a journal of any length
// needs no copy of it in memory.
bool WriteExport(const std::string& path, const PaneRows& pane)
{
    FileReplacement file(path);
    std::vector<char> piece(1 << 20);
    size_t next = 0;
    do {
        size_t used = 0;
        next = WriteJournalExportLines(pane.records(), pane.rows(), next, piece, used);
        if (!file.Write({reinterpret_cast<const uint8_t*>(piece.data()), used}))
            return false;
    } while (next < pane.rows().size());
    return file.Commit();
}

std::string LoadResourceText(UINT id)
{
    char text[256];
    int length = LoadStringA(AppInstance, id, text, sizeof text);
    return std::string(text, static_cast<size_t>(std::max(length, 0)));
}

}  // namespace

void PrintJournal(HWND pane)
{
    HWND owner = pane ? GetParent(pane) : MainWindow;
    std::optional<PaneRows> rows;
    try {
        rows.emplace();
    } catch (const std::bad_alloc&) {
        Report(owner, kNoMemory, "ERREUR");
        return;
    }
    HFONT font = CreatePrintFont();
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hDevNames = PreferredPrinterNames();
    dialog.Flags = PD_RETURNDC;
    dialog.nFromPage = dialog.nToPage = dialog.nMinPage = dialog.nMaxPage = 1;
    if (ShowPrintDialog(&dialog) && dialog.hDC) {
        HWND progress = ShowPrintProgress(owner);
        PrintOutcome outcome;
        try {
            outcome = PrintRows(dialog.hDC, font, *rows);
        } catch (const std::bad_alloc&) {
            outcome = PrintOutcome::failed;
        }
        if (progress)
            DestroyWindow(progress);
        if (outcome == PrintOutcome::pageTooSmall)
            Report(owner, kPageTooSmall, "Attention");
        else if (outcome == PrintOutcome::failed)
            Report(owner, kPrintFailed, "ERREUR");
    }
    if (dialog.hDC)
        DeleteDC(dialog.hDC);
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    DeleteObject(font);
}

void ExportJournal(HWND owner)
{
    std::optional<PaneRows> rows;
    try {
        rows.emplace();
    } catch (const std::bad_alloc&) {
        Report(owner, kNoMemory, "ERREUR");
        return;
    }

    SYSTEMTIME today;
    GetLocalTime(&today);
    std::string proposed = ProposedExportName(today.wDay, today.wMonth, today.wYear);
    std::vector<char> name(kExportNameSize, '\0');
    std::memcpy(name.data(), proposed.c_str(), proposed.size() + 1);
    std::string filter = FilterListFromText(LoadResourceText(IDS_EXPORT_FILTER));
    std::string folder = GetProgramDir();

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = kExportNameSize;
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = kSaveTitle;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "txt";
    if (!ShowSaveFileDialog(&dialog))
        return;
    std::string path(name.data(), strnlen(name.data(), name.size()));
    if (FileExists(path) && ShowMessageBox(owner, kOverwriteQuestion, "Attention", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    bool written;
    try {
        written = WriteExport(path, *rows);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    if (!written)
        Report(owner, kExportFailed + path, "ERREUR");
}
