#include "telephony/modem_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gateways/line_files.h"
#include "gateways/tests/line_fixtures.h"
#include "resources/resource.h"
#include "telephony/telephony.h"
#include "telephony/tests/telephony_double.h"
#include "tests/wine/test_pixels.h"
#include "tests/wine/test_support.h"
#include "whconfig/whconfig.h"

namespace {

const std::vector<Line> kTwoLines = {
    {1, "Modem standard 56000 bps", "MODEM1", "", "", 1},
    {2, "Adaptateur RNIS", "ISDN2", "", "ISDN2B", 5},
};
const std::vector<Settings> kTwoSettings = {{0, 1, "0", 1}, {2, 0, "9", 0}};

constexpr char kWorkDir[] = "pass0\\cfgtemp\\";
constexpr char kExplanation[] = "Veuillez sélectionner le modem que vous souhaitez installer dans Quorel puis appuyez "
                                "sur OK pour valider votre choix.";
constexpr char kRemoveQuestion[] = "Les modems doivent être enlevés à l'aide de l'option \"Modems\" du panneau de "
                                   "configuration.\nVoulez-vous le faire maintenant ?";
constexpr char kAdvancedWarning[] = "Ne modifiez pas cette configuration sans les conseils d'un technicien du support.";

HWND List(HWND dialog)
{
    return GetDlgItem(dialog, IDC_MODEM_LIST);
}

std::vector<std::string> Texts(HWND dialog)
{
    std::vector<std::string> texts;
    auto n = SendMessageA(List(dialog), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::string text(SendMessageA(List(dialog), LB_GETTEXTLEN, i, 0) + 1, '\0');
        text.resize(SendMessageA(List(dialog), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data())));
        texts.push_back(text);
    }
    return texts;
}

std::vector<DWORD> Ids(HWND dialog)
{
    std::vector<DWORD> ids;
    auto n = SendMessageA(List(dialog), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i)
        ids.push_back(static_cast<DWORD>(SendMessageA(List(dialog), LB_GETITEMDATA, i, 0)));
    return ids;
}

int Selected(HWND dialog)
{
    return static_cast<int>(SendMessageA(List(dialog), LB_GETCURSEL, 0, 0));
}

void Select(HWND dialog, const char* text)
{
    auto index = SendMessageA(List(dialog), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    SendMessageA(List(dialog), LB_SETCURSEL, index, 0);
}

std::string ItemText(HWND window, int id)
{
    char text[512] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// What the steps saw while the dialog was shown.
struct Seen {
    std::vector<std::string> texts;
    std::vector<DWORD> ids;
    int selected = -2;
    bool removeEnabled = false;
    bool propertiesEnabled = false;
    bool okEnabled = false;
    bool advancedVisible = true;
    bool advancedEnabled = true;
    std::string explanation;
    std::string box;  // text of a box of whconfig.dll
    RECT client{};
    RECT template_{};
    bool stillOpen = false;
};
Seen seen;

void Inspect(HWND dialog)
{
    seen.texts = Texts(dialog);
    seen.ids = Ids(dialog);
    seen.selected = Selected(dialog);
    seen.removeEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_MODEM_REMOVE));
    seen.propertiesEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_MODEM_PROPERTIES));
    seen.okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    seen.advancedVisible = IsWindowVisible(GetDlgItem(dialog, IDC_MODEM_ADVANCED));
    seen.advancedEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_MODEM_ADVANCED));
    seen.explanation = ItemText(dialog, IDC_MODEMS_TEXT);
    GetClientRect(dialog, &seen.client);
    seen.template_ = RECT{0, 0, 238, 143};
    MapDialogRect(dialog, &seen.template_);
}

void InspectThenCancel(HWND dialog)
{
    Inspect(dialog);
    PressButton(dialog, IDCANCEL);
}

void ChooseModemC(HWND dialog)
{
    Select(dialog, "Modem C");
    PressButton(dialog, IDOK);
}

void ChooseModemA(HWND dialog)
{
    Select(dialog, "Modem A");
    PressButton(dialog, IDOK);
}

void ReadBoxAndClose(HWND box)
{
    seen.box = ItemText(box, 0xFFFF);
    PressButton(box, IDOK);
}

struct LoadedLibrary {
    explicit LoadedLibrary(const std::string& path) : module(LoadLibraryA(path.c_str())) {}
    ~LoadedLibrary() { FreeLibrary(module); }
    HMODULE module;
};

}  // namespace

// "Modems" over the telephony double (Modem A, Fax B that cannot place calls,
// Modem C), with a soft modem and one special entry in whconfig.ini and a
// gateway pass0 of two lines whose work copy is open.
class ModemDialogTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        seen = Seen{};
        tapi_ = std::make_unique<TelephonyDouble>(Dir());
        Tapi().AddDevice("Modem A");
        Tapi().AddDevice("Fax B", 0x10, 0x0);
        Tapi().AddDevice("Modem C");
        Whconfig("SoftModem", "Name", "Modem logiciel");
        Whconfig("SpecialNames", "Routage IP", "Accès IP direct");
        InstallWhconfig(Dir());
        CreateDirectoryA(Path("\\pass0").c_str(), nullptr);
        CreateDirectoryA(Path("\\pass0\\cfgtemp").c_str(), nullptr);
        WriteBytes(Work("comlines.dat"), LineFile(kTwoLines, 2));
        WriteBytes(Work("Fax0Mid.mid"), DialSettingsFile(kTwoSettings, 0));
    }
    void TearDown() override
    {
        StopTelephony();
        tapi_.reset();
        ProgramDirTest::TearDown();
    }

    void Whconfig(const char* section, const char* key, const char* value)
    {
        WritePrivateProfileStringA(section, key, value, Path("\\whconfig.ini").c_str());
    }
    std::string Work(const std::string& name) const { return Path("\\pass0\\cfgtemp\\" + name); }
    TelephonyDouble& Tapi() { return *tapi_; }

    static ModemRequest Request(int32_t mode, int32_t lineIndex, const char* modemName, int32_t autoAccept = 1)
    {
        ModemRequest request;
        request.mode = mode;
        request.autoAccept = autoAccept;
        request.lineIndex = lineIndex;
        request.workDir = kWorkDir;
        std::strcpy(request.modemName, modemName);
        return request;
    }

    // The work copy as the configuration dialog reads it back.
    LineTables WorkLines() const
    {
        LineTables tables;
        EXPECT_TRUE(LoadLineTables(nullptr, Path("\\pass0\\cfgtemp"), tables));
        return tables;
    }

    void ExpectWorkCopyUnchanged() const
    {
        EXPECT_EQ(ReadBytes(Work("comlines.dat")), LineFile(kTwoLines, 2));
        EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid")), DialSettingsFile(kTwoSettings, 0));
        EXPECT_FALSE(Exists(Work("L1RTC.cnf")));
    }

private:
    std::unique_ptr<TelephonyDouble> tapi_;
};

TEST_F(ModemDialogTest, ListsTheSoftModemTheSpecialEntryAndTheModemsThatPlaceCalls)
{
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", InspectThenCancel);
    EXPECT_EQ(RunModemDialog(nullptr, request), 0);
    EXPECT_EQ(driver.StepsDone(), 1);
    EXPECT_EQ(driver.Unexpected(), 0);

    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Modem logiciel", "Routage IP", "Modem A", "Modem C"}));
    EXPECT_EQ(seen.ids, (std::vector<DWORD>{0xFFFF, 0x10000, 0, 2}));
    EXPECT_EQ(seen.selected, 0);
    EXPECT_TRUE(seen.removeEnabled);
    EXPECT_TRUE(seen.propertiesEnabled);
    EXPECT_TRUE(seen.okEnabled);
    EXPECT_FALSE(seen.advancedVisible);
    EXPECT_FALSE(seen.advancedEnabled);
    EXPECT_EQ(seen.explanation, kExplanation);
    EXPECT_EQ(seen.client.right, seen.template_.right);
    EXPECT_EQ(seen.client.bottom, seen.template_.bottom);
    EXPECT_STREQ(request.modemName, "");
    ExpectWorkCopyUnchanged();
}

TEST_F(ModemDialogTest, AcceptingModemCForANewLineAppendsItToTheWorkCopy)
{
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", ChooseModemC);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_STREQ(request.modemName, "Modem C");

    Bytes lines = ReadBytes(Work("comlines.dat"));
    ASSERT_EQ(lines.size(), 256u + 3 * 640);
    EXPECT_EQ(Bytes(lines.begin(), lines.begin() + 256 + 2 * 640), LineFile(kTwoLines, 3));
    EXPECT_STREQ(reinterpret_cast<const char*>(lines.data() + 256 + 2 * 640 + 67), "Modem C");
    Bytes settings = ReadBytes(Work("Fax0Mid.mid"));
    ASSERT_EQ(settings.size(), 128u + 3 * 512);
    EXPECT_EQ(Bytes(settings.begin(), settings.begin() + 128 + 2 * 512), DialSettingsFile(kTwoSettings, 0));

    LineTables tables = WorkLines();
    ASSERT_EQ(tables.tableHeader.count, 3);
    EXPECT_STREQ(tables.records[2].modemName, "Modem C");
    EXPECT_EQ(tables.records[2].networkFlags, 1);
    EXPECT_EQ(tables.settings[2].dialType, 1);
    for (const char* base : {"L1RTC", "L1GSM", "L1RNIS"}) {
        Bytes cnf = ReadBytes(Work(std::string(base) + ".cnf"));
        ASSERT_EQ(cnf.size(), 512u) << base;
        EXPECT_EQ(cnf[404], 1) << base;
        EXPECT_STREQ(reinterpret_cast<const char*>(cnf.data() + 32), "Modem C") << base;
        EXPECT_TRUE(Exists(Work(std::string(base) + ".cmd"))) << base;
    }
}

TEST_F(ModemDialogTest, OpensOnTheLinesModemAndWaits)
{
    struct Case {
        const char* present;
        int selected;
    } cases[] = {{"Modem A", 2}, {"Routage IP", 1}, {"Modem logiciel", 0}, {"Inconnu", 0}, {"modem a", 0}, {"", 0}};
    for (const auto& c : cases) {
        seen = Seen{};
        ModemRequest request = Request(kModemChangeLine, 1, c.present);
        DialogDriver driver;
        driver.Then("Modems", InspectThenCancel);
        EXPECT_EQ(RunModemDialog(nullptr, request), 0) << c.present;
        EXPECT_EQ(driver.StepsDone(), 1) << c.present;
        EXPECT_EQ(seen.selected, c.selected) << c.present;
    }
    ExpectWorkCopyUnchanged();
}

TEST_F(ModemDialogTest, ChangingALinePutsTheChosenModemOnIt)
{
    ModemRequest request = Request(kModemChangeLine, 1, "Adaptateur RNIS");
    DialogDriver driver;
    driver.Then("Modems", ChooseModemA);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_STREQ(request.modemName, "Modem A");
    LineTables tables = WorkLines();
    ASSERT_EQ(tables.tableHeader.count, 2);
    EXPECT_STREQ(tables.records[0].modemName, "Modem standard 56000 bps");
    EXPECT_STREQ(tables.records[1].modemName, "Modem A");
    EXPECT_STREQ(tables.records[1].configNames[0], "ISDN2");
    EXPECT_STREQ(tables.records[1].configNames[2], "ISDN2B");
    EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid")), DialSettingsFile(kTwoSettings, 0));
}

TEST_F(ModemDialogTest, ASingleModemIsAcceptedAtOnceWhenAsked)
{
    Whconfig("SoftModem", nullptr, nullptr);
    Whconfig("SpecialNames", nullptr, nullptr);
    Tapi().Set("Telephony", "Devices", "2");  // Modem A, and Fax B that is not offered
    {
        ModemRequest request = Request(kModemAddLine, 2, "", 0);
        DialogDriver driver;
        driver.Then("Modems", InspectThenCancel);
        EXPECT_EQ(RunModemDialog(nullptr, request), 0);
        EXPECT_EQ(driver.StepsDone(), 1);
        EXPECT_EQ(seen.texts, (std::vector<std::string>{"Modem A"}));
        EXPECT_TRUE(seen.removeEnabled);  // a line device can be removed
        ExpectWorkCopyUnchanged();
    }
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_EQ(driver.StepsDone(), 0);
    EXPECT_EQ(driver.Unexpected(), 0);
    EXPECT_STREQ(request.modemName, "Modem A");
    EXPECT_STREQ(WorkLines().records[2].modemName, "Modem A");
}

namespace {
void PropertiesThenOk(HWND dialog)
{
    Inspect(dialog);
    PressButton(dialog, IDC_MODEM_PROPERTIES);
}
void PressOk(HWND dialog)
{
    seen.stillOpen = true;
    PressButton(dialog, IDOK);
}
}  // namespace

TEST_F(ModemDialogTest, TheSoftModemAloneGoesToTheLibraryAsSOFTMOD)
{
    Whconfig("SpecialNames", nullptr, nullptr);
    Tapi().Set("Telephony", "Devices", "0");
    ModemRequest request = Request(kModemAddLine, 2, "", 0);
    DialogDriver driver;
    driver.Then("Modems", PropertiesThenOk);
    driver.Then("Modem logiciel", ReadBoxAndClose);
    driver.Then("Modems", PressOk);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_EQ(driver.StepsDone(), 3);
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Modem logiciel"}));
    EXPECT_FALSE(seen.removeEnabled);
    EXPECT_TRUE(seen.propertiesEnabled);
    EXPECT_EQ(seen.box.rfind("Modem logiciel\n", 0), 0u) << seen.box;

    EXPECT_STREQ(request.modemName, "Modem logiciel");
    LineTables tables = WorkLines();
    ASSERT_EQ(tables.tableHeader.count, 3);
    EXPECT_STREQ(tables.records[2].modemName, "Modem logiciel");
    EXPECT_EQ(ReadBytes(Work("L1RTC.cnf"))[17], 1);  // the soft modem
}

namespace {
void ShowPropertiesOfModemCThenOfRoutageIp(HWND dialog)
{
    Select(dialog, "Modem C");
    PressButton(dialog, IDC_MODEM_PROPERTIES);
    Select(dialog, "Routage IP");
    PressButton(dialog, IDC_MODEM_PROPERTIES);
}
}  // namespace

TEST_F(ModemDialogTest, PropertiesAreShownByWhoeverKnowsTheEntry)
{
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", ShowPropertiesOfModemCThenOfRoutageIp);
    driver.Then("Propriétés", ReadBoxAndClose);
    driver.Then("Modems", InspectThenCancel);
    EXPECT_EQ(RunModemDialog(nullptr, request), 0);
    EXPECT_EQ(driver.StepsDone(), 3);
    EXPECT_EQ(Tapi().Calls("lineConfigDialog"), (std::vector<std::string>{"lineConfigDialog 2 owner no-class"}));
    EXPECT_EQ(seen.box, "Routage IP\n\nAccès IP direct");
    ExpectWorkCopyUnchanged();
}

TEST_F(ModemDialogTest, WithoutAnyModemTheAddWizardRunsAndItsModemIsAcceptedAtOnce)
{
    Whconfig("SoftModem", nullptr, nullptr);
    Whconfig("SpecialNames", nullptr, nullptr);
    Tapi().Set("Telephony", "Devices", "0");
    Tapi().Set("Device0", nullptr, "");
    Tapi().Set("Device1", nullptr, "");
    Tapi().Set("Device2", nullptr, "");
    {
        ModemRequest request = Request(kModemAddLine, 2, "");
        DialogDriver driver;
        EXPECT_EQ(RunModemDialog(nullptr, request), 0);  // the wizard installed nothing
        EXPECT_EQ(driver.StepsDone(), 0);
        EXPECT_EQ(Tapi().Calls("applet"), (std::vector<std::string>{"applet ADD owner"}));
        ExpectWorkCopyUnchanged();
    }
    Tapi().Set("Applet", "Add", "Modem D");
    ModemRequest request = Request(kModemAddLine, 2, "", 0);
    DialogDriver driver;
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_EQ(driver.StepsDone(), 0);
    EXPECT_STREQ(request.modemName, "Modem D");
    EXPECT_STREQ(WorkLines().records[2].modemName, "Modem D");
}

TEST_F(ModemDialogTest, ARefusingLibraryClosesTheDialogWithZero)
{
    std::vector<Line> eight(8, kTwoLines[0]);
    struct Case {
        const char* what;
        const char* workDir;
        bool withLibrary;
        Bytes lines;
    } cases[] = {
        {"a work directory outside the program directory", "..\\pass0\\cfgtemp\\", true, LineFile(kTwoLines, 2)},
        {"an absolute work directory", "C:\\pass0\\cfgtemp\\", true, LineFile(kTwoLines, 2)},
        {"no library", kWorkDir, false, LineFile(kTwoLines, 2)},
        {"a ninth line", kWorkDir, true, LineFile(eight, 8)},
    };
    for (const auto& c : cases) {
        WriteBytes(Work("comlines.dat"), c.lines);
        if (c.withLibrary)
            InstallWhconfig(Dir());
        else
            DeleteFileA(Path("\\whconfig.dll").c_str());
        ModemRequest request = Request(kModemAddLine, 2, "");
        request.workDir = c.workDir;
        DialogDriver driver;
        driver.Then("Modems", ChooseModemC);
        EXPECT_EQ(RunModemDialog(nullptr, request), 0) << c.what;
        EXPECT_EQ(driver.StepsDone(), 1) << c.what;
        EXPECT_EQ(ReadBytes(Work("comlines.dat")), c.lines) << c.what;
        EXPECT_FALSE(Exists(Work("L1RTC.cnf"))) << c.what;
    }
}

namespace {
void CheckStillOpenThenChooseModemC(HWND dialog)
{
    seen.stillOpen = IsWindowVisible(dialog);
    ChooseModemC(dialog);
}
}  // namespace

TEST_F(ModemDialogTest, AModemServingAnotherLineLeavesTheChoiceOpen)
{
    std::vector<Line> lines = kTwoLines;
    lines[0].modem = "Modem A";
    WriteBytes(Work("comlines.dat"), LineFile(lines, 2));
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", ChooseModemA);
    driver.Then("Configuration du modem", ReadBoxAndClose);
    driver.Then("Modems", CheckStillOpenThenChooseModemC);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_EQ(driver.StepsDone(), 3);
    EXPECT_TRUE(seen.stillOpen);
    EXPECT_EQ(seen.box, "Le modem \"Modem A\" est déjà utilisé par une autre ligne de cette passerelle.");
    LineTables tables = WorkLines();
    ASSERT_EQ(tables.tableHeader.count, 3);
    EXPECT_STREQ(tables.records[2].modemName, "Modem C");

    // Each opening of the library was closed again: without a new opening it
    // writes nothing.
    LoadedLibrary library(Path("\\whconfig.dll"));
    auto add = reinterpret_cast<decltype(&WhcAddLine)>(
        reinterpret_cast<void*>(GetProcAddress(library.module, MAKEINTRESOURCEA(5))));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(nullptr, "Modem C", 1), kWhcRefused);
}

namespace {
void Remove(HWND dialog)
{
    Select(dialog, "Modem A");
    PressButton(dialog, IDC_MODEM_REMOVE);
    InspectThenCancel(dialog);
}
}  // namespace

TEST_F(ModemDialogTest, RemovingGoesThroughTheAppletOnlyWhenTheAdministratorAgrees)
{
    Tapi().Set("Applet", "Remove", "1");
    struct Case {
        int answer;
        std::vector<std::string> applet;
        std::vector<std::string> texts;
    } cases[] = {
        {IDNO, {}, {"Modem logiciel", "Routage IP", "Modem A", "Modem C"}},
        {IDYES, {"applet - owner"}, {"Modem logiciel", "Routage IP", "Modem A"}},
    };
    for (const auto& c : cases) {
        DeleteFileA(Path("\\tapi32.log").c_str());
        seen = Seen{};
        ModalRecorder modal;
        modal.Answer(c.answer);
        ModemRequest request = Request(kModemAddLine, 2, "");
        DialogDriver driver;
        driver.Then("Modems", Remove);
        EXPECT_EQ(RunModemDialog(nullptr, request), 0);
        ASSERT_EQ(modal.Calls().size(), 1u);
        EXPECT_EQ(modal.Calls()[0].text, kRemoveQuestion);
        EXPECT_EQ(modal.Calls()[0].caption, "");
        EXPECT_EQ(modal.Calls()[0].type, UINT(MB_YESNO));
        EXPECT_NE(modal.Calls()[0].owner, nullptr);
        EXPECT_EQ(Tapi().Calls("applet"), c.applet);
        // The list is filled again either way, keeping the selected modem.
        EXPECT_EQ(Tapi().Calls("lineInitialize").size(), 2u);
        EXPECT_EQ(seen.texts, c.texts);
        EXPECT_EQ(seen.selected, 2);
    }
}

namespace {
void AddThenInspect(HWND dialog)
{
    Select(dialog, "Modem A");
    PressButton(dialog, IDC_MODEM_ADD);
    InspectThenCancel(dialog);
}
}  // namespace

TEST_F(ModemDialogTest, AddingRefillsTheListKeepingTheSelection)
{
    Tapi().Set("Applet", "Add", "Modem D");
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", AddThenInspect);
    EXPECT_EQ(RunModemDialog(nullptr, request), 0);
    EXPECT_EQ(Tapi().Calls("applet"), (std::vector<std::string>{"applet ADD owner"}));
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"Modem logiciel", "Routage IP", "Modem A", "Modem C", "Modem D"}));
    EXPECT_EQ(seen.selected, 2);
}

namespace {
void Advanced(HWND dialog)
{
    Select(dialog, "Modem C");
    SendMessageA(dialog, WM_COMMAND, IDC_MODEM_ADVANCED, 0);  // answered Cancel: nothing
    seen.stillOpen = IsWindowVisible(dialog);
    SendMessageA(dialog, WM_COMMAND, IDC_MODEM_ADVANCED, 0);  // answered OK
}
}  // namespace

TEST_F(ModemDialogTest, TheHiddenAdvancedCommandWarnsThenAcceptsTheAdvancedWay)
{
    ModalRecorder modal;
    modal.Answer(IDCANCEL);
    modal.Answer(IDOK);
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", Advanced);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_TRUE(seen.stillOpen);
    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const ModalCall& call : modal.Calls()) {
        EXPECT_EQ(call.text, kAdvancedWarning);
        EXPECT_EQ(call.caption, "");
        EXPECT_EQ(call.type, UINT(MB_OKCANCEL));
    }
    EXPECT_EQ(ReadBytes(Work("L1RTC.cnf"))[19], 0);  // written the advanced way
    EXPECT_STREQ(WorkLines().records[2].modemName, "Modem C");
}

namespace {
void DoubleClickModemC(HWND dialog)
{
    Select(dialog, "Modem C");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MODEM_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(List(dialog)));
}
void OkWithNothingSelected(HWND dialog)
{
    SendMessageA(List(dialog), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    PressButton(dialog, IDOK);
    PressButton(dialog, IDC_MODEM_PROPERTIES);
    seen.stillOpen = IsWindowVisible(dialog);
    PressButton(dialog, IDCANCEL);
}
}  // namespace

TEST_F(ModemDialogTest, ADoubleClickAcceptsAndNothingSelectedAcceptsNothing)
{
    {
        ModemRequest request = Request(kModemAddLine, 2, "");
        DialogDriver driver;
        driver.Then("Modems", OkWithNothingSelected);
        EXPECT_EQ(RunModemDialog(nullptr, request), 0);
        EXPECT_TRUE(seen.stillOpen);
        EXPECT_TRUE(Tapi().Calls("lineConfigDialog").empty());
        ExpectWorkCopyUnchanged();
    }
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", DoubleClickModemC);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    EXPECT_STREQ(WorkLines().records[2].modemName, "Modem C");
}

namespace {

// A 100 x 18 white picture to draw an entry into.
class EntryPicture : public Canvas {
public:
    EntryPicture() : Canvas(100, 18) {}
    int Changed() const { return CountOtherThan(RGB(255, 255, 255)); }
};

struct Drawn {
    int emptyWithoutFocus = -1;
    int emptyFocus = -1;
    int focusLeftOfText = -1;
    int focusInside = -1;
    COLORREF selectedBackground = 0;
    COLORREF iconArea = 0;
    bool iconAlive = false;
};
Drawn drawn;

DRAWITEMSTRUCT Item(HWND dialog, HDC dc, UINT id, UINT action, UINT state)
{
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = IDC_MODEM_LIST;
    item.itemID = id;
    item.itemAction = action;
    item.itemState = state;
    item.hwndItem = List(dialog);
    item.hDC = dc;
    item.rcItem = RECT{0, 0, 100, 18};
    item.itemData = id == static_cast<UINT>(-1) ? 0 : SendMessageA(List(dialog), LB_GETITEMDATA, id, 0);
    return item;
}

void Draw(HWND dialog)
{
    HICON icon = nullptr;
    lineGetIcon(0, nullptr, &icon);
    RedrawWindow(List(dialog), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    for (int i = 0; i < 4; ++i) {  // every entry, line devices among them
        EntryPicture canvas;
        DRAWITEMSTRUCT item = Item(dialog, canvas.Dc(), i, ODA_DRAWENTIRE, 0);
        SendMessageA(dialog, WM_DRAWITEM, IDC_MODEM_LIST, reinterpret_cast<LPARAM>(&item));
    }
    ICONINFO info{};
    drawn.iconAlive = icon && GetIconInfo(icon, &info);
    if (drawn.iconAlive) {
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    {
        EntryPicture canvas;
        DRAWITEMSTRUCT item = Item(dialog, canvas.Dc(), static_cast<UINT>(-1), ODA_DRAWENTIRE, 0);
        SendMessageA(dialog, WM_DRAWITEM, IDC_MODEM_LIST, reinterpret_cast<LPARAM>(&item));
        drawn.emptyWithoutFocus = canvas.Changed();
    }
    {
        EntryPicture canvas;
        DRAWITEMSTRUCT item = Item(dialog, canvas.Dc(), static_cast<UINT>(-1), ODA_FOCUS, ODS_FOCUS);
        SendMessageA(dialog, WM_DRAWITEM, IDC_MODEM_LIST, reinterpret_cast<LPARAM>(&item));
        drawn.emptyFocus = canvas.Changed();
        drawn.focusLeftOfText = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 18; ++x)
                drawn.focusLeftOfText += GetPixel(canvas.Dc(), x, y) != RGB(255, 255, 255);
        drawn.focusInside = 0;
        for (int y = 2; y < 16; ++y)
            for (int x = 21; x < 97; ++x)
                drawn.focusInside += GetPixel(canvas.Dc(), x, y) != RGB(255, 255, 255);
    }
    {
        EntryPicture canvas;
        DRAWITEMSTRUCT item = Item(dialog, canvas.Dc(), 3, ODA_SELECT, ODS_SELECTED);
        SendMessageA(dialog, WM_DRAWITEM, IDC_MODEM_LIST, reinterpret_cast<LPARAM>(&item));
        drawn.selectedBackground = GetPixel(canvas.Dc(), 98, 1);
        drawn.iconArea = GetPixel(canvas.Dc(), 17, 17);
    }
    PressButton(dialog, IDCANCEL);
}

COLORREF ScreenColour(int index)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SetPixel(dc, 0, 0, GetSysColor(index));
    COLORREF colour = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return colour;
}

}  // namespace

TEST_F(ModemDialogTest, EntriesAreDrawnWithoutDestroyingTheTelephonyIcon)
{
    drawn = Drawn{};
    ModemRequest request = Request(kModemAddLine, 2, "");
    DialogDriver driver;
    driver.Then("Modems", Draw);
    EXPECT_EQ(RunModemDialog(nullptr, request), 0);
    EXPECT_TRUE(drawn.iconAlive);
    EXPECT_GE(Tapi().Calls("lineGetIcon 2").size(), 2u);  // drawn, each time with its own copy
    EXPECT_EQ(drawn.emptyWithoutFocus, 0);
    EXPECT_GT(drawn.emptyFocus, 0);
    EXPECT_EQ(drawn.focusLeftOfText, 0);
    EXPECT_EQ(drawn.focusInside, 0);
    EXPECT_EQ(drawn.selectedBackground, ScreenColour(COLOR_HIGHLIGHT));
    EXPECT_EQ(drawn.iconArea, ScreenColour(COLOR_WINDOW));
}

TEST_F(ModemDialogTest, ALongNameIsListedWholeAndReturnedCut)
{
    std::string name = "Modem " + std::string(94, 'L');
    Tapi().Set("Device1", "Name", name);
    Tapi().Set("Device1", "Features", "8");
    ModemRequest request = Request(kModemAddLine, 2, "");
    std::strcpy(request.modemName, "");
    struct Chooser {
        static void Choose(HWND dialog)
        {
            Inspect(dialog);
            SendMessageA(List(dialog), LB_SETCURSEL, 3, 0);
            PressButton(dialog, IDOK);
        }
    };
    DialogDriver driver;
    driver.Then("Modems", Chooser::Choose);
    EXPECT_EQ(RunModemDialog(nullptr, request), 1);
    ASSERT_EQ(seen.texts.size(), 5u);
    EXPECT_EQ(seen.texts[3], name);
    EXPECT_EQ(std::string(request.modemName), name.substr(0, 63));
    EXPECT_EQ(std::string(WorkLines().records[2].modemName), name.substr(0, 63));
}

// Without any telephony library.
TEST_F(NoTelephonyTest, ModemsOffersNothingNotEvenTheSoftModemAndCloses)
{
    WritePrivateProfileStringA("SoftModem", "Name", "Modem logiciel", Path("\\whconfig.ini").c_str());
    InstallWhconfig(Dir());
    CreateDirectoryA(Path("\\pass0").c_str(), nullptr);
    CreateDirectoryA(Path("\\pass0\\cfgtemp").c_str(), nullptr);
    WriteBytes(Path("\\pass0\\cfgtemp\\comlines.dat"), LineFile(kTwoLines, 2));
    ModalRecorder modal;
    ModemRequest request;
    request.workDir = kWorkDir;
    DialogDriver driver;
    EXPECT_EQ(RunModemDialog(nullptr, request), 0);
    EXPECT_EQ(driver.StepsDone(), 0);
    EXPECT_EQ(driver.Unexpected(), 0);
    // Once at opening, once after the add wizard.
    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const ModalCall& call : modal.Calls())
        EXPECT_EQ(call.text, "Telephony interface cannot successfully start");
    EXPECT_EQ(ReadBytes(Path("\\pass0\\cfgtemp\\comlines.dat")), LineFile(kTwoLines, 2));
}
