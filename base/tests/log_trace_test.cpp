#include "base/log_trace.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/test_support.h"

class LogTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        SetLogPathForTests(Path("\\quorel.log"));
    }
    void TearDown() override
    {
        SetLogPathForTests({});
        ProgramDirTest::TearDown();
    }
    std::string LogText() const
    {
        auto bytes = ReadBytes(Path("\\quorel.log"));
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(LogTest, AppendLogCreatesTheFileAndAddsOneLinePerCall)
{
    AppendLog("Aucun utilisateur n'est disponible");
    AppendLog("");
    AppendLog(nullptr);
    AppendLog("Créé à 12:00");
    EXPECT_EQ(LogText(), "Aucun utilisateur n'est disponible\r\n\r\n\r\nCr\xE9\xE9 \xE0 12:00\r\n");
}

TEST_F(LogTest, AppendLogAddsToAFileAnotherProgramHoldsOpen)
{
    WriteBytes(Path("\\quorel.log"), {'a', '\r', '\n'});
    HANDLE held = CreateFileA(Path("\\quorel.log").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    AppendLog("b");
    CloseHandle(held);
    EXPECT_EQ(LogText(), "a\r\nb\r\n");
}

TEST_F(LogTest, TheLogLivesInTheTemporaryDirectory)
{
    SetLogPathForTests({});
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(n, 0u);
    ASSERT_EQ(temp[n - 1], '\\');
    EXPECT_EQ(LogFilePath(), std::string(temp) + "quorel.log");

    std::string line = "essai " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(GetTickCount());
    AppendLog(line.c_str());
    auto bytes = ReadBytes(LogFilePath());
    std::string text(bytes.begin(), bytes.end());
    ASSERT_GE(text.size(), line.size() + 2);
    EXPECT_EQ(text.substr(text.size() - line.size() - 2), line + "\r\n");
}

// A stand-in for the trace program: a window of class "Dbs" holding a list
// box with the identifier 120.
class TraceWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (window_)
            DestroyWindow(window_);
        FindTraceWindow();  // forget it
    }
    HWND OpenTraceWindow(int listId = 120)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Dbs";
        RegisterClassA(&wc);
        window_ = CreateWindowA("Dbs", "Trace", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                                wc.hInstance, nullptr);
        list_ = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 300, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), wc.hInstance, nullptr);
        return window_;
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        int count = static_cast<int>(SendMessageA(list_, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::string line(static_cast<size_t>(SendMessageA(list_, LB_GETTEXTLEN, i, 0)), '\0');
            std::vector<char> buffer(line.size() + 1);
            SendMessageA(list_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
            lines.emplace_back(buffer.data());
        }
        return lines;
    }
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(TraceWindowTest, TraceAddsFormattedLinesToTheListBox)
{
    ASSERT_TRUE(OpenTraceWindow());
    FindTraceWindow();
    Trace("Création ActifUser.dat");
    Trace("%s %d %02i %lu %c", "SysColorChange", -5, 7, 4000000000UL, 'x');
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Cr\xE9" "ation ActifUser.dat", "SysColorChange -5 07 4000000000 x"}));
}

TEST_F(TraceWindowTest, TraceCutsLongLinesAtTheFormattingLimit)
{
    ASSERT_TRUE(OpenTraceWindow());
    FindTraceWindow();
    std::string longText(5000, 'L');
    Trace("%s|%s", longText.c_str(), longText.c_str());
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_GE(lines[0].size(), 1000u);
    EXPECT_LE(lines[0].size(), 1024u);
    EXPECT_EQ(lines[0].find_first_not_of('L'), std::string::npos);
}

TEST_F(TraceWindowTest, TraceShowsNothingWithoutATraceWindowFoundBefore)
{
    FindTraceWindow();  // none open yet
    Trace("avant");
    ASSERT_TRUE(OpenTraceWindow());
    Trace("ouverte trop tard");  // not noticed until looked for again
    EXPECT_TRUE(Lines().empty());
    FindTraceWindow();
    Trace("après");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"apr\xE8s"}));
}

TEST_F(TraceWindowTest, TraceShowsNothingWhenTheWindowHasNoList)
{
    ASSERT_TRUE(OpenTraceWindow(121));
    FindTraceWindow();
    Trace("perdu");
    EXPECT_TRUE(Lines().empty());
}
