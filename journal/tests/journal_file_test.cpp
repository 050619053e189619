#include "journal/journal_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>

#include "journal/journal_reload.h"
#include "journal/tests/journal_fixture.h"
#include "tests/wine/test_support.h"
#include "tests/journal_appender/append_record.h"

namespace {

using Calls = std::vector<std::vector<uint8_t>>;

class JournalFileTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        Journal = JournalTable{};  // as at the start of a run
    }
    std::string JournalDat() const { return Path("\\Journal.dat"); }
    std::vector<uint8_t> FileNow() const { return ReadBytes(JournalDat()); }
};

Calls TableBytes()
{
    Calls out;
    for (const JournalRecord& record : Journal.records)
        out.emplace_back(record.bytes.begin(), record.bytes.end());
    return out;
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void AppendAsServer(const std::string& path, const std::vector<uint8_t>& record)
{
    ASSERT_TRUE(AppendJournalRecord(path, std::span<const uint8_t, 564>(record.data(), 564), 1000));
}

// Users "Durand" twice among look-alikes, gateways "Paris" three times, each
// record with its own filler after its terminators and at offset 456.
Calls NamedCalls()
{
    const char* users[] = {"Durand", "durand", "Durand2", "Durand", "Dupont", "Martin"};
    const char* gateways[] = {"Paris", "Lyon", "Paris", "paris", "Paris2", "Paris"};
    Calls calls;
    for (size_t i = 0; i < std::size(users); ++i)
        calls.push_back(CallBytes({.gateway = gateways[i], .user = users[i], .filler = uint8_t(0x20 + i * 0x18)}));
    return calls;
}

}  // namespace

TEST_F(JournalFileTest, MissingJournalIsCreatedHoldingAZeroCount)
{
    LoadJournal();
    EXPECT_EQ(FileNow(), std::vector<uint8_t>({0, 0, 0, 0}));
    EXPECT_EQ(Journal.count, 0);
    EXPECT_TRUE(Journal.records.empty());
    LoadJournal();  // and on the later loads of the run
    DeleteFileA(JournalDat().c_str());
    LoadJournal();
    EXPECT_EQ(FileNow(), std::vector<uint8_t>({0, 0, 0, 0}));
}

TEST_F(JournalFileTest, LoadKeepsEveryByteOfTheRecords)
{
    Calls calls = NamedCalls();
    WriteBytes(JournalDat(), JournalFileBytes(calls));
    LoadJournal();
    EXPECT_EQ(Journal.count, 6);
    EXPECT_EQ(TableBytes(), calls);
    EXPECT_EQ(FileNow(), JournalFileBytes(calls));
}

// A count that disagrees with the length: only the whole records present are
// taken, and neither the first load (which may convert years) nor a later one
// shortens or repairs the file.
TEST_F(JournalFileTest, DamagedCountsLoadOnlyTheWholeRecordsAndLeaveTheFile)
{
    Calls calls = NamedCalls();
    calls[1] = CallBytes({.user = "Ancien", .dateTime = "05/06/98 10:00:00"});
    Calls converted = calls;
    PutText(converted[1], 406, "05/06/1998 10:00:00");
    std::vector<uint8_t> partial(300, 0x5A);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<uint8_t> afterFirstLoad;
        size_t held;
    } cases[] = {
        {"count beyond the records, a partial record", Cat(JournalFileBytes(calls, 9), partial),
         Cat(JournalFileBytes(converted, 9), partial), 6},
        {"count below the records", JournalFileBytes(calls, 2),
         JournalFileBytes({converted[0], converted[1], calls[2], calls[3], calls[4], calls[5]}, 2), 2},
        {"negative count", JournalFileBytes(calls, -4), JournalFileBytes(calls, -4), 0},
        {"three bytes", {1, 0, 0}, {1, 0, 0}, 0},
        {"empty file", {}, {}, 0},
    };
    for (const auto& c : cases) {
        Journal = JournalTable{};
        WriteBytes(JournalDat(), c.file);
        LoadJournal();
        EXPECT_EQ(FileNow(), c.afterFirstLoad) << c.name;
        ASSERT_EQ(Journal.records.size(), c.held) << c.name;
        EXPECT_EQ(Journal.count, static_cast<int32_t>(c.held)) << c.name;
        EXPECT_EQ(Journal.loadedSize, c.afterFirstLoad.size()) << c.name;
        for (size_t i = 0; i < c.held; ++i)
            EXPECT_EQ(TableBytes()[i], converted[i]) << c.name << " record " << i;
        WriteBytes(JournalDat(), c.file);
        LoadJournal();
        EXPECT_EQ(FileNow(), c.file) << c.name;
        EXPECT_EQ(Journal.records.size(), c.held) << c.name;
    }
}

TEST_F(JournalFileTest, TwoDigitYearsAreConvertedOncePerRun)
{
    Calls calls = {CallBytes({.dateTime = "05/06/98 10:00:00"}), CallBytes({.dateTime = "07/03/2001 14:05:09"}),
                   CallBytes({.dateTime = "31/12/99 21:59:59"})};
    WriteBytes(JournalDat(), JournalFileBytes(calls));
    LoadJournal();
    Calls converted = calls;
    PutText(converted[0], 406, "05/06/1998 10:00:00");
    PutText(converted[2], 406, "31/12/1999 21:59:59");
    EXPECT_EQ(FileNow(), JournalFileBytes(converted));
    EXPECT_EQ(TableBytes(), converted);
    EXPECT_FALSE(Journal.YearFixPending);

    // Appended later in the same run: kept as written, in memory and on disk.
    std::vector<uint8_t> late = CallBytes({.dateTime = "06/06/98 11:00:00", .filler = 0x60});
    AppendAsServer(JournalDat(), late);
    LoadJournal();
    converted.push_back(late);
    EXPECT_EQ(FileNow(), JournalFileBytes(converted));
    EXPECT_EQ(TableBytes(), converted);

    // The next run converts it.
    Journal = JournalTable{};
    LoadJournal();
    PutText(converted[3], 406, "06/06/1998 11:00:00");
    EXPECT_EQ(FileNow(), JournalFileBytes(converted));
    EXPECT_EQ(TableBytes(), converted);
}

static FILETIME LastWrite(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

TEST_F(JournalFileTest, FirstLoadWithNothingToConvertLeavesTheFileAlone)
{
    WriteBytes(JournalDat(), JournalFileBytes(NamedCalls()));
    FILETIME written = LastWrite(JournalDat());
    Sleep(20);
    LoadJournal();
    EXPECT_FALSE(Journal.YearFixPending);
    EXPECT_EQ(TableBytes(), NamedCalls());
    FILETIME after = LastWrite(JournalDat());
    EXPECT_EQ(CompareFileTime(&written, &after), 0);
    EXPECT_FALSE(Exists(JournalDat() + ".new"));
}

TEST_F(JournalFileTest, PurgeRemovesUpToTheLimitInclusiveAndBacksUpTheFile)
{
    const char* dates[] = {"31/05/2001 21:59:59", "01/06/2001 00:00:01", "01/06/2001 00:00:00",
                           "15/12/2000 10:00:00", "02/06/2001 08:30:00"};
    Calls calls;
    for (size_t i = 0; i < std::size(dates); ++i)
        calls.push_back(CallBytes({.dateTime = dates[i], .filler = uint8_t(0x10 + i * 0x20)}));
    std::vector<uint8_t> before = JournalFileBytes(calls);
    WriteBytes(JournalDat(), before);
    WriteBytes(Path("\\Journal.old"), std::vector<uint8_t>(9000, 0x33));  // an older backup
    LoadJournal();
    PurgeJournal("01/06/2001 00:00:00");
    Calls kept = {calls[1], calls[4]};
    EXPECT_EQ(FileNow(), JournalFileBytes(kept));
    EXPECT_EQ(TableBytes(), kept);
    EXPECT_EQ(Journal.count, 2);
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), before);
}

// The backup is the file as it stood before the last purge that removed
// records: one that removes nothing leaves it, and no copy behind.
TEST_F(JournalFileTest, APurgeThatRemovesNothingKeepsTheLastBackup)
{
    Calls calls = {CallBytes({.dateTime = "02/06/2001 08:30:00", .filler = 0x41}),
                   CallBytes({.dateTime = "01/06/2001 00:00:01", .filler = 0x42})};
    std::vector<uint8_t> file = JournalFileBytes(calls);
    std::vector<uint8_t> lastBackup(9000, 0x33);
    WriteBytes(JournalDat(), file);
    WriteBytes(Path("\\Journal.old"), lastBackup);
    LoadJournal();
    PurgeJournal("01/06/2001 00:00:00");
    EXPECT_EQ(FileNow(), file);
    EXPECT_EQ(TableBytes(), calls);
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), lastBackup);
    EXPECT_FALSE(Exists(Path("\\Journal.old.new")));
    EXPECT_FALSE(Exists(JournalDat() + ".new"));

    PurgeJournal("01/06/2001 00:00:01");
    EXPECT_EQ(FileNow(), JournalFileBytes({calls[0]}));
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), file);
    EXPECT_FALSE(Exists(Path("\\Journal.old.new")));
}

TEST_F(JournalFileTest, PurgeOfEmptyAndMissingJournals)
{
    // Nothing to remove: the file stays, and so does the backup of the last
    // purge that removed something (or its absence).
    WriteBytes(JournalDat(), {0, 0, 0, 0});
    PurgeJournal("01/06/2001 00:00:00");
    EXPECT_EQ(FileNow(), std::vector<uint8_t>({0, 0, 0, 0}));
    EXPECT_FALSE(Exists(Path("\\Journal.old")));
    WriteBytes(Path("\\Journal.old"), {9, 9, 9});
    PurgeJournal("01/06/2001 00:00:00");
    EXPECT_EQ(FileNow(), std::vector<uint8_t>({0, 0, 0, 0}));
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), std::vector<uint8_t>({9, 9, 9}));

    // The backup is a byte copy even of a damaged file, which the purge then
    // writes with a count matching its records.
    std::vector<uint8_t> recent = CallBytes({.dateTime = "07/07/2001 14:05:09"});
    std::vector<uint8_t> damaged = Cat(JournalFileBytes({recent}, 5), {1, 2, 3});
    WriteBytes(JournalDat(), damaged);
    PurgeJournal("01/06/2001 00:00:00");
    EXPECT_EQ(ReadBytes(Path("\\Journal.old")), damaged);
    EXPECT_EQ(FileNow(), JournalFileBytes({recent}));

    DeleteFileA(JournalDat().c_str());
    DeleteFileA(Path("\\Journal.old").c_str());
    PurgeJournal("01/06/2001 00:00:00");
    EXPECT_EQ(FileNow(), std::vector<uint8_t>({0, 0, 0, 0}));
    EXPECT_FALSE(Exists(Path("\\Journal.old")));
}

// Each operation on the same journal, and the file it must leave, byte for
// byte: only the matching records change, every other byte is kept.
TEST_F(JournalFileTest, RemovalsAndRenamesTouchExactlyTheNamedRecords)
{
    Calls calls = NamedCalls();
    auto renamed = [&](std::initializer_list<size_t> which, size_t offset, const std::string& name) {
        Calls out = calls;
        for (size_t i : which)
            PutText(out[i], offset, name);
        return out;
    };
    auto without = [&](std::initializer_list<size_t> gone) {
        Calls out;
        for (size_t i = 0; i < calls.size(); ++i)
            if (std::find(gone.begin(), gone.end(), i) == gone.end())
                out.push_back(calls[i]);
        return out;
    };
    std::string longName = "Passerelle principale du siège social, bâtiment B, étage 3";
    struct Case { const char* name; std::function<void()> operation; Calls expected; } cases[] = {
        {"rename user", [] { RenameUserEntries("Durand", "Dupont"); }, renamed({0, 3}, 306, "Dupont")},
        {"rename gateway", [] { RenameGatewayEntries("Paris", "Lille"); }, renamed({0, 2, 5}, 256, "Lille")},
        {"rename gateway to a long name", [&] { RenameGatewayEntries("Paris", longName.c_str()); },
         renamed({0, 2, 5}, 256, longName.substr(0, 49))},
        {"rename nobody", [] { RenameUserEntries("Personne", "Quelqu'un"); }, calls},
        {"remove user", [] { RemoveUserEntries("Durand"); }, without({0, 3})},
        {"remove gateway", [] { RemoveGatewayEntries("Paris"); }, without({0, 2, 5})},
        {"remove a gateway without records", [] { RemoveGatewayEntries("Nantes"); }, calls},
    };
    for (const auto& c : cases) {
        Journal = JournalTable{};
        WriteBytes(JournalDat(), JournalFileBytes(calls));
        LoadJournal();
        c.operation();
        EXPECT_EQ(FileNow(), JournalFileBytes(c.expected)) << c.name;
        EXPECT_EQ(TableBytes(), c.expected) << c.name;
        EXPECT_EQ(Journal.count, static_cast<int32_t>(c.expected.size())) << c.name;
        EXPECT_EQ(Journal.loadedCount, Journal.count) << c.name;
        EXPECT_EQ(Journal.loadedSize, FileNow().size()) << c.name;
        EXPECT_FALSE(Exists(JournalDat() + ".new")) << c.name;
    }
}

namespace {
int Refreshes;
void CountRefresh()
{
    ++Refreshes;
}
}  // namespace

// The purge and the removal of a user's records have the view refreshed,
// through what the main window set; the other operations do not, and
// without a refresh set nothing is called.
TEST_F(JournalFileTest, PurgeAndUserRemovalCallTheRefreshTheOthersDoNot)
{
    struct Case { const char* name; std::function<void()> operation; int refreshes; } cases[] = {
        {"purge", [] { PurgeJournal("01/01/1990 00:00:00"); }, 1},
        {"remove user", [] { RemoveUserEntries("Durand"); }, 1},
        {"remove a user without records", [] { RemoveUserEntries("Personne"); }, 1},
        {"remove gateway", [] { RemoveGatewayEntries("Paris"); }, 0},
        {"rename user", [] { RenameUserEntries("Durand", "Dupont"); }, 0},
        {"rename gateway", [] { RenameGatewayEntries("Paris", "Lille"); }, 0},
        {"save", [] { SaveJournal(); }, 0},
        {"load", [] { LoadJournal(); }, 0},
    };
    for (const auto& c : cases) {
        WriteBytes(JournalDat(), JournalFileBytes(NamedCalls()));
        LoadJournal();
        Refreshes = 0;
        SetJournalRefresh(CountRefresh);
        c.operation();
        SetJournalRefresh(nullptr);
        EXPECT_EQ(Refreshes, c.refreshes) << c.name;
        c.operation();
        EXPECT_EQ(Refreshes, c.refreshes) << c.name << ", with no refresh set";
    }
}

// The server appended after the last load: every rewrite starts from the file
// as it stands, so its records are kept (and treated like the others).
TEST_F(JournalFileTest, RewritesKeepTheRecordsAppendedSinceTheLastLoad)
{
    Calls calls = NamedCalls();
    struct Case { const char* name; std::function<void()> operation; std::function<void(Calls&)> expect; } cases[] = {
        {"rename", [] { RenameUserEntries("Durand", "Dupont"); },
         [](Calls& c) { for (size_t i : {0, 3, 6}) PutText(c[i], 306, "Dupont"); }},
        {"remove", [] { RemoveUserEntries("Martin"); }, [](Calls& c) { c.erase(c.begin() + 5); }},
        {"purge", [] { PurgeJournal("01/01/1990 00:00:00"); }, [](Calls&) {}},
        {"save", [] { SaveJournal(); }, [](Calls&) {}},
    };
    for (const auto& c : cases) {
        Journal = JournalTable{};
        WriteBytes(JournalDat(), JournalFileBytes(calls));
        LoadJournal();
        std::vector<uint8_t> late = CallBytes({.user = "Durand", .number = "0600000000", .filler = 0x70});
        AppendAsServer(JournalDat(), late);
        c.operation();
        Calls expected = calls;
        expected.push_back(late);
        c.expect(expected);
        EXPECT_EQ(FileNow(), JournalFileBytes(expected)) << c.name;
        EXPECT_EQ(TableBytes(), expected) << c.name;
    }
}

TEST_F(JournalFileTest, EveryLoadOrRewriteTakesANewChangeStampAndAppendsKeepIt)
{
    // The steps run in turn on one journal; a stamp once used never comes back.
    std::vector<uint8_t> late = CallBytes({.user = "Dupont", .number = "0600000000", .filler = 0x70});
    std::string path = JournalDat();
    struct Step { const char* name; std::function<void()> run; bool newStamp; } steps[] = {
        {"first load", [] { LoadJournal(); }, true},
        {"tick with nothing new", [] { LoadJournalAppends(); }, false},
        {"tick reading an append", [&] { AppendAsServer(path, late); LoadJournalAppends(); }, false},
        {"load again", [] { LoadJournal(); }, true},
        {"rename", [] { RenameUserEntries("Durand", "Dubois"); }, true},
        {"removal", [] { RemoveGatewayEntries("Lyon"); }, true},
        {"purge", [] { PurgeJournal("01/01/1990 00:00:00"); }, true},
        {"save", [] { SaveJournal(); }, true},
        {"tick after a shortening elsewhere", [&] { WriteBytes(path, JournalFileBytes({late})); LoadJournalAppends(); },
         true},
        {"tick reading two appends", [&] { AppendAsServer(path, late); AppendAsServer(path, late); LoadJournalAppends(); },
         false},
    };
    WriteBytes(path, JournalFileBytes(NamedCalls()));
    EXPECT_EQ(Journal.changeStamp, 0u);
    std::set<uint64_t> used = {0};
    for (const Step& step : steps) {
        uint64_t before = Journal.changeStamp;
        int32_t count = Journal.count;
        step.run();
        if (step.newStamp) {
            EXPECT_TRUE(used.insert(Journal.changeStamp).second) << step.name << ": stamp " << Journal.changeStamp;
        } else {
            EXPECT_EQ(Journal.changeStamp, before) << step.name;
            EXPECT_GE(Journal.count, count) << step.name;
        }
    }
    EXPECT_EQ(Journal.count, 3);
}

TEST_F(JournalFileTest, SaveWritesTheTableFollowedByTheLaterAppends)
{
    Calls calls = NamedCalls();
    WriteBytes(JournalDat(), JournalFileBytes(calls));
    LoadJournal();
    Journal.records[4].SetUser("Moreau");
    std::vector<uint8_t> late = CallBytes({.user = "Petit", .filler = 0x70});
    AppendAsServer(JournalDat(), late);
    SaveJournal();
    Calls expected = calls;
    PutText(expected[4], 306, "Moreau");
    expected.push_back(late);
    EXPECT_EQ(FileNow(), JournalFileBytes(expected));
    EXPECT_EQ(TableBytes(), expected);
}

// The new content cannot be written whole beside the file: the rewrite stops
// there, the file stays as it was and the table shows it.
TEST_F(JournalFileTest, ARewriteThatCannotCompleteLeavesTheFileAsItWas)
{
    Calls calls = NamedCalls();
    std::vector<uint8_t> file = JournalFileBytes(calls);
    const char* notWritten = "Le journal des appels n'a pas pu être enregistré : il est resté tel qu'il était.";
    struct Case { const char* name; std::function<void()> operation; const char* text; } cases[] = {
        {"rename", [] { RenameUserEntries("Durand", "Dupont"); }, notWritten},
        {"remove", [] { RemoveGatewayEntries("Paris"); }, notWritten},
        // Without its backup a purge removes nothing.
        {"purge", [] { PurgeJournal("31/12/2099 00:00:00"); },
         "Le journal des appels n'a pas pu être copié dans Journal.old : il n'a pas été purgé."},
        {"save", [] { SaveJournal(); }, notWritten},
    };
    // The place beside the file, where the new content is written whole
    // first, is taken by a file nobody may open; so is the purge's backup.
    // Each operation says that the journal stayed as it was.
    std::string beside = JournalDat() + ".new";
    HANDLE taken = CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(taken, INVALID_HANDLE_VALUE);
    HANDLE backup = CreateFileA(Path("\\Journal.old").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(backup, INVALID_HANDLE_VALUE);
    for (const auto& c : cases) {
        WriteBytes(JournalDat(), file);
        LoadJournal();
        ModalRecorder modal;
        c.operation();
        EXPECT_EQ(FileNow(), file) << c.name;
        EXPECT_EQ(TableBytes(), calls) << c.name;
        ASSERT_EQ(modal.Calls().size(), 1u) << c.name;
        EXPECT_EQ(modal.Calls()[0].text, c.text) << c.name;
        EXPECT_EQ(modal.Calls()[0].caption, "Attention") << c.name;
        EXPECT_EQ(modal.Calls()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION)) << c.name;
    }
    CloseHandle(taken);
    CloseHandle(backup);
}

// A program that keeps the file open for writing longer than an append: the
// rewrite waits a while, then gives up without touching anything, and a load
// meanwhile never takes the file for missing.
TEST_F(JournalFileTest, AWriterThatNeverLetsGoStopsTheRewriteNotTheData)
{
    Calls calls = NamedCalls();
    std::vector<uint8_t> file = JournalFileBytes(calls);
    WriteBytes(JournalDat(), file);
    LoadJournal();
    HANDLE writer = CreateFileA(JournalDat().c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ModalRecorder modal;
    DWORD start = GetTickCount();
    RemoveUserEntries("Durand");
    DWORD waited = GetTickCount() - start;
    LoadJournal();
    CloseHandle(writer);
    EXPECT_GE(waited, 2000u);
    EXPECT_LE(waited, 10000u);
    EXPECT_EQ(FileNow(), file);
    EXPECT_EQ(TableBytes(), calls);
    // The administrator is told that the journal could not be changed.
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, "Le journal des appels est utilisé par un autre programme : il n'a pas pu être modifié.");
    EXPECT_EQ(modal.Calls()[0].caption, "Attention");

    // Not even a reader may share it: the first load of a run cannot convert,
    // and neither load creates the file over it.
    HANDLE alone = CreateFileA(JournalDat().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(alone, INVALID_HANDLE_VALUE);
    Journal = JournalTable{};
    LoadJournal();
    CloseHandle(alone);
    EXPECT_EQ(FileNow(), file);
    EXPECT_EQ(modal.Calls().size(), 1u) << "nothing more: a load changes nothing";
}

// Another process appends uniquely numbered records as fast as it can while
// this one purges, removes and renames in a loop. Every record it appended is
// there exactly once, in order, except those of the gateway that the loop
// removes; the loop's own changes all took effect.
TEST_F(JournalFileTest, NoAppendIsLostWhileTheConsoleRewritesTheJournal)
{
    // Records of our own for the loop to work on: old ones that the first
    // purge removes, recent ones that the renames flip.
    Calls seeded;
    for (int i = 0; i < 40; ++i)
        seeded.push_back(CallBytes({.gateway = "Paris", .user = "Durand",
                                    .dateTime = i % 2 ? "15/03/2001 10:00:00" : "15/03/2030 10:00:00",
                                    .filler = uint8_t(0x11 * (i % 13))}));
    WriteBytes(JournalDat(), JournalFileBytes(seeded));
    LoadJournal();

    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string dir(module);
    dir.resize(dir.rfind('\\'));
    std::string result = Path("\\appender.txt");
    std::string command = "\"" + dir + "\\journal_appender.exe\" \"" + JournalDat() +
                          "\" --count 20000 --seconds 5 --every 5 Sortante --out \"" + result + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
        << command;

    int rounds = 0;
    int roundsThatFoundAppends = 0;
    size_t appenderRecordsSeen = 0;
    DWORD deadline = GetTickCount() + 60000;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && GetTickCount() < deadline) {
        bool flip = rounds % 2 == 0;
        PurgeJournal("01/01/2010 00:00:00");
        RemoveGatewayEntries("Sortante");
        RenameUserEntries(flip ? "Durand" : "Dupont", flip ? "Dupont" : "Durand");
        size_t before = Journal.records.size();
        RenameGatewayEntries(flip ? "Paris" : "Lyon", flip ? "Lyon" : "Paris");
        RemoveUserEntries("Personne");
        if (Journal.records.size() > before)
            ++roundsThatFoundAppends;
        // Every operation took effect: the seeded survivors carry the new
        // names; nothing else than theirs and the appender's records is there.
        size_t ours = 0, appenders = 0, others = 0;
        for (const JournalRecord& record : Journal.records) {
            if (record.user() == "Appender")
                ++appenders;
            else if (record.user() == (flip ? "Dupont" : "Durand") && record.gateway() == (flip ? "Lyon" : "Paris"))
                ++ours;
            else
                ++others;
        }
        EXPECT_EQ(ours, 20u) << "round " << rounds;
        EXPECT_EQ(others, 0u) << "round " << rounds;
        appenderRecordsSeen = appenders;
        ++rounds;
    }
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    std::vector<uint8_t> text = ReadBytes(result);
    long appended = -1, failed = -1;
    ASSERT_EQ(std::sscanf(std::string(text.begin(), text.end()).c_str(), "appended %ld failed %ld", &appended,
                          &failed), 2);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(failed, 0);
    EXPECT_GE(appended, 100);
    EXPECT_GE(rounds, 5);
    EXPECT_GE(roundsThatFoundAppends, 3);
    EXPECT_GT(appenderRecordsSeen, 0u);
    std::printf("%ld records appended during %d rounds, %d of which found new ones\n", appended, rounds,
                roundsThatFoundAppends);

    LoadJournal();
    std::vector<long> numbers;
    size_t damaged = 0;
    for (const JournalRecord& record : Journal.records) {
        if (record.user() != "Appender")
            continue;
        long n = std::atol(std::string(record.number().substr(1)).c_str());
        char number[16];
        std::snprintf(number, sizeof number, "A%07ld", n);
        long stamp = record.bytes[456] | record.bytes[457] << 8 | record.bytes[458] << 16 | record.bytes[459] << 24;
        if (record.number() != number || stamp != n || n < 0 || n >= appended)
            ++damaged;
        numbers.push_back(n);
    }
    EXPECT_EQ(damaged, 0u);
    // In order, each once, and every number not of the removed gateway there.
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    std::set<long> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), numbers.size());
    long missing = 0;
    for (long n = 0; n < appended; ++n)
        if (n % 5 != 4 && !distinct.count(n))
            ++missing;
    EXPECT_EQ(missing, 0);
}
