#include "gateways/gateway_config_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/program_dir.h"
#include "gateways/dial_up_entries.h"
#include "gateways/gateway_registry.h"
#include "gateways/line_files.h"
#include "gateways/tests/dial_up_double.h"
#include "gateways/tests/line_fixtures.h"
#include "journal/journal_settings.h"
#include "resources/resource.h"
#include "states/activity_files.h"
#include "telephony/telephony.h"
#include "telephony/tests/telephony_double.h"
#include "tests/wine/test_support.h"

namespace {

constexpr char kCaption[] = "Configuration de la passerelle";
constexpr UINT kWarning = MB_OK | MB_ICONEXCLAMATION;
constexpr UINT kQuestion = MB_YESNO | MB_ICONEXCLAMATION;
constexpr char kCancelQuestion[] = "Voulez-vous vraiment ignorer les modifications ?";
constexpr char kRemoveQuestion[] = "Voulez-vous vraiment supprimer ce modem?";
constexpr char kLimitMessage[] = "Le nombre maximum de modems pour une passerelle est atteint.";
const std::vector<std::string> kSpeakerModes = {"Inactif", "Actif jusqu'à la connexion", "Toujours actif",
                                                "Actif après la connexion"};
const std::vector<Settings> kThreeSettings = {{0, 1, "0", 1}, {2, 0, "9", 0}, {1, 1, "", 0}};
// The speaker mode in each ".cnf" file of kThreeLines.
const std::map<std::string, uint8_t> kSpeakerOf = {{"MODEM1", 1}, {"ISDN2", 0}, {"ISDN2B", 3}, {"GSM3", 2}};

void Put32At(Bytes& b, size_t at, uint32_t v)
{
    Put32(b, at, v);
}

// A line's ".cnf" file: 512 bytes of the library's own, the speaker mode at 404.
Bytes ConfigFile(uint8_t speaker, uint8_t seed)
{
    Bytes bytes(512);
    for (size_t n = 0; n < bytes.size(); ++n)
        bytes[n] = static_cast<uint8_t>(n * 11 + seed);
    bytes[404] = speaker;
    return bytes;
}

struct GatewaySpec {
    uint32_t number;
    std::string name;
    int lines;  // the first lines of kThreeLines; -1: the empty files of a new gateway
};

// Commands the main window received while a test ran.
std::vector<WPARAM> MainWindowCommands;

LRESULT CALLBACK RecordingMainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        MainWindowCommands.push_back(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

void PressOk(HWND dialog)
{
    PressButton(dialog, IDOK);
}

void PressCancel(HWND dialog)
{
    PressButton(dialog, IDCANCEL);
}

}  // namespace

// A program directory with the telephony double (one modem, two dialling
// locations), the dial-up double (four devices), whconfig.dll and an
// activity file whose records carry the server's own bytes.
class GatewayConfigFixture : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        AppInstance = GetModuleHandleA(nullptr);
        JournalSettings = {};
        MainWindow = nullptr;
        Gateways = GatewayTable{};
        CurrentGateway = 0;
        GatewayActivity.fill(0);
        GatewayActiveFlags.fill(0);
        tapi_ = std::make_unique<TelephonyDouble>(Dir());
        Tapi().AddDevice("Modem standard 56000 bps");
        Tapi().AddLocation(1, "Bureau", 33);
        Tapi().AddLocation(2, "Agence de Lyon", 33);
        Tapi().Set("Telephony", "CurrentLocation", "1");
        if (WithDialUp()) {
            ras_ = std::make_unique<DialUpDouble>(Dir());
            Ras().AddDevice("modem", "Modem standard 56000 bps");
            Ras().AddDevice("isdn", "Adaptateur RNIS");
            Ras().AddDevice("modem", "Modem GSM");
            Ras().AddDevice("modem", "Modem USB");
        }
        InstallWhconfig(Dir());
        Bytes activity(152);
        for (size_t n = 0; n < activity.size(); ++n)
            activity[n] = static_cast<uint8_t>(0x80 + n % 19);  // the server's bytes
        for (int j = 0; j < 8; ++j) {
            activity[19 * j] = 0;
            activity[19 * j + 2] = 0;
            for (int k = 0; k < 8; ++k)
                activity[19 * j + 3 + 2 * k] = 0;
        }
        WriteBytes(ActPass(), activity);
    }
    void TearDown() override
    {
        if (dialog_ && IsWindow(dialog_))
            DestroyWindow(dialog_);
        PumpMessages();
        UnloadDialUpFunctions();
        StopTelephony();
        WorkLines = LineTables{};
        if (MainWindow)
            DestroyWindow(MainWindow);
        MainWindow = nullptr;
        ras_.reset();
        tapi_.reset();
        ProgramDirTest::TearDown();
    }
    virtual bool WithDialUp() const { return true; }

    TelephonyDouble& Tapi() { return *tapi_; }
    DialUpDouble& Ras() { return *ras_; }
    std::string ActPass() const { return Path("\\ActPass.dat"); }
    std::string GatewayDir(uint32_t number = 0) const { return Path("\\pass" + std::to_string(number)); }
    std::string Work(const std::string& name) const { return GatewayDir() + "\\cfgtemp\\" + name; }

    // admin.dat and each gateway's directory: its line files, the ".cnf" and
    // ".cmd" files of its lines and a file of the server's. Then loaded, as
    // the gateways window does.
    void WriteGateways(const std::vector<GatewaySpec>& gateways)
    {
        Bytes admin(1092, 0);
        Put32At(admin, 0, static_cast<uint32_t>(gateways.size()));
        for (size_t i = 0; i < gateways.size(); ++i) {
            const GatewaySpec& g = gateways[i];
            size_t at = 4 + 136 * i;
            Put32At(admin, at, static_cast<uint32_t>(std::max(g.lines, 0)));
            Put32At(admin, at + 4, g.number);
            std::memcpy(admin.data() + at + 8, g.name.c_str(), std::min<size_t>(g.name.size(), 127));
            std::string dir = GatewayDir(g.number);
            CreateDirectoryA(dir.c_str(), nullptr);
            WriteBytes(dir + "\\server.log", Bytes(10, 0x99));
            if (g.lines < 0) {
                WriteBytes(dir + "\\comlines.dat", EmptyLineFile());
                WriteBytes(dir + "\\Fax0Mid.mid", EmptyDialSettingsFile());
                continue;
            }
            std::vector<Line> lines(kThreeLines.begin(), kThreeLines.begin() + g.lines);
            WriteBytes(dir + "\\comlines.dat", LineFile(lines, static_cast<uint16_t>(g.lines)));
            WriteBytes(dir + "\\Fax0Mid.mid",
                       DialSettingsFile(std::vector<Settings>(kThreeSettings.begin(), kThreeSettings.begin() + g.lines),
                                        0));
            uint8_t seed = 1;
            for (const Line& line : lines) {
                for (const char* base : {line.rtc, line.gsm, line.rnis}) {
                    if (!*base)
                        continue;
                    WriteBytes(dir + "\\" + base + ".cnf", ConfigFile(kSpeakerOf.at(base), seed++));
                    WriteBytes(dir + "\\" + base + ".cmd", Bytes(20, seed++));
                }
            }
        }
        WriteBytes(Path("\\admin.dat"), admin);
        LoadGatewayTable();
    }
    // Line states of gateway record `record` in ActPass.dat, then read as the
    // main window's timer does.
    void WriteLineStates(int record, const std::vector<uint8_t>& states)
    {
        Bytes bytes = ReadBytes(ActPass());
        for (size_t k = 0; k < states.size(); ++k)
            bytes[19 * record + 3 + 2 * k] = states[k];
        WriteBytes(ActPass(), bytes);
        ReadActivityFiles();
    }
    std::vector<uint8_t> LineStatesInFile(int record) const
    {
        Bytes bytes = ReadBytes(ActPass());
        std::vector<uint8_t> states;
        for (int k = 0; k < 8; ++k)
            states.push_back(bytes[19 * record + 3 + 2 * k]);
        return states;
    }

    // The dialog on the gateway at `position`, modeless but otherwise as the
    // console shows it.
    HWND Open(int position = 0)
    {
        CurrentGateway = position;
        ReadActivityFiles();
        dialog_ = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_GATEWAY_CONFIG), nullptr, GatewayConfigDialog, 0);
        EXPECT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        PumpMessages();
        return dialog_;
    }
    // The dialog ended: EndDialog hides it.
    bool Closed() const { return !IsWindowVisible(dialog_); }
    void Notify(int id, int code)
    {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
        PumpMessages();
    }
    void Press(int id) { Notify(id, BN_CLICKED); }
    // A check box or radio button clicked: its new state, then the notification.
    void Click(int id, bool checked)
    {
        CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
        Press(id);
    }
    void SelectLine(int line)
    {
        SendDlgItemMessageA(dialog_, IDC_CONFIG_LINES, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        Notify(IDC_CONFIG_LINES, LBN_SELCHANGE);
    }
    void Choose(int combo, int item)
    {
        SendDlgItemMessageA(dialog_, combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        Notify(combo, CBN_SELCHANGE);
    }
    // Typed over the whole field, within its limit.
    void Type(int id, const std::string& text)
    {
        SendDlgItemMessageA(dialog_, id, EM_SETSEL, 0, -1);
        SendDlgItemMessageA(dialog_, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        PumpMessages();
    }
    std::string Text(int id) const
    {
        char text[256] = "";
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != 0; }
    bool Shown(int id) const { return IsWindowVisible(GetDlgItem(dialog_, id)) != 0; }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    int Lines() const { return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_CONFIG_LINES, LB_GETCOUNT, 0, 0)); }
    int SelectedLine() const
    {
        return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_CONFIG_LINES, LB_GETCURSEL, 0, 0));
    }
    std::vector<std::string> ComboTexts(int id) const
    {
        std::vector<std::string> texts;
        auto n = SendDlgItemMessageA(dialog_, id, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            char text[128] = "";
            SendDlgItemMessageA(dialog_, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.emplace_back(text);
        }
        return texts;
    }
    std::string ComboSelection(int id) const
    {
        auto item = SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0);
        if (item == CB_ERR)
            return "(none)";
        return ComboTexts(id).at(static_cast<size_t>(item));
    }
    std::string LastChange(int position = 0) const
    {
        return IniText(Path("\\admin.ini"), ("Pass" + std::to_string(position)).c_str(), "LastChange");
    }

    HWND dialog_ = nullptr;

private:
    std::unique_ptr<TelephonyDouble> tapi_;
    std::unique_ptr<DialUpDouble> ras_;
};

class GatewayConfigTest : public GatewayConfigFixture {};

void ExpectMessage(const ModalCall& call, const std::string& text, const char* caption, UINT type)
{
    EXPECT_EQ(call.kind, "message");
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.caption, caption);
    EXPECT_EQ(call.type, type);
}

// ---- Opening

TEST_F(GatewayConfigTest, OpensOnTheGatewayHoldingItsIdleLines)
{
    WriteGateways({{0, "Nord", 3}});
    WriteLineStates(0, {0, 4, 1});
    Bytes before = ReadBytes(ActPass());
    ModalRecorder modal;
    Open();

    EXPECT_EQ(Text(IDC_CONFIG_NAME), "Nord");
    EXPECT_EQ(Lines(), 3);
    EXPECT_EQ(SelectedLine(), 0);
    Bytes held = before;
    held[3] = 1;  // line 0 was idle; the others are the server's
    EXPECT_EQ(ReadBytes(ActPass()), held);
    EXPECT_EQ(IniText(Path("\\whconfig.ini"), "General", "CFGTEMP"), "pass0\\cfgtemp\\");
    EXPECT_EQ(IniText(Path("\\whconfig.ini"), "General", "GESTIONCFG"), "0");
    EXPECT_EQ(ReadBytes(Work("comlines.dat")), ReadBytes(GatewayDir() + "\\comlines.dat"));
    EXPECT_EQ(ReadBytes(Work("ISDN2B.cnf")), ReadBytes(GatewayDir() + "\\ISDN2B.cnf"));

    // Line 0: an RTC modem dialling by tone with the prefix 0.
    EXPECT_EQ(ComboTexts(IDC_CONFIG_NETWORK), std::vector<std::string>{"RTC"});
    EXPECT_EQ(ComboSelection(IDC_CONFIG_NETWORK), "RTC");
    EXPECT_EQ(ComboTexts(IDC_CONFIG_DIAL_TYPE), (std::vector<std::string>{"Décimale", "Fréquence vocale"}));
    EXPECT_EQ(ComboSelection(IDC_CONFIG_DIAL_TYPE), "Fréquence vocale");
    EXPECT_EQ(Text(IDC_CONFIG_PREFIX), "0");
    EXPECT_TRUE(Checked(IDC_CONFIG_PREFIX_ENABLED));
    EXPECT_EQ(ComboTexts(IDC_CONFIG_SPEAKER), kSpeakerModes);
    EXPECT_EQ(ComboSelection(IDC_CONFIG_SPEAKER), "Actif jusqu'à la connexion");
    EXPECT_TRUE(Checked(IDC_CONFIG_QUOREL_DIALING));
    EXPECT_FALSE(Checked(IDC_CONFIG_WINDOWS_DIALING));
    EXPECT_EQ(ComboTexts(IDC_CONFIG_LOCATIONS), (std::vector<std::string>{"Agence de Lyon", "Bureau"}));
    EXPECT_EQ(ComboSelection(IDC_CONFIG_LOCATIONS), "Bureau");
    for (int id : {IDC_CONFIG_ADD, IDC_CONFIG_MODIFY, IDC_CONFIG_REMOVE, IDC_CONFIG_NETWORK, IDC_CONFIG_SPEAKER,
                   IDC_CONFIG_DIAL_TYPE, IDC_CONFIG_PREFIX, IDC_CONFIG_PREFIX_ENABLED, IDC_CONFIG_RAS})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(IDC_CONFIG_LOCATIONS));
    EXPECT_FALSE(Enabled(IDC_CONFIG_LOCATION_MODIFY));
    EXPECT_FALSE(Shown(IDC_CONFIG_DIRECT_IP));  // no "Routage IP" among the special names
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(GatewayConfigTest, ControlsFollowTheSelectedLinesStateAndDiallingSource)
{
    WriteGateways({{0, "Nord", 3}});
    WriteLineStates(0, {0, 4, 1});
    ModalRecorder modal;
    Open();

    // Line 1 is in the server's hands: nothing of it can be changed.
    SelectLine(1);
    EXPECT_EQ(ComboTexts(IDC_CONFIG_NETWORK), (std::vector<std::string>{"RTC", "RNIS"}));
    EXPECT_EQ(ComboSelection(IDC_CONFIG_NETWORK), "RNIS");
    EXPECT_EQ(ComboSelection(IDC_CONFIG_DIAL_TYPE), "Décimale");
    EXPECT_EQ(Text(IDC_CONFIG_PREFIX), "9");
    EXPECT_EQ(ComboSelection(IDC_CONFIG_SPEAKER), "Actif après la connexion");  // ISDN2B.cnf, its RNIS file
    for (int id : {IDC_CONFIG_ADD, IDC_CONFIG_MODIFY, IDC_CONFIG_REMOVE, IDC_CONFIG_NETWORK, IDC_CONFIG_SPEAKER,
                   IDC_CONFIG_DIAL_TYPE, IDC_CONFIG_PREFIX, IDC_CONFIG_PREFIX_ENABLED})
        EXPECT_FALSE(Enabled(id)) << id;
    // Choosing the platform's dialling properties does not free it.
    Click(IDC_CONFIG_WINDOWS_DIALING, true);
    EXPECT_TRUE(Checked(IDC_CONFIG_WINDOWS_DIALING));
    EXPECT_FALSE(Checked(IDC_CONFIG_QUOREL_DIALING));
    EXPECT_FALSE(Enabled(IDC_CONFIG_LOCATIONS));
    EXPECT_FALSE(Enabled(IDC_CONFIG_LOCATION_MODIFY));

    // Line 2, which the server marked held itself, can be changed.
    SelectLine(2);
    EXPECT_EQ(ComboTexts(IDC_CONFIG_NETWORK), std::vector<std::string>{"GSM"});
    EXPECT_TRUE(Enabled(IDC_CONFIG_REMOVE));
    EXPECT_TRUE(Enabled(IDC_CONFIG_LOCATIONS));
    EXPECT_TRUE(Enabled(IDC_CONFIG_LOCATION_MODIFY));
    EXPECT_FALSE(Enabled(IDC_CONFIG_DIAL_TYPE));
    EXPECT_FALSE(Enabled(IDC_CONFIG_PREFIX));
    Click(IDC_CONFIG_QUOREL_DIALING, true);
    EXPECT_FALSE(Enabled(IDC_CONFIG_LOCATIONS));
    EXPECT_TRUE(Enabled(IDC_CONFIG_DIAL_TYPE));
    EXPECT_TRUE(Enabled(IDC_CONFIG_PREFIX_ENABLED));

    // Showing line 2, which can be changed, counts as a change of its prefix.
    modal.Answer(IDYES);
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    ASSERT_EQ(modal.Calls().size(), 1u);
    ExpectMessage(modal.Calls()[0], kCancelQuestion, "Attention", kQuestion);
}

TEST_F(GatewayConfigTest, ShowingAnotherHeldLineIsAChangeLookingAtTheServersIsNot)
{
    struct Case { const char* what; std::vector<int> selections; bool changed; } cases[] = {
        {"the shown line again", {0}, false},
        {"a line the server uses", {1}, false},
        {"another held line", {2}, true},
        {"there and back", {2, 0}, true},
    };
    for (const auto& c : cases) {
        WriteGateways({{0, "Nord", 3}});
        WriteLineStates(0, {0, 4, 0});
        WritePrivateProfileStringA("Pass0", nullptr, nullptr, Path("\\admin.ini").c_str());
        auto files = FilesIn(GatewayDir());
        ModalRecorder modal;
        Open();
        for (int line : c.selections)
            SelectLine(line);
        Bytes settings = ReadBytes(Work("Fax0Mid.mid"));
        EXPECT_EQ(settings, ReadBytes(GatewayDir() + "\\Fax0Mid.mid")) << c.what;  // the prefixes as they were
        modal.Answer(IDYES);
        Press(IDCANCEL);
        EXPECT_TRUE(Closed()) << c.what;
        ASSERT_EQ(modal.Calls().size(), c.changed ? 1u : 0u) << c.what;
        if (c.changed)
            ExpectMessage(modal.Calls()[0], kCancelQuestion, "Attention", kQuestion);
        EXPECT_EQ(LastChange() != "", c.changed) << c.what;
        EXPECT_EQ(FilesIn(GatewayDir()), files) << c.what;
        DestroyWindow(dialog_);
    }
}

TEST_F(GatewayConfigTest, SpeakerModeOutsideTheListIsShownAsNoneAndKept)
{
    WriteGateways({{0, "Nord", 1}});
    Bytes cnf = ReadBytes(GatewayDir() + "\\MODEM1.cnf");
    cnf[404] = 9;
    WriteBytes(GatewayDir() + "\\MODEM1.cnf", cnf);
    ModalRecorder modal;
    Open();
    EXPECT_EQ(ComboSelection(IDC_CONFIG_SPEAKER), "(none)");
    Notify(IDC_CONFIG_SPEAKER, CBN_SELCHANGE);  // a notification without a selection
    Notify(IDC_CONFIG_SPEAKER, CBN_CLOSEUP);
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\MODEM1.cnf"), cnf);
}

TEST_F(GatewayConfigTest, DialUpEntriesAreEditableOnlyWithLinesAndTheMinitelOption)
{
    struct Case { const char* minitelIp; int lines; bool enabled; } cases[] = {
        {nullptr, 3, true}, {"0", 3, false}, {"2", 3, true}, {nullptr, -1, false},
    };
    for (const auto& c : cases) {
        WriteGateways({{0, "Nord", c.lines}});
        WritePrivateProfileStringA("Minitel", "MinitelIP", c.minitelIp, Path("\\admin.ini").c_str());
        ModalRecorder modal;
        Open();
        EXPECT_EQ(Enabled(IDC_CONFIG_RAS), c.enabled) << (c.minitelIp ? c.minitelIp : "-") << " " << c.lines;
        if (c.lines < 0) {
            EXPECT_FALSE(Enabled(IDC_CONFIG_MODIFY));
        }
        Press(IDCANCEL);
        EXPECT_TRUE(Closed());
        DestroyWindow(dialog_);
    }
}

TEST_F(GatewayConfigTest, DirectIpAccessHidesTheLineConfiguration)
{
    WriteGateways({{0, "Nord", 1}});
    WritePrivateProfileStringA("SpecialNames", "Routage IP", "Accès IP direct", Path("\\whconfig.ini").c_str());
    WritePrivateProfileStringA("pass0", "AccesDirectIP", "1", Path("\\pass.ini").c_str());
    ModalRecorder modal;
    Open();
    const int lineControls[] = {IDC_CONFIG_MODIFY,        IDC_CONFIG_QUOREL_DIALING, IDC_CONFIG_WINDOWS_DIALING,
                                IDC_CONFIG_PREFIX,        IDC_CONFIG_PREFIX_LABEL,   IDC_CONFIG_PREFIX_ENABLED,
                                IDC_CONFIG_DIAL_TYPE,     IDC_CONFIG_LOCATIONS,      IDC_CONFIG_LOCATION_MODIFY,
                                IDC_CONFIG_SPEAKER,       IDC_CONFIG_NETWORK,        IDC_CONFIG_RAS,
                                IDC_CONFIG_QUOREL_GROUP,  IDC_CONFIG_LINE_GROUP,     IDC_CONFIG_SPEAKER_LABEL};
    const int kept[] = {IDC_CONFIG_NAME, IDC_CONFIG_LINES, IDC_CONFIG_ADD, IDC_CONFIG_REMOVE, IDOK, IDCANCEL,
                        IDC_CONFIG_HELP, IDC_CONFIG_DIRECT_IP};
    EXPECT_TRUE(Checked(IDC_CONFIG_DIRECT_IP));
    for (int id : lineControls)
        EXPECT_FALSE(Shown(id)) << id;
    for (int id : kept)
        EXPECT_TRUE(Shown(id)) << id;

    // An IP route keeps one line.
    Press(IDC_CONFIG_ADD);
    ASSERT_EQ(modal.Calls().size(), 1u);
    ExpectMessage(modal.Calls()[0], kLimitMessage, "Attention", kWarning);
    EXPECT_EQ(Lines(), 1);

    Click(IDC_CONFIG_DIRECT_IP, false);
    for (int id : lineControls)
        EXPECT_TRUE(Shown(id)) << id;
    // Stored at "OK" only, which marks the change.
    EXPECT_EQ(IniText(Path("\\pass.ini"), "pass0", "AccesDirectIP"), "1");
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(IniText(Path("\\pass.ini"), "pass0", "AccesDirectIP"), "0");
    EXPECT_NE(LastChange(), "");
}

// ---- Cancelling

TEST_F(GatewayConfigTest, CancellingUntouchedAsksNothingAndLeavesEverythingAsItWas)
{
    WriteGateways({{0, "Nord", 3}});
    WriteLineStates(0, {0, 1, 4});
    auto files = FilesIn(GatewayDir());
    Bytes activity = ReadBytes(ActPass());
    Bytes admin = ReadBytes(Path("\\admin.dat"));
    ModalRecorder modal;
    Open();
    Press(IDCANCEL);

    EXPECT_TRUE(Closed());
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(LastChange(), "");
    EXPECT_EQ(FilesIn(GatewayDir()), files);
    EXPECT_EQ(ReadBytes(ActPass()), activity);  // line 0 idle again, line 1 still the server's
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), admin);
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
    // The location in force when the dialog opened is made current again.
    EXPECT_EQ(Tapi().Calls("lineSetCurrentLocation"), std::vector<std::string>{"lineSetCurrentLocation 0x0 1"});
}

TEST_F(GatewayConfigTest, CancellingAfterAChangeAsksAndThrowsTheWorkCopyAway)
{
    WriteGateways({{0, "Nord", 3}});
    auto files = FilesIn(GatewayDir());
    Bytes activity = ReadBytes(ActPass());
    ModalRecorder modal;
    Open();
    Type(IDC_CONFIG_PREFIX, "5");
    Choose(IDC_CONFIG_SPEAKER, 3);
    EXPECT_EQ(ReadBytes(Work("MODEM1.cnf"))[404], 3);

    modal.Answer(IDNO);
    Press(IDCANCEL);
    EXPECT_FALSE(Closed());
    modal.Answer(IDYES);
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const ModalCall& call : modal.Calls())
        ExpectMessage(call, kCancelQuestion, "Attention", kQuestion);
    EXPECT_EQ(FilesIn(GatewayDir()), files);
    EXPECT_EQ(ReadBytes(ActPass()), activity);
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
    EXPECT_NE(LastChange(), "");  // something was changed, if not kept
}

// ---- The selected line's settings

TEST_F(GatewayConfigTest, SettingsOfAHeldLineGoToTheWorkCopyAndAreCommitted)
{
    WriteGateways({{0, "Nord", 3}});
    WriteLineStates(0, {0, 4, 0});
    ModalRecorder modal;
    Open();
    Type(IDC_CONFIG_PREFIX, "98765");
    EXPECT_EQ(Text(IDC_CONFIG_PREFIX), "9876");  // four characters at most
    Choose(IDC_CONFIG_DIAL_TYPE, 0);
    Click(IDC_CONFIG_PREFIX_ENABLED, false);
    Choose(IDC_CONFIG_SPEAKER, 2);

    Bytes expected = DialSettingsFile(kThreeSettings, 0);
    expected[128 + 20] = 0;  // dialType of line 0
    std::memcpy(expected.data() + 128 + 21, "9876", 5);
    expected[128 + 159] = 0;  // prefixEnabled
    EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid")), expected);
    Bytes cnf = ConfigFile(1, 1);
    cnf[404] = 2;
    EXPECT_EQ(ReadBytes(Work("MODEM1.cnf")), cnf);

    // Line 1 is the server's: whatever reaches its controls is not taken.
    SelectLine(1);
    Bytes isdn = ReadBytes(Work("ISDN2B.cnf"));
    Choose(IDC_CONFIG_DIAL_TYPE, 1);
    Choose(IDC_CONFIG_NETWORK, 0);
    Choose(IDC_CONFIG_SPEAKER, 0);
    SetDlgItemTextA(dialog_, IDC_CONFIG_PREFIX, "3");
    Click(IDC_CONFIG_PREFIX_ENABLED, true);
    EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid")), expected);
    EXPECT_EQ(ReadBytes(Work("ISDN2B.cnf")), isdn);

    // A speaker list without a selection writes nothing.
    SelectLine(0);
    Choose(IDC_CONFIG_SPEAKER, -1);
    EXPECT_EQ(ReadBytes(Work("MODEM1.cnf")), cnf);

    Press(IDOK);
    EXPECT_TRUE(Closed());
    expected[8] = expected[9] = expected[10] = expected[11] = 0;  // cleared at every commit
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\Fax0Mid.mid"), expected);
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\MODEM1.cnf"), cnf);
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\ISDN2B.cnf"), isdn);
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(GatewayConfigTest, NetworkTypeOfAHeldLineTakesItsOwnSpeakerFile)
{
    WriteGateways({{0, "Nord", 3}});
    ModalRecorder modal;
    Open();
    SelectLine(1);
    EXPECT_EQ(ComboSelection(IDC_CONFIG_SPEAKER), "Actif après la connexion");
    Choose(IDC_CONFIG_NETWORK, 0);  // RTC
    EXPECT_EQ(ReadBytes(Work("Fax0Mid.mid"))[128 + 512 + 16], 0);
    EXPECT_EQ(ComboSelection(IDC_CONFIG_SPEAKER), "Inactif");  // ISDN2.cnf
    Choose(IDC_CONFIG_SPEAKER, 1);
    EXPECT_EQ(ReadBytes(Work("ISDN2.cnf"))[404], 1);
    EXPECT_EQ(ReadBytes(Work("ISDN2B.cnf"))[404], 3);
}

// ---- Lines

TEST_F(GatewayConfigTest, NewGatewayGetsItsLineThroughModemsAndKeepsItOnOk)
{
    WriteGateways({{0, "Pass0", -1}});
    ModalRecorder modal;
    Open();
    EXPECT_EQ(Lines(), 0);
    EXPECT_TRUE(Enabled(IDC_CONFIG_ADD));
    Type(IDC_CONFIG_NAME, "Standard");
    Press(IDC_CONFIG_ADD);

    ASSERT_EQ(Lines(), 1);
    EXPECT_EQ(SelectedLine(), 0);
    EXPECT_EQ(LineStatesInFile(0)[0], 1);  // held while the dialog is open
    EXPECT_TRUE(Enabled(IDC_CONFIG_MODIFY));
    EXPECT_TRUE(Enabled(IDC_CONFIG_RAS));
    EXPECT_EQ(ComboSelection(IDC_CONFIG_DIAL_TYPE), "Fréquence vocale");
    EXPECT_EQ(ComboSelection(IDC_CONFIG_SPEAKER), "Actif jusqu'à la connexion");
    // The line's entry is created at once.
    EXPECT_EQ(Ras().Entries(), std::vector<std::string>{DefaultEntryName(0)});
    EXPECT_EQ(Ras().Entry(DefaultEntryName(0), "DeviceName"), "Modem standard 56000 bps");
    EXPECT_EQ(Ras().Entry(DefaultEntryName(0), "PhoneNumber"), "3622");

    Press(IDOK);
    EXPECT_TRUE(Closed());
    Bytes admin = ReadBytes(Path("\\admin.dat"));
    EXPECT_EQ(admin[0], 1);
    EXPECT_EQ(admin[4], 1);  // modemCount
    EXPECT_EQ(TextAt(admin, 12), "Standard");
    Bytes lines = ReadBytes(GatewayDir() + "\\comlines.dat");
    ASSERT_EQ(lines.size(), 256u + 640);
    EXPECT_EQ(lines[130], 1);
    EXPECT_EQ(TextAt(lines, 256 + 67), "Modem standard 56000 bps");
    std::string base = TextAt(lines, 256 + 131);
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\" + base + ".cnf").at(404), 1);
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\Fax0Mid.mid").size(), 128u + 512);
    EXPECT_NE(LastChange(), "");
    Bytes activity = ReadBytes(ActPass());
    EXPECT_EQ(activity[2], 1);  // ConfigChanged
    EXPECT_EQ(LineStatesInFile(0), std::vector<uint8_t>(8, 0));
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
    EXPECT_EQ(IniText(Path("\\pass.ini"), "pass0", "AccesDirectIP"), "0");
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(GatewayConfigTest, LineLimitDependsOnTheNetworkProtocol)
{
    // Seven or eight lines of their own devices.
    struct Case { const char* type; int lines; bool added; } cases[] = {
        {nullptr, 7, false}, {"0", 7, false}, {"1", 7, true}, {"1", 8, false},
    };
    for (const auto& c : cases) {
        WriteGateways({{0, "Nord", -1}});
        std::vector<Line> lines;
        std::vector<Settings> settings;
        static const char* kNames[] = {"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8"};
        for (int i = 0; i < c.lines; ++i) {
            lines.push_back({static_cast<uint8_t>(i + 1), kNames[i], kNames[i], "", "", 1});
            settings.push_back({0, 1, "", 0});
        }
        WriteBytes(GatewayDir() + "\\comlines.dat", LineFile(lines, static_cast<uint16_t>(c.lines)));
        WriteBytes(GatewayDir() + "\\Fax0Mid.mid", DialSettingsFile(settings, 0));
        WritePrivateProfileStringA("Reseau", "type", c.type, Path("\\admin.ini").c_str());
        ModalRecorder modal;
        Open();
        Press(IDC_CONFIG_ADD);
        EXPECT_EQ(Lines(), c.added ? c.lines + 1 : c.lines) << c.lines << " " << (c.type ? c.type : "-");
        if (c.added) {
            EXPECT_TRUE(modal.Calls().empty());
        } else {
            ASSERT_EQ(modal.Calls().size(), 1u);
            ExpectMessage(modal.Calls()[0], kLimitMessage, "Attention", kWarning);
        }
        modal.Answer(IDYES);
        Press(IDCANCEL);
        EXPECT_TRUE(Closed());
        DestroyWindow(dialog_);
    }
}

TEST_F(GatewayConfigTest, RemovingTheMiddleLineKeepsEveryEntryOnItsOwnLinesDevice)
{
    WriteGateways({{0, "Nord", 3}});
    // The entries as the lines' additions left them.
    const char* devices[] = {"Modem standard 56000 bps", "Adaptateur RNIS", "Modem GSM"};
    for (int i = 0; i < 3; ++i)
        Ras().SetEntry(DefaultEntryName(i), "DeviceName", devices[i]);
    ModalRecorder modal;
    Open();
    SelectLine(1);
    modal.Answer(IDNO);
    Press(IDC_CONFIG_REMOVE);
    EXPECT_EQ(Lines(), 3);
    modal.Answer(IDYES);
    Press(IDC_CONFIG_REMOVE);
    ASSERT_EQ(modal.Calls().size(), 2u);
    ExpectMessage(modal.Calls()[1], kRemoveQuestion, "Attention", kQuestion);
    EXPECT_EQ(Lines(), 2);
    EXPECT_EQ(SelectedLine(), 1);
    EXPECT_TRUE(Ras().Calls("RasDeleteEntryA").empty());  // not before "OK"
    EXPECT_FALSE(Exists(Work("ISDN2.cnf")));

    Press(IDOK);
    EXPECT_TRUE(Closed());
    Bytes lines = ReadBytes(GatewayDir() + "\\comlines.dat");
    ASSERT_EQ(lines.size(), 256u + 2 * 640);
    EXPECT_EQ(Bytes(lines.begin() + 256 + 640, lines.end()), LineRecordBytes(kThreeLines[2], 0x12));
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\Fax0Mid.mid").size(), 128u + 2 * 512);
    EXPECT_FALSE(Exists(GatewayDir() + "\\ISDN2.cnf"));
    EXPECT_FALSE(Exists(GatewayDir() + "\\ISDN2B.cmd"));
    EXPECT_TRUE(Exists(GatewayDir() + "\\GSM3.cnf"));
    EXPECT_TRUE(Exists(GatewayDir() + "\\server.log"));
    EXPECT_EQ(ReadBytes(Path("\\admin.dat"))[4], 2);
    EXPECT_EQ(Ras().Entries(), (std::vector<std::string>{DefaultEntryName(0), DefaultEntryName(1)}));
    EXPECT_EQ(Ras().Entry(DefaultEntryName(0), "DeviceName"), "Modem standard 56000 bps");
    EXPECT_EQ(Ras().Entry(DefaultEntryName(1), "DeviceName"), "Modem GSM");
    EXPECT_EQ(LineStatesInFile(0), std::vector<uint8_t>(8, 0));
}

TEST_F(GatewayConfigTest, RemovalThenCancelLeavesTheEntriesAndTheFiles)
{
    WriteGateways({{0, "Nord", 3}});
    const char* devices[] = {"Modem standard 56000 bps", "Adaptateur RNIS", "Modem GSM"};
    for (int i = 0; i < 3; ++i)
        Ras().SetEntry(DefaultEntryName(i), "DeviceName", devices[i]);
    auto files = FilesIn(GatewayDir());
    ModalRecorder modal;
    Open();
    modal.Answer(IDYES);
    Press(IDC_CONFIG_REMOVE);
    EXPECT_EQ(Lines(), 2);
    modal.Answer(IDYES);
    Press(IDCANCEL);  // removing changed the gateway: asked
    EXPECT_TRUE(Closed());
    ASSERT_EQ(modal.Calls().size(), 2u);
    ExpectMessage(modal.Calls()[1], kCancelQuestion, "Attention", kQuestion);
    EXPECT_EQ(FilesIn(GatewayDir()), files);
    EXPECT_EQ(Ras().Entries().size(), 3u);
    EXPECT_EQ(Ras().Entry(DefaultEntryName(1), "DeviceName"), "Adaptateur RNIS");
    EXPECT_TRUE(Ras().Calls("RasDeleteEntryA").empty());
    EXPECT_TRUE(Ras().Calls("RasSet").empty());
}

TEST_F(GatewayConfigTest, ChangedDeviceGetsItsEntryRewrittenAtOk)
{
    WriteGateways({{0, "Nord", 3}});
    Tapi().Set("Device0", "Name", "Modem USB");
    ModalRecorder modal;
    Open();
    SelectLine(0);
    Press(IDC_CONFIG_MODIFY);
    PumpMessages();  // the chosen line is taken once the command is over
    EXPECT_EQ(TextAt(ReadBytes(Work("comlines.dat")), 256 + 67), "Modem USB");
    EXPECT_EQ(SelectedLine(), 0);
    EXPECT_TRUE(Ras().Calls("RasSet").empty());

    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(TextAt(ReadBytes(GatewayDir() + "\\comlines.dat"), 256 + 67), "Modem USB");
    EXPECT_EQ(Ras().Entry(DefaultEntryName(0), "DeviceName"), "Modem USB");
    EXPECT_EQ(Ras().Entry(DefaultEntryName(1), "DeviceName"), "Adaptateur RNIS");
    EXPECT_EQ(Ras().Entry(DefaultEntryName(2), "DeviceName"), "Modem GSM");
    EXPECT_TRUE(modal.Calls().empty());
}

// ---- The activity record

TEST_F(GatewayConfigTest, ClosingReleasesOnlyTheLinesTheDialogHeld)
{
    WriteGateways({{0, "Nord", 3}});
    WriteLineStates(0, {0, 1, 2, 1});  // line 1 and slot 3 are held by the server
    ModalRecorder modal;
    Open();
    EXPECT_EQ(LineStatesInFile(0), (std::vector<uint8_t>{1, 1, 2, 1, 0, 0, 0, 0}));
    // Meanwhile the server marks the gateway active and writes its own bytes;
    // the console's image of the record is stale.
    Bytes server = ReadBytes(ActPass());
    server[0] = 1;
    server[1] = 0x77;
    server[4] = 0x66;
    WriteBytes(ActPass(), server);
    GatewayActivity[0] = 0;
    GatewayActivity[1] = 0x11;

    Press(IDOK);
    EXPECT_TRUE(Closed());
    Bytes expected = server;
    expected[2] = 1;  // ConfigChanged
    expected[3] = 0;  // line 0 released
    EXPECT_EQ(ReadBytes(ActPass()), expected);
}

TEST_F(GatewayConfigTest, LinesKeepTheirActivitySlotsAfterARemoval)
{
    WriteGateways({{0, "Nord", 3}});
    WriteLineStates(0, {0, 0, 4});
    ModalRecorder modal;
    Open();
    SelectLine(1);
    modal.Answer(IDYES);
    Press(IDC_CONFIG_REMOVE);
    // Line 1 is now the GSM line, whose state the server keeps in slot 2.
    ASSERT_EQ(SelectedLine(), 1);
    EXPECT_FALSE(Enabled(IDC_CONFIG_REMOVE));
    EXPECT_FALSE(Enabled(IDC_CONFIG_NETWORK));
    // Its removal, however it arrives, asks nothing and does nothing.
    size_t asked = modal.Calls().size();
    Bytes lines = ReadBytes(Work("comlines.dat"));
    Press(IDC_CONFIG_REMOVE);
    EXPECT_EQ(modal.Calls().size(), asked);
    EXPECT_EQ(Lines(), 2);
    EXPECT_EQ(ReadBytes(Work("comlines.dat")), lines);

    // The server lets it go; the next tick holds it.
    WriteLineStates(0, {1, 1, 0});
    SendMessageA(dialog_, WM_TIMER, 1, 0);
    EXPECT_EQ(LineStatesInFile(0), (std::vector<uint8_t>{1, 1, 1, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(Enabled(IDC_CONFIG_REMOVE));

    modal.Answer(IDYES);
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(LineStatesInFile(0), std::vector<uint8_t>(8, 0));
}

// ---- "OK"

TEST_F(GatewayConfigTest, OkSavesTheNameAndTheLinesAndTellsTheServer)
{
    WriteGateways({{0, "Nord", 3}, {1, "Sud", 1}});
    Bytes before = ReadBytes(ActPass());
    ModalRecorder modal;
    Open();
    Type(IDC_CONFIG_NAME, "Nord-Est");
    Press(IDOK);

    EXPECT_TRUE(Closed());
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(Gateways.slots[0].name, std::string("Nord-Est"));
    Bytes admin = ReadBytes(Path("\\admin.dat"));
    EXPECT_EQ(TextAt(admin, 12), "Nord-Est");
    for (size_t at = 12 + 8; at < 12 + 128; ++at)
        ASSERT_EQ(admin[at], 0) << at;
    EXPECT_EQ(admin[4], 3);
    EXPECT_EQ(TextAt(admin, 4 + 136 + 8), "Sud");
    EXPECT_EQ(ReadBytes(GatewayDir() + "\\comlines.dat"), LineFile(kThreeLines, 3));
    EXPECT_TRUE(Exists(GatewayDir() + "\\server.log"));
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
    EXPECT_NE(LastChange(0), "");
    EXPECT_EQ(LastChange(1), "");
    before[2] = 1;  // ConfigChanged of record 0, and nothing else
    EXPECT_EQ(ReadBytes(ActPass()), before);
    EXPECT_EQ(Tapi().Calls("lineSetCurrentLocation"), std::vector<std::string>{"lineSetCurrentLocation 0x0 1"});
}

TEST_F(GatewayConfigTest, NameOfAnotherGatewayIsRefusedInAnyCase)
{
    WriteGateways({{0, "Standard", 1}, {1, "Nord", 1}});
    auto files = FilesIn(GatewayDir(1));
    Bytes admin = ReadBytes(Path("\\admin.dat"));
    Bytes activity = ReadBytes(ActPass());
    ModalRecorder modal;
    Open(1);
    Type(IDC_CONFIG_NAME, "standard");
    Press(IDOK);
    EXPECT_FALSE(Closed());
    ASSERT_EQ(modal.Calls().size(), 1u);
    ExpectMessage(modal.Calls()[0], "standard est le nom d'une autre passerelle.\nVeuillez en changer.",
                  "Modification d'un passerelle", kWarning);
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), admin);
    EXPECT_EQ(FilesIn(GatewayDir(1)), files);
    activity[19 + 3] = 1;  // its line, held
    EXPECT_EQ(ReadBytes(ActPass()), activity);

    Type(IDC_CONFIG_NAME, "NORD");  // its own name, in other letters
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(TextAt(ReadBytes(Path("\\admin.dat")), 4 + 136 + 8), "NORD");
}

TEST_F(GatewayConfigTest, NameFitsTheJournalsGatewayField)
{
    WriteGateways({{0, std::string(90, 'L'), 1}});
    ModalRecorder modal;
    Open();
    EXPECT_EQ(Text(IDC_CONFIG_NAME), std::string(49, 'L'));
    Type(IDC_CONFIG_NAME, std::string(60, 'a'));
    EXPECT_EQ(Text(IDC_CONFIG_NAME), std::string(49, 'a'));
    Press(IDOK);
    EXPECT_TRUE(Closed());
    Bytes admin = ReadBytes(Path("\\admin.dat"));
    EXPECT_EQ(TextAt(admin, 12), std::string(49, 'a'));
    for (size_t at = 12 + 49; at < 12 + 128; ++at)
        ASSERT_EQ(admin[at], 0) << at;
}

TEST_F(GatewayConfigTest, LineTableThatCouldNotBeReadIsNeverCommitted)
{
    struct Case { const char* what; bool missing; } cases[] = {{"damaged", false}, {"missing", true}};
    for (const auto& c : cases) {
        WriteGateways({{0, "Nord", 3}});
        if (c.missing) {
            DeleteFileA((GatewayDir() + "\\Fax0Mid.mid").c_str());
        } else {
            Bytes mid = ReadBytes(GatewayDir() + "\\Fax0Mid.mid");
            mid[1] ^= 0xFF;
            WriteBytes(GatewayDir() + "\\Fax0Mid.mid", mid);
        }
        auto files = FilesIn(GatewayDir());
        Bytes admin = ReadBytes(Path("\\admin.dat"));
        Bytes activity = ReadBytes(ActPass());
        ModalRecorder modal;
        Open();
        EXPECT_EQ(Lines(), 0) << c.what;
        EXPECT_EQ(modal.Calls().size(), c.missing ? 1u : 0u) << c.what;
        Press(IDOK);
        EXPECT_FALSE(Closed()) << c.what;
        ASSERT_FALSE(modal.Calls().empty());
        EXPECT_EQ(modal.Calls().back().caption, "ERREUR") << c.what;
        EXPECT_EQ(modal.Calls().back().type, kWarning) << c.what;
        EXPECT_EQ(FilesIn(GatewayDir()), files) << c.what;
        EXPECT_EQ(ReadBytes(Path("\\admin.dat")), admin) << c.what;
        EXPECT_EQ(ReadBytes(ActPass()), activity) << c.what;
        Press(IDCANCEL);
        EXPECT_TRUE(Closed()) << c.what;
        EXPECT_EQ(FilesIn(GatewayDir()), files) << c.what;
        DestroyWindow(dialog_);
    }
}

TEST_F(GatewayConfigTest, WorkCopyThatCannotBeReadAfterModemsIsNeverCommitted)
{
    WriteGateways({{0, "Nord", 3}});
    Tapi().Set("Device0", "Name", "Modem USB");
    auto files = FilesIn(GatewayDir());
    Bytes admin = ReadBytes(Path("\\admin.dat"));
    ModalRecorder modal;
    Open();
    // "Modems" writes the changed line; its reload waits for the command to
    // end, and meanwhile the work copy's settings are damaged.
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_CONFIG_MODIFY, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_CONFIG_MODIFY)));
    Bytes mid = ReadBytes(Work("Fax0Mid.mid"));
    ASSERT_EQ(mid.size(), 128u + 3 * 512);
    mid[0] ^= 0xFF;
    WriteBytes(Work("Fax0Mid.mid"), mid);
    PumpMessages();
    EXPECT_EQ(Lines(), 3);

    Press(IDOK);
    EXPECT_FALSE(Closed());
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].caption, "ERREUR");
    EXPECT_EQ(modal.Calls()[0].type, kWarning);
    EXPECT_EQ(FilesIn(GatewayDir()), files);
    EXPECT_EQ(ReadBytes(Path("\\admin.dat")), admin);
    EXPECT_EQ(ReadBytes(ActPass())[2], 0);  // no ConfigChanged

    modal.Answer(IDYES);
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(FilesIn(GatewayDir()), files);
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
}

TEST_F(GatewayConfigTest, FailedSaveLeavesEverythingAsItWasAndTheDialogOpen)
{
    // Another program holds a file the saving must replace.
    for (const char* held : {"pass0\\comlines.dat", "admin.dat"}) {
        WriteGateways({{0, "Nord", 3}});
        auto files = FilesIn(GatewayDir());
        Bytes admin = ReadBytes(Path("\\admin.dat"));
        Bytes activity = ReadBytes(ActPass());
        ModalRecorder modal;
        Open();
        Type(IDC_CONFIG_NAME, "Nord-Est");
        Type(IDC_CONFIG_PREFIX, "7");
        HANDLE file = CreateFileA(Path(std::string("\\") + held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << held;
        Press(IDOK);
        CloseHandle(file);
        EXPECT_FALSE(Closed()) << held;
        ASSERT_EQ(modal.Calls().size(), 1u) << held;
        EXPECT_EQ(modal.Calls()[0].caption, "ERREUR") << held;
        EXPECT_EQ(FilesIn(GatewayDir()), files) << held;
        EXPECT_EQ(ReadBytes(Path("\\admin.dat")), admin) << held;
        EXPECT_EQ(std::string(GatewayNameOf(Gateways.slots[0])), "Nord") << held;
        Bytes holding = activity;
        holding[3] = holding[5] = holding[7] = 1;
        EXPECT_EQ(ReadBytes(ActPass()), holding) << held;  // no ConfigChanged
        EXPECT_EQ(LastChange(), "") << held;

        Press(IDOK);  // the file is free again
        EXPECT_TRUE(Closed()) << held;
        EXPECT_EQ(TextAt(ReadBytes(Path("\\admin.dat")), 12), "Nord-Est") << held;
        EXPECT_EQ(TextAt(ReadBytes(GatewayDir() + "\\Fax0Mid.mid"), 128 + 21), "7") << held;
        DestroyWindow(dialog_);
        WritePrivateProfileStringA("Pass0", nullptr, nullptr, Path("\\admin.ini").c_str());
    }
}

TEST_F(GatewayConfigTest, DiallingSourceAloneIsAChange)
{
    struct Case { bool windows; bool changed; } cases[] = {{true, true}, {false, false}};
    for (const auto& c : cases) {
        WriteGateways({{0, "Nord", 3}});
        WritePrivateProfileStringA("Pass0", nullptr, nullptr, Path("\\admin.ini").c_str());
        ModalRecorder modal;
        Open();
        if (c.windows)
            Click(IDC_CONFIG_WINDOWS_DIALING, true);
        Press(IDOK);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(LastChange() != "", c.changed) << c.windows;
        EXPECT_EQ(ReadBytes(GatewayDir() + "\\Fax0Mid.mid")[7], c.windows ? 1 : 0);
        DestroyWindow(dialog_);
    }
}

TEST_F(GatewayConfigTest, DialogAnswersOneWhenConfirmedAndZeroWhenCancelled)
{
    struct Case { void (*press)(HWND); INT_PTR result; } cases[] = {{PressOk, 1}, {PressCancel, 0}};
    for (const auto& c : cases) {
        WriteGateways({{0, "Nord", 1}});
        ModalRecorder modal;
        DialogDriver driver;
        driver.Then(kCaption, c.press);
        CurrentGateway = 0;
        EXPECT_EQ(RunGatewayConfigDialog(nullptr), c.result);
        EXPECT_EQ(driver.StepsDone(), 1);
        EXPECT_EQ(driver.Unexpected(), 0);
    }
}

// ---- Locations, help, dial-up editor, journal

TEST_F(GatewayConfigTest, DiallingPropertiesStartFromTheSelectedLocation)
{
    WriteGateways({{0, "Nord", 1}});
    Tapi().Set("Telephony", "TranslateDialogSets", "1");
    ModalRecorder modal;
    Open();
    Choose(IDC_CONFIG_LOCATIONS, 0);  // "Agence de Lyon"
    Press(IDC_CONFIG_LOCATION_MODIFY);
    EXPECT_EQ(Tapi().Calls("lineSetCurrentLocation"), std::vector<std::string>{"lineSetCurrentLocation 0x0 2"});
    EXPECT_EQ(Tapi().Calls("lineTranslateDialog"),
              std::vector<std::string>{"lineTranslateDialog 0x0 0 0x10004 owner no-address"});
    EXPECT_EQ(ComboSelection(IDC_CONFIG_LOCATIONS), "Bureau");  // what the properties made current
    EXPECT_EQ(ComboTexts(IDC_CONFIG_LOCATIONS).size(), 2u);

    // Without any location, none is made current.
    SendDlgItemMessageA(dialog_, IDC_CONFIG_LOCATIONS, CB_RESETCONTENT, 0, 0);
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Tapi().Calls("lineSetCurrentLocation").size(), 1u);
}

TEST_F(GatewayConfigTest, WithoutDiallingLocationsNoneIsMadeCurrent)
{
    WriteGateways({{0, "Nord", 1}});
    Tapi().Set("Locations", "Count", "0");
    for (int id : {IDOK, IDCANCEL}) {
        ModalRecorder modal;
        Open();
        EXPECT_EQ(ComboTexts(IDC_CONFIG_LOCATIONS).size(), 0u);
        Press(id);
        EXPECT_TRUE(Closed()) << id;
        EXPECT_TRUE(Tapi().Calls("lineSetCurrentLocation").empty()) << id;
        DestroyWindow(dialog_);
    }
}

TEST_F(GatewayConfigTest, HelpOpensAtTheDialogsContext)
{
    WriteGateways({{0, "Nord", 1}});
    ModalRecorder modal;
    Open();
    Press(IDC_CONFIG_HELP);
    Press(ID_HELP_KEY);
    ASSERT_EQ(modal.Calls().size(), 2u);
    for (const ModalCall& call : modal.Calls()) {
        EXPECT_EQ(call.kind, "help");
        EXPECT_EQ(call.text, Path("\\admin.hlp"));
        EXPECT_EQ(call.type, UINT(HELP_CONTEXT));
        EXPECT_EQ(call.data, 103u);
    }
}

TEST_F(GatewayConfigTest, EntryEditorRunsWithTheDialogDisabled)
{
    WriteGateways({{0, "Nord", 3}});
    Ras().SetEntry(DefaultEntryName(2), "DeviceName", "Modem GSM");
    ModalRecorder modal;
    Open();
    SelectLine(2);
    Press(IDC_CONFIG_RAS);
    EXPECT_EQ(Ras().Calls("RasEdit"), std::vector<std::string>{"RasEditPhonebookEntryA no-owner - " +
                                                                DefaultEntryName(2) + " dialog-disabled"});
    EXPECT_TRUE(IsWindowEnabled(dialog_));
}

TEST_F(GatewayConfigTest, DialogClosedWhileTheEditorRunsKeepsTheLibraryUntilItReturns)
{
    WriteGateways({{0, "Nord", 1}});
    Ras().Set("Ras", "EditorCloses", "1");
    ModalRecorder modal;
    Open();
    Press(IDC_CONFIG_RAS);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Ras().Calls("RasEdit").size(), 1u);
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
    EXPECT_FALSE(DirExists(GatewayDir() + "\\cfgtemp"));
}

TEST_F(GatewayConfigTest, ClosingRefreshesTheJournalPaneWhenShown)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingMainWindow;
    windowClass.hInstance = AppInstance;
    windowClass.lpszClassName = "QuorelTestMain";
    RegisterClassA(&windowClass);
    MainWindow = CreateWindowA("QuorelTestMain", "Administrateur", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, AppInstance, nullptr);
    WriteGateways({{0, "Nord", 1}});
    struct Case { int shown; std::vector<WPARAM> commands; } cases[] = {{1, {7}}, {0, {}}};
    for (const auto& c : cases) {
        MainWindowCommands.clear();
        JournalSettings.shown = c.shown;
        JournalSettings.sortColumn = 7;
        ModalRecorder modal;
        Open();
        Press(IDCANCEL);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(MainWindowCommands, c.commands) << c.shown;
        DestroyWindow(dialog_);
    }
}

// ---- Without the dial-up library (WINEDLLOVERRIDES="rasapi32=")

class NoDialUpTest : public GatewayConfigFixture {
protected:
    bool WithDialUp() const override { return false; }
};

TEST_F(NoDialUpTest, DialogWorksWithoutEntries)
{
    EXPECT_FALSE(LoadDialUpFunctions());
    WriteGateways({{0, "Pass0", -1}});
    ModalRecorder modal;
    Open();
    Press(IDC_CONFIG_ADD);
    EXPECT_EQ(Lines(), 1);
    EXPECT_FALSE(Enabled(IDC_CONFIG_RAS));
    Press(IDC_CONFIG_RAS);
    modal.Answer(IDYES);
    Press(IDC_CONFIG_REMOVE);
    EXPECT_EQ(Lines(), 0);
    Press(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(ReadBytes(Path("\\admin.dat"))[4], 0);
    EXPECT_FALSE(Exists(Path("\\rasphone.ini")));
    EXPECT_EQ(modal.Calls().size(), 1u);  // the removal's question
}
