// The journal pane in a main window of the test's own, over a journal file
// the test writes: the rows the pane lists are what the printout and the
// export take.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/app.h"
#include "base/drawing_objects.h"
#include "base/window_utils.h"
#include "gateways/gateway_registry.h"
#include "journal/journal_file.h"
#include "journal/journal_settings.h"
#include "journal/journal_view.h"
#include "journal/tests/journal_fixture.h"
#include "tests/wine/test_support.h"
#include "users/user_tables.h"

class JournalPaneTest : public ProgramDirTest {
protected:
    // Narrow, so that the header buttons show their titles cut; a fixture of
    // its own may set another width in its constructor.
    int paneWidth_ = 200;
    static constexpr int kPaneHeight = 200;

    void SetUp() override
    {
        ProgramDirTest::SetUp();
        CreateDrawingObjects();
        RegisterClasses();
        // Away from the screen's edges, so that a window centred over it is
        // not pushed back onto the screen.
        main_ = CreateWindowExA(0, "JournalPaneTestMain", "Administrateur", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                100, paneWidth_ + 40, kPaneHeight + 120, nullptr, nullptr, AppInstance, nullptr);
        ASSERT_TRUE(main_);
        MainWindow = main_;
        // The styles the main window asks for; the pane makes itself a list
        // without item data whatever they are.
        JournalPane = CreateWindowExA(WS_EX_CLIENTEDGE, "arrayed", "",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                          LBS_NOTIFY,
                                      5, 60, paneWidth_, kPaneHeight, main_, nullptr, AppInstance, nullptr);
        ASSERT_TRUE(JournalPane);
        SendMessageA(JournalPane, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont), FALSE);
        CreateColumnHeaders(JournalPane);
        PlaceColumnHeaders(5, 60, paneWidth_);

        Journal = JournalTable{};
        JournalSettings = {};
        JournalSettings.shown = 1;
        JournalSettings.sortColumn = 9;
        SetUsers({"Durand", "Dupont", "Martin"});
        SetGateways({"Pass1", "Paris"});
        JournalSettings.gatewayFilter = Gateways.count;
        JournalSettings.userFilter = UserCount();
        CommandsReceived.clear();
    }

    void TearDown() override
    {
        DestroyWindow(main_);
        JournalPane = nullptr;
        MainWindow = nullptr;
        ProgramDirTest::TearDown();
    }

    static void SetUsers(const std::vector<const char*>& names)
    {
        UserTable& table = CurrentUserTable();
        table.header.userCount = static_cast<uint16_t>(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            lstrcpynA(table.records[i].name, names[i], sizeof table.records[i].name);
    }

    static void SetGateways(const std::vector<const char*>& names)
    {
        Gateways = GatewayTable{};
        Gateways.count = static_cast<int32_t>(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            lstrcpynA(Gateways.slots[i].name, names[i], sizeof Gateways.slots[i].name);
    }

    void WriteJournal(const std::vector<CallFields>& calls)
    {
        std::vector<std::vector<uint8_t>> records;
        for (const CallFields& call : calls)
            records.push_back(CallBytes(call));
        WriteBytes(Path("\\Journal.dat"), JournalFileBytes(records));
    }

    // Loads the journal file and lists it in the pane by a column.
    void ShowJournal(const std::vector<CallFields>& calls, int sortCommand)
    {
        WriteJournal(calls);
        LoadJournal();
        SortJournal(sortCommand);
    }

    // What the two-second timer does while a dialog is open: the server's
    // file now holds other calls, and the tick reloads and refills the pane.
    void ReloadMeanwhile(const std::vector<CallFields>& calls)
    {
        WriteJournal(calls);
        RefreshJournalOnTimer(main_);
    }

    // The pane's rows as the calls they show.
    std::vector<CallFields> PaneCalls(const std::vector<CallFields>& calls) const
    {
        std::vector<CallFields> shown;
        for (int r : JournalRows())
            shown.push_back(calls.at(static_cast<size_t>(r)));
        return shown;
    }

    HWND main_ = nullptr;
    // The commands the stand-in for the main window received, in order.
    static inline std::vector<WPARAM> CommandsReceived;

private:
    static void RegisterClasses()
    {
        WNDCLASSA existing;
        if (GetClassInfoA(AppInstance, "JournalPaneTestMain", &existing))
            return;
        // The pane's class as the console registers it.
        if (!GetClassInfoA(AppInstance, "arrayed", &existing))
            RegisterJournalPaneClass(AppInstance);
        WNDCLASSA main = {};
        main.lpfnWndProc = MainProc;
        main.hInstance = AppInstance;
        main.lpszClassName = "JournalPaneTestMain";
        main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassA(&main);
    }

    // Routes the column commands and the pane's owner-draw requests as the
    // console's main window does, and notes every command it receives.
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_COMMAND:
            CommandsReceived.push_back(wParam);
            if (LOWORD(wParam) >= 5 && LOWORD(wParam) <= 11)
                SortJournal(LOWORD(wParam));
            return 0;
        case WM_DRAWITEM:
            DrawJournalRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};
