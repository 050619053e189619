// Every save of the gateway files (admin.dat, the line files' work copy and
// its commit) and the record writes of the activity files, run against a
// failure, a torn write and the end of the process at each of their file
// operations (tests/wine/fault_injection.h).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gateways/gateway_registry.h"
#include "gateways/gateway_table.h"
#include "gateways/line_files.h"
#include "gateways/tests/line_fixtures.h"
#include "shell/startup.h"
#include "states/activity_files.h"
#include "tests/wine/fault_injection.h"
#include "tests/wine/test_support.h"

using namespace line_fixtures;

namespace {

// admin.dat: a count, then 136-byte records (modems, number, name).
Bytes AdminDat(const std::vector<std::string>& names)
{
    Bytes bytes(1092, 0);
    Put32(bytes, 0, static_cast<uint32_t>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        Put32(bytes, 4 + 136 * i, 1);
        Put32(bytes, 4 + 136 * i + 4, static_cast<uint32_t>(i));
        PutText(bytes, 4 + 136 * i + 8, names[i]);
    }
    return bytes;
}

class GatewayFilesFaultsTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        Gateways = GatewayTable{};
    }
    FaultCounts Run(const SaveUnderTest& save) { return RunEveryInterruption(Dir(), save, FinishInterruptedSaves); }
    int RunEach(const std::vector<SaveUnderTest>& saves)
    {
        int total = 0;
        for (const SaveUnderTest& save : saves) {
            FaultCounts counts = Run(save);
            EXPECT_EQ(counts.survived[Interruption::failure], counts.operations) << save.name;
            EXPECT_EQ(counts.survived[Interruption::stop], counts.operations) << save.name;
            total += counts.Total();
        }
        return total;
    }
    std::string Pass0() const { return Path("\\pass0"); }
    // pass0 with two lines, and its work copy when asked.
    void PutLines(int lines, const std::string& dir)
    {
        CreateDirectoryA(dir.c_str(), nullptr);
        std::vector<Line> chosen(kThreeLines.begin(), kThreeLines.begin() + lines);
        WriteBytes(dir + "\\comlines.dat", LineFile(chosen, static_cast<uint16_t>(lines)));
        WriteBytes(dir + "\\Fax0Mid.mid", DialSettingsFile(std::vector<Settings>(lines, {0, 1, "", 0}), 0));
    }
};

}  // namespace

TEST_F(GatewayFilesFaultsTest, EverySaveOfTheGatewayFilesIsOldOrNewWhateverHappens)
{
    std::vector<SaveUnderTest> saves(4);
    saves[0].name = "admin.dat saved";
    saves[0].prepare = [this] {
        WriteBytes(Path("\\admin.dat"), AdminDat({"Paris", "Lyon"}));
        LoadGatewayTable();
        Gateways.slots[1].modemCount = 4;
    };
    saves[0].run = [] { return !SaveGatewayTable(); };
    saves[1].name = "admin.dat made";
    saves[1].prepare = [] {};
    saves[1].run = [] {
        ModalRecorder modal;
        LoadGatewayTable();
        return !modal.Calls().empty();
    };
    saves[1].silent = true;  // a table that cannot be made is made by the next load
    saves[2].name = "the line files' work copy written";
    saves[2].prepare = [this] {
        PutLines(2, Pass0());
        PutLines(2, Pass0() + "\\cfgtemp");
        ModalRecorder modal;
        OpenWorkCopy(nullptr, Pass0());
        WorkLines.tableHeader.count = 1;
        WorkLines.settings[0].dialType = 0;
    };
    saves[2].run = [this] { return !(WriteWorkLineRecords(Pass0()) && WriteWorkLineSettings(Pass0())); };
    // Committed file by file: each file is old or new, and a commit cut
    // short says so (the line files last, so that the server never finds a
    // line without its files).
    saves[3].name = "the line files' work copy committed";
    saves[3].prepare = [this] {
        PutLines(3, Pass0());
        PutLines(1, Pass0() + "\\cfgtemp");
        WriteBytes(Pass0() + "\\cfgtemp\\MODEM1.cnf", Bytes(700, 0x41));
        WriteBytes(Pass0() + "\\MODEM1.cnf", Bytes(600, 0x40));
        ModalRecorder modal;
        LoadLineTables(nullptr, Pass0() + "\\cfgtemp", WorkLines);
    };
    saves[3].run = [this] { return !CommitWorkCopy(Pass0()); };
    int total = RunEach(saves);
    std::printf("[ faults   ] admin.dat and the line files: %d interruptions survived\n", total);
}

// The activity files are written record by record, in place, as the server
// writes them: a record is never longer than a sector, so it is old or new;
// a write that fails is dropped without a word, by design.
TEST_F(GatewayFilesFaultsTest, EveryActivityRecordWriteIsOldOrNewWhateverHappens)
{
    auto activity = [this] {
        Bytes users(3000, 0);
        users[3 * 7] = 1;
        users[3 * 7 + 1] = 0x5A;
        users[3 * 7 + 2] = 1;
        Bytes gateways(152, 0);
        gateways[19 * 2] = 1;
        gateways[19 * 2 + 3] = 1;
        WriteBytes(Path("\\ActUser.dat"), users);
        WriteBytes(Path("\\ActPass.dat"), gateways);
        ReadActivityFiles();
    };
    std::vector<SaveUnderTest> saves(4);
    saves[0].name = "a user's record";
    saves[0].prepare = [=] {
        activity();
        SetUserActive(7, false);
    };
    saves[0].run = [] {
        WriteUserActivityRecord(7);
        return false;
    };
    saves[1].name = "a user's PasswordChanged cleared";
    saves[1].prepare = activity;
    saves[1].run = [] {
        ClearPasswordChanged(7);
        return false;
    };
    saves[2].name = "a gateway's record";
    saves[2].prepare = [=] {
        activity();
        SetGatewayActive(2, false);
    };
    saves[2].run = [] {
        WriteGatewayActivity(2);
        return false;
    };
    saves[3].name = "the held lines released";
    saves[3].prepare = activity;
    saves[3].run = [] {
        ReleaseHeldLines();
        return false;
    };
    for (SaveUnderTest& save : saves)
        save.silent = true;
    int total = RunEach(saves);
    std::printf("[ faults   ] ActUser.dat and ActPass.dat: %d interruptions survived\n", total);
}
