#include "gateways/dial_up_entries.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gateways/line_files.h"
#include "gateways/tests/dial_up_double.h"
#include "gateways/tests/line_fixtures.h"
#include "tests/wine/test_support.h"

namespace {

// Work lines: an RTC modem, an RNIS adapter and a GSM modem (kThreeLines),
// each on its first network type.
void SetWorkLines(const std::vector<Line>& lines, const std::vector<uint8_t>& networks)
{
    WorkLines = LineTables{};
    WorkLines.tableHeader.count = static_cast<uint16_t>(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        std::strcpy(WorkLines.records[i].modemName, lines[i].modem);
        WorkLines.records[i].networkFlags = lines[i].flags;
        WorkLines.settings[i].networkType = networks[i];
    }
}

}  // namespace

// The dial-up double with a modem without a name, an ISDN adapter, two
// modems; the work copy has the three lines of kThreeLines.
class DialUpEntriesTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        ras_ = std::make_unique<DialUpDouble>(Dir());
        Ras().AddDevice("modem", "");
        Ras().AddDevice("isdn", "Carte RNIS");
        Ras().AddDevice("modem", "Modem A");
        Ras().AddDevice("modem", "Modem standard 56000 bps");
        SetWorkLines(kThreeLines, {0, 2, 1});
    }
    void TearDown() override
    {
        UnloadDialUpFunctions();
        WorkLines = LineTables{};
        ras_.reset();
        ProgramDirTest::TearDown();
    }
    DialUpDouble& Ras() { return *ras_; }

    // What the phonebook holds for an entry, key by key.
    void ExpectEntry(const std::string& entry, const std::string& type, const std::string& device)
    {
        struct Key { const char* key; std::string value; } keys[] = {
            {"Size", "1768"}, {"Options", "0x110"}, {"CountryID", "33"}, {"CountryCode", "33"}, {"AreaCode", ""},
            {"PhoneNumber", "3622"}, {"NetProtocols", "4"}, {"FramingProtocol", "1"}, {"DeviceType", type},
            {"DeviceName", device}, {"OtherBytes", "0"}, {"DialSize", "1052"}, {"DialNumber", "3622"},
            {"CallbackNumber", ""}, {"UserName", "minitel@reseaux"}, {"Password", "accesip"}, {"Domain", ""},
        };
        for (const Key& k : keys)
            EXPECT_EQ(Ras().Entry(entry, k.key), k.value) << entry << " " << k.key;
    }

private:
    std::unique_ptr<DialUpDouble> ras_;
};

TEST_F(DialUpEntriesTest, LineEntryDialsTheMinitelAccessOnTheLinesOwnDevice)
{
    ASSERT_TRUE(LoadDialUpFunctions());
    ASSERT_TRUE(CreateLineEntry(0));
    EXPECT_EQ(Ras().Entries(), std::vector<std::string>{DefaultEntryName(0)});
    ExpectEntry(DefaultEntryName(0), "modem", "Modem standard 56000 bps");
    // The device list is asked for its size first, then read whole; the
    // entry goes to the default phonebook and keeps its password.
    EXPECT_EQ(Ras().Log(), (std::vector<std::string>{
                               "RasEnumDevicesA null 0",
                               "RasEnumDevicesA buffer 608",
                               "RasSetEntryPropertiesA - " + DefaultEntryName(0) + " 1768 1768 0",
                               "RasSetEntryDialParamsA - " + DefaultEntryName(0) + " 1052 0",
                           }));
}

TEST_F(DialUpEntriesTest, LineOnAnotherDeviceTakesTheFirstOfItsNetworkType)
{
    struct Case { const char* modem; uint8_t network; const char* type; const char* device; } cases[] = {
        {"Modem inconnu", 0, "modem", "Modem A"},   // the nameless modem is passed over
        {"Modem inconnu", 2, "isdn", "Carte RNIS"},
        {"Carte RNIS", 1, "isdn", "Carte RNIS"},   // its own device, whatever its network
        {"Modem inconnu", 1, nullptr, nullptr},     // GSM: no entry
    };
    ASSERT_TRUE(LoadDialUpFunctions());
    for (const auto& c : cases) {
        DeleteFileA(Ras().Phonebook().c_str());
        DeleteFileA(Path("\\rasapi32.log").c_str());
        SetWorkLines({{1, c.modem, "L1", "", "", 7}}, {c.network});
        EXPECT_EQ(CreateLineEntry(0), c.device != nullptr) << c.modem << " " << int(c.network);
        if (!c.device) {
            EXPECT_TRUE(Ras().Entries().empty());
            EXPECT_TRUE(Ras().Calls("RasSet").empty());
            continue;
        }
        ExpectEntry(DefaultEntryName(0), c.type, c.device);
    }
}

TEST_F(DialUpEntriesTest, EntryNamesComeFromTheModemLibrarysSettings)
{
    WritePrivateProfileStringA("Minitel", "AccesRAS", "Autre libellé", Path("\\admin.ini").c_str());
    ASSERT_TRUE(LoadDialUpFunctions());
    ASSERT_TRUE(CreateLineEntry(1));
    EXPECT_EQ(Ras().Entries(), std::vector<std::string>{DefaultEntryName(1)});  // admin.ini's key is not read

    WritePrivateProfileStringA("Minitel", "AccesRAS", "Accès Minitel #", Path("\\whconfig.ini").c_str());
    EXPECT_EQ(LineEntryNameOf(1), "Accès Minitel #1");
    ASSERT_TRUE(CreateLineEntry(1));
    ExpectEntry("Accès Minitel #1", "isdn", "Carte RNIS");

    WritePrivateProfileStringA("Minitel", "AccesRAS", std::string(200, 'x').c_str(), Path("\\whconfig.ini").c_str());
    EXPECT_EQ(LineEntryNameOf(12), std::string(127, 'x') + "12");
}

TEST_F(DialUpEntriesTest, EntriesAreDeletedAndEditedByTheirIndex)
{
    ASSERT_TRUE(LoadDialUpFunctions());
    ASSERT_TRUE(CreateLineEntry(0));
    ASSERT_TRUE(CreateLineEntry(1));
    DeleteLineEntry(1);
    EXPECT_EQ(Ras().Entries(), std::vector<std::string>{DefaultEntryName(0)});
    EXPECT_EQ(Ras().Calls("RasDeleteEntryA"), std::vector<std::string>{"RasDeleteEntryA - " + DefaultEntryName(1)});

    // The editor has no owner window; the dialog that asked for it is
    // disabled while it runs.
    HWND dialog = CreateWindowA("STATIC", "Configuration de la passerelle", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    EditLineEntry(dialog, 0);
    EXPECT_EQ(Ras().Calls("RasEdit"), std::vector<std::string>{"RasEditPhonebookEntryA no-owner - " +
                                                                DefaultEntryName(0) + " dialog-disabled"});
    EXPECT_TRUE(IsWindowEnabled(dialog));
    EditLineEntry(dialog, 3);  // no such line
    EXPECT_EQ(Ras().Calls("RasEdit").size(), 1u);
    DestroyWindow(dialog);
}

TEST_F(DialUpEntriesTest, NoDeviceNoLineNoEntry)
{
    ASSERT_TRUE(LoadDialUpFunctions());
    EXPECT_FALSE(CreateLineEntry(3));
    EXPECT_FALSE(CreateLineEntry(-1));
    EXPECT_TRUE(Ras().Log().empty());

    for (int k = 0; k < 4; ++k)
        Ras().Set("Device" + std::to_string(k), nullptr, "");  // no device at all
    EXPECT_FALSE(CreateLineEntry(0));
    EXPECT_EQ(Ras().Log(), std::vector<std::string>{"RasEnumDevicesA null 0"});
    EXPECT_TRUE(Ras().Entries().empty());
}

TEST_F(DialUpEntriesTest, LibraryIsReleasedOnUnloading)
{
    ASSERT_TRUE(LoadDialUpFunctions());
    EXPECT_TRUE(DialUpFunctionsAvailable());
    EXPECT_NE(GetModuleHandleA("rasapi32.dll"), nullptr);
    UnloadDialUpFunctions();
    EXPECT_FALSE(DialUpFunctionsAvailable());
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
    EXPECT_FALSE(CreateLineEntry(0));
    DeleteLineEntry(0);
    EXPECT_TRUE(Ras().Log().empty());
}

TEST_F(DialUpEntriesTest, DirectIpAccessIsKeptPerPositionInPassIni)
{
    EXPECT_EQ(ReadDirectIpAccess(2), 0);
    ASSERT_TRUE(WriteDirectIpAccess(2, 1));
    EXPECT_EQ(IniText(Path("\\pass.ini"), "pass2", "AccesDirectIP"), "1");
    EXPECT_EQ(ReadDirectIpAccess(2), 1);
    EXPECT_EQ(ReadDirectIpAccess(1), 0);
}

// A dial-up library that lacks both entry readers.
class IncompleteDialUpTest : public ProgramDirTest {};

TEST_F(IncompleteDialUpTest, LibraryIsUnusableAndReleasedAtOnce)
{
    DialUpDouble ras(Dir(), DialUpDouble::Build::incomplete);
    ras.AddDevice("modem", "Modem standard 56000 bps");
    SetWorkLines(kThreeLines, {0, 2, 1});
    EXPECT_FALSE(LoadDialUpFunctions());
    EXPECT_FALSE(DialUpFunctionsAvailable());
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
    EXPECT_FALSE(CreateLineEntry(0));
    DeleteLineEntry(0);
    EXPECT_TRUE(ras.Log().empty());
    EXPECT_FALSE(Exists(ras.Phonebook()));
    WorkLines = LineTables{};
}
