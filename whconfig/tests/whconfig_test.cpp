#include "whconfig/whconfig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gateways/tests/line_fixtures.h"
#include "telephony/tests/telephony_double.h"
#include "tests/wine/test_support.h"

namespace {

const std::vector<Settings> kThreeSettings = {{0, 1, "0", 1}, {2, 0, "9", 0}, {1, 1, "", 0}};

template <typename Function>
Function EntryOf(HMODULE library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

// whconfig.dll loaded from the program directory, as the console loads it,
// over a gateway pass1 of three lines whose work copy is in pass1\cfgtemp.
class WhconfigTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        InstallWhconfig(Dir());
        library_ = LoadLibraryA(Path("\\whconfig.dll").c_str());
        ASSERT_NE(library_, nullptr);
        open_ = EntryOf<decltype(&WhcOpenConfig)>(library_, MAKEINTRESOURCEA(3));
        close_ = EntryOf<decltype(&WhcCloseConfig)>(library_, MAKEINTRESOURCEA(4));
        add_ = EntryOf<decltype(&WhcAddLine)>(library_, MAKEINTRESOURCEA(5));
        change_ = EntryOf<decltype(&WhcChangeLine)>(library_, MAKEINTRESOURCEA(6));
        CreateDirectoryA(Path("\\pass1").c_str(), nullptr);
        CreateDirectoryA(Path("\\pass1\\cfgtemp").c_str(), nullptr);
        WriteBytes(Work("comlines.dat"), LineFile(kThreeLines, 3));
        WriteBytes(Work("Fax0Mid.mid"), DialSettingsFile(kThreeSettings, 0));
        WriteBytes(Work("ISDN2.cnf"), Bytes(512, 0x33));
        WritePrivateProfileStringA("SoftModem", "Name", "Modem logiciel", Path("\\whconfig.ini").c_str());
        WritePrivateProfileStringA("SpecialNames", "Routage IP", "Accès IP direct", Path("\\whconfig.ini").c_str());
        WritePrivateProfileStringA("Reseaux", "Modem GSM 2", "2", Path("\\whconfig.ini").c_str());
    }
    void TearDown() override
    {
        if (library_)
            FreeLibrary(library_);
        ProgramDirTest::TearDown();
    }
    std::string Work(const std::string& name) const { return Path("\\pass1\\cfgtemp\\" + name); }
    int Open(const char* workDir = "pass1\\cfgtemp\\") { return open_(nullptr, workDir, 1, "Administrateur"); }

    HMODULE library_ = nullptr;
    decltype(&WhcOpenConfig) open_ = nullptr;
    decltype(&WhcCloseConfig) close_ = nullptr;
    decltype(&WhcAddLine) add_ = nullptr;
    decltype(&WhcChangeLine) change_ = nullptr;
};

TEST_F(WhconfigTest, ExportsItsOrdinalsAndOneName)
{
    std::vector<int> ordinals;
    for (int n = 1; n <= 40; ++n) {
        if (GetProcAddress(library_, MAKEINTRESOURCEA(n)))
            ordinals.push_back(n);
    }
    EXPECT_EQ(ordinals, (std::vector<int>{3, 4, 5, 6, 11, 12}));
    FARPROC named = GetProcAddress(library_, "whcGetSpecialProperties");
    EXPECT_NE(named, nullptr);
    EXPECT_EQ(named, GetProcAddress(library_, MAKEINTRESOURCEA(12)));
    for (const char* hidden : {"WhcOpenConfig", "WhcCloseConfig", "WhcAddLine", "WhcChangeLine", "WhcShowSoftModem"})
        EXPECT_EQ(GetProcAddress(library_, hidden), nullptr) << hidden;
}

TEST_F(WhconfigTest, OpensOnlyAnExistingDirectoryBelowTheProgramDirectory)
{
    CreateDirectoryA(Path("\\pass1\\cfgtemp\\NUL").c_str(), nullptr);
    struct Case {
        const char* workDir;
        int opened;
    } cases[] = {
        {"pass1\\cfgtemp\\", 1},
        {"pass1\\cfgtemp", 1},
        {"pass1/cfgtemp/", 1},
        {"pass2\\cfgtemp\\", 0},  // no such directory
        {"pass1\\cfgtemp\\comlines.dat", 0},
        {"..\\pass1\\cfgtemp\\", 0},
        {"pass1\\..\\pass1\\cfgtemp\\", 0},
        {"", 0},
        {"\\pass1\\cfgtemp\\", 0},
        {"C:\\pass1\\cfgtemp\\", 0},
        {"Z:pass1", 0},
        {"\\\\serveur\\partage\\", 0},
        {"pass1\\cfgtemp\\NUL\\", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Open(c.workDir), c.opened) << c.workDir;
    EXPECT_EQ(open_(nullptr, nullptr, 1, "Administrateur"), 0);
}

TEST_F(WhconfigTest, AddingWritesTheRecordTheSettingsAndTheFilesOfTheLine)
{
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(add_(nullptr, "Modem GSM 2", 1), kWhcDone);
    EXPECT_EQ(close_(nullptr, 1), 1);

    Bytes lines = ReadBytes(Work("comlines.dat"));
    ASSERT_EQ(lines.size(), 256u + 4 * 640);
    EXPECT_EQ(Bytes(lines.begin(), lines.begin() + 256 + 3 * 640), LineFile(kThreeLines, 4));
    const uint8_t* record = lines.data() + 256 + 3 * 640;
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 67), "Modem GSM 2");
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 131), "L1RTC");
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 140), "L1GSM");
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 149), "L1RNIS");
    EXPECT_EQ(record[575], 2);  // from [Reseaux]

    Bytes settings = ReadBytes(Work("Fax0Mid.mid"));
    ASSERT_EQ(settings.size(), 128u + 4 * 512);
    EXPECT_EQ(Bytes(settings.begin(), settings.begin() + 128 + 3 * 512), DialSettingsFile(kThreeSettings, 0));
    EXPECT_EQ(settings[128 + 3 * 512 + 16], 1);  // GSM
    EXPECT_EQ(settings[128 + 3 * 512 + 20], 1);

    for (int type = 0; type < 3; ++type) {
        std::string base = std::string("L1") + (type == 0 ? "RTC" : type == 1 ? "GSM" : "RNIS");
        Bytes cnf = ReadBytes(Work(base + ".cnf"));
        ASSERT_EQ(cnf.size(), 512u) << base;
        EXPECT_STREQ(reinterpret_cast<const char*>(cnf.data()), "WHCONFIG");
        EXPECT_EQ(cnf[16], 1);
        EXPECT_EQ(cnf[17], 0);  // a line device
        EXPECT_EQ(cnf[18], type);
        EXPECT_EQ(cnf[19], 1);
        EXPECT_STREQ(reinterpret_cast<const char*>(cnf.data() + 32), "Modem GSM 2");
        EXPECT_EQ(cnf[404], 1);
        Bytes cmd = ReadBytes(Work(base + ".cmd"));
        EXPECT_EQ(std::string(cmd.begin(), cmd.end()).rfind("; Modem GSM 2\r\n", 0), 0u) << base;
    }
}

TEST_F(WhconfigTest, TheSoftModemAndSpecialEntriesAreStoredUnderTheirNames)
{
    struct Case {
        const char* argument;
        const char* stored;
        uint8_t kind;
    } cases[] = {{"SOFTMOD", "Modem logiciel", 1}, {"routage ip", "Routage IP", 2}, {"Modem A", "Modem A", 0}};
    int line = 3;
    for (const auto& c : cases) {
        ASSERT_EQ(Open(), 1);
        EXPECT_EQ(add_(nullptr, c.argument, 0), kWhcDone) << c.argument;
        close_(nullptr, 1);
        Bytes lines = ReadBytes(Work("comlines.dat"));
        ASSERT_EQ(lines.size(), 256u + (line + 1) * 640) << c.argument;
        EXPECT_STREQ(reinterpret_cast<const char*>(lines.data() + 256 + line * 640 + 67), c.stored);
        std::string base = "L" + std::to_string(line - 2) + "RTC";
        Bytes cnf = ReadBytes(Work(base + ".cnf"));
        ASSERT_EQ(cnf.size(), 512u) << base;
        EXPECT_EQ(cnf[17], c.kind) << c.argument;
        EXPECT_EQ(cnf[19], 0) << c.argument;  // the advanced way
        ++line;
    }
}

TEST_F(WhconfigTest, ChangingKeepsTheLinesNamesAndSpeakerMode)
{
    Bytes cnf(600);
    for (size_t n = 0; n < cnf.size(); ++n)
        cnf[n] = static_cast<uint8_t>(n * 5 + 1);
    cnf[404] = 3;
    WriteBytes(Work("ISDN2.cnf"), cnf);
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(change_(nullptr, "Modem C", 1, 1), kWhcDone);
    close_(nullptr, 1);

    Bytes lines = ReadBytes(Work("comlines.dat"));
    Bytes expected = LineFile(kThreeLines, 3);
    std::memset(expected.data() + 256 + 640 + 67, 0, 64);
    std::strcpy(reinterpret_cast<char*>(expected.data() + 256 + 640 + 67), "Modem C");
    std::strcpy(reinterpret_cast<char*>(expected.data() + 256 + 640 + 140), "L1GSM");  // it had none
    expected[256 + 640 + 575] = 1;
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid")), DialSettingsFile(kThreeSettings, 0));

    Bytes changed = ReadBytes(Work("ISDN2.cnf"));
    ASSERT_EQ(changed.size(), 600u);
    EXPECT_STREQ(reinterpret_cast<const char*>(changed.data() + 32), "Modem C");
    EXPECT_EQ(Bytes(changed.begin() + 96, changed.end()), Bytes(cnf.begin() + 96, cnf.end()));
    EXPECT_EQ(changed[404], 3);
    EXPECT_EQ(ReadBytes(Work("ISDN2B.cnf")).size(), 512u);
    EXPECT_EQ(ReadBytes(Work("L1GSM.cnf")).size(), 512u);
}

TEST_F(WhconfigTest, RefusalsLeaveEveryFileAsItWas)
{
    std::vector<Line> eight(8, kThreeLines[0]);
    for (int i = 0; i < 8; ++i)
        eight[i].modem = i % 2 ? "Modem impair" : "Modem pair";
    Bytes cut = LineFile(kThreeLines, 3);
    cut.resize(90);
    Bytes garbage(900);
    for (size_t n = 0; n < garbage.size(); ++n)
        garbage[n] = static_cast<uint8_t>(n * 31 + 7);
    struct Case {
        const char* what;
        Bytes lines;
        bool open;
        bool change;
        const char* modem;
    } cases[] = {
        {"nothing open", LineFile(kThreeLines, 3), false, false, "Modem C"},
        {"a ninth line", LineFile(eight, 8), true, false, "Modem C"},
        {"garbage", garbage, true, false, "Modem C"},
        {"a cut file", cut, true, false, "Modem C"},
        {"no line file", Bytes{}, true, false, "Modem C"},
        {"an empty name", LineFile(kThreeLines, 3), true, false, ""},
        {"a line past the last", LineFile(kThreeLines, 3), true, true, "Modem C"},
    };
    WritePrivateProfileStringA("SoftModem", nullptr, nullptr, Path("\\whconfig.ini").c_str());
    for (const auto& c : cases) {
        if (c.lines.empty())
            DeleteFileA(Work("comlines.dat").c_str());
        else
            WriteBytes(Work("comlines.dat"), c.lines);
        if (c.open) {
            ASSERT_EQ(Open(), 1) << c.what;
        }
        int result = c.change ? change_(nullptr, c.modem, 3, 1) : add_(nullptr, c.modem, 1);
        close_(nullptr, 1);
        EXPECT_EQ(result, kWhcRefused) << c.what;
        EXPECT_EQ(ReadBytes(Work("comlines.dat")), c.lines) << c.what;
        EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid")), DialSettingsFile(kThreeSettings, 0)) << c.what;
        EXPECT_FALSE(Exists(Work("L1RTC.cnf"))) << c.what;
    }
    // The soft modem is not named any more.
    WriteBytes(Work("comlines.dat"), LineFile(kThreeLines, 3));
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(add_(nullptr, "SOFTMOD", 1), kWhcRefused);
    close_(nullptr, 1);
    EXPECT_EQ(ReadBytes(Work("comlines.dat")), LineFile(kThreeLines, 3));
}

TEST_F(WhconfigTest, NewConfigNamesAvoidFilesAlreadyThere)
{
    WriteBytes(Work("L1GSM.cmd"), Bytes(10, 1));
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(add_(nullptr, "Modem C", 1), kWhcDone);
    close_(nullptr, 1);
    EXPECT_EQ(ReadBytes(Work("L1GSM.cmd")), Bytes(10, 1));
    EXPECT_TRUE(Exists(Work("L2RTC.cnf")));
    Bytes lines = ReadBytes(Work("comlines.dat"));
    EXPECT_STREQ(reinterpret_cast<const char*>(lines.data() + 256 + 3 * 640 + 131), "L2RTC");
}

namespace {
std::string boxText;
void ReadBox(HWND box)
{
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    boxText = text;
    PressButton(box, IDOK);
}
}  // namespace

TEST_F(WhconfigTest, PropertiesOfTheSoftModemAndOfASpecialEntry)
{
    auto softModem = EntryOf<decltype(&WhcShowSoftModem)>(library_, MAKEINTRESOURCEA(11));
    auto special = EntryOf<decltype(&whcGetSpecialProperties)>(library_, "whcGetSpecialProperties");
    {
        DialogDriver driver;
        driver.Then("Modem logiciel", ReadBox);
        EXPECT_EQ(softModem(nullptr), 1);
        EXPECT_EQ(driver.StepsDone(), 1);
        EXPECT_EQ(boxText.rfind("Modem logiciel\n\n", 0), 0u) << boxText;
    }
    {
        DialogDriver driver;
        driver.Then("Propriétés", ReadBox);
        EXPECT_EQ(special(nullptr, "Routage IP"), 1);
        EXPECT_EQ(driver.StepsDone(), 1);
        EXPECT_EQ(boxText, "Routage IP\n\nAccès IP direct");
    }
    DialogDriver driver;
    EXPECT_EQ(special(nullptr, "Modem A"), 0);
    EXPECT_EQ(special(nullptr, nullptr), 0);
    EXPECT_EQ(driver.Unexpected(), 0);
}
