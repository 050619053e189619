// "&Imprimer le journal...", checked on real paper: the tests print on the
// machine's PDF print queue through the platform's printing, then read the
// document back (see printout.h): the pages, the title row of each, every
// row's fields in the pane's order, and the rulings as pixels.
#include "journal/journal_print.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/profile.h"
#include "base/program_dir.h"
#include "journal/journal_columns.h"
#include "journal/journal_page_layout.h"
#include "journal/tests/journal_pane_fixture.h"
#include "journal/tests/printout.h"

namespace {

constexpr char kProgressCaption[] = "Impression du journal";

// The page of the PDF queue in printer units, as the printout lays it out
// with the print font's metrics on that printer.
struct Paper {
    JournalPageLayout layout;
    int dpi = 0;
    int offsetX = 0, offsetY = 0;  // of the printable area on the sheet
};

bool PdfPaper(Paper& paper)
{
    HDC dc = CreateDCA(nullptr, kPdfPrinter, nullptr, nullptr);
    if (!dc)
        return false;
    HFONT font = CreateFontA(-72, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                             CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    bool measured = GetTextMetricsA(dc, &metrics);
    std::optional<JournalPageLayout> layout = LayoutJournalPage(
        GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), metrics.tmHeight, metrics.tmExternalLeading);
    paper.dpi = GetDeviceCaps(dc, LOGPIXELSY);
    paper.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    paper.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    if (!measured || !layout)
        return false;
    paper.layout = *layout;
    return true;
}

using TableRow = std::array<std::string, kJournalColumnCount>;

// A printed page as table rows by their place: row 0 is the title row, row
// s + 1 the record in slot s. Each cell holds the words whose left edge lies
// in the column's text box, left to right, joined by single spaces.
std::map<int, TableRow> Table(const PrintedPage& page, const Paper& paper)
{
    const JournalPageLayout& layout = paper.layout;
    std::vector<PrintedWord> words = page.words;
    std::sort(words.begin(), words.end(), [](const PrintedWord& a, const PrintedWord& b) { return a.left < b.left; });
    std::map<int, TableRow> table;
    for (const PrintedWord& word : words) {
        double x = word.left * paper.dpi / 72 - paper.offsetX;
        double y = (word.top + word.bottom) / 2 * paper.dpi / 72 - paper.offsetY;
        int row = static_cast<int>(y / layout.rowHeight);
        size_t column = 0;
        for (size_t k = 0; k < kJournalColumnCount; ++k)
            if (x >= layout.textLeft[k] - 4)
                column = k;
        std::string& cell = table[row][column];
        cell += (cell.empty() ? "" : " ") + word.text;
        double right = word.right * paper.dpi / 72 - paper.offsetX;
        EXPECT_LE(right, layout.textLeft[column] + layout.widths[column] - 10 + 4)
            << "\"" << word.text << "\" passes its column " << column;
    }
    return table;
}

// Whether a printed cell shows the text: whole, or a beginning of it
// followed by "...".
bool Shows(const std::string& cell, const std::string& text)
{
    if (cell == text)
        return true;
    if (cell.size() < 3 || cell.compare(cell.size() - 3, 3, "...") != 0)
        return false;
    return text.compare(0, cell.size() - 3, cell, 0, cell.size() - 3) == 0;
}

std::string Field(const CallFields& f, size_t column)
{
    const std::string* fields[] = {&f.line, &f.gateway, &f.user, &f.number, &f.dateTime, &f.rate, &f.duration};
    return *fields[column];
}

// Every page holds its title row and the next R rows of the pane, in order,
// each cell showing its field; no page holds anything else.
void ExpectPrintedRows(const Printout& printout, const std::vector<CallFields>& rows, const Paper& paper)
{
    const size_t perPage = static_cast<size_t>(paper.layout.rowsPerPage);
    ASSERT_EQ(printout.pages.size(), rows.empty() ? 1 : (rows.size() + perPage - 1) / perPage);
    for (size_t p = 0; p < printout.pages.size(); ++p) {
        std::map<int, TableRow> table = Table(printout.pages[p], paper);
        size_t first = p * perPage;
        size_t count = std::min(perPage, rows.size() - std::min(rows.size(), first));
        ASSERT_EQ(table.size(), count ? count + 1 : 0) << "page " << p + 1;
        if (!count)
            continue;
        ASSERT_EQ(table.begin()->first, 0) << "page " << p + 1;
        ASSERT_EQ(table.rbegin()->first, static_cast<int>(count)) << "page " << p + 1;
        for (size_t k = 0; k < kJournalColumnCount; ++k)
            EXPECT_TRUE(Shows(table[0][k], Utf8(kJournalColumnSpecs[k].title)))
                << "page " << p + 1 << " title " << k << ": \"" << table[0][k] << "\"";
        for (size_t s = 0; s < count; ++s) {
            const CallFields& call = rows[first + s];
            for (size_t k = 0; k < kJournalColumnCount; ++k)
                EXPECT_TRUE(Shows(table[static_cast<int>(s) + 1][k], Utf8(Field(call, k))))
                    << "page " << p + 1 << " row " << first + s << " column " << k << ": \""
                    << table[static_cast<int>(s) + 1][k] << "\" for \"" << Utf8(Field(call, k)) << "\"";
        }
    }
}

// The progress window as it was when it showed.
struct ProgressSeen {
    int shown = 0;
    std::string text;
    HWND owner = nullptr;
    RECT rect = {};
    bool visible = false;
};
ProgressSeen Progress;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_SHOWWINDOW)) {
        char caption[64] = {};
        GetWindowTextA(call->hwnd, caption, sizeof caption);
        if (std::string(caption) == kProgressCaption) {
            ++Progress.shown;
            char text[64] = {};
            GetDlgItemTextA(call->hwnd, 1600, text, sizeof text);
            Progress.text = text;
            Progress.owner = GetWindow(call->hwnd, GW_OWNER);
            GetWindowRect(call->hwnd, &Progress.rect);
            Progress.visible = IsWindowVisible(call->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs while the print dialog is "shown", and while a message box is.
std::function<void(const ModalCall&)> WhileModal;

void RunWhileModal(ModalRecorder&, const ModalCall& call)
{
    if (WhileModal)
        WhileModal(call);
}

class JournalPrintTest : public JournalPaneTest {
protected:
    void SetUp() override
    {
        JournalPaneTest::SetUp();
        ASSERT_TRUE(PdfPaper(paper_)) << "no print queue \"" << kPdfPrinter
                                      << "\": tools/test makes it (CUPS with printer-driver-cups-pdf)";
        Progress = {};
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchProgress, nullptr, GetCurrentThreadId());
        WhileModal = nullptr;
    }

    void TearDown() override
    {
        UnhookWindowsHookEx(hook_);
        WhileModal = nullptr;
        JournalPaneTest::TearDown();
    }

    // Prints the pane on the PDF queue, the print dialog answered with
    // `answer`, and reads back what came out.
    Printout Print(PrintAnswer answer, std::vector<ModalCall>* calls = nullptr)
    {
        PrintoutWatch watch;
        ModalRecorder recorder;
        recorder.onMessage = RunWhileModal;
        recorder.AnswerPrint(answer);
        PrintJournal(JournalPane);
        if (calls)
            *calls = recorder.Calls();
        return watch.Wait();
    }

    static PrintAnswer OnPdf()
    {
        PrintAnswer answer;
        answer.printer = kPdfPrinter;
        return answer;
    }

    Paper paper_;
    HHOOK hook_ = nullptr;
};

// Calls whose fields all fit their columns on A4, so that every one must
// print whole, but for the line of every seventh, which cannot.
std::vector<CallFields> Calls(size_t count)
{
    const char* users[] = {"Zo\xE9", "\xC9mile", "A&B", "Luc", "No\xEBl", "Albert"};
    std::vector<CallFields> calls;
    for (size_t i = 0; i < count; ++i) {
        CallFields f;
        f.line = i % 7 == 3 ? "Modem standard 56000 bps V90 sur le port COM" + std::to_string(i)
                            : "Ligne " + std::to_string(i);
        f.gateway = i % 2 ? "Paris" : "Pass1";
        f.user = users[i % 6];
        f.number = std::to_string(100000 + i * 37);
        f.dateTime = "07/03";
        f.rate = i % 5 == 2 ? "" : "9600";
        f.duration = std::to_string(i % 60) + "s";
        calls.push_back(f);
    }
    return calls;
}

TEST_F(JournalPrintTest, PrintsRRowsAPageUnderTheTitlesOfEachPage)
{
    const int R = paper_.layout.rowsPerPage;
    ASSERT_GE(R, 2);
    struct Case {
        size_t rows;
        size_t pages;
    } cases[] = {
        {2 * static_cast<size_t>(R), 2},  // two full pages, not a third of titles alone
        {2 * static_cast<size_t>(R) + 1, 3},
    };
    for (const Case& c : cases) {
        std::vector<CallFields> calls = Calls(c.rows);
        ShowJournal(calls, 7);  // by user: the accented names first
        Printout printout = Print(OnPdf());
        ASSERT_EQ(printout.error, "") << c.rows << " rows";
        EXPECT_EQ(printout.title, "Journal Quorel");
        EXPECT_EQ(printout.pages.size(), c.pages) << c.rows << " rows";
        std::vector<CallFields> rows = PaneCalls(calls);
        EXPECT_EQ(rows.front().user, "\xC9mile");
        ExpectPrintedRows(printout, rows, paper_);

        // Short fields print whole, a long line cut; the titles come whole
        // from the column table, not cut as the narrow pane's buttons show them.
        std::map<int, TableRow> first = Table(printout.pages[0], paper_);
        EXPECT_EQ(first[0][0], "Ligne");
        EXPECT_EQ(first[0][3], Utf8("Numéro"));
        EXPECT_EQ(first[0][4], "Date");
        EXPECT_NE(std::string(JournalColumns[3].title), "Numéro") << "the pane shows it cut";
        for (size_t s = 0; s < static_cast<size_t>(R); ++s) {
            const CallFields& call = rows[s];
            const TableRow& printed = first[static_cast<int>(s) + 1];
            bool longLine = call.line.size() > 20;
            EXPECT_EQ(printed[0].size() > 3 && printed[0].substr(printed[0].size() - 3) == "...", longLine)
                << printed[0];
            for (size_t k = 1; k < kJournalColumnCount; ++k)
                EXPECT_EQ(printed[k], Utf8(Field(call, k))) << "row " << s << " column " << k;
        }
    }
}

TEST_F(JournalPrintTest, ShowsTheProgressWindowWhilePrintingOnThePreferredPrinter)
{
    std::vector<CallFields> calls = Calls(3);
    ShowJournal(calls, 9);
    WritePrivateProfileStringA("Printer", "Devices", "PDF,winspool,cups-pdf:/", Path("\\admin.ini").c_str());
    std::vector<ModalCall> modal;
    PrintAnswer preselected;  // the printer the console preselects
    Printout printout = Print(preselected, &modal);
    ASSERT_EQ(printout.error, "");
    ExpectPrintedRows(printout, PaneCalls(calls), paper_);

    ASSERT_EQ(modal.size(), 1u);
    const ModalCall& dialog = modal[0];
    EXPECT_EQ(dialog.kind, "print");
    EXPECT_EQ(dialog.owner, main_);
    EXPECT_EQ(dialog.type, static_cast<UINT>(PD_RETURNDC));
    EXPECT_TRUE(dialog.hasPrinterNames);
    EXPECT_EQ(dialog.device, "PDF");
    EXPECT_EQ(dialog.driver, "winspool");
    EXPECT_EQ(dialog.port, "cups-pdf:/");
    EXPECT_EQ(dialog.fromPage, 1);
    EXPECT_EQ(dialog.toPage, 1);
    EXPECT_EQ(dialog.minPage, 1);
    EXPECT_EQ(dialog.maxPage, 1);

    EXPECT_EQ(Progress.shown, 1);
    EXPECT_EQ(Progress.text, "En cours...");
    EXPECT_EQ(Progress.owner, main_);
    EXPECT_TRUE(Progress.visible);
    RECT client;
    GetClientRect(main_, &client);
    MapWindowPoints(main_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_NEAR((Progress.rect.left + Progress.rect.right) / 2, (client.left + client.right) / 2, 1);
    EXPECT_NEAR((Progress.rect.top + Progress.rect.bottom) / 2, (client.top + client.bottom) / 2, 1);
    EXPECT_EQ(FindWindowA(nullptr, kProgressCaption), nullptr) << "destroyed once printed";
}

TEST_F(JournalPrintTest, PrintsOnlyTheFilteredGatewayWithAmpersandsAndAccents)
{
    std::vector<CallFields> calls = Calls(12);
    calls[5].user = "A&&B";
    calls[7].user = "Zo\xE9";
    calls[9].user = "A&B";
    JournalSettings.gatewayFilter = 1;  // "Paris": the odd calls
    ShowJournal(calls, 8);
    std::vector<CallFields> rows = PaneCalls(calls);
    ASSERT_EQ(rows.size(), 6u);
    Printout printout = Print(OnPdf());
    ASSERT_EQ(printout.error, "");
    ExpectPrintedRows(printout, rows, paper_);
    std::map<int, TableRow> table = Table(printout.pages[0], paper_);
    std::vector<std::string> users;
    for (size_t s = 0; s < rows.size(); ++s) {
        EXPECT_EQ(table[static_cast<int>(s) + 1][1], "Paris");
        users.push_back(table[static_cast<int>(s) + 1][2]);
    }
    // By number, the odd calls: 1 Émile, 3 Luc, 5 A&&B, 7 Zoé, 9 A&B, 11 Albert.
    EXPECT_EQ(users, (std::vector<std::string>{Utf8("\xC9mile"), "Luc", "A&&B", Utf8("Zo\xE9"), "A&B", "Albert"}));
}

TEST_F(JournalPrintTest, AnEmptyPanePrintsOneBlankPage)
{
    ShowJournal({}, 9);
    Printout printout = Print(OnPdf());
    ASSERT_EQ(printout.error, "");
    ASSERT_EQ(printout.pages.size(), 1u);
    EXPECT_TRUE(printout.pages[0].words.empty());
    PagePixels page = RenderPage(printout, 1, paper_.dpi);
    ASSERT_GT(page.width, 0);
    EXPECT_EQ(std::count_if(page.grey.begin(), page.grey.end(), [](uint8_t g) { return g < 250; }), 0)
        << "no title row, no line";
}

TEST_F(JournalPrintTest, RulesTheTitleRowSolidAndTheRecordRowsDotted)
{
    ShowJournal(Calls(3), 9);
    Printout printout = Print(OnPdf());
    ASSERT_EQ(printout.error, "");
    PagePixels page = RenderPage(printout, 1, paper_.dpi);
    ASSERT_GT(page.width, 0);
    const JournalPageLayout& layout = paper_.layout;
    const int h = layout.rowHeight;
    auto dark = [&](int x, int y) { return page.At(x + paper_.offsetX, y + paper_.offsetY) < 200; };
    // The pixels of a line that are not as expected.
    auto wrong = [&](std::vector<std::pair<int, int>> points, bool (*drawn)(int x, int y)) {
        int count = 0;
        for (auto [x, y] : points)
            count += dark(x, y) != drawn(x, y);
        return count;
    };
    auto solid = [](int, int) { return true; };
    auto everyThirdX = [](int x, int) { return x % 3 == 0; };
    auto everyOddY = [](int, int y) { return y % 2 != 0; };
    auto vertical = [](int x, int from, int to) {
        std::vector<std::pair<int, int>> points;
        for (int y = from; y < to; ++y)
            points.push_back({x, y});
        return points;
    };
    // The text is drawn on white and hides the lines it covers: along a
    // row, only the places no text can reach show them, before column 0's
    // text and between each column's text area and the next column's line.
    auto alongRow = [&](int y) {
        std::vector<std::pair<int, int>> points;
        for (int x = 0; x < layout.textLeft[0]; ++x)
            points.push_back({x, y});
        for (int k = 2; k < kJournalColumnCount; ++k)
            for (int x = layout.textLeft[k - 1] + layout.widths[k - 1] - 10 + 1; x < layout.ruleX[k]; ++x)
                points.push_back({x, y});
        return points;
    };
    ASSERT_EQ(alongRow(0).size(), 5u + 5 * 4);

    EXPECT_EQ(wrong(alongRow(0), solid), 0) << "title frame, top";
    EXPECT_EQ(wrong(vertical(0, 0, h), solid), 0) << "title frame, left";
    for (int k = 1; k < kJournalColumnCount; ++k)
        EXPECT_EQ(wrong(vertical(layout.ruleX[k], 1, h - 1), solid), 0) << "title line before column " << k;
    for (int slot = 0; slot < 3; ++slot) {
        int top = layout.RowTop(slot);
        std::vector<std::pair<int, int>> line = alongRow(top);
        if (slot == 0) {
            // The title frame's lower edge may fall on the same pixels: the
            // dots must show, what lies between them is the frame's.
            std::erase_if(line, [](std::pair<int, int> point) { return point.first % 3 != 0; });
        }
        EXPECT_EQ(wrong(line, everyThirdX), 0) << "row " << slot << ", top";
        for (int k = 1; k < kJournalColumnCount; ++k)
            EXPECT_EQ(wrong(vertical(layout.ruleX[k], top + 1, top + h), everyOddY), 0)
                << "row " << slot << ", line before column " << k;
    }
    // Nothing below the last row.
    int below = 0;
    for (int y = layout.RowTop(3) + 1; y < page.height - paper_.offsetY; ++y)
        for (int x = 0; x < page.width - paper_.offsetX; ++x)
            below += dark(x, y);
    EXPECT_EQ(below, 0);
}

TEST_F(JournalPrintTest, APageForOneRowPrintsEachRowUnderItsTitles)
{
    // 15 mm of paper: room for the title row and one record row.
    std::vector<CallFields> calls = Calls(3);
    ShowJournal(calls, 9);
    PrintAnswer answer = OnPdf();
    answer.paperWidth = 2100;
    answer.paperLength = 150;
    Printout printout = Print(answer);
    ASSERT_EQ(printout.error, "");
    Paper oneRow = paper_;
    oneRow.layout.rowsPerPage = 1;
    // The sheet of the document stays A4, the short page at its foot.
    ASSERT_FALSE(printout.pages.empty());
    oneRow.offsetY = static_cast<int>(printout.pages[0].height * paper_.dpi / 72 + 0.5) - MulDiv(150, paper_.dpi, 254);
    ExpectPrintedRows(printout, PaneCalls(calls), oneRow);
}

TEST_F(JournalPrintTest, APageTooSmallForOneRowIsRefusedAndNothingPrints)
{
    ShowJournal(Calls(3), 9);
    bool progressAtMessage = true;
    WhileModal = [&](const ModalCall& call) {
        if (call.kind == "message")
            progressAtMessage = FindWindowA(nullptr, kProgressCaption) != nullptr;
    };
    PrintoutWatch watch;
    ModalRecorder recorder;
    recorder.onMessage = RunWhileModal;
    PrintAnswer answer = OnPdf();
    answer.paperWidth = 2100;
    answer.paperLength = 100;  // 10 mm
    recorder.AnswerPrint(answer);
    PrintJournal(JournalPane);

    ASSERT_EQ(recorder.Calls().size(), 2u);
    const ModalCall& report = recorder.Calls()[1];
    EXPECT_EQ(report.kind, "message");
    EXPECT_EQ(report.owner, main_);
    EXPECT_EQ(report.caption, "Attention");
    EXPECT_EQ(report.text,
              "La page de cette imprimante est trop petite pour y imprimer le journal.\n"
              "Choisissez une autre imprimante ou un autre format de papier.");
    EXPECT_EQ(report.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_FALSE(progressAtMessage) << "the progress window is gone first";
    EXPECT_TRUE(watch.NothingPrinted(5));
}

TEST_F(JournalPrintTest, PreselectsThePrinterOfTheDevicesSetting)
{
    ShowJournal(Calls(2), 9);
    struct Case {
        const char* name;
        const char* devices;  // nullptr: no key
        bool block;
        const char *device, *driver, *port;
    } cases[] = {
        {"no key", nullptr, false, "", "", ""},
        {"device, driver and port", "HP LaserJet 4,winspool,Ne00:", true, "HP LaserJet 4", "winspool", "Ne00:"},
        {"no comma", "HP LaserJet 4", true, "HP LaserJet 4", "", ""},
        {"one comma", "HP,winspool", true, "HP", "winspool", ""},
    };
    for (const Case& c : cases) {
        WritePrivateProfileStringA("Printer", "Devices", c.devices, Path("\\admin.ini").c_str());
        ModalRecorder recorder;
        PrintAnswer cancel;
        cancel.cancel = true;
        recorder.AnswerPrint(cancel);
        PrintJournal(JournalPane);
        ASSERT_EQ(recorder.Calls().size(), 1u) << c.name << ": cancelled without a message";
        const ModalCall& dialog = recorder.Calls()[0];
        EXPECT_EQ(dialog.hasPrinterNames, c.block) << c.name;
        EXPECT_EQ(dialog.device, c.device) << c.name;
        EXPECT_EQ(dialog.driver, c.driver) << c.name;
        EXPECT_EQ(dialog.port, c.port) << c.name;
    }
    // A setting longer than the block: the offsets stay inside it.
    std::string longer(400, 'P');
    WritePrivateProfileStringA("Printer", "Devices", longer.c_str(), Path("\\admin.ini").c_str());
    ModalRecorder recorder;
    PrintJournal(JournalPane);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(recorder.Calls()[0].device, std::string(255, 'P'));
    EXPECT_EQ(recorder.Calls()[0].driver, "");
    EXPECT_EQ(Progress.shown, 0) << "no progress window when nothing prints";
    EXPECT_EQ(IniText(Path("\\admin.ini"), "Printer", "Devices"), longer) << "never written";
}

TEST_F(JournalPrintTest, PrintsTheRowsOfTheStartWhileTheDialogIsOpen)
{
    std::vector<CallFields> calls = Calls(5);
    ShowJournal(calls, 7);
    std::vector<CallFields> rows = PaneCalls(calls);
    // The server rewrites the journal with other calls; the two-second timer
    // ticks while the print dialog is open.
    std::vector<CallFields> others = Calls(300);
    for (CallFields& other : others)
        other.user = "Martin";
    int32_t countSeen = -1;
    WhileModal = [&](const ModalCall& call) {
        if (call.kind != "print")
            return;
        ReloadMeanwhile(others);
        countSeen = Journal.count;
    };
    Printout printout = Print(OnPdf());
    EXPECT_EQ(countSeen, 5) << "the journal stays as it was";
    ASSERT_EQ(printout.error, "");
    ExpectPrintedRows(printout, rows, paper_);
    RefreshJournalOnTimer(main_);
    EXPECT_EQ(Journal.count, 300) << "the next tick catches up";
}

}  // namespace
