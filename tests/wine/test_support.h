// What the in-process Wine tests share: a fresh program directory per test,
// a recorder that answers the console's modal boxes, and file helpers.
//
// Each TEST runs as a Wine process of its own, and under tools/test on a
// display of its own: ctest hands every Wine test one of the display slots
// that tools/test starts (a private Xvfb and Wine prefix each; see
// prepare_test_slots in tools/common.sh), so a test may rely on the keyboard
// focus, the foreground window and what is on its screen, which no other
// test can take meanwhile. A TEST added here gets its slot by itself. A test
// registered otherwise that runs under Wine (add_test of a script, or of a
// program of its own) asks for one in its CMakeLists.txt:
//     use_wine_test_display(<test name>)
// and a script then sources tools/test-slot.sh before it starts Wine (as
// tests/e2e/lib.sh does); programs run through tools/wine-run are moved
// onto their slot by it.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/modal_seam.h"

// Each test gets its own empty program directory, removed afterwards.
class ProgramDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The program directory followed by `name` ("\\admin.ini").
    std::string Path(const std::string& name) const { return dir_ + name; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

// One modal request the console made.
struct ModalCall {
    std::string kind;  // "message", "help", "save" or "print"
    HWND owner = nullptr;
    std::string text;     // message text, the help file, or the save dialog's proposed file name
    std::string caption;  // message caption, or the save dialog's title
    UINT type = 0;        // MB_ flags, the help command, or the dialog's flags
    ULONG_PTR data = 0;   // help context

    // The save dialog's request: its filter list (each zero shown as '|'),
    // initial directory, default extension, filter index and the size of
    // the file name buffer.
    std::string filter = {};
    std::string directory = {};
    std::string extension = {};
    DWORD filterIndex = 0;
    DWORD nameSize = 0;

    // The print dialog's request: the printer it preselects (empty when
    // none), and its page range and limits.
    bool hasPrinterNames = false;
    std::string device = {}, driver = {}, port = {};
    WORD fromPage = 0, toPage = 0, minPage = 0, maxPage = 0;
};

// How a test answers the print dialog.
struct PrintAnswer {
    bool cancel = false;
    // The printer chosen: empty for the one the console preselected, or the
    // default printer when it preselected none.
    std::string printer;
    // A paper of this size, in tenths of a millimetre; 0 for the printer's own.
    short paperWidth = 0;
    short paperLength = 0;
};

// Answers every message box, help request, save dialog and print dialog
// while it lives, and records each one. Message boxes take the queued
// answers in order (IDOK when none is queued); the save dialog takes the
// queued file names, and the print dialog the queued print answers; either
// is cancelled when nothing is queued for it.
class ModalRecorder {
public:
    ModalRecorder();
    ~ModalRecorder();
    ModalRecorder(const ModalRecorder&) = delete;
    ModalRecorder& operator=(const ModalRecorder&) = delete;

    void Answer(int result) { answers_.push_back(result); }
    void AnswerSave(std::string fileName) { saveAnswers_.push_back(std::move(fileName)); }
    void AnswerPrint(PrintAnswer answer) { printAnswers_.push_back(std::move(answer)); }
    const std::vector<ModalCall>& Calls() const { return calls_; }

    // Runs while a box or a dialog is "shown", for tests that act at that moment.
    void (*onMessage)(ModalRecorder&, const ModalCall&) = nullptr;

    // Runs the property sheet in place of the platform's modal call when set
    // (see RunSheetModeless); returns what PropertySheetA would.
    std::function<INT_PTR(PROPSHEETHEADERA*)> propertySheet;

private:
    static int MessageBoxHook(void* context, HWND owner, const char* text, const char* caption, UINT type);
    static BOOL HelpHook(void* context, HWND owner, const char* file, UINT command, ULONG_PTR data);
    static INT_PTR PropertySheetHook(void* context, PROPSHEETHEADERA* header);
    static BOOL SaveFileHook(void* context, OPENFILENAMEA* dialog);
    static BOOL PrintHook(void* context, PRINTDLGA* dialog);
    std::deque<int> answers_;
    std::deque<std::string> saveAnswers_;
    std::deque<PrintAnswer> printAnswers_;
    std::vector<ModalCall> calls_;
};

// The name of the machine's default printer, or "" when it has none.
std::string DefaultPrinterName();

// File helpers for fixtures and assertions.
std::vector<uint8_t> ReadBytes(const std::string& path);  // empty when missing
// Every file directly in a directory, by name, with its bytes.
std::map<std::string, std::vector<uint8_t>> FilesIn(const std::string& dir);
// The lines of a text file (a test double's log), without their CR; empty
// when the file is missing.
std::vector<std::string> ReadTextLines(const std::string& path);
// The lines that start with `prefix`, in order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool Exists(const std::string& path);
bool DirExists(const std::string& path);
std::string IniText(const std::string& path, const char* section, const char* key);  // "" when missing
void RemoveTree(const std::string& path);

// Registers the window classes that the console's start-up registers (the
// test program stands for admin.exe), for tests of windows whose templates use
// them; false when they could not all be registered (also when they already
// are).
bool RegisterConsoleWindowClasses();

// Pumps the thread's messages until none is waiting.
void PumpMessages();

// Runs a property sheet the way the platform's own conformance tests do: the
// sheet is created modeless from the console's header, `drive` steps it with
// the sheet's messages (PSM_SETCURSEL, PSM_PRESSBUTTON...) until it closes,
// and it is destroyed before this returns. Returns the sheet's PSM_GETRESULT
// once closed, or -1 when it could not be created; a sheet still open after
// `drive` is cancelled and counts as a failure of the test.
INT_PTR RunSheetModeless(PROPSHEETHEADERA* header, const std::function<void(HWND sheet)>& drive);

// Drives the console's own modal dialogs from a thread timer, which their
// modal loops dispatch: each step waits for a top-level dialog of this thread
// with the given caption, then runs its action on it.
class DialogDriver {
public:
    using Action = void (*)(HWND dialog);
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    void Then(const char* caption, Action action) { steps_.push_back({caption, action}); }
    // Dialogs with this caption are left to the code under test (a modeless
    // progress window): neither awaited nor closed.
    void Ignore(const char* caption) { ignored_.push_back(caption); }
    int StepsDone() const { return done_; }
    // Dialogs that no step awaits (none left, or another caption for five
    // seconds): closed with IDCANCEL so that a test never hangs, and counted.
    int Unexpected() const { return unexpected_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    struct Step { std::string caption; Action action; };
    std::deque<Step> steps_;
    std::vector<std::string> ignored_;
    int done_ = 0;
    int unexpected_ = 0;
    int waiting_ = 0;
    UINT_PTR timer_ = 0;
};

// Actions for DialogDriver steps, and for tests that drive a dialog of their own.
void SetItemText(HWND dialog, int id, const char* text);
// Presses a button as a person would, by its click: only one that exists,
// is not hidden and is enabled, in an enabled dialog. Any other fails the
// test (the button is not pressed).
void PressButton(HWND dialog, int id);
// The Enter (IDOK) or Escape (IDCANCEL) key in a dialog: the command the
// dialog manager sends for it, whatever state its button is in.
void SendDialogKey(HWND dialog, int command);
