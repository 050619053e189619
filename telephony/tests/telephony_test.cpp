#include "telephony/telephony.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "telephony/tests/telephony_double.h"
#include "tests/wine/test_support.h"

namespace {

using Entries = std::vector<std::pair<std::string, DWORD>>;

int Collect(const char* name, DWORD id, void* context)
{
    static_cast<Entries*>(context)->emplace_back(name, id);
    return 1;
}

Entries Enumerate(int count)
{
    Entries entries;
    EXPECT_EQ(EnumerateModems(count, Collect, &entries), 1);
    return entries;
}

constexpr char kFailureText[] = "Telephony interface cannot successfully start";
constexpr char kRetryText[] =
    "Telephony interface cannot successfully start.\nQuit all other telephony programs, and then try again.";

}  // namespace

// Each test runs against the telephony double, with its own script.
class TelephonyTest : public ProgramDirTest {
protected:
    void SetUp() override
    {
        ProgramDirTest::SetUp();
        tapi_ = std::make_unique<TelephonyDouble>(Dir());
    }
    void TearDown() override
    {
        StopTelephony();
        SetTelephonyClockForTests(nullptr);
        tapi_.reset();
        ProgramDirTest::TearDown();
    }
    void Whconfig(const char* section, const char* key, const char* value)
    {
        WritePrivateProfileStringA(section, key, value, Path("\\whconfig.ini").c_str());
    }
    TelephonyDouble& Tapi() { return *tapi_; }

private:
    std::unique_ptr<TelephonyDouble> tapi_;
};

TEST_F(TelephonyTest, EnumeratesTheSoftModemTheSpecialNamesThenTheDevicesInOrder)
{
    Whconfig("SoftModem", "Name", "Modem logiciel");
    Whconfig("SpecialNames", "A", "premier");
    Whconfig("SpecialNames", "B", "second");
    Tapi().AddDevice("Modem 0");
    Tapi().AddDevice("Modem 1");
    Tapi().AddDevice("Modem 2");
    ModalRecorder modal;

    int count = StartTelephony();
    EXPECT_EQ(count, 6);
    EXPECT_NE(LineApp, 0u);
    EXPECT_EQ(SoftModemName, "Modem logiciel");
    EXPECT_EQ(SpecialNameCount, 2);
    EXPECT_EQ(Enumerate(count), (Entries{{"Modem logiciel", 0xFFFF},
                                         {"A", 0x10000},
                                         {"B", 0x10001},
                                         {"Modem 0", 0},
                                         {"Modem 1", 1},
                                         {"Modem 2", 2}}));
    EXPECT_TRUE(modal.Calls().empty());
    EXPECT_EQ(Tapi().Calls("lineNegotiateAPIVersion"),
              (std::vector<std::string>{"lineNegotiateAPIVersion 0 0x10004 0x10004",
                                        "lineNegotiateAPIVersion 1 0x10004 0x10004",
                                        "lineNegotiateAPIVersion 2 0x10004 0x10004"}));
    EXPECT_EQ(Tapi().Calls("lineGetDevCaps 1"), (std::vector<std::string>{"lineGetDevCaps 1 0x10004 1264"}));
}

TEST_F(TelephonyTest, OffersOnlyTheDevicesThatPlaceDataCalls)
{
    Tapi().AddDevice("Modem A");
    Tapi().AddDevice("Fax B", 0x10, 0x0);     // cannot place calls
    Tapi().AddDevice("Modem C");
    Tapi().AddDevice("Téléphone", 0x4, 0x8);  // no data modem
    Tapi().AddDevice("Modem éé");
    Tapi().Set(Tapi().DeviceSection(4), "Format", "3");  // a Unicode name
    Tapi().AddDevice("Sans nom");
    Tapi().Set(Tapi().DeviceSection(5), "NameSize", "1");  // no terminator within the size
    Tapi().AddDevice("Refusé");
    Tapi().Set(Tapi().DeviceSection(6), "Negotiate", "0x80000042");
    Tapi().AddDevice("Muet");
    Tapi().Set(Tapi().DeviceSection(7), "Result", "0x80000048");
    Tapi().AddDevice("Modem H");
    Tapi().Set(Tapi().DeviceSection(8), "NameOffset", "5000");  // outside the answer
    Tapi().AddDevice("Modem I");
    ModalRecorder modal;

    int count = StartTelephony();
    EXPECT_EQ(count, 10);
    EXPECT_EQ(Enumerate(count), (Entries{{"Modem A", 0}, {"Modem C", 2}, {"Modem éé", 4}, {"Modem I", 9}}));
    EXPECT_TRUE(modal.Calls().empty());
}

TEST_F(TelephonyTest, CapabilitiesGrowAsTheProviderAsksWithinOneMebibyte)
{
    struct Case {
        const char* what;
        const char* key;
        const char* value;
        std::vector<std::string> calls;
        bool offered;
    } cases[] = {
        {"needing 1,300 bytes", "Size", "1300",
         {"lineGetDevCaps 0 0x10004 1264", "lineGetDevCaps 0 0x10004 1300"}, true},
        {"needing exactly 1 MiB", "Size", "1048576",
         {"lineGetDevCaps 0 0x10004 1264", "lineGetDevCaps 0 0x10004 1048576"}, true},
        {"needing more than 1 MiB", "Size", "1048577", {"lineGetDevCaps 0 0x10004 1264"}, false},
        {"too small without asking for more", "NeverGrows", "1", {"lineGetDevCaps 0 0x10004 1264"}, false},
    };
    for (const auto& c : cases) {
        DeleteFileA(Path("\\tapi32.log").c_str());
        TelephonyDouble& tapi = Tapi();
        tapi.Set("Device0", "Name", "Modem A");
        tapi.Set("Device0", "Size", "");
        tapi.Set("Device0", "NeverGrows", "");
        tapi.Set("Device0", c.key, c.value);
        tapi.Set("Device1", "Name", "Modem B");
        tapi.Set("Telephony", "Devices", "2");
        int count = StartTelephony();
        Entries entries = Enumerate(count);
        EXPECT_EQ(tapi.Calls("lineGetDevCaps 0"), c.calls) << c.what;
        Entries expected = c.offered ? Entries{{"Modem A", 0}, {"Modem B", 1}} : Entries{{"Modem B", 1}};
        EXPECT_EQ(entries, expected) << c.what;
        // The next device starts again from the first size.
        EXPECT_EQ(tapi.Calls("lineGetDevCaps 1"), (std::vector<std::string>{"lineGetDevCaps 1 0x10004 1264"}))
            << c.what;
    }
}

TEST_F(TelephonyTest, TheCallbackStopsTheEnumeration)
{
    Whconfig("SoftModem", "Name", "Modem logiciel");
    Tapi().AddDevice("Modem A");
    Tapi().AddDevice("Modem B");
    int count = StartTelephony();
    struct Stop {
        int calls = 0;
        int stopAt;
    };
    for (int stopAt : {1, 2, 3}) {
        Stop stop{0, stopAt};
        auto callback = [](const char*, DWORD, void* context) {
            auto* s = static_cast<Stop*>(context);
            return ++s->calls == s->stopAt ? 0 : 1;
        };
        EXPECT_EQ(EnumerateModems(count, callback, &stop), 0) << stopAt;
        EXPECT_EQ(stop.calls, stopAt);
    }
}

TEST_F(TelephonyTest, TheDeviceCountOfTheStartBoundsTheEnumeration)
{
    Whconfig("SpecialNames", "A", "x");
    Tapi().AddDevice("Modem A");
    Tapi().AddDevice("Modem B");
    int count = StartTelephony();
    ASSERT_EQ(count, 3);

    // Between the start and the enumeration, whconfig.ini gains a special
    // name: both devices are still offered.
    Whconfig("SpecialNames", "B", "y");
    EXPECT_EQ(Enumerate(count), (Entries{{"A", 0x10000}, {"B", 0x10001}, {"Modem A", 0}, {"Modem B", 1}}));

    // It loses both: no device beyond those the start reported is asked for.
    Whconfig("SpecialNames", nullptr, nullptr);
    DeleteFileA(Path("\\tapi32.log").c_str());
    EXPECT_EQ(Enumerate(count), (Entries{{"Modem A", 0}, {"Modem B", 1}}));
    EXPECT_EQ(Tapi().Calls("lineNegotiateAPIVersion").size(), 2u);

    EXPECT_TRUE(Enumerate(-1).empty());
}

namespace {
DWORD Now;
DWORD StepClock()
{
    return Now += 2000;
}
}  // namespace

TEST_F(TelephonyTest, ReinitIsRetriedAndAfterFiveSecondsTheAdministratorIsAsked)
{
    struct Case {
        const char* what;
        int reinits;
        std::vector<int> answers;  // to the retry prompts
        int prompts;
        bool started;
    } cases[] = {
        {"over within five seconds", 2, {}, 0, true},
        {"over after one prompt", 3, {IDRETRY}, 1, true},
        {"over after two prompts", 6, {IDRETRY, IDRETRY}, 2, true},
        {"cancelled", 100, {IDRETRY, IDCANCEL}, 2, false},
        {"the prompt could not be shown", 100, {0}, 1, false},
    };
    Whconfig("SoftModem", "Name", "Modem logiciel");
    Tapi().AddDevice("Modem A");
    for (const auto& c : cases) {
        Tapi().Set("Telephony", "Reinit", std::to_string(c.reinits));
        StopTelephony();
        Now = 0;
        SetTelephonyClockForTests(StepClock);
        ModalRecorder modal;
        for (int answer : c.answers)
            modal.Answer(answer);
        DeleteFileA(Path("\\tapi32.log").c_str());

        int count = StartTelephony();
        ASSERT_EQ(modal.Calls().size(), static_cast<size_t>(c.prompts + (c.started ? 0 : 1))) << c.what;
        for (int i = 0; i < c.prompts; ++i) {
            const ModalCall& prompt = modal.Calls()[i];
            EXPECT_EQ(prompt.text, kRetryText) << c.what;
            EXPECT_EQ(prompt.caption, "") << c.what;
            EXPECT_EQ(prompt.owner, nullptr) << c.what;
            EXPECT_EQ(prompt.type, UINT(MB_RETRYCANCEL | MB_TASKMODAL)) << c.what;
        }
        if (c.started) {
            EXPECT_EQ(count, 2) << c.what;
            EXPECT_NE(LineApp, 0u) << c.what;
            EXPECT_EQ(Tapi().Calls("lineInitialize").size(), static_cast<size_t>(c.reinits + 1)) << c.what;
        } else {
            EXPECT_EQ(count, -1) << c.what;
            EXPECT_EQ(LineApp, 0u) << c.what;
            EXPECT_EQ(modal.Calls().back().text, kFailureText) << c.what;
            EXPECT_EQ(modal.Calls().back().type, UINT(MB_ICONHAND | MB_TASKMODAL)) << c.what;
        }
    }
}

TEST_F(TelephonyTest, AFailedStartIsReportedYetReadsWhconfigIni)
{
    Whconfig("SoftModem", "Name", "Modem logiciel");
    Whconfig("SpecialNames", "Routage IP", "x");
    Tapi().AddDevice("Modem A");
    Tapi().Set("Telephony", "Initialize", "0x80000048");
    ModalRecorder modal;

    int count = StartTelephony();
    EXPECT_EQ(count, -1);
    EXPECT_EQ(LineApp, 0u);
    EXPECT_EQ(SoftModemName, "Modem logiciel");
    EXPECT_EQ(SpecialNameCount, 1);
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, kFailureText);
    EXPECT_EQ(modal.Calls()[0].caption, "");
    EXPECT_EQ(modal.Calls()[0].owner, nullptr);
    EXPECT_TRUE(Enumerate(count).empty());
}

TEST_F(TelephonyTest, EachStartShutsThePreviousSessionDown)
{
    Tapi().AddDevice("Modem A");
    StartTelephony();
    StartTelephony();
    EXPECT_EQ(Tapi().Log(), (std::vector<std::string>{"lineInitialize 0x0 1", "lineShutdown 0x5A11",
                                                      "lineInitialize 0x0 1"}));
    EXPECT_EQ(StopTelephony(), 1);
    EXPECT_EQ(LineApp, 0u);
    EXPECT_EQ(StopTelephony(), 1);  // nothing more to shut down
    EXPECT_EQ(Tapi().Calls("lineShutdown").size(), 2u);
}

namespace {

struct Combo {
    HWND parent;
    HWND box;
    explicit Combo(DWORD style)
    {
        parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
        box = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | style, 0, 0, 200, 200, parent, nullptr,
                            nullptr, nullptr);
    }
    ~Combo() { DestroyWindow(parent); }
    std::vector<std::pair<std::string, DWORD>> Items() const
    {
        std::vector<std::pair<std::string, DWORD>> items;
        auto n = SendMessageA(box, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            char text[256] = "";
            SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.emplace_back(text, static_cast<DWORD>(SendMessageA(box, CB_GETITEMDATA, i, 0)));
        }
        return items;
    }
    int Selected() const { return static_cast<int>(SendMessageA(box, CB_GETCURSEL, 0, 0)); }
};

}  // namespace

TEST_F(TelephonyTest, TheLocationListGivesEachNameItsOwnIdentifier)
{
    Tapi().AddLocation(7, "Paris", 33);
    Tapi().AddLocation(2, "Bruxelles", 32);
    Tapi().AddLocation(9, "Genève", 41);
    Tapi().Set("Telephony", "CurrentLocation", "9");
    struct Case {
        DWORD style;
        std::vector<std::pair<std::string, DWORD>> items;
        int selected;
    } cases[] = {
        {CBS_SORT, {{"Bruxelles", 2}, {"Genève", 9}, {"Paris", 7}}, 1},
        {0, {{"Paris", 7}, {"Bruxelles", 2}, {"Genève", 9}}, 2},
    };
    for (const auto& c : cases) {
        Combo combo(c.style);
        SendMessageA(combo.box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ancien"));
        FillLocationList(combo.box);  // made with LineApp 0: no session needed
        EXPECT_EQ(combo.Items(), c.items);
        EXPECT_EQ(combo.Selected(), c.selected);
    }

    DWORD country = 1234;
    EXPECT_EQ(GetCurrentLocation(&country), 9u);
    EXPECT_EQ(country, 41u);
    EXPECT_EQ(GetCurrentLocation(nullptr), 9u);
    // The answer grew once from the 44 bytes of its fixed part.
    std::vector<std::string> calls = Tapi().Calls("lineGetTranslateCaps");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "lineGetTranslateCaps 0x10004 44");
    EXPECT_EQ(calls[1], "lineGetTranslateCaps 0x10004 " + std::to_string(44 + 3 * 68 + 6 + 10 + 7));
}

TEST_F(TelephonyTest, TheLocationListSkipsNamesOutsideTheAnswerAndFallsBackToTheFirst)
{
    Tapi().AddLocation(7, "Paris", 33);
    Tapi().AddLocation(2, "Bruxelles", 32);
    Tapi().Set("Location1", "NameOffset", "90000");
    Tapi().AddLocation(9, "Genève", 41);
    Tapi().Set("Telephony", "CurrentLocation", "2");
    Combo combo(CBS_SORT);
    FillLocationList(combo.box);
    EXPECT_EQ(combo.Items(), (std::vector<std::pair<std::string, DWORD>>{{"Genève", 9}, {"Paris", 7}}));
    EXPECT_EQ(combo.Selected(), 0);
    DWORD country = 0;
    EXPECT_EQ(GetCurrentLocation(&country), 2u);
    EXPECT_EQ(country, 32u);  // its entry is whole; only its name lies outside

    Tapi().Set("Telephony", "CurrentLocation", "55");  // no such entry
    EXPECT_EQ(GetCurrentLocation(&country), 55u);
    EXPECT_EQ(country, 0u);
}

TEST_F(TelephonyTest, AFailedLocationQueryChangesNothing)
{
    Tapi().AddLocation(7, "Paris", 33);
    Tapi().Set("Telephony", "CurrentLocation", "7");
    for (const char* key : {"NeverGrows", "Size"}) {
        Tapi().Set("Locations", "NeverGrows", "");
        Tapi().Set("Locations", "Size", "");
        Tapi().Set("Locations", key, std::string(key) == "Size" ? "2000000" : "1");
        Combo combo(CBS_SORT);
        SendMessageA(combo.box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ancien"));
        SendMessageA(combo.box, CB_SETCURSEL, 0, 0);
        FillLocationList(combo.box);
        EXPECT_EQ(combo.Items(), (std::vector<std::pair<std::string, DWORD>>{{"ancien", 0}})) << key;
        DWORD country = 1234;
        EXPECT_EQ(GetCurrentLocation(&country), 0u) << key;
        EXPECT_EQ(country, 1234u) << key;
    }
}

TEST_F(TelephonyTest, TheLocationCallsReachTheLibraryWithTheSession)
{
    Tapi().AddDevice("Modem A");
    Tapi().AddLocation(7, "Paris", 33);
    Tapi().AddLocation(2, "Bruxelles", 32);
    Tapi().Set("Telephony", "CurrentLocation", "7");
    Tapi().Set("Telephony", "TranslateDialogSets", "2");
    StartTelephony();
    HWND owner = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

    EXPECT_EQ(lineSetCurrentLocation(LineApp, 2), 0);
    EXPECT_EQ(GetCurrentLocation(nullptr), 2u);
    EXPECT_EQ(lineSetCurrentLocation(LineApp, 7), 0);
    EXPECT_EQ(lineTranslateDialog(LineApp, 0, 0x00010004, owner, nullptr), 0);
    EXPECT_EQ(GetCurrentLocation(nullptr), 2u);
    EXPECT_EQ(Tapi().Calls("lineSetCurrentLocation"),
              (std::vector<std::string>{"lineSetCurrentLocation 0x5A11 2", "lineSetCurrentLocation 0x5A11 7"}));
    EXPECT_EQ(Tapi().Calls("lineTranslateDialog"),
              (std::vector<std::string>{"lineTranslateDialog 0x5A11 0 0x10004 owner no-address"}));
    DestroyWindow(owner);
}

// Without any telephony library: every entry is unavailable.
TEST_F(NoTelephonyTest, NothingIsOfferedAndTheFailureIsReported)
{
    WritePrivateProfileStringA("SoftModem", "Name", "Modem logiciel", Path("\\whconfig.ini").c_str());
    ModalRecorder modal;
    int count = StartTelephony();
    EXPECT_EQ(count, -1);
    ASSERT_EQ(modal.Calls().size(), 1u);
    EXPECT_EQ(modal.Calls()[0].text, kFailureText);
    EXPECT_EQ(modal.Calls()[0].type, UINT(MB_ICONHAND | MB_TASKMODAL));
    EXPECT_TRUE(Enumerate(count).empty());

    HICON icon = nullptr;
    DWORD version = 0;
    LINEEXTENSIONID extension{};
    EXPECT_EQ(lineGetIcon(0, nullptr, &icon), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(lineConfigDialog(0, nullptr, nullptr), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(lineNegotiateAPIVersion(0, 0, 0x10004, 0x10004, &version, &extension), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(lineSetCurrentLocation(0, 1), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(lineTranslateDialog(0, 0, 0x10004, nullptr, nullptr), LINEERR_OPERATIONUNAVAIL);
    EXPECT_EQ(GetCurrentLocation(nullptr), 0u);
    HWND combo = CreateWindowA("COMBOBOX", "", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ancien"));
    FillLocationList(combo);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 1);
    DestroyWindow(combo);
}

// Wine's own telephony: it starts, with no line device.
class WineTelephonyTest : public ProgramDirTest {};

TEST_F(WineTelephonyTest, OffersOnlyTheEntriesOfWhconfigIni)
{
    WritePrivateProfileStringA("SoftModem", "Name", "Modem logiciel", Path("\\whconfig.ini").c_str());
    WritePrivateProfileStringA("SpecialNames", "Routage IP", "x", Path("\\whconfig.ini").c_str());
    ModalRecorder modal;
    int count = StartTelephony();
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Enumerate(count), (Entries{{"Modem logiciel", 0xFFFF}, {"Routage IP", 0x10000}}));
    EXPECT_TRUE(modal.Calls().empty());
    StopTelephony();
}
