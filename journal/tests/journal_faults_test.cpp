// Every rewrite of Journal.dat, and the purge with its "Journal.old", run
// against a failure, a torn write and the end of the process at each of its
// file operations (tests/wine/fault_injection.h).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "journal/journal_file.h"
#include "journal/tests/journal_fixture.h"
#include "shell/startup.h"
#include "tests/wine/fault_injection.h"
#include "tests/wine/test_support.h"

namespace {

using Calls = std::vector<std::vector<uint8_t>>;

// Two users, dates on both sides of 01/06/2001, each record its own filler.
Calls DatedCalls(bool twoDigitYears = false)
{
    const char* dates[] = {"31/05/2001 21:59:59", "01/06/2001 00:00:01", "15/12/2000 10:00:00",
                           "02/06/2001 08:30:00", "01/06/2001 00:00:00"};
    const char* shortDates[] = {"31/05/01 21:59:59", "01/06/01 00:00:01", "15/12/00 10:00:00", "02/06/01 08:30:00",
                                "01/06/01 00:00:00"};
    const char* users[] = {"Durand", "Martin", "Durand", "Zoe", "Martin"};
    Calls calls;
    for (size_t i = 0; i < std::size(dates); ++i)
        calls.push_back(CallBytes({.user = users[i],
                                   .dateTime = twoDigitYears ? shortDates[i] : dates[i],
                                   .filler = static_cast<uint8_t>(0x10 + i * 0x20)}));
    return calls;
}

class JournalFaultsTest : public ProgramDirTest {
protected:
    FaultCounts Run(const SaveUnderTest& save) { return RunEveryInterruption(Dir(), save, FinishInterruptedSaves); }

    // The journal as the console has it after its first load of the run.
    void PutJournal(const Calls& calls)
    {
        WriteBytes(Path("\\Journal.dat"), JournalFileBytes(calls));
        Journal = JournalTable{};
        LoadJournal();
    }
};

// What the console told: any message.
bool Told(const std::function<void()>& operation)
{
    ModalRecorder modal;
    operation();
    return !modal.Calls().empty();
}

}  // namespace

TEST_F(JournalFaultsTest, EveryRewriteOfTheJournalIsOldOrNewWhateverHappens)
{
    std::vector<SaveUnderTest> saves(6);
    saves[0].name = "purge over an older Journal.old";
    saves[0].prepare = [this] {
        WriteBytes(Path("\\Journal.old"), std::vector<uint8_t>(900, 0x33));
        PutJournal(DatedCalls());
    };
    saves[0].run = [] { return Told([] { PurgeJournal("01/06/2001 00:00:00"); }); };
    // The records a purge removes stay in Journal.old: a purged journal
    // always has its complete backup beside it.
    saves[0].alsoCheck = [](const FaultRun& run, const TreeImage& now) {
        auto journal = now.find("Journal.dat");
        auto backup = now.find("Journal.old");
        ASSERT_NE(journal, now.end());
        bool purged = journal->second->size() < JournalFileBytes(DatedCalls()).size();
        if (purged) {
            ASSERT_NE(backup, now.end());
            EXPECT_EQ(*backup->second, JournalFileBytes(DatedCalls()))
                << InterruptionName(run.kind) << " at " << run.n << ": purged without its backup";
        }
    };
    saves[1].name = "first purge";
    saves[1].prepare = [this] { PutJournal(DatedCalls()); };
    saves[1].run = saves[0].run;
    saves[1].alsoCheck = saves[0].alsoCheck;
    saves[2].name = "a user's records removed";
    saves[2].prepare = [this] { PutJournal(DatedCalls()); };
    saves[2].run = [] { return Told([] { RemoveUserEntries("Durand"); }); };
    saves[3].name = "users renamed";
    saves[3].prepare = [this] { PutJournal(DatedCalls()); };
    saves[3].run = [] {
        return Told([] {
            const NameChange changes[] = {{"Durand", "Martin"}, {"Martin", "Durand"}};
            RenameUserEntries(changes);
        });
    };
    saves[4].name = "the table saved";
    saves[4].prepare = [this] {
        PutJournal(DatedCalls());
        Journal.records.erase(Journal.records.begin() + 1);
        Journal.count = static_cast<int32_t>(Journal.records.size());
    };
    saves[4].run = [] { return Told(SaveJournal); };
    saves[5].name = "two-digit years converted at the first load";
    saves[5].prepare = [this] {
        WriteBytes(Path("\\Journal.dat"), JournalFileBytes(DatedCalls(true)));
        Journal = JournalTable{};
    };
    saves[5].run = [] { return Told(LoadJournal); };
    int total = 0;
    for (const SaveUnderTest& save : saves) {
        FaultCounts counts = Run(save);
        EXPECT_EQ(counts.survived[Interruption::failure], counts.operations) << save.name;
        EXPECT_EQ(counts.survived[Interruption::stop], counts.operations) << save.name;
        EXPECT_GT(counts.survived[Interruption::tornFailure], 0) << save.name;
        total += counts.Total();
    }
    std::printf("[ faults   ] Journal.dat and Journal.old: %d interruptions survived\n", total);
}

// The users window's rewrite through a hold it took before committing.
TEST_F(JournalFaultsTest, AnEditThroughTheHoldIsOldOrNewWhateverHappens)
{
    SaveUnderTest save;
    save.name = "users removed and renamed through the hold";
    save.prepare = [this] { PutJournal(DatedCalls()); };
    save.run = [] {
        JournalHold hold = HoldJournal();
        const std::string removed[] = {"Zoe"};
        const NameChange renamed[] = {{"Durand", "Dupont"}};
        return !EditUserEntries(hold, removed, renamed);
    };
    FaultCounts counts = Run(save);
    EXPECT_EQ(counts.survived[Interruption::failure], counts.operations);
    EXPECT_EQ(counts.survived[Interruption::stop], counts.operations);
}
