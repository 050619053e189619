// The demo office: who works there, its gateways and lines, and the writers
// of its files. The users' and the gateways' files are written by separate
// files of this tool, each with its own record layouts.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct DemoUser {
    const char* name;
    const char* password;  // as typed; upper case, as the login stores it
    bool administrator;
    uint16_t multiSession;
    std::vector<const char*> forbidden;
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

extern const std::vector<DemoUser> DemoUsers;
extern const std::vector<DemoGateway> DemoGateways;

// Writes the file `name` of the demo directory whole; false, said on stderr,
// when it cannot.
bool SaveFile(const std::string& name, std::span<const uint8_t> bytes);

// Creates a subdirectory of the demo directory.
void MakeDirectory(const std::string& name);

// reseau.dat and Numaut.dat.
bool WriteUsers();

// admin.dat and each gateway's directory with its line files.
bool WriteGateways();
