#include "tools/demo/demo_gateways.h"

#include <cstring>
#include <string>
#include <vector>

#include "gateways/gateway_table.h"
#include "gateways/line_records.h"
#include "tools/demo/demo_files.h"
#include "tools/demo/demo_office.h"

static std::vector<uint8_t> LineFileOf(const DemoGateway& gateway)
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

// Tone dialling; the first line dials the prefix 0 for an outside line.
static std::vector<uint8_t> DialSettingsOf(const DemoGateway& gateway)
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
static bool WriteLineConfigurations(const std::string& dir, const DemoGateway& gateway)
{
    static const std::string commands = "ATZ\r\nAT&F\r\n";
    for (const DemoLine& line : gateway.lines) {
        std::vector<uint8_t> configuration(kConfigHeadSize, 0);
        configuration[kSpeakerModeAt] = 1;
        std::string base = dir + "\\" + line.configName;
        if (!SaveFile(base + ".cnf", configuration) ||
            !SaveFile(base + ".cmd", std::vector<uint8_t>(commands.begin(), commands.end())))
            return false;
    }
    return true;
}

bool WriteGateways()
{
    GatewayTable table{};
    for (const DemoGateway& demo : DemoGateways) {
        int position = AddGatewaySlot(table);
        if (position < 0)
            return false;
        GatewayRecord& record = table.slots[position];
        std::memset(record.name, 0, sizeof record.name);
        std::strncpy(record.name, demo.name, kGatewayNameSize - 1);
        record.modemCount = static_cast<uint32_t>(demo.lines.size());
        std::string dir = "pass" + std::to_string(record.number);
        MakeDemoDirectory(dir);
        if (!SaveFile(dir + "\\comlines.dat", LineFileOf(demo)) ||
            !SaveFile(dir + "\\Fax0Mid.mid", DialSettingsOf(demo)) || !WriteLineConfigurations(dir, demo))
            return false;
    }
    return SaveFile("admin.dat", EncodeGatewayTable(table));
}
