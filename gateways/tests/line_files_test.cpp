#include "gateways/line_files.h"

#include <gtest/gtest.h>

#include <map>

#include "gateways/gateway_registry.h"
#include "gateways/tests/line_fixtures.h"
#include "states/activity_files.h"
#include "tests/wine/test_support.h"

namespace {

Bytes Pattern(size_t size, int seed)
{
    Bytes bytes(size);
    for (size_t n = 0; n < size; ++n)
        bytes[n] = static_cast<uint8_t>(n * 13 + seed);
    return bytes;
}

const std::vector<Settings> kThreeSettings = {{0, 1, "0", 1}, {2, 0, "9", 0}, {1, 1, "", 0}};

}  // namespace

// A gateway directory pass0 holding three lines (see kThreeLines), the files
// of each, and a file the server keeps there.
class LineFilesTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        dir_ = Path("\\pass0");
        CreateDirectoryA(dir_.c_str(), nullptr);
        CurrentGateway = 0;
    }

    void WriteThreeLines()
    {
        WriteBytes(File("comlines.dat"), LineFile(kThreeLines, 3));
        WriteBytes(File("Fax0Mid.mid"), DialSettingsFile(kThreeSettings, 0));
        int seed = 1;
        for (const char* base : {"MODEM1", "ISDN2", "ISDN2B", "GSM3"}) {
            WriteBytes(File(std::string(base) + ".cnf"), Pattern(600, seed++));
            WriteBytes(File(std::string(base) + ".cmd"), Pattern(80, seed++));
        }
        WriteBytes(File("server.log"), Pattern(10, 99));
    }

    std::string File(const std::string& name) const { return dir_ + "\\" + name; }
    std::string Work(const std::string& name) const { return dir_ + "\\cfgtemp\\" + name; }
    const std::string& GatewayDir() const { return dir_; }

private:
    std::string dir_;
};

TEST_F(LineFilesTest, NewGatewayFilesAreTheEmptyLineFiles)
{
    WriteBytes(File("comlines.dat"), LineFile(kThreeLines, 3));  // replaced whole
    CreateLineFiles(GatewayDir());
    EXPECT_EQ(ReadBytes(File("comlines.dat")), EmptyLineFile());
    EXPECT_EQ(ReadBytes(File("Fax0Mid.mid")), EmptyDialSettingsFile());

    ModalRecorder modal;
    LineTables tables;
    EXPECT_TRUE(LoadLineTables(nullptr, GatewayDir(), tables));
    EXPECT_EQ(tables.tableHeader.count, 0);
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(LineFilesTest, MissingFileIsReportedAndGivesNoLine)
{
    struct Case { const char* missing; const char* text; } cases[] = {
        {"comlines.dat", "Le fichier Comlines.dat n'est pas présent dans le répertoire %s."},
        {"Fax0Mid.mid", "Le fichier Fax0mid.mid n'est pas présent dans le répertoire %s."},
    };
    for (const auto& c : cases) {
        WriteThreeLines();
        DeleteFileA(File(c.missing).c_str());
        ModalRecorder modal;
        HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        LineTables tables;
        EXPECT_FALSE(LoadLineTables(owner, GatewayDir(), tables)) << c.missing;
        EXPECT_EQ(tables.tableHeader.count, 0) << c.missing;
        ASSERT_EQ(modal.Calls().size(), 1u) << c.missing;
        char text[512];
        std::snprintf(text, sizeof text, c.text, GatewayDir().c_str());
        EXPECT_EQ(modal.Calls()[0].text, text);
        EXPECT_EQ(modal.Calls()[0].caption, "Erreur ouverture fichier");
        EXPECT_EQ(modal.Calls()[0].type, UINT(MB_OK | MB_ICONEXCLAMATION));
        EXPECT_EQ(modal.Calls()[0].owner, owner);
        DestroyWindow(owner);
    }
}

TEST_F(LineFilesTest, UnusableFilesGiveNoLineSilently)
{
    struct Case { const char* what; size_t at; } cases[] = {
        {"comlines.dat magic", 80}, {"comlines.dat record size", 129}, {"Fax0Mid.mid magic", 0},
    };
    for (const auto& c : cases) {
        WriteThreeLines();
        std::string name = std::string(c.what).substr(0, std::string(c.what).find(' '));
        Bytes bytes = ReadBytes(File(name));
        bytes[c.at] ^= 0x01;
        WriteBytes(File(name), bytes);
        ModalRecorder modal;
        LineTables tables;
        EXPECT_FALSE(LoadLineTables(nullptr, GatewayDir(), tables)) << c.what;
        EXPECT_EQ(tables.tableHeader.count, 0) << c.what;
        EXPECT_TRUE(modal.Calls().empty()) << c.what;
    }
}

TEST_F(LineFilesTest, WorkCopyHoldsTheLineFilesAndTheFilesOfEveryLine)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    EXPECT_EQ(WorkLines.tableHeader.count, 3);
    EXPECT_STREQ(WorkLines.records[2].modemName, "Modem GSM");
    EXPECT_STREQ(WorkLines.settings[1].prefix, "9");

    std::map<std::string, Bytes> work = FilesIn(GatewayDir() + "\\cfgtemp");
    std::map<std::string, Bytes> committed = FilesIn(GatewayDir());
    committed.erase("server.log");
    EXPECT_EQ(work, committed);
}

TEST_F(LineFilesTest, CommittedThreeLineConfigurationHoldsExactlyThreeRecords)
{
    WriteThreeLines();
    WriteBytes(File("Fax0Mid.mid"), EmptyDialSettingsFile());  // eight records, as a new gateway has
    OpenWorkCopy(nullptr, GatewayDir());
    WorkLines.settingsHeader.commitMark = 0;
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    ASSERT_TRUE(CommitWorkCopy(GatewayDir()));
    DiscardWorkCopy(GatewayDir());

    EXPECT_EQ(ReadBytes(File("comlines.dat")), LineFile(kThreeLines, 3));
    EXPECT_EQ(ReadBytes(File("comlines.dat")).size(), 256u + 3 * 640);
    EXPECT_EQ(ReadBytes(File("Fax0Mid.mid")).size(), 128u + 3 * 512);
    EXPECT_EQ(ReadBytes(File("GSM3.cnf")), Pattern(600, 7));
    EXPECT_EQ(ReadBytes(File("GSM3.cmd")), Pattern(80, 8));
    EXPECT_EQ(ReadBytes(File("server.log")), Pattern(10, 99));  // the server's own file stays
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
}

TEST_F(LineFilesTest, CommitWithoutAWorkCopyLeavesTheGatewayFilesAlone)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    DeleteFileA(Work("Fax0Mid.mid").c_str());
    auto before = FilesIn(GatewayDir());
    EXPECT_FALSE(CommitWorkCopy(GatewayDir()));
    EXPECT_EQ(FilesIn(GatewayDir()), before);
}

TEST_F(LineFilesTest, RemovingTheSecondOfThreeLinesMovesTheThirdUpWithItsFiles)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    SetLineState(0, 1, 1);  // held by the console
    ASSERT_TRUE(RemoveLine(GatewayDir(), 1));
    EXPECT_FALSE(Exists(Work("ISDN2.cnf")));
    EXPECT_FALSE(Exists(Work("ISDN2B.cmd")));
    EXPECT_TRUE(Exists(Work("GSM3.cnf")));
    EXPECT_EQ(WorkLines.tableHeader.count, 2);

    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    ASSERT_TRUE(CommitWorkCopy(GatewayDir()));
    DiscardWorkCopy(GatewayDir());

    Bytes lines = ReadBytes(File("comlines.dat"));
    ASSERT_EQ(lines.size(), 256u + 2 * 640);
    EXPECT_EQ(lines[130], 2);  // the count
    EXPECT_EQ(Bytes(lines.begin() + 256 + 640, lines.end()), LineRecordBytes(kThreeLines[2], 0x12));
    Bytes settings = ReadBytes(File("Fax0Mid.mid"));
    ASSERT_EQ(settings.size(), 128u + 2 * 512);
    EXPECT_EQ(Bytes(settings.begin() + 128 + 512, settings.end()), SettingsBytes(kThreeSettings[2], 0x22));
    EXPECT_TRUE(Exists(File("GSM3.cnf")));
    EXPECT_TRUE(Exists(File("MODEM1.cmd")));
    EXPECT_FALSE(Exists(File("ISDN2.cnf")));
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
}

TEST_F(LineFilesTest, LineThatTheConsoleDoesNotHoldIsNotRemoved)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    for (int state : {0, 2, 4}) {
        SetLineState(0, 1, state);
        EXPECT_FALSE(RemoveLine(GatewayDir(), 1)) << state;
        EXPECT_EQ(WorkLines.tableHeader.count, 3) << state;
        EXPECT_TRUE(Exists(Work("ISDN2.cnf"))) << state;
    }
    SetLineState(0, 3, 1);
    EXPECT_FALSE(RemoveLine(GatewayDir(), 3));  // held, but no such line
}

TEST_F(LineFilesTest, CancellingLeavesTheCommittedFilesAsTheyWere)
{
    WriteThreeLines();
    auto before = FilesIn(GatewayDir());
    OpenWorkCopy(nullptr, GatewayDir());
    SetPrefix(WorkLines.settings[0], "1234");
    WorkLines.settingsHeader.useWindowsDialing = 1;
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    ASSERT_TRUE(WriteSpeakerByte(GatewayDir(), 0, 3));
    DiscardWorkCopy(GatewayDir());
    EXPECT_EQ(FilesIn(GatewayDir()), before);
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
}

TEST_F(LineFilesTest, WorkDirectoryGoesWithWhateverIsLeftInIt)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    WriteBytes(Work("OLD9.cnf"), Pattern(10, 1));  // left by a device that was replaced
    WriteBytes(Work("comlines.dat.new"), Pattern(10, 2));
    CreateDirectoryA(Work("sub").c_str(), nullptr);
    DiscardWorkCopy(GatewayDir());
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
    EXPECT_EQ(ReadBytes(File("MODEM1.cnf")), Pattern(600, 1));
    EXPECT_EQ(ReadBytes(File("server.log")), Pattern(10, 99));
}

TEST_F(LineFilesTest, ChosenLineWithoutNetworkTypeIsStoredAsRtc)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    // What the modem selection writes for a fourth line: its records and files.
    std::vector<Line> four = kThreeLines;
    four.push_back({4, "Modem USB", "USB4", "", "", 0});
    std::vector<Settings> settings = kThreeSettings;
    settings.push_back({2, 0, "55", 1});
    WriteBytes(Work("comlines.dat"), LineFile(four, 4));
    WriteBytes(Work("Fax0Mid.mid"), DialSettingsFile(settings, 0));

    ReloadWorkCopy(nullptr, GatewayDir() + "\\cfgtemp", 3);
    ASSERT_EQ(WorkLines.tableHeader.count, 4);
    EXPECT_EQ(WorkLines.records[3].networkFlags, 1);
    EXPECT_EQ(WorkLines.settings[3].networkType, 0);
    EXPECT_EQ(WorkLines.settings[3].dialType, 1);
    EXPECT_STREQ(WorkLines.settings[3].prefix, "");
    EXPECT_EQ(WorkLines.settings[3].prefixEnabled, 0);

    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    Bytes lines = ReadBytes(Work("comlines.dat"));
    ASSERT_EQ(lines.size(), 256u + 4 * 640);
    EXPECT_EQ(lines[256 + 3 * 640 + 575], 1);
    Bytes written = ReadBytes(Work("Fax0Mid.mid"));
    ASSERT_EQ(written.size(), 128u + 4 * 512);
    EXPECT_EQ(written[128 + 3 * 512 + 16], 0);
    EXPECT_EQ(written[128 + 3 * 512 + 20], 1);
}

TEST_F(LineFilesTest, ChangedLineKeepsItsDialSettings)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    Bytes lines = ReadBytes(Work("comlines.dat"));
    lines[256 + 575] = 4;  // the new device of line 0 knows only RNIS
    WriteBytes(Work("comlines.dat"), lines);
    ReloadWorkCopy(nullptr, GatewayDir() + "\\cfgtemp", 0);
    EXPECT_EQ(WorkLines.tableHeader.count, 3);
    EXPECT_EQ(WorkLines.settings[0].networkType, 2);
    EXPECT_EQ(WorkLines.settings[0].dialType, 1);
    EXPECT_STREQ(WorkLines.settings[0].prefix, "0");
    EXPECT_EQ(WorkLines.settings[0].prefixEnabled, 1);
}

TEST_F(LineFilesTest, WorkCopyRewriteKeepsTheFileHeaderAsRead)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    Bytes lines = ReadBytes(Work("comlines.dat"));
    lines[50] = 0x5A;  // inside the header's text, written by another program
    lines[120] = 0x33;
    WriteBytes(Work("comlines.dat"), lines);
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    EXPECT_EQ(ReadBytes(Work("comlines.dat")), lines);

    lines[84] ^= 0xFF;  // no longer a line file header: the standard one is written
    WriteBytes(Work("comlines.dat"), lines);
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    EXPECT_EQ(ReadBytes(Work("comlines.dat")), LineFile(kThreeLines, 3));

    DeleteFileA(Work("comlines.dat").c_str());
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    EXPECT_EQ(ReadBytes(Work("comlines.dat")), LineFile(kThreeLines, 3));
}

TEST_F(LineFilesTest, SpeakerModeIsByte404OfTheFileOfTheNetworkInUse)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    struct Case { int line; const char* file; } cases[] = {
        {0, "MODEM1.cnf"}, {1, "ISDN2B.cnf"}, {2, "GSM3.cnf"},  // RTC, RNIS, GSM
    };
    for (const auto& c : cases) {
        Bytes before = ReadBytes(Work(c.file));
        EXPECT_EQ(ReadSpeakerByte(GatewayDir(), c.line), static_cast<int8_t>(before[404])) << c.file;
        ASSERT_TRUE(WriteSpeakerByte(GatewayDir(), c.line, 2)) << c.file;
        EXPECT_EQ(ReadSpeakerByte(GatewayDir(), c.line), 2) << c.file;
        Bytes after = ReadBytes(Work(c.file));
        before[404] = 2;
        EXPECT_EQ(after, before) << c.file;  // not a byte more
    }
}

TEST_F(LineFilesTest, SpeakerModeOfAMissingOrShortFileIsLeftAlone)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    DeleteFileA(Work("MODEM1.cnf").c_str());
    EXPECT_EQ(ReadSpeakerByte(GatewayDir(), 0), std::nullopt);
    EXPECT_FALSE(WriteSpeakerByte(GatewayDir(), 0, 1));
    EXPECT_FALSE(Exists(Work("MODEM1.cnf")));

    WriteBytes(Work("GSM3.cnf"), Pattern(404, 1));
    EXPECT_EQ(ReadSpeakerByte(GatewayDir(), 2), std::nullopt);
    EXPECT_FALSE(WriteSpeakerByte(GatewayDir(), 2, 1));
    EXPECT_EQ(ReadBytes(Work("GSM3.cnf")), Pattern(404, 1));

    EXPECT_EQ(ReadSpeakerByte(GatewayDir(), 3), std::nullopt);  // no such line
    WorkLines.settings[1].networkType = 7;                    // no such network
    EXPECT_EQ(ReadSpeakerByte(GatewayDir(), 1), std::nullopt);
}

TEST_F(LineFilesTest, LineFileNamesNeverReachOutOfTheGatewayDirectory)
{
    // A base name of a damaged record that climbs to the program directory's parent.
    std::vector<Line> lines = {{1, "Modem", "..\\..\\zq", "", "", 1}};
    WriteBytes(File("comlines.dat"), LineFile(lines, 1));
    WriteBytes(File("Fax0Mid.mid"), DialSettingsFile({{0, 1, "", 0}}, 0));
    std::string outside = Dir() + "\\..\\zq.cnf";
    WriteBytes(outside, Pattern(500, 3));
    WriteBytes(Path("\\zq.cnf"), Pattern(500, 4));

    OpenWorkCopy(nullptr, GatewayDir());
    EXPECT_EQ(ReadSpeakerByte(GatewayDir(), 0), std::nullopt);
    EXPECT_FALSE(WriteSpeakerByte(GatewayDir(), 0, 1));
    SetLineState(0, 0, 1);
    ASSERT_TRUE(CommitWorkCopy(GatewayDir()));
    DiscardWorkCopy(GatewayDir());
    OpenWorkCopy(nullptr, GatewayDir());
    ASSERT_TRUE(RemoveLine(GatewayDir(), 0));
    DiscardWorkCopy(GatewayDir());

    EXPECT_EQ(ReadBytes(outside), Pattern(500, 3));
    EXPECT_EQ(ReadBytes(Path("\\zq.cnf")), Pattern(500, 4));
    DeleteFileA(outside.c_str());
}

TEST_F(LineFilesTest, CommitDeletesOnlyTheFilesOfLinesThatAreGone)
{
    WriteThreeLines();
    WriteBytes(File("L9RTC.cnf"), Pattern(30, 5));  // the server's, of no line it was given
    WriteBytes(File("journal.tmp"), Pattern(30, 6));
    OpenWorkCopy(nullptr, GatewayDir());
    SetLineState(0, 1, 1);
    ASSERT_TRUE(RemoveLine(GatewayDir(), 1));
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    ASSERT_TRUE(CommitWorkCopy(GatewayDir()));

    std::map<std::string, Bytes> files = FilesIn(GatewayDir());
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Fax0Mid.mid", "GSM3.cmd", "GSM3.cnf", "L9RTC.cnf", "MODEM1.cmd",
                                               "MODEM1.cnf", "comlines.dat", "journal.tmp", "server.log"}));
    EXPECT_EQ(files["L9RTC.cnf"], Pattern(30, 5));
    EXPECT_EQ(files["journal.tmp"], Pattern(30, 6));
}

TEST_F(LineFilesTest, CommitOfALineGivenOtherFilesDropsItsOldOnes)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    // What the modem configuration library writes when line 0 gets a device
    // of another kind: new base names and their files.
    std::vector<Line> changed = kThreeLines;
    changed[0] = {0, "Modem USB", "L1RTC", "L1GSM", "", 3};
    WriteBytes(Work("comlines.dat"), LineFile(changed, 3));
    WriteBytes(Work("L1RTC.cnf"), Pattern(512, 40));
    WriteBytes(Work("L1RTC.cmd"), Pattern(20, 41));
    WriteBytes(Work("L1GSM.cnf"), Pattern(512, 42));
    ASSERT_EQ(ReloadWorkCopy(nullptr, GatewayDir() + "\\cfgtemp", 0), WorkReload::Done);
    ASSERT_TRUE(CommitWorkCopy(GatewayDir()));
    DiscardWorkCopy(GatewayDir());

    EXPECT_FALSE(Exists(File("MODEM1.cnf")));
    EXPECT_FALSE(Exists(File("MODEM1.cmd")));
    EXPECT_EQ(ReadBytes(File("L1RTC.cnf")), Pattern(512, 40));
    EXPECT_EQ(ReadBytes(File("L1GSM.cnf")), Pattern(512, 42));
    EXPECT_TRUE(Exists(File("ISDN2.cnf")));
    EXPECT_TRUE(Exists(File("server.log")));
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
}

TEST_F(LineFilesTest, CommitThatCannotWriteEveryFilePutsTheOthersBack)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    SetLineState(0, 0, 1);
    ASSERT_TRUE(RemoveLine(GatewayDir(), 0));  // MODEM1's files are to go
    SetPrefix(WorkLines.settings[0], "77");
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    WriteBytes(Work("GSM3.cnf"), Pattern(600, 50));
    auto before = FilesIn(GatewayDir());

    // Another program holds one file so that it can be neither replaced nor
    // written: the last one a commit writes, then one before it.
    for (const char* held : {"comlines.dat", "GSM3.cnf"}) {
        HANDLE file = CreateFileA(File(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CommitUndo undo;
        EXPECT_FALSE(CommitWorkCopy(GatewayDir(), &undo)) << held;
        CloseHandle(file);
        EXPECT_TRUE(undo.empty()) << held;
        EXPECT_EQ(FilesIn(GatewayDir()), before) << held;
    }
    ASSERT_TRUE(CommitWorkCopy(GatewayDir()));
    EXPECT_EQ(ReadBytes(File("GSM3.cnf")), Pattern(600, 50));
    EXPECT_FALSE(Exists(File("MODEM1.cnf")));
}

TEST_F(LineFilesTest, UndoingACommitPutsBackWhatItReplacedAndRemovesWhatItCreated)
{
    WriteThreeLines();
    DeleteFileA(File("GSM3.cmd").c_str());  // a line file the gateway lacked
    OpenWorkCopy(nullptr, GatewayDir());
    WriteBytes(Work("GSM3.cmd"), Pattern(40, 60));
    SetLineState(0, 1, 1);
    ASSERT_TRUE(RemoveLine(GatewayDir(), 1));
    ASSERT_TRUE(WriteWorkLineRecords(GatewayDir()));
    ASSERT_TRUE(WriteWorkLineSettings(GatewayDir()));
    auto before = FilesIn(GatewayDir());

    CommitUndo undo;
    ASSERT_TRUE(CommitWorkCopy(GatewayDir(), &undo));
    EXPECT_NE(FilesIn(GatewayDir()), before);
    EXPECT_TRUE(UndoCommit(undo));
    EXPECT_EQ(FilesIn(GatewayDir()), before);
}

TEST_F(LineFilesTest, ReloadThatDoesNotShowTheLineKeepsTheLines)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    struct Case { const char* what; int index; int count; bool damaged; WorkReload result; } cases[] = {
        {"added line missing", 3, 3, false, WorkReload::Unchanged},
        {"two lines added", 3, 5, false, WorkReload::Unchanged},
        {"changed line gone", 1, 2, false, WorkReload::Unchanged},
        {"index beyond the lines", 5, 4, false, WorkReload::Unchanged},
        {"settings damaged", 3, 4, true, WorkReload::Unreadable},
    };
    std::vector<Line> lines = kThreeLines;
    lines.push_back({4, "Modem USB", "USB4", "", "", 1});
    lines.push_back({5, "Modem USB 2", "USB5", "", "", 1});
    std::vector<Settings> settings = {{0, 1, "0", 1}, {2, 0, "9", 0}, {1, 1, "", 0}, {0, 1, "", 0}, {0, 1, "", 0}};
    for (const auto& c : cases) {
        WriteBytes(Work("comlines.dat"), LineFile(std::vector<Line>(lines.begin(), lines.begin() + c.count),
                                                  static_cast<uint16_t>(c.count)));
        Bytes mid = DialSettingsFile(settings, 0);
        if (c.damaged)
            mid[0] ^= 1;
        WriteBytes(Work("Fax0Mid.mid"), mid);
        ModalRecorder modal;
        EXPECT_EQ(ReloadWorkCopy(nullptr, GatewayDir() + "\\cfgtemp", c.index), c.result) << c.what;
        EXPECT_EQ(WorkLines.tableHeader.count, 3) << c.what;
        EXPECT_STREQ(WorkLines.records[2].modemName, "Modem GSM") << c.what;
        EXPECT_STREQ(WorkLines.settings[1].prefix, "9") << c.what;
        EXPECT_EQ(WorkLineSlots[2], 2) << c.what;
    }
}

TEST_F(LineFilesTest, LinesKeepTheirActivitySlotsThroughRemovalsAndAdditions)
{
    WriteThreeLines();
    OpenWorkCopy(nullptr, GatewayDir());
    SetLineState(0, 1, 1);
    ASSERT_TRUE(RemoveLine(GatewayDir(), 1));
    // Line 1 is now the GSM line, whose state is in slot 2: the server uses it.
    SetLineState(0, 2, 4);
    EXPECT_FALSE(RemoveLine(GatewayDir(), 1));
    EXPECT_EQ(WorkLines.tableHeader.count, 2);
    SetLineState(0, 2, 1);

    // A line added takes the slot left free.
    std::vector<Line> lines = {kThreeLines[0], kThreeLines[2], {4, "Modem USB", "USB4", "", "", 1}};
    WriteBytes(Work("comlines.dat"), LineFile(lines, 3));
    WriteBytes(Work("Fax0Mid.mid"), DialSettingsFile({{0, 1, "0", 1}, {1, 1, "", 0}, {0, 0, "", 0}}, 0));
    ASSERT_EQ(ReloadWorkCopy(nullptr, GatewayDir() + "\\cfgtemp", 2), WorkReload::Done);
    EXPECT_EQ(WorkLineSlots[0], 0);
    EXPECT_EQ(WorkLineSlots[1], 2);
    EXPECT_EQ(WorkLineSlots[2], 1);
    ASSERT_TRUE(RemoveLine(GatewayDir(), 1));
    EXPECT_STREQ(WorkLines.records[1].modemName, "Modem USB");
    EXPECT_EQ(WorkLineSlots[1], 1);

    OpenWorkCopy(nullptr, GatewayDir());  // a new work copy starts from the server's slots
    EXPECT_EQ(WorkLineSlots[1], 1);
    EXPECT_EQ(WorkLineSlots[2], 2);
}
