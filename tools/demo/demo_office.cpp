#include "tools/demo/demo_office.h"

// The administrator's password differs from its name: a password equal to the
// name would be replaced by whatever is typed at the first login.
const std::vector<DemoUser> DemoUsers = {
    {"ADMIN", "QUOREL", true, 1, {}},
    {"Albert", "ALBERT", false, 0, {"3615", "3617"}},
    {"Bernard", "BERNARD", false, 0, {}},
    {"Chlo\xE9", "CHLOE", false, 1, {}},
    {"Durand", "DURAND", false, 0, {"00", "08 36"}},
    {"\xC9mile", "EMILE", false, 0, {}},
    {"Fran\xE7ois", "FRANCOIS", false, 0, {"3615"}},
    {"H\xE9l\xE8ne", "HELENE", false, 1, {}},
    {"Lef\xE8vre", "LEFEVRE", false, 0, {}},
    {"Martin", "MARTIN", false, 0, {"06"}},
    {"No\xEBl", "NOEL", false, 0, {}},
    {"Zo\xE9", "ZOE", false, 0, {}},
};

const std::vector<DemoGateway> DemoGateways = {
    {"Standard", 0,
     {{"Olitec Speed'Com 56K", "OLITEC1", 1}, {"US Robotics 56K Fax", "USR56K", 2}, {"Hayes Accura 56K", "HAYES56", 3}}},
    {"Num\xE9ris", 2, {{"Eicon Diva ISDN", "DIVA1", 4}, {"Eicon Diva ISDN #2", "DIVA2", 5}}},
    {"GSM Nord", 1, {{"Wavecom Fastrack", "FASTRCK", 6}}},
};
