// reseau.dat images written byte by byte at the offsets other programs read,
// for tests that must not borrow the code's own layout constants.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fixtures/byte_fixture.h"
#include "users/user_record.h"

namespace reseau_fixture {

using namespace byte_fixture;

// The 224 header bytes of a reseau.dat as set-up creates it, written out
// from the layout, with `userCount` users.
inline void WriteDefaultHeaders(std::vector<uint8_t>& expected, uint16_t userCount)
{
    PutBytes(expected, 0, "Serveur3");
    PutBytes(expected, 32, "Pa");
    PutBytes(expected, 34, "Parametrages postes");
    Put32(expected, 80, 0x0106A9D6);
    Put32(expected, 84, 0x2012);
    Put32(expected, 88, 128);
    Put32(expected, 92, 224);
    Put16(expected, 128, 128);
    Put16(expected, 130, userCount);
    PutBytes(expected, 132, "COMM\\");
    PutBytes(expected, 142, "EMIS\\");
    PutBytes(expected, 152, "ADMIN\\");
    PutBytes(expected, 162, "RECU\\");
    PutBytes(expected, 172, "FILEMIS.CAH");
    PutBytes(expected, 185, "FILREC.CAH");
    PutBytes(expected, 198, "FILEMIS.JDB");
    PutBytes(expected, 211, "FILREC.JDB");
}

inline std::string Scrambled(std::string text)
{
    ScrambleText(text.data());
    return std::string(text.c_str());
}

// 128-byte header, 96-byte table header at `tableAt`, then the records as given.
struct Image {
    std::string signature = "Serveur3";
    uint32_t magic = 0x0106A9D6;
    uint32_t formatCode = 0x2012;
    uint32_t tableAt = 128;
    uint16_t userCount = 0;
    std::vector<std::vector<uint8_t>> records;
};

inline std::vector<uint8_t> BuildImage(const Image& image)
{
    size_t total = image.tableAt + 96;
    for (const auto& r : image.records)
        total += r.size();
    std::vector<uint8_t> b(std::max<size_t>(total, 128), 0);
    PutBytes(b, 0, image.signature);
    Put32(b, 80, image.magic);
    Put32(b, 84, image.formatCode);
    Put32(b, 88, image.tableAt);
    Put32(b, 92, 224);
    Put16(b, image.tableAt, 128);
    Put16(b, image.tableAt + 2, image.userCount);
    PutBytes(b, image.tableAt + 4, "COMM\\");
    PutBytes(b, image.tableAt + 83, "FILREC.JDB");
    size_t at = image.tableAt + 96;
    for (const auto& r : image.records) {
        std::memcpy(b.data() + at, r.data(), r.size());
        at += r.size();
    }
    return b;
}

// A 136-byte record whose password is its name.
inline std::vector<uint8_t> CurrentRecord(const std::string& name, uint8_t category, uint16_t station = 0)
{
    std::vector<uint8_t> r(136, 0);
    PutBytes(r, 0, Scrambled(name));
    PutBytes(r, 21, name);
    r[52] = category;
    Put16(r, 55, station);
    return r;
}

}  // namespace reseau_fixture
