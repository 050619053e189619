// Line files written out byte by byte at the offsets the server and the
// modem configuration library use, for the tests of the line files.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/fixtures/byte_fixture.h"

namespace line_fixtures {

using namespace byte_fixture;

// The 128-byte header of comlines.dat as the server expects it.
inline Bytes StandardFileHeader()
{
    Bytes b(128, 0);
    PutText(b, 0, "ComLinesManagment");
    b[32] = 0x0D;
    b[33] = 0x0A;
    PutText(b, 34, "Zemo Software");
    b[77] = 0x0D;
    b[78] = 0x0A;
    b[79] = 0x1A;
    Put32(b, 80, 0x0106A9D6);
    Put32(b, 84, 0x51241156);
    Put32(b, 88, 128);
    Put32(b, 92, 256);
    return b;
}

struct Line {
    uint8_t port;
    const char* modem;
    const char* rtc;
    const char* gsm;
    const char* rnis;
    uint8_t flags;
};

// A 640-byte line record, with marks in bytes the console does not own.
inline Bytes LineRecordBytes(const Line& line, uint8_t mark)
{
    Bytes b(640, 0);
    b[0] = mark;
    b[65] = mark;
    b[300] = mark;
    b[639] = mark;
    b[64] = line.port;
    PutText(b, 67, line.modem);
    PutText(b, 131, line.rtc);
    PutText(b, 140, line.gsm);
    PutText(b, 149, line.rnis);
    b[575] = line.flags;
    return b;
}

// comlines.dat with the table header at 128 and the records at 256.
inline Bytes LineFile(const std::vector<Line>& lines, uint16_t count)
{
    Bytes file = StandardFileHeader();
    Bytes table(128, 0);
    Put16(table, 0, 640);
    Put16(table, 2, count);
    table[4] = 0xAB;  // kept as read
    file.insert(file.end(), table.begin(), table.end());
    uint8_t mark = 0x10;
    for (const Line& line : lines) {
        Bytes record = LineRecordBytes(line, mark++);
        file.insert(file.end(), record.begin(), record.end());
    }
    return file;
}

inline const std::vector<Line> kThreeLines = {
    {1, "Modem standard 56000 bps", "MODEM1", "", "", 1},
    {2, "Adaptateur RNIS", "ISDN2", "", "ISDN2B", 5},
    {3, "Modem GSM", "", "GSM3", "", 2},
};

struct Settings {
    uint8_t networkType;
    uint8_t dialType;
    const char* prefix;
    uint8_t prefixEnabled;
};

inline Bytes SettingsBytes(const Settings& s, uint8_t mark)
{
    Bytes b(512, 0);
    b[0] = mark;
    b[17] = mark;
    b[200] = mark;
    b[511] = mark;
    b[16] = s.networkType;
    b[20] = s.dialType;
    PutText(b, 21, s.prefix);
    b[159] = s.prefixEnabled;
    return b;
}

inline Bytes DialSettingsFile(const std::vector<Settings>& settings, uint8_t useWindowsDialing)
{
    Bytes file(128, 0);
    Put32(file, 0, 0x0244494D);
    file[4] = 0x44;  // kept as read
    file[7] = useWindowsDialing;
    Put32(file, 8, 0x12345678);
    file[100] = 0x66;
    uint8_t mark = 0x20;
    for (const Settings& s : settings) {
        Bytes record = SettingsBytes(s, mark++);
        file.insert(file.end(), record.begin(), record.end());
    }
    return file;
}

// A new gateway's files: no line, and eight empty settings records.
inline Bytes EmptyLineFile()
{
    Bytes file = StandardFileHeader();
    Bytes table(128, 0);
    table[0] = 0x80;  // records of 640 bytes
    table[1] = 0x02;
    file.insert(file.end(), table.begin(), table.end());
    return file;
}

inline Bytes EmptyDialSettingsFile()
{
    Bytes file(4224, 0);
    file[0] = 'M';
    file[1] = 'I';
    file[2] = 'D';
    file[3] = 0x02;
    return file;
}

}  // namespace line_fixtures

using namespace line_fixtures;
