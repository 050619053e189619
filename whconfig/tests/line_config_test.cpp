#include "whconfig/line_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "gateways/tests/line_fixtures.h"

namespace {

const std::vector<Settings> kThreeSettings = {{0, 1, "0", 1}, {2, 0, "9", 0}, {1, 1, "", 0}};

LineFileImages ThreeLines()
{
    return {LineFile(kThreeLines, 3), DialSettingsFile(kThreeSettings, 1)};
}

ModemChoice Choice(const char* name, ModemKind kind = ModemKind::LineDevice, uint8_t flags = 1)
{
    ModemChoice choice;
    choice.name = name;
    choice.kind = kind;
    choice.networkFlags = flags;
    return choice;
}

bool NothingTaken(const std::string&)
{
    return false;
}

std::string Text(const Bytes& b, size_t at)
{
    return std::string(reinterpret_cast<const char*>(b.data() + at));
}

Bytes Slice(const Bytes& b, size_t at, size_t size)
{
    return Bytes(b.begin() + at, b.begin() + at + size);
}

uint16_t Get16(const Bytes& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

}  // namespace

TEST(AddModemLine, AppendsARecordAndItsSettingsKeepingEveryOtherByte)
{
    LineFileImages images = ThreeLines();
    const LineFileImages before = images;
    ConfigNames names;
    ASSERT_EQ(AddModemLine(images, Choice("Modem C", ModemKind::LineDevice, 6), NothingTaken, names),
              LineChange::Done);
    EXPECT_EQ(names, (ConfigNames{"L1RTC", "L1GSM", "L1RNIS"}));

    ASSERT_EQ(images.lines.size(), 256u + 4 * 640);
    EXPECT_EQ(Slice(images.lines, 0, 128), Slice(before.lines, 0, 128));
    EXPECT_EQ(Get16(images.lines, 128), 640);
    EXPECT_EQ(Get16(images.lines, 130), 4);
    EXPECT_EQ(images.lines[132], 0xAB);  // the table header's other bytes
    EXPECT_EQ(Slice(images.lines, 256, 3 * 640), Slice(before.lines, 256, 3 * 640));
    size_t record = 256 + 3 * 640;
    EXPECT_EQ(Text(images.lines, record + 67), "Modem C");
    EXPECT_EQ(Text(images.lines, record + 131), "L1RTC");
    EXPECT_EQ(Text(images.lines, record + 140), "L1GSM");
    EXPECT_EQ(Text(images.lines, record + 149), "L1RNIS");
    EXPECT_EQ(images.lines[record + 575], 6);
    EXPECT_EQ(images.lines[record + 64], 0);  // comPort: reached through telephony

    ASSERT_EQ(images.settings.size(), 128u + 4 * 512);
    EXPECT_EQ(Slice(images.settings, 0, 128 + 3 * 512), Slice(before.settings, 0, 128 + 3 * 512));
    size_t settings = 128 + 3 * 512;
    EXPECT_EQ(images.settings[settings + 16], 1);  // GSM, the first type of flags 6
    EXPECT_EQ(images.settings[settings + 20], 1);  // tone
    EXPECT_EQ(images.settings[settings + 21], 0);
    EXPECT_EQ(images.settings[settings + 159], 0);
}

TEST(AddModemLine, TheFirstLineOfANewGatewayUsesItsEmptySettingsRecord)
{
    LineFileImages images{EmptyLineFile(), EmptyDialSettingsFile()};
    images.settings[128 + 300] = 0x77;  // a byte of the first record the line keeps
    ConfigNames names;
    ASSERT_EQ(AddModemLine(images, Choice("Modem A"), NothingTaken, names), LineChange::Done);
    EXPECT_EQ(images.lines.size(), 256u + 640);
    EXPECT_EQ(Get16(images.lines, 130), 1);
    EXPECT_EQ(Text(images.lines, 256 + 67), "Modem A");
    EXPECT_EQ(images.lines[256 + 575], 1);
    ASSERT_EQ(images.settings.size(), 128u + 512);  // one record per line
    EXPECT_EQ(images.settings[128 + 16], 0);
    EXPECT_EQ(images.settings[128 + 20], 1);
    EXPECT_EQ(images.settings[128 + 300], 0x77);
}

TEST(AddModemLine, ConfigNamesAreFreeAmongTheLinesAndTheFiles)
{
    struct Case {
        const char* what;
        std::vector<Line> lines;
        std::set<std::string> files;
        ConfigNames expected;
    } cases[] = {
        {"nothing taken", {}, {}, {"L1RTC", "L1GSM", "L1RNIS"}},
        {"a line has L1", {{1, "Modem A", "L1RTC", "L1GSM", "L1RNIS", 1}}, {}, {"L2RTC", "L2GSM", "L2RNIS"}},
        {"another case of the name", {{1, "Modem A", "l1rtc", "", "", 1}}, {}, {"L2RTC", "L2GSM", "L2RNIS"}},
        {"one name of the three", {{1, "Modem A", "X", "L1GSM", "", 1}}, {}, {"L2RTC", "L2GSM", "L2RNIS"}},
        {"a file left in the directory", {}, {"L1RNIS"}, {"L2RTC", "L2GSM", "L2RNIS"}},
        {"a gap after a removed line",
         {{1, "Modem A", "L1RTC", "L1GSM", "L1RNIS", 1}, {2, "Modem B", "L3RTC", "L3GSM", "L3RNIS", 1}},
         {},
         {"L2RTC", "L2GSM", "L2RNIS"}},
    };
    for (const auto& c : cases) {
        LineFileImages images{LineFile(c.lines, static_cast<uint16_t>(c.lines.size())), EmptyDialSettingsFile()};
        ConfigNames names;
        auto taken = [&](const std::string& base) { return c.files.count(base) > 0; };
        ASSERT_EQ(AddModemLine(images, Choice("Modem Z"), taken, names), LineChange::Done) << c.what;
        EXPECT_EQ(names, c.expected) << c.what;
    }

    LineFileImages images{EmptyLineFile(), EmptyDialSettingsFile()};
    ConfigNames names;
    auto everything = [](const std::string&) { return true; };
    EXPECT_EQ(AddModemLine(images, Choice("Modem Z"), everything, names), LineChange::NoFreeName);
    EXPECT_EQ(images.lines, EmptyLineFile());
}

TEST(AddModemLine, RefusesWithoutChangingAnything)
{
    std::vector<Line> eight(8, kThreeLines[0]);
    for (int i = 0; i < 8; ++i)
        eight[i].modem = i % 2 ? "Modem impair" : "Modem pair";
    Bytes nineClaimed = LineFile(kThreeLines, 9);
    Bytes wrongMagic = LineFile(kThreeLines, 3);
    wrongMagic[80] ^= 1;
    Bytes wrongRecordSize = LineFile(kThreeLines, 3);
    wrongRecordSize[128] = 0x7F;
    Bytes badSettings = DialSettingsFile(kThreeSettings, 0);
    badSettings[0] = 'X';
    struct Case {
        const char* what;
        LineFileImages images;
        ModemChoice choice;
        LineChange result;
    } cases[] = {
        {"a ninth line", {LineFile(eight, 8), DialSettingsFile(kThreeSettings, 0)}, Choice("Modem Z"),
         LineChange::Full},
        {"a header claiming nine lines", {nineClaimed, DialSettingsFile(kThreeSettings, 0)}, Choice("Modem Z"),
         LineChange::Full},
        {"a device serving another line", ThreeLines(), Choice("Adaptateur RNIS"), LineChange::InUse},
        {"not a line file", {wrongMagic, DialSettingsFile(kThreeSettings, 0)}, Choice("Modem Z"),
         LineChange::Unusable},
        {"records of another size", {wrongRecordSize, DialSettingsFile(kThreeSettings, 0)}, Choice("Modem Z"),
         LineChange::Unusable},
        {"a cut file header", {Bytes(100, 0x41), DialSettingsFile(kThreeSettings, 0)}, Choice("Modem Z"),
         LineChange::Unusable},
        {"no file at all", {Bytes{}, Bytes{}}, Choice("Modem Z"), LineChange::Unusable},
        {"settings of another kind", {LineFile(kThreeLines, 3), badSettings}, Choice("Modem Z"),
         LineChange::Unusable},
        {"no settings file", {LineFile(kThreeLines, 3), Bytes{}}, Choice("Modem Z"), LineChange::Unusable},
    };
    for (auto& c : cases) {
        const LineFileImages before = c.images;
        ConfigNames names;
        EXPECT_EQ(AddModemLine(c.images, c.choice, NothingTaken, names), c.result) << c.what;
        EXPECT_EQ(c.images.lines, before.lines) << c.what;
        EXPECT_EQ(c.images.settings, before.settings) << c.what;
    }
}

TEST(AddModemLine, TheSoftModemAndSpecialEntriesMayServeSeveralLines)
{
    for (ModemKind kind : {ModemKind::SoftModem, ModemKind::SpecialEntry}) {
        LineFileImages images = ThreeLines();
        ConfigNames names;
        EXPECT_EQ(AddModemLine(images, Choice("Modem GSM", kind), NothingTaken, names), LineChange::Done);
    }
}

TEST(AddModemLine, ALongNameIsStoredCutToItsField)
{
    LineFileImages images{EmptyLineFile(), EmptyDialSettingsFile()};
    ConfigNames names;
    std::string longName(100, 'N');
    ASSERT_EQ(AddModemLine(images, Choice(longName.c_str()), NothingTaken, names), LineChange::Done);
    EXPECT_EQ(Text(images.lines, 256 + 67), std::string(63, 'N'));
    EXPECT_EQ(images.lines[256 + 67 + 63], 0);
    EXPECT_EQ(Text(images.lines, 256 + 131), "L1RTC");

    // The same device again is the same stored name.
    EXPECT_EQ(AddModemLine(images, Choice(longName.c_str()), NothingTaken, names), LineChange::InUse);
}

TEST(ChangeModemLine, ChangesTheNameAndFlagsOfOneLineOnly)
{
    LineFileImages images = ThreeLines();
    const LineFileImages before = images;
    ConfigNames names;
    ASSERT_EQ(ChangeModemLine(images, 1, Choice("Modem C", ModemKind::LineDevice, 2), NothingTaken, names),
              LineChange::Done);
    EXPECT_EQ(names, (ConfigNames{"ISDN2", "L1GSM", "ISDN2B"}));  // the empty name gets a free one
    ASSERT_EQ(images.lines.size(), before.lines.size());
    size_t record = 256 + 640;
    Bytes expected = Slice(before.lines, record, 640);
    std::memset(expected.data() + 67, 0, 64);
    std::memcpy(expected.data() + 67, "Modem C", 7);
    std::memcpy(expected.data() + 140, "L1GSM", 5);
    expected[575] = 2;
    EXPECT_EQ(Slice(images.lines, record, 640), expected);
    EXPECT_EQ(Slice(images.lines, 0, record), Slice(before.lines, 0, record));
    EXPECT_EQ(Slice(images.lines, record + 640, 640), Slice(before.lines, record + 640, 640));
    EXPECT_EQ(images.settings, before.settings);
}

TEST(ChangeModemLine, RefusesWithoutChangingAnything)
{
    struct Case {
        const char* what;
        Bytes lines;
        int index;
        const char* modem;
        LineChange result;
    } cases[] = {
        {"an index past the lines", LineFile(kThreeLines, 3), 3, "Modem Z", LineChange::NoSuchLine},
        {"a negative index", LineFile(kThreeLines, 3), -1, "Modem Z", LineChange::NoSuchLine},
        {"the device of another line", LineFile(kThreeLines, 3), 0, "Modem GSM", LineChange::InUse},
        {"a header claiming nine lines", LineFile(kThreeLines, 9), 0, "Modem Z", LineChange::Unusable},
        {"garbage", Bytes(700, 0xEE), 0, "Modem Z", LineChange::Unusable},
    };
    for (const auto& c : cases) {
        LineFileImages images{c.lines, DialSettingsFile(kThreeSettings, 0)};
        ConfigNames names;
        EXPECT_EQ(ChangeModemLine(images, c.index, Choice(c.modem), NothingTaken, names), c.result) << c.what;
        EXPECT_EQ(images.lines, c.lines) << c.what;
    }

    // Its own device again is no conflict.
    LineFileImages images = ThreeLines();
    ConfigNames names;
    EXPECT_EQ(ChangeModemLine(images, 2, Choice("Modem GSM"), NothingTaken, names), LineChange::Done);
}

TEST(ConfigFileImage, WritesTheLibraryFieldsAndKeepsTheOthers)
{
    ModemChoice choice = Choice("Modem logiciel", ModemKind::SoftModem);
    choice.standard = false;
    Bytes fresh = ConfigFileImage({}, choice, 2);
    ASSERT_EQ(fresh.size(), 512u);
    EXPECT_EQ(Text(fresh, 0), "WHCONFIG");
    EXPECT_EQ(fresh[16], 1);
    EXPECT_EQ(fresh[17], 1);  // soft modem
    EXPECT_EQ(fresh[18], 2);  // RNIS
    EXPECT_EQ(fresh[19], 0);  // advanced
    EXPECT_EQ(Text(fresh, 32), "Modem logiciel");
    EXPECT_EQ(fresh[404], 1);
    for (size_t at : {size_t(20), size_t(96), size_t(403), size_t(405), size_t(511)})
        EXPECT_EQ(fresh[at], 0) << at;

    Bytes existing(600);
    for (size_t n = 0; n < existing.size(); ++n)
        existing[n] = static_cast<uint8_t>(n * 7 + 3);
    existing[404] = 3;
    Bytes changed = ConfigFileImage(existing, Choice("Modem C"), 0);
    ASSERT_EQ(changed.size(), 600u);
    EXPECT_EQ(Text(changed, 32), "Modem C");
    EXPECT_EQ(changed[17], 0);
    EXPECT_EQ(changed[19], 1);
    EXPECT_EQ(Slice(changed, 96, 504), Slice(existing, 96, 504));  // the speaker mode among them
    EXPECT_EQ(Slice(changed, 20, 12), Slice(existing, 20, 12));

    Bytes tooShort(300, 0x11);
    Bytes grown = ConfigFileImage(tooShort, Choice("Modem C"), 0);
    ASSERT_EQ(grown.size(), 512u);
    EXPECT_EQ(grown[404], 1);
    EXPECT_EQ(grown[200], 0x11);
    EXPECT_EQ(grown[300], 0);
}

TEST(CommandFileText, NamesTheModemAndItsNetwork)
{
    EXPECT_EQ(CommandFileText(Choice("Modem C"), 0),
              "; Modem C\r\n[Modem]\r\nReseau=RTC\r\nInit=AT&F\r\nNumerotation=ATDT\r\nRaccrochage=ATH\r\n");
    EXPECT_NE(CommandFileText(Choice("Modem C"), 1).find("Reseau=GSM\r\n"), std::string::npos);
    EXPECT_NE(CommandFileText(Choice("Modem C"), 2).find("Numerotation=ATD\r\n"), std::string::npos);
}

TEST(WorkDirectoryIn, AcceptsOnlyPlainNamesBelowTheProgramDirectory)
{
    struct Case {
        const char* workDir;
        const char* path;  // null: refused
    } cases[] = {
        {"pass3\\cfgtemp\\", "D:\\Quorel\\pass3\\cfgtemp"},
        {"pass3\\cfgtemp", "D:\\Quorel\\pass3\\cfgtemp"},
        {"pass3/cfgtemp/", "D:\\Quorel\\pass3\\cfgtemp"},
        {"cfg temp\\", "D:\\Quorel\\cfg temp"},
        {"", nullptr},
        {"..\\pass3\\cfgtemp\\", nullptr},
        {"pass3\\..\\..\\Windows\\", nullptr},
        {".\\pass3\\", nullptr},
        {"C:\\pass3\\cfgtemp\\", nullptr},
        {"C:pass3", nullptr},
        {"\\pass3\\cfgtemp\\", nullptr},
        {"/pass3/cfgtemp/", nullptr},
        {"\\\\server\\share\\", nullptr},
        {"pass3\\\\cfgtemp\\", nullptr},
        {"pass3\\NUL\\", nullptr},
        {"COM1", nullptr},
        {"pass3\\cfg*\\", nullptr},
        {"pass3 \\cfgtemp", nullptr},
    };
    for (const auto& c : cases) {
        auto path = WorkDirectoryIn("D:\\Quorel", c.workDir);
        if (c.path) {
            ASSERT_TRUE(path.has_value()) << c.workDir;
            EXPECT_EQ(*path, c.path) << c.workDir;
        } else {
            EXPECT_FALSE(path.has_value()) << c.workDir << " gave " << path.value_or("");
        }
    }
}
