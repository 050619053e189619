// Plays the server beside the console for a while: calls go through the
// gateways' lines (ActPass.dat: "Inactif" 0, then 2, 3, "Utilisé" 4, then 0
// again), their users and gateways show as active (ActUser.dat, ActPass.dat)
// while they call, and each call that ends is appended to "Journal.dat" as
// the server does it.
//
//   server_sim [--rate CALLS_PER_MINUTE] [--seconds N] [--calls N] [--dir DIR]
//
// Defaults: 30 calls a minute for 60 seconds, in the current directory. With
// --calls it stops once that many calls were appended (or the time is up).
// The gateways, their lines and the users come from admin.dat, comlines.dat
// and reseau.dat of the directory. Lines that the console holds (state 1)
// are left alone, and so are users and gateways that were already active: at
// the end the files show what they showed before. Prints the number of calls
// appended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "gateways/gateway_table.h"
#include "gateways/line_records.h"
#include "base/le_bytes.h"
#include "states/activity_image.h"
#include "tools/calls.h"
#include "tools/simulator/user_names.h"

namespace {

struct Options {
    double rate = 30;  // calls a minute
    double seconds = 60;
    int calls = 0;  // 0: no limit
    std::string dir = ".";
};

struct Line {
    int gateway = 0;  // position
    int index = 0;
    std::string modem;
    int network = 0;
    int state = kLineStateIdle;
    DWORD nextStep = 0;  // tick of the next state change
    int user = -1;
    std::string number;
    std::time_t start = 0;
};

struct Gateway {
    std::string name;
    std::vector<int> lines;  // indexes into Lines
    bool markedActive = false;  // by us, to be cleared at the end
};

Options Settings;
std::vector<Gateway> Gateways;
std::vector<Line> Lines;
std::vector<std::string> Users;
std::vector<int> UserCalls;  // calls in progress per user
std::vector<bool> UserMarked;  // made active by us for its calls
std::mt19937 Random(static_cast<unsigned>(std::time(nullptr)));

std::string PathOf(const std::string& name)
{
    return Settings.dir + "\\" + name;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

// An open that another program's exclusive use of the file refuses is tried
// again until `patience` milliseconds have passed.
HANDLE OpenShared(const std::string& path, DWORD disposition, DWORD patience)
{
    DWORD began = GetTickCount();
    for (;;) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || GetTickCount() - began > patience)
            return INVALID_HANDLE_VALUE;
        Sleep(20);
    }
}

bool WriteAt(HANDLE file, uint64_t offset, std::span<const uint8_t> bytes)
{
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Reads the count, writes the record after the last one, then the count + 1.
bool AppendCall(const Call& call)
{
    HANDLE file = OpenShared(PathOf("Journal.dat"), OPEN_ALWAYS, 10000);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    uint8_t head[4] = {};
    DWORD read = 0;
    bool ok = ReadFile(file, head, sizeof head, &read, nullptr);
    uint32_t count = read == sizeof head ? ReadU32(head, 0) : 0;
    auto record = EncodeCall(call);
    uint8_t next[4];
    WriteU32(next, 0, count + 1);
    ok = ok && WriteAt(file, 4 + uint64_t{kJournalRecordSize} * count, record) && WriteAt(file, 0, next);
    CloseHandle(file);
    return ok;
}

// One byte of an activity file; the console made the files, so none is created.
void WriteActivityByte(const char* name, size_t offset, uint8_t value)
{
    HANDLE file = OpenShared(PathOf(name), OPEN_EXISTING, 1000);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteAt(file, offset, std::span(&value, 1));
    CloseHandle(file);
}

uint8_t ReadActivityByte(const char* name, size_t offset)
{
    std::vector<uint8_t> bytes = ReadAll(PathOf(name));
    return offset < bytes.size() ? bytes[offset] : 0;
}

size_t LineStateOffset(const Line& line)
{
    return *GatewayActivityRecordAt(line.gateway) + kFirstLineStateAt + kLineStateStride * line.index;
}

void SetState(Line& line, int state)
{
    line.state = state;
    WriteActivityByte("ActPass.dat", LineStateOffset(line), static_cast<uint8_t>(state));
}

// A user's first call marks it active unless it already was; its last call
// ending takes back only our own mark.
void MarkUserCalling(int user)
{
    if (UserCalls[user]++ > 0)
        return;
    size_t offset = *UserActivityRecordAt(user) + kUserActiveAt;
    UserMarked[user] = ReadActivityByte("ActUser.dat", offset) == 0;
    if (UserMarked[user])
        WriteActivityByte("ActUser.dat", offset, 1);
}

void UnmarkUserCalling(int user)
{
    if (--UserCalls[user] > 0 || !UserMarked[user])
        return;
    WriteActivityByte("ActUser.dat", *UserActivityRecordAt(user) + kUserActiveAt, 0);
    UserMarked[user] = false;
}

void MarkGatewaysActive()
{
    for (size_t j = 0; j < Gateways.size(); ++j) {
        size_t offset = *GatewayActivityRecordAt(static_cast<int>(j)) + kGatewayActiveAt;
        Gateways[j].markedActive = ReadActivityByte("ActPass.dat", offset) == 0;
        if (Gateways[j].markedActive)
            WriteActivityByte("ActPass.dat", offset, 1);
    }
}

void UnmarkGateways()
{
    for (size_t j = 0; j < Gateways.size(); ++j)
        if (Gateways[j].markedActive)
            WriteActivityByte("ActPass.dat", *GatewayActivityRecordAt(static_cast<int>(j)) + kGatewayActiveAt, 0);
}

// Gateways --------------------------------------------------------------------------

void AddGateway(const std::string& name, const std::vector<std::pair<std::string, int>>& lines)
{
    Gateway gateway{name, {}, false};
    for (const auto& [modem, network] : lines) {
        if (gateway.lines.size() == static_cast<size_t>(MaxLines))
            break;
        gateway.lines.push_back(static_cast<int>(Lines.size()));
        Line line;
        line.gateway = static_cast<int>(Gateways.size());
        line.index = static_cast<int>(gateway.lines.size()) - 1;
        line.modem = modem;
        line.network = network;
        Lines.push_back(line);
    }
    Gateways.push_back(gateway);
}

std::vector<std::pair<std::string, int>> LinesOf(const GatewayRecord& record)
{
    std::vector<std::pair<std::string, int>> lines;
    std::vector<uint8_t> file = ReadAll(PathOf("pass" + std::to_string(record.number) + "\\comlines.dat"));
    LineFileHeader header;
    LineTableHeader table;
    LineRecordTable records;
    if (DecodeLineFile(file, header, table, records) == LineFileVerdict::Usable)
        for (int i = 0; i < table.count; ++i)
            lines.emplace_back(records[i].modemName, FirstNetworkType(records[i].networkFlags));
    for (uint32_t i = static_cast<uint32_t>(lines.size()); i < record.modemCount && i < MaxLines; ++i)
        lines.emplace_back("Modem " + std::to_string(i + 1), kNetworkRtc);
    return lines;
}

void LoadGateways()
{
    GatewayTable table = DecodeGatewayTable(ReadAll(PathOf("admin.dat")));
    for (int j = 0; j < table.count; ++j)
        AddGateway(std::string(GatewayNameOf(table.slots[j])), LinesOf(table.slots[j]));
    bool anyLine = false;
    for (const Gateway& g : Gateways)
        anyLine = anyLine || !g.lines.empty();
    if (!anyLine) {
        std::fprintf(stderr, "server_sim: no gateway with lines in admin.dat; using Pass0 with two modems\n");
        Gateways.clear();
        Lines.clear();
        AddGateway("Pass0", {{"Modem 1", kNetworkRtc}, {"Modem 2", kNetworkRtc}});
    }
}

void LoadUsers()
{
    Users = ReadUserNames(ReadAll(PathOf("reseau.dat")));
    if (Users.empty()) {
        std::fprintf(stderr, "server_sim: no user in reseau.dat; calling as Poste1\n");
        Users.emplace_back("Poste1");
    }
    UserCalls.assign(Users.size(), 0);
    UserMarked.assign(Users.size(), false);
}

// Calls -----------------------------------------------------------------------------

DWORD Later(DWORD now, int lowMs, int highMs)
{
    return now + static_cast<DWORD>(std::uniform_int_distribution<int>(lowMs, highMs)(Random));
}

// An idle line that the console does not hold, or none.
Line* FreeLine()
{
    std::vector<Line*> free;
    for (Line& line : Lines)
        if (line.state == kLineStateIdle && ReadActivityByte("ActPass.dat", LineStateOffset(line)) == kLineStateIdle)
            free.push_back(&line);
    if (free.empty())
        return nullptr;
    return free[Random() % free.size()];
}

void StartCall(DWORD now)
{
    Line* line = FreeLine();
    if (!line)
        return;
    line->user = static_cast<int>(Random() % Users.size());
    line->number = PickNumber(Random);
    MarkUserCalling(line->user);
    SetState(*line, kLineStateInitialising);
    line->nextStep = Later(now, 300, 900);
}

int Appended = 0;

void EndCall(Line& line)
{
    Call call{line.modem, Gateways[line.gateway].name, Users[line.user], line.number, line.start,
              PickRate(Random, line.network), PickDuration(Random)};
    if (AppendCall(call))
        ++Appended;
    else
        std::fprintf(stderr, "server_sim: could not append to Journal.dat\n");
    UnmarkUserCalling(line.user);
    line.user = -1;
    SetState(line, kLineStateIdle);
}

void StepCall(Line& line, DWORD now)
{
    if (line.state == kLineStateIdle || static_cast<int32_t>(now - line.nextStep) < 0)
        return;
    switch (line.state) {
    case kLineStateInitialising:
        SetState(line, kLineStateDialling);
        line.nextStep = Later(now, 500, 1500);
        break;
    case kLineStateDialling:
        SetState(line, kLineStateInUse);
        line.start = std::time(nullptr);
        line.nextStep = Later(now, 1000, 6000);
        break;
    case kLineStateInUse:
        EndCall(line);
        break;
    }
}

bool Busy()
{
    for (const Line& line : Lines)
        if (line.state != kLineStateIdle)
            return true;
    return false;
}

void Run()
{
    MarkGatewaysActive();
    const DWORD began = GetTickCount();
    const DWORD length = static_cast<DWORD>(Settings.seconds * 1000);
    double due = 1;  // the first call starts at once
    DWORD last = began;
    for (;;) {
        DWORD now = GetTickCount();
        bool stopping = now - began >= length || (Settings.calls && Appended >= Settings.calls);
        if (stopping && !Busy())
            break;
        due += Settings.rate * (now - last) / 60000.0;
        last = now;
        int starting = 0;
        for (const Line& line : Lines)
            starting += line.state != kLineStateIdle;
        while (!stopping && due >= 1 && (!Settings.calls || Appended + starting < Settings.calls)) {
            due -= 1;
            StartCall(now);
            ++starting;
        }
        for (Line& line : Lines)
            StepCall(line, now);
        Sleep(50);
    }
    UnmarkGateways();
}

bool ReadOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        if (option == "--rate")
            Settings.rate = std::atof(value);
        else if (option == "--seconds")
            Settings.seconds = std::atof(value);
        else if (option == "--calls")
            Settings.calls = std::atoi(value);
        else if (option == "--dir")
            Settings.dir = value;
        else
            return false;
    }
    return Settings.rate > 0 && Settings.seconds > 0 && Settings.calls >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ReadOptions(argc, argv)) {
        std::fprintf(stderr, "usage: server_sim [--rate CALLS_PER_MINUTE] [--seconds N] [--calls N] [--dir DIR]\n");
        return 2;
    }
    LoadGateways();
    LoadUsers();
    Run();
    std::printf("%d calls appended\n", Appended);
    return 0;
}
