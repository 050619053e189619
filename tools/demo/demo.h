// The demo office: who works there, its gateways and lines (demo_office.cpp),
// and the writers of its users' and gateways' files, each in a file of its
// own with its own record layouts. They write through demo_files.h.
#pragma once
#include <cstdint>
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

// reseau.dat and Numaut.dat.
bool WriteUsers();

// admin.dat and each gateway's directory with its line files.
bool WriteGateways();
