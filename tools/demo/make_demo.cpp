// Fills a program directory with the data of a small office, so that the
// console has something to show: users (the administrator ADMIN, password
// QUOREL), three gateways with their lines, activity files and a journal of a
// few thousand calls.
//
//   make_demo [DIR]    DIR defaults to the current directory
//
// Every file is written whole; what the directory held under the same names
// is replaced. The journal's calls fall in the office hours of the last three
// months, up to the present moment, the same for every run (fixed seed).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "states/activity_image.h"
#include "tools/calls.h"
#include "tools/demo/demo_files.h"
#include "tools/demo/demo_gateways.h"
#include "tools/demo/demo_office.h"
#include "tools/demo/demo_users.h"

namespace {

constexpr int kJournalCalls = 3200;

// The server sees a few users connected and two gateways busy.
bool WriteActivity()
{
    UserActivityImage users{};
    for (int i : {1, 4, 7, 10})
        SetUserField(users, i, kUserActiveAt, 1);
    GatewayActivityImage gateways{};
    SetGatewayField(gateways, 0, kGatewayActiveAt, 1);
    SetGatewayField(gateways, 1, kGatewayActiveAt, 1);
    SetLineState(gateways, 0, 0, kLineStateInUse);
    SetLineState(gateways, 0, 1, kLineStateDialling);
    SetLineState(gateways, 1, 0, kLineStateInitialising);
    return SaveFile("ActUser.dat", users) && SaveFile("ActPass.dat", gateways);
}

// Office hours: Monday to Friday, 8:00 to 19:00, local time.
constexpr int kOpening = 8, kClosing = 19;

bool IsWorkingDay(const std::tm& local)
{
    return local.tm_wday >= 1 && local.tm_wday <= 5;
}

// The moment `seconds` of office time after t (t itself taken into office
// time first).
std::time_t AddOfficeTime(std::time_t t, std::time_t seconds)
{
    for (;;) {
        std::tm local = *std::localtime(&t);
        if (!IsWorkingDay(local) || local.tm_hour >= kClosing) {
            local.tm_mday += 1;
            local.tm_hour = kOpening;
            local.tm_min = local.tm_sec = 0;
            local.tm_isdst = -1;
            t = std::mktime(&local);
            continue;
        }
        if (local.tm_hour < kOpening) {
            local.tm_hour = kOpening;
            local.tm_min = local.tm_sec = 0;
            local.tm_isdst = -1;
            t = std::mktime(&local);
            continue;
        }
        std::tm closing = local;
        closing.tm_hour = kClosing;
        closing.tm_min = closing.tm_sec = 0;
        closing.tm_isdst = -1;
        std::time_t left = std::mktime(&closing) - t;
        if (seconds < left)
            return t + seconds;
        seconds -= left;
        t += left;
    }
}

// Calls spread over the office hours of the last three months, oldest first;
// the administrator makes few of them, the first gateway most.
bool WriteJournal()
{
    std::mt19937 random(1999);
    const std::time_t end = std::time(nullptr) - 300;
    const std::time_t begin = end - 92 * 86400;
    const std::time_t step = 92 * 5 / 7 * (kClosing - kOpening) * 3600 / kJournalCalls;
    std::time_t t = begin;
    std::vector<uint8_t> file(4, 0);
    WriteU32(file, 0, kJournalCalls);
    for (int n = 0; n < kJournalCalls; ++n) {
        t = std::min(AddOfficeTime(t, std::uniform_int_distribution<std::time_t>(step / 2, step * 3 / 2)(random)), end);
        const DemoUser& user = DemoUsers[n % 17 == 0 ? 0 : 1 + random() % (DemoUsers.size() - 1)];
        size_t g = random() % 10;
        const DemoGateway& gateway = DemoGateways[g < 6 ? 0 : g < 9 ? 1 : 2];
        const DemoLine& line = gateway.lines[random() % gateway.lines.size()];
        Call call{line.modem, gateway.name, user.name, PickNumber(random), t, PickRate(random, gateway.network),
                  PickDuration(random)};
        auto record = EncodeCall(call);
        file.insert(file.end(), record.begin(), record.end());
    }
    return SaveFile("Journal.dat", file);
}

// Every user and every gateway in the journal view, in a window wide enough
// for its seven columns.
bool WriteSettings()
{
    std::string ini = DemoPath("admin.ini");
    struct Key {
        const char* section;
        const char* key;
        std::string value;
    } settings[] = {
        {"Journal", "User", std::to_string(DemoUsers.size())},
        {"Journal", "Pass", std::to_string(DemoGateways.size())},
        {"Administrateur", "left", "40"},
        {"Administrateur", "top", "40"},
        {"Administrateur", "right", "940"},
        {"Administrateur", "bottom", "640"},
    };
    for (const Key& k : settings)
        if (!WritePrivateProfileStringA(k.section, k.key, k.value.c_str(), ini.c_str()))
            return false;
    return true;
}

// The modem configuration library's settings: a soft modem, the special
// entry of direct IP access, and the network types of the ISDN and GSM
// devices.
bool WriteModemLibrarySettings()
{
    std::string ini = DemoPath("whconfig.ini");
    struct Key {
        const char* section;
        const char* key;
        const char* value;
    } settings[] = {
        {"SoftModem", "Name", "Modem logiciel Quorel"},
        {"SpecialNames", "Routage IP", "Acc\xE8s direct au r\xE9seau IP"},
        {"Reseaux", "Eicon Diva ISDN", "4"},
        {"Reseaux", "Eicon Diva ISDN #2", "4"},
        {"Reseaux", "Wavecom Fastrack", "2"},
    };
    for (const Key& k : settings)
        if (!WritePrivateProfileStringA(k.section, k.key, k.value, ini.c_str()))
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SetDemoDirectory(argc > 1 ? argv[1] : ".");
    RemoveDemoFile("admin.ini");
    RemoveDemoFile("whconfig.ini");
    if (!(WriteUsers() && WriteGateways() && WriteActivity() && WriteJournal() && WriteSettings() &&
          WriteModemLibrarySettings()))
        return 1;
    std::printf("Demo program directory ready: %zu users (administrator ADMIN, password QUOREL), %zu gateways, "
                "%d calls.\n",
                DemoUsers.size(), DemoGateways.size(), kJournalCalls);
    return 0;
}
