#include "telephony/tests/telephony_double.h"

#include <fstream>
#include <sstream>

#include "tests/wine/test_support.h"

namespace {

std::string TestProgramFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    return file.substr(0, file.find_last_of('\\'));
}

}  // namespace

TelephonyDouble::TelephonyDouble(const std::string& programDir)
    : script_(programDir + "\\tapi32.ini"), log_(programDir + "\\tapi32.log")
{
    SetDllDirectoryA((TestProgramFolder() + "\\..\\doubles\\tapi32").c_str());
    SetEnvironmentVariableA("QUOREL_TAPI_SCRIPT", script_.c_str());
    Set("Telephony", "Log", log_);
    Set("Telephony", "Devices", "0");
    Set("Locations", "Count", "0");
}

TelephonyDouble::~TelephonyDouble()
{
    SetEnvironmentVariableA("QUOREL_TAPI_SCRIPT", nullptr);
}

void TelephonyDouble::Set(const std::string& section, const char* key, const std::string& value)
{
    WritePrivateProfileStringA(section.c_str(), key, value.c_str(), script_.c_str());
}

void TelephonyDouble::AddDevice(const std::string& name, unsigned media, unsigned features)
{
    std::string section = DeviceSection(devices_++);
    Set(section, "Name", name);
    Set(section, "Media", std::to_string(media));
    Set(section, "Features", std::to_string(features));
    Set("Telephony", "Devices", std::to_string(devices_));
}

void TelephonyDouble::AddLocation(unsigned id, const std::string& name, unsigned country)
{
    std::string section = "Location" + std::to_string(locations_++);
    Set(section, "Id", std::to_string(id));
    Set(section, "Name", name);
    Set(section, "Country", std::to_string(country));
    Set("Locations", "Count", std::to_string(locations_));
}

std::vector<std::string> TelephonyDouble::Log() const
{
    return ReadTextLines(log_);
}

std::vector<std::string> TelephonyDouble::Calls(const std::string& prefix) const
{
    return LinesStartingWith(Log(), prefix);
}

void InstallWhconfig(const std::string& programDir)
{
    CopyFileA((TestProgramFolder() + "\\whconfig.dll").c_str(), (programDir + "\\whconfig.dll").c_str(), FALSE);
}
