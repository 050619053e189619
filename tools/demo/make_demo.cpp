// Fills a program directory with the data of a small office, so that the
// console has something to show: users (the administrator ADMIN, password
// QUOREL), three gateways with their lines, activity files and a journal of a
// few thousand calls.
//
//   make_demo [DIR]    DIR defaults to the current directory
//
// Every file is written whole; what the directory held under the same names
// is replaced. The journal's calls end a few minutes before the present
// moment and go back three months, the same for every run (fixed seed).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "gateways/gateway_table.h"
#include "gateways/line_records.h"
#include "states/activity_image.h"
#include "tools/calls.h"
#include "users/numbers_record.h"
#include "users/user_record.h"
#include "users/user_sort.h"

namespace {

struct DemoUser {
    const char* name;
    const char* password;  // as typed; upper case, as the login stores it
    uint8_t category;
    uint16_t multiSession;
    std::vector<const char*> forbidden;
};

// The administrator's password differs from its name: a password equal to the
// name would be replaced by whatever is typed at the first login.
const DemoUser kUsers[] = {
    {"ADMIN", "QUOREL", CategoryAdministrator, 1, {}},
    {"Albert", "ALBERT", CategoryUser, 0, {"3615", "3617"}},
    {"Bernard", "BERNARD", CategoryUser, 0, {}},
    {"Chlo\xE9", "CHLOE", CategoryUser, 1, {}},
    {"Durand", "DURAND", CategoryUser, 0, {"00", "08 36"}},
    {"\xC9mile", "EMILE", CategoryUser, 0, {}},
    {"Fran\xE7ois", "FRANCOIS", CategoryUser, 0, {"3615"}},
    {"H\xE9l\xE8ne", "HELENE", CategoryUser, 1, {}},
    {"Lef\xE8vre", "LEFEVRE", CategoryUser, 0, {}},
    {"Martin", "MARTIN", CategoryUser, 0, {"06"}},
    {"No\xEBl", "NOEL", CategoryUser, 0, {}},
    {"Zo\xE9", "ZOE", CategoryUser, 0, {}},
};

struct DemoLine {
    const char* modem;
    const char* configName;  // base name of its .cnf and .cmd files
    uint8_t comPort;
};

struct DemoGateway {
    const char* name;
    int network;  // 0 RTC, 1 GSM, 2 RNIS
    std::vector<DemoLine> lines;
};

const DemoGateway kGateways[] = {
    {"Standard", kNetworkRtc,
     {{"Olitec Speed'Com 56K", "OLITEC1", 1}, {"US Robotics 56K Fax", "USR56K", 2}, {"Hayes Accura 56K", "HAYES56", 3}}},
    {"Num\xE9ris", kNetworkRnis, {{"Eicon Diva ISDN", "DIVA1", 4}, {"Eicon Diva ISDN #2", "DIVA2", 5}}},
    {"GSM Nord", kNetworkGsm, {{"Wavecom Fastrack", "FASTRCK", 6}}},
};

constexpr int kJournalCalls = 3200;

std::string Dir;

std::string PathOf(const std::string& name)
{
    return Dir + "\\" + name;
}

bool SaveFile(const std::string& name, std::span<const uint8_t> bytes)
{
    FILE* f = std::fopen(PathOf(name).c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "make_demo: cannot write %s\n", PathOf(name).c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteUsers()
{
    UserTable users{};
    NumbersTable numbers{};
    std::array<uint32_t, MaxUsers> positions{};
    int count = 0;
    for (const DemoUser& demo : kUsers) {
        UserRecord& user = users.records[count];
        std::strncpy(user.name, demo.name, kMaxNameLength);
        std::strncpy(user.password, demo.password, kMaxNameLength);
        ScrambleText(user.password);
        user.category = demo.category;
        user.station = static_cast<uint16_t>(count);
        user.multiSession = demo.multiSession;
        NumbersRecord& forbidden = numbers.records[count];
        for (const char* number : demo.forbidden)
            std::strncpy(forbidden.numbers[forbidden.count++], number, kNumberSize - 1);
        positions[count] = count;
        ++count;
    }
    users.header = DefaultUserTableHeader(static_cast<uint16_t>(count));
    numbers.head = static_cast<uint32_t>(count);
    SortRecordsByName(std::span(users.records).first(count), std::span(numbers.records).first(count),
                      std::span(positions).first(count));
    return SaveFile("reseau.dat", EncodeUserFile(DefaultUserFileHeader(), users, MaxUsers)) &&
           SaveFile("Numaut.dat", EncodeNumbersFile(numbers));
}

std::vector<uint8_t> LineFileOf(const DemoGateway& gateway)
{
    std::vector<LineRecord> records;
    for (const DemoLine& line : gateway.lines) {
        LineRecord record{};
        record.comPort = line.comPort;
        std::strncpy(record.modemName, line.modem, kModemNameSize - 1);
        std::strncpy(record.configNames[gateway.network], line.configName, kConfigNameSize - 1);
        record.networkFlags = static_cast<uint8_t>(1 << gateway.network);
        records.push_back(record);
    }
    LineTableHeader header = EmptyLineTableHeader();
    header.count = static_cast<uint16_t>(records.size());
    return EncodeLineFile(StandardLineFileHeader(), header, records);
}

std::vector<uint8_t> DialSettingsOf(const DemoGateway& gateway)
{
    std::vector<LineSettings> settings(MaxLines);
    for (size_t i = 0; i < gateway.lines.size(); ++i) {
        settings[i].networkType = static_cast<uint8_t>(gateway.network);
        settings[i].dialType = kDialTone;
        std::strcpy(settings[i].prefix, "0");
        settings[i].prefixEnabled = i == 0;
    }
    return EncodeDialSettingsFile(EmptyDialSettingsHeader(), settings);
}

// Each line's configuration file (speaker on until the connection) and
// command file, as the modem configuration library leaves them.
bool WriteLineConfigurations(const std::string& dir, const DemoGateway& gateway)
{
    for (const DemoLine& line : gateway.lines) {
        std::vector<uint8_t> configuration(kConfigHeadSize, 0);
        configuration[kSpeakerModeAt] = 1;
        std::string commands = "ATZ\r\nAT&F\r\n";
        if (!SaveFile(dir + "\\" + line.configName + ".cnf", configuration) ||
            !SaveFile(dir + "\\" + line.configName + ".cmd",
                       std::span(reinterpret_cast<const uint8_t*>(commands.data()), commands.size())))
            return false;
    }
    return true;
}

bool WriteGateways()
{
    GatewayTable table{};
    for (const DemoGateway& demo : kGateways) {
        int position = AddGatewaySlot(table);
        GatewayRecord& record = table.slots[position];
        std::strncpy(record.name, demo.name, kGatewayNameSize - 1);
        record.modemCount = static_cast<uint32_t>(demo.lines.size());
        std::string dir = "pass" + std::to_string(record.number);
        CreateDirectoryA(PathOf(dir).c_str(), nullptr);
        if (!SaveFile(dir + "\\comlines.dat", LineFileOf(demo)) ||
            !SaveFile(dir + "\\Fax0Mid.mid", DialSettingsOf(demo)) || !WriteLineConfigurations(dir, demo))
            return false;
    }
    auto image = EncodeGatewayTable(table);
    return SaveFile("admin.dat", image);
}

// The server sees a few users connected and two gateways busy.
bool WriteActivity()
{
    UserActivityImage users{};
    for (int i : {1, 4, 7, 10})
        SetUserField(users, i, kUserActiveOffset, 1);
    GatewayActivityImage gateways{};
    SetGatewayField(gateways, 0, kGatewayActiveOffset, 1);
    SetGatewayField(gateways, 1, kGatewayActiveOffset, 1);
    SetLineState(gateways, 0, 0, kLineStateInUse);
    SetLineState(gateways, 0, 1, kLineStateDialling);
    SetLineState(gateways, 1, 0, kLineStateInitialising);
    return SaveFile("ActUser.dat", users) && SaveFile("ActPass.dat", gateways);
}

// Calls spread over the last three months, oldest first, mostly in office
// hours; the administrator makes few of them.
bool WriteJournal()
{
    std::mt19937 random(1999);
    std::time_t end = std::time(nullptr) - 300;
    std::time_t t = end - 92 * 86400;
    const std::time_t step = (end - t) / kJournalCalls;
    std::vector<uint8_t> file(4, 0);
    WriteU32(file, 0, kJournalCalls);
    for (int n = 0; n < kJournalCalls; ++n) {
        t += std::uniform_int_distribution<std::time_t>(step / 2, step * 3 / 2)(random);
        std::tm local = *std::localtime(&t);
        if (local.tm_hour < 8)
            t += (8 - local.tm_hour) * 3600;
        if (t > end)
            t = end;
        size_t userCount = std::size(kUsers);
        const DemoUser& user = kUsers[n % 17 == 0 ? 0 : 1 + random() % (userCount - 1)];
        size_t g = random() % 10;
        const DemoGateway& gateway = kGateways[g < 6 ? 0 : g < 9 ? 1 : 2];
        const DemoLine& line = gateway.lines[random() % gateway.lines.size()];
        Call call{line.modem, gateway.name, user.name, PickNumber(random), t, PickRate(random, gateway.network),
                  PickDuration(random)};
        auto record = EncodeCall(call);
        file.insert(file.end(), record.begin(), record.end());
    }
    return SaveFile("Journal.dat", file);
}

// Every user and every gateway in the journal view at the first start.
bool WriteSettings()
{
    std::string ini = PathOf("admin.ini");
    return WritePrivateProfileStringA("Journal", "User", std::to_string(std::size(kUsers)).c_str(), ini.c_str()) &&
           WritePrivateProfileStringA("Journal", "Pass", std::to_string(std::size(kGateways)).c_str(), ini.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    Dir = argc > 1 ? argv[1] : ".";
    CreateDirectoryA(Dir.c_str(), nullptr);
    DeleteFileA(PathOf("admin.ini").c_str());
    bool ok = WriteUsers() && WriteGateways() && WriteActivity() && WriteJournal() && WriteSettings();
    if (!ok)
        return 1;
    std::printf("Demo program directory ready: %zu users (administrator ADMIN, password QUOREL), %zu gateways, "
                "%d calls.\n",
                std::size(kUsers), std::size(kGateways), kJournalCalls);
    return 0;
}
