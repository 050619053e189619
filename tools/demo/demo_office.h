// The demo office: who works there, its gateways and their lines.
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
