// The telephony test double (tests/doubles/tapi32) as the Wine tests drive
// it: its script and its log in the test's program directory. The test must
// run with WINEDLLOVERRIDES="tapi32=n,b" (suites TelephonyTest and
// ModemDialogTest, see the top CMakeLists.txt); creating a TelephonyDouble
// puts the doubles' folder on the DLL search path, so that the console's
// LoadLibraryA("TAPI32.DLL") and the Modems applet ("MODEM.CPL") find them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine/test_support.h"

class TelephonyDouble {
public:
    explicit TelephonyDouble(const std::string& programDir);
    ~TelephonyDouble();
    TelephonyDouble(const TelephonyDouble&) = delete;
    TelephonyDouble& operator=(const TelephonyDouble&) = delete;

    void Set(const std::string& section, const char* key, const std::string& value);
    // A line device: media 0x10 (data modem), features 0x8 (places calls).
    void AddDevice(const std::string& name, unsigned media = 0x10, unsigned features = 0x8);
    void AddLocation(unsigned id, const std::string& name, unsigned country);
    std::string DeviceSection(int k) const { return "Device" + std::to_string(k); }

    // The calls logged so far, one line each ("lineGetDevCaps 1 0x10004 1264").
    std::vector<std::string> Log() const;
    // The logged calls that start with `prefix`.
    std::vector<std::string> Calls(const std::string& prefix) const;

private:
    std::string script_;
    std::string log_;
    int devices_ = 0;
    int locations_ = 0;
};

// Copies whconfig.dll from the test program's folder into the program
// directory, where the console loads it.
void InstallWhconfig(const std::string& programDir);

// Tests without any telephony library (WINEDLLOVERRIDES="tapi32=").
class NoTelephonyTest : public ProgramDirTest {};
