#include "gateways/dial_up_records.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutString(Bytes& b, size_t at, const std::string& text)
{
    std::memcpy(b.data() + at, text.data(), text.size());
}

template <size_t N>
Bytes ToBytes(const std::array<uint8_t, N>& image)
{
    return Bytes(image.begin(), image.end());
}

// The first offset where the two images differ, for the failure messages.
size_t FirstDifference(const Bytes& a, const Bytes& b)
{
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

// A device list as the service answers it: 152 bytes per device, the type
// at 4 and the name at 21 of each.
Bytes DeviceList(const std::vector<DialUpDevice>& devices)
{
    Bytes list(152 * devices.size(), 0);
    for (size_t i = 0; i < devices.size(); ++i) {
        Put32(list, 152 * i, 152);
        PutString(list, 152 * i + 4, devices[i].type);
        PutString(list, 152 * i + 21, devices[i].name);
    }
    return list;
}

}  // namespace

TEST(DialUpEntry, PropertiesImageHoldsTheMinitelAccessOnTheDevice)
{
    Bytes expected(1768, 0);
    Put32(expected, 0, 1768);     // dwSize
    Put32(expected, 4, 0x110);    // dwfOptions
    Put32(expected, 8, 33);       // dwCountryID
    Put32(expected, 12, 33);      // dwCountryCode
    PutString(expected, 27, "3622");  // szLocalPhoneNumber
    Put32(expected, 184, 4);      // dwfNetProtocols
    Put32(expected, 188, 1);      // dwFramingProtocol
    PutString(expected, 972, "modem");                     // szDeviceType
    PutString(expected, 989, "Modem standard 56000 bps");  // szDeviceName

    Bytes image = ToBytes(EncodeLineEntryProperties({"modem", "Modem standard 56000 bps"}));
    ASSERT_EQ(image.size(), 1768u);
    EXPECT_EQ(image, expected) << "first difference at " << FirstDifference(image, expected);
}

TEST(DialUpEntry, DeviceTextsAreCutToTheirFields)
{
    std::string type(40, 't');
    std::string name(300, 'n');
    Bytes image = ToBytes(EncodeLineEntryProperties({type, name}));
    // szDeviceType: 17 bytes from 972, szDeviceName: 129 bytes from 989; the
    // X.25 pad type that follows at 1118 stays empty.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data() + 972)), std::string(16, 't'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data() + 989)), std::string(128, 'n'));
    for (size_t at = 1117; at < 1768; ++at)
        ASSERT_EQ(image[at], 0) << at;
}

TEST(DialUpEntry, DialParamsImageHoldsTheNameTheNumberAndTheAccount)
{
    std::string name = LineEntryName(kDefaultEntryPrefix, 2);
    Bytes expected(1052, 0);
    Put32(expected, 0, 1052);                     // dwSize
    PutString(expected, 4, name);                 // szEntryName
    PutString(expected, 261, "3622");             // szPhoneNumber
    PutString(expected, 519, kMinitelAccessUser);     // szUserName
    PutString(expected, 776, kMinitelAccessPassword); // szPassword

    Bytes image = ToBytes(EncodeLineDialParams(name));
    ASSERT_EQ(image.size(), 1052u);
    EXPECT_EQ(image, expected) << "first difference at " << FirstDifference(image, expected);

    // A name longer than the field keeps its terminator inside it.
    Bytes cut = ToBytes(EncodeLineDialParams(std::string(400, 'x')));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(cut.data() + 4)), std::string(256, 'x'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(cut.data() + 261)), "3622");
}

TEST(DialUpEntry, AccountHasTheFormOfTheMinitelAccess)
{
    // Seven lower-case letters, an at sign, seven lower-case letters; a
    // password of seven lower-case letters.
    std::string user = kMinitelAccessUser;
    ASSERT_EQ(user.size(), 15u);
    for (size_t i = 0; i < user.size(); ++i) {
        if (i == 7)
            EXPECT_EQ(user[i], '@');
        else
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(user[i]))) << i;
    }
    std::string password = kMinitelAccessPassword;
    ASSERT_EQ(password.size(), 7u);
    for (char c : password)
        EXPECT_TRUE(std::islower(static_cast<unsigned char>(c))) << password;
}

TEST(DialUpEntry, EntryNamesAreThePrefixAndTheLineIndex)
{
    EXPECT_EQ(LineEntryName(kDefaultEntryPrefix, 0), "Connexion Quorel sur IP n\xB0" "0");
    EXPECT_EQ(LineEntryName(kDefaultEntryPrefix, 7), "Connexion Quorel sur IP n\xB0" "7");
    EXPECT_EQ(LineEntryName("Acces ", 12), "Acces 12");
    EXPECT_EQ(LineEntryName("", 3), "3");
}

TEST(DialUpDevices, ListIsDecodedDeviceByDevice)
{
    std::vector<DialUpDevice> devices = {{"modem", "Modem A"}, {"isdn", "Carte RNIS"}, {"modem", ""}};
    Bytes list = DeviceList(devices);
    std::vector<DialUpDevice> decoded = DecodeDialUpDevices(list, 3);
    ASSERT_EQ(decoded.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(decoded[i].type, devices[i].type) << i;
        EXPECT_EQ(decoded[i].name, devices[i].name) << i;
    }
}

TEST(DialUpDevices, CountBeyondTheListAndCutDevicesAreLeftOut)
{
    Bytes list = DeviceList({{"modem", "Modem A"}, {"isdn", "Carte RNIS"}});
    struct Case { size_t size; uint32_t count; size_t expected; } cases[] = {
        {304, 2, 2}, {304, 9, 2}, {304, 0, 0}, {303, 2, 1}, {151, 1, 0}, {0, 5, 0},
    };
    for (const auto& c : cases) {
        auto decoded = DecodeDialUpDevices(std::span(list).first(c.size), c.count);
        EXPECT_EQ(decoded.size(), c.expected) << c.size << " " << c.count;
    }
}

TEST(DialUpDevices, UnterminatedTextsEndAtTheirFields)
{
    Bytes list(152, 0xFF);
    auto decoded = DecodeDialUpDevices(list, 1);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].type.size(), 17u);
    EXPECT_EQ(decoded[0].name.size(), 129u);
}

TEST(DialUpDevices, LineDeviceIsItsOwnNameOrTheFirstOfItsNetworkType)
{
    std::vector<DialUpDevice> devices = {
        {"modem", ""},               // no name: never chosen
        {"ISDN", "Carte RNIS 1"},
        {"modem", "Modem A"},
        {"modem", "Modem B"},
        {"isdn", "Carte RNIS 2"},
        {"vpn", "Tunnel"},
    };
    struct Case { const char* modem; uint8_t network; const char* chosen; } cases[] = {
        {"Modem B", 0, "Modem B"},            // its own device, past the fallback
        {"Carte RNIS 2", 0, "Carte RNIS 2"},  // its own device whatever the network
        {"Tunnel", 1, "Tunnel"},              // a GSM line on its own device
        {"Inconnu", 0, "Modem A"},            // RTC: the first named modem
        {"Inconnu", 2, "Carte RNIS 1"},       // RNIS: the first isdn device, any case
        {"Inconnu", 1, nullptr},              // GSM: no fallback
        {"modem b", 0, "Modem A"},            // the name is compared exactly
        {"", 0, "Modem A"},                   // an empty name matches no device
        {"Inconnu", 7, nullptr},
    };
    for (const auto& c : cases) {
        auto chosen = ChooseLineDevice(devices, c.modem, c.network);
        if (!c.chosen) {
            EXPECT_FALSE(chosen) << c.modem << " " << int(c.network);
            continue;
        }
        ASSERT_TRUE(chosen) << c.modem << " " << int(c.network);
        EXPECT_EQ(chosen->name, c.chosen) << c.modem << " " << int(c.network);
    }
    EXPECT_FALSE(ChooseLineDevice({}, "Modem A", 0));
}

TEST(DialUpFunctions, LibraryIsUsableWithEveryEntryButOneReaderAtMost)
{
    struct Case { std::vector<int> missing; bool usable; } cases[] = {
        {{}, true},
        {{kRasGetEntryDialParams}, true},
        {{kRasGetEntryProperties}, true},
        {{kRasGetEntryDialParams, kRasGetEntryProperties}, false},
        {{kRasSetEntryProperties}, false},
        {{kRasSetEntryDialParams}, false},
        {{kRasEditPhonebookEntry}, false},
        {{kRasGetErrorString}, false},
        {{kRasDial}, false},
        {{kRasHangUp}, false},
        {{kRasGetConnectStatus}, false},
        {{kRasEnumDevices}, false},
        {{kRasDeleteEntry}, false},
        {{kRasGetEntryDialParams, kRasDeleteEntry}, false},
    };
    for (const auto& c : cases) {
        std::array<bool, kDialUpFunctionCount> found;
        found.fill(true);
        std::string names;
        for (int f : c.missing) {
            found[f] = false;
            names += std::string(kDialUpFunctionNames[f]) + " ";
        }
        EXPECT_EQ(AreDialUpFunctionsUsable(found), c.usable) << "missing: " << names;
    }
}
