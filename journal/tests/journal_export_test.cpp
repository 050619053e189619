// "&Enregistrer le journal sous...": the rows of the pane, in its order, as
// tab-separated lines, through the save dialog of the modal seam.
#include "journal/journal_print.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/program_dir.h"
#include "journal/tests/journal_pane_fixture.h"

namespace {

class JournalExportTest : public JournalPaneTest {
protected:
    // The line of a call in the export, written out field by field.
    static std::string Line(const CallFields& f)
    {
        return f.line + "\t" + f.gateway + "\t" + f.user + "\t" + f.number + "\t" + f.dateTime + "\t" + f.rate +
               "\t" + f.duration + "\t\r\n";
    }

    static std::string Lines(const std::vector<CallFields>& calls)
    {
        std::string text;
        for (const CallFields& call : calls)
            text += Line(call);
        return text;
    }

    static std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

    // The names of the files in the program directory.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((Dir() + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }
};

CallFields Call(const char* user, const char* gateway, const char* number, const char* rate = "28800")
{
    CallFields f;
    f.user = user;
    f.gateway = gateway;
    f.number = number;
    f.rate = rate;
    return f;
}

const std::vector<CallFields> kCalls = {
    Call("Zo\xE9", "Pass1", "0101"),            // 0
    Call("Durand", "Paris", "0102"),            // 1
    Call("\xC9mile", "Pass1", "0103", ""),      // 2: no rate
    Call("Albert & fils", "Pass1", "0104"),     // 3
    Call("Dupont", "Paris", "0105"),            // 4
    Call("Albert", "Pass1", "0106", "33600"),   // 5
};

TEST_F(JournalExportTest, WritesThePaneRowsInItsOrderThroughTheSaveDialog)
{
    std::vector<CallFields> calls = kCalls;
    calls[5].line = std::string(200, 'M') + " (COM1)";  // far wider than its column in the pane
    JournalSettings.gatewayFilter = 0;  // "Pass1" only
    ShowJournal(calls, 7);              // by user: É (0xC9) first, then the ASCII names, then Zoé
    std::vector<CallFields> shown = PaneCalls(calls);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].user, "\xC9mile");
    EXPECT_EQ(shown[1].user, "Albert");
    EXPECT_EQ(shown[2].user, "Albert & fils");
    EXPECT_EQ(shown[3].user, "Zo\xE9");

    ModalRecorder recorder;
    recorder.AnswerSave(Path("\\journal.txt"));
    ExportJournal(main_);

    EXPECT_EQ(Text(ReadBytes(Path("\\journal.txt"))),
              "Modem 1\tPass1\t\xC9mile\t0103\t07/03/2001 14:05:09\t\t00:01:05\t\r\n" +
                  std::string(200, 'M') + " (COM1)\tPass1\tAlbert\t0106\t07/03/2001 14:05:09\t33600\t00:01:05\t\r\n" +
                  "Modem 1\tPass1\tAlbert & fils\t0104\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n" +
                  "Modem 1\tPass1\tZo\xE9\t0101\t07/03/2001 14:05:09\t28800\t00:01:05\t\r\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"Journal.dat", "journal.txt"})) << "nothing left beside it";

    ASSERT_EQ(recorder.Calls().size(), 1u) << "no question for a new file";
    const ModalCall& save = recorder.Calls()[0];
    SYSTEMTIME today;
    GetLocalTime(&today);
    char proposed[64];
    wsprintfA(proposed, "Journal au %02d-%02d-%04d.txt", today.wDay, today.wMonth, today.wYear);
    EXPECT_EQ(save.kind, "save");
    EXPECT_EQ(save.owner, main_);
    EXPECT_EQ(save.text, proposed);
    EXPECT_EQ(save.caption, "Enregistrer sous...");
    EXPECT_EQ(save.filter, "Journal (*.txt)|*.txt|");
    EXPECT_EQ(save.filterIndex, 1u);
    EXPECT_EQ(save.directory, Dir());
    EXPECT_EQ(save.extension, "txt");
    EXPECT_EQ(save.type, static_cast<UINT>(OFN_PATHMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_GT(save.nameSize, 128u);
}

TEST_F(JournalExportTest, WritesEveryRowOfEveryFilterAndNothingForAnEmptyPane)
{
    struct Case {
        const char* name;
        int gatewayFilter, userFilter, sortCommand;
        std::vector<int> calls;  // indexes into kCalls, in the pane's order
    } cases[] = {
        {"every record by date", 2, 3, 9, {0, 1, 2, 3, 4, 5}},
        {"gateway Paris by number", 1, 3, 8, {1, 4}},
        {"user Dupont", 2, 1, 9, {4}},
        {"a user with no call: an empty file", 2, 2, 9, {}},
    };
    for (const Case& c : cases) {
        JournalSettings.gatewayFilter = c.gatewayFilter;
        JournalSettings.userFilter = c.userFilter;
        ShowJournal(kCalls, c.sortCommand);
        std::vector<CallFields> expected;
        for (int i : c.calls)
            expected.push_back(kCalls[static_cast<size_t>(i)]);
        ModalRecorder recorder;
        recorder.AnswerSave(Path("\\rows.txt"));
        recorder.Answer(IDYES);  // from the second case on, the file exists
        ExportJournal(main_);
        EXPECT_TRUE(Exists(Path("\\rows.txt"))) << c.name;
        EXPECT_EQ(Text(ReadBytes(Path("\\rows.txt"))), Lines(expected)) << c.name;
    }
}

TEST_F(JournalExportTest, AnExistingFileIsReplacedOnlyOnYes)
{
    ShowJournal(kCalls, 9);
    const std::vector<uint8_t> before = {'o', 'l', 'd', '\r', '\n', 0, 0xFF, 'x'};
    WriteBytes(Path("\\journal.txt"), before);

    {
        ModalRecorder recorder;
        recorder.AnswerSave(Path("\\journal.txt"));
        recorder.Answer(IDNO);
        ExportJournal(main_);
        EXPECT_EQ(ReadBytes(Path("\\journal.txt")), before) << "byte for byte as it was";
        ASSERT_EQ(recorder.Calls().size(), 2u);
        const ModalCall& question = recorder.Calls()[1];
        EXPECT_EQ(question.kind, "message");
        EXPECT_EQ(question.owner, main_);
        EXPECT_EQ(question.text, "Ce fichier existe déjà.\nVoulez-vous l'écraser?");
        EXPECT_EQ(question.caption, "Attention");
        EXPECT_EQ(question.type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    }
    {
        ModalRecorder recorder;
        recorder.AnswerSave(Path("\\journal.txt"));
        recorder.Answer(IDYES);
        ExportJournal(main_);
        EXPECT_EQ(Text(ReadBytes(Path("\\journal.txt"))), Lines(kCalls));
        EXPECT_EQ(recorder.Calls().size(), 2u);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"Journal.dat", "journal.txt"}));
}

TEST_F(JournalExportTest, ACancelledDialogWritesNothing)
{
    ShowJournal(kCalls, 9);
    ModalRecorder recorder;  // nothing queued: the dialog is cancelled
    ExportJournal(main_);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(recorder.Calls()[0].kind, "save");
    EXPECT_EQ(Files(), std::vector<std::string>{"Journal.dat"});
}

TEST_F(JournalExportTest, AFileThatCannotBeWrittenIsReportedAndLeftWhole)
{
    ShowJournal(kCalls, 9);
    CreateDirectoryA(Path("\\dossier.txt").c_str(), nullptr);
    const std::vector<uint8_t> kept = {'k', 'e', 'p', 't'};
    WriteBytes(Path("\\lecture seule.txt"), kept);
    SetFileAttributesA(Path("\\lecture seule.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    struct Case {
        const char* name;
        std::string target;
        bool asked;  // whether the file exists, so that the question comes first
    } cases[] = {
        {"a folder that does not exist", Path("\\absent\\journal.txt"), false},
        {"a folder of that name", Path("\\dossier.txt"), false},
        {"a read-only file", Path("\\lecture seule.txt"), true},
    };
    for (const Case& c : cases) {
        ModalRecorder recorder;
        recorder.AnswerSave(c.target);
        recorder.Answer(IDYES);
        ExportJournal(main_);
        const std::vector<ModalCall>& calls = recorder.Calls();
        ASSERT_EQ(calls.size(), c.asked ? 3u : 2u) << c.name;
        const ModalCall& report = calls.back();
        EXPECT_EQ(report.kind, "message") << c.name;
        EXPECT_EQ(report.text, "Le journal n'a pas pu être enregistré dans le fichier\n" + c.target) << c.name;
        EXPECT_EQ(report.caption, "ERREUR") << c.name;
        EXPECT_EQ(report.owner, main_) << c.name;
    }
    EXPECT_EQ(ReadBytes(Path("\\lecture seule.txt")), kept);
    EXPECT_TRUE(DirExists(Path("\\dossier.txt")));
    SetFileAttributesA(Path("\\lecture seule.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Files(), (std::vector<std::string>{"Journal.dat", "dossier.txt", "lecture seule.txt"}));
}

TEST_F(JournalExportTest, TakesANameLongerThan128Characters)
{
    ShowJournal(kCalls, 9);
    std::string name = "\\" + std::string(180, 'j') + ".txt";
    ASSERT_LT(Path(name).size(), static_cast<size_t>(MAX_PATH));
    ModalRecorder recorder;
    recorder.AnswerSave(Path(name));
    ExportJournal(main_);
    EXPECT_EQ(Text(ReadBytes(Path(name))), Lines(kCalls));
    EXPECT_EQ(recorder.Calls().size(), 1u);
}

// Runs while the save dialog or the question is "shown".
std::function<void()> WhileModal;

void RunWhileModal(ModalRecorder&, const ModalCall&)
{
    if (WhileModal)
        WhileModal();
}

TEST_F(JournalExportTest, KeepsTheRowsOfTheStartWhileTheDialogsAreOpen)
{
    JournalSettings.userFilter = 1;  // Dupont
    std::vector<CallFields> calls = kCalls;
    calls.push_back(Call("Dupont", "Pass1", "0107"));
    ShowJournal(calls, 8);
    ASSERT_EQ(JournalRows(), (std::vector<int>{4, 6}));
    WriteBytes(Path("\\journal.txt"), {'o', 'l', 'd'});

    // The server rewrites the journal with other calls; the two-second
    // timer ticks while the dialog and the question are open.
    std::vector<CallFields> others;
    for (int i = 0; i < 500; ++i)
        others.push_back(Call("Dupont", "Paris", std::to_string(9000 + i).c_str()));
    std::vector<int32_t> countsSeen;
    WhileModal = [&] {
        ReloadMeanwhile(others);
        countsSeen.push_back(Journal.count);
    };
    ModalRecorder recorder;
    recorder.onMessage = RunWhileModal;
    recorder.AnswerSave(Path("\\journal.txt"));
    recorder.Answer(IDYES);
    ExportJournal(main_);
    WhileModal = nullptr;

    EXPECT_EQ(countsSeen, (std::vector<int32_t>{7, 7})) << "the journal stays as it was";
    EXPECT_EQ(Text(ReadBytes(Path("\\journal.txt"))), Lines({calls[4], calls[6]}));
    RefreshJournalOnTimer(main_);
    EXPECT_EQ(Journal.count, 500) << "the next tick catches up";
    EXPECT_GT(JournalRows().size(), 100u);
}

}  // namespace
