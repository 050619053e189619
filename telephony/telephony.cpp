#include "telephony/telephony.h"

#include <algorithm>
#include <new>

#include "base/app.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "telephony/modem_entries.h"
#include "telephony/tapi_structures.h"

HLINEAPP LineApp;
std::string SoftModemName;
int SpecialNameCount;

namespace {

// The line devices the session's start reported: the enumeration never
// goes past them, whatever "whconfig.ini" says meanwhile.
DWORD LineDeviceCount;

DWORD PlatformClock()
{
    return GetTickCount();
}

DWORD (*Clock)() = PlatformClock;

constexpr DWORD kReinitPromptAfter = 5000;  // ms
constexpr unsigned kSoftModemNameSize = 64;
constexpr unsigned kKeyListSize = 2048;

constexpr char kRetryText[] =
    "Telephony interface cannot successfully start.\nQuit all other telephony programs, and then try again.";
constexpr char kFailureText[] = "Telephony interface cannot successfully start";

// The console places no call: every telephony event is ignored.
void CALLBACK IgnoreLineEvent(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

std::string WhconfigIni()
{
    return ProgramPath("\\whconfig.ini");
}

std::vector<std::string> ReadSpecialNames()
{
    std::vector<char> list(kKeyListSize, '\0');
    DWORD n = GetPrivateProfileStringA("SpecialNames", nullptr, "", list.data(), kKeyListSize,
                                       WhconfigIni().c_str());
    return SplitKeyList(std::span<const char>(list).first(std::min<DWORD>(n, kKeyListSize)));
}

void ReadWhconfigIni()
{
    SoftModemName = ReadProfileText("SoftModem", "Name", "", WhconfigIni(), kSoftModemNameSize);
    SpecialNameCount = static_cast<int>(ReadSpecialNames().size());
}

LONG InitializeSession(DWORD& devices)
{
    devices = 0;
    return lineInitialize(&LineApp, AppInstance, IgnoreLineEvent, nullptr, &devices);
}

// Calls `query` on a buffer whose dwTotalSize is its size, growing it as the
// provider asks (NextAnswerStep). False when the query fails, asks for too
// much or memory runs out; the buffer is then emptied.
template <typename Query>
bool QueryGrowing(std::vector<uint8_t>& buffer, size_t firstSize, Query query)
{
    size_t size = firstSize;
    for (;;) {
        try {
            buffer.assign(size, 0);
        } catch (const std::bad_alloc&) {
            buffer.clear();
            return false;
        }
        auto* total = reinterpret_cast<DWORD*>(buffer.data());
        total[0] = static_cast<DWORD>(size);
        LONG result = query(buffer.data());
        AnswerStep step = NextAnswerStep(result, size, total[1]);
        if (step.kind == AnswerStep::Complete)
            return true;
        if (step.kind == AnswerStep::Failed) {
            buffer.clear();
            return false;
        }
        size = step.nextSize;
    }
}

bool GetTranslateCaps(std::vector<uint8_t>& buffer)
{
    return QueryGrowing(buffer, kTranslateCapsFirstSize, [](uint8_t* answer) {
        return lineGetTranslateCaps(LineApp, kTapiVersion, reinterpret_cast<LPLINETRANSLATECAPS>(answer));
    });
}

}  // namespace

void SetTelephonyClockForTests(DWORD (*clock)())
{
    Clock = clock ? clock : PlatformClock;
}

int StartTelephony()
{
    if (LineApp)
        StopTelephony();
    DWORD devices = 0;
    DWORD waitStart = Clock();
    LONG result = InitializeSession(devices);
    while (result == kLineErrReinit) {
        if (Clock() - waitStart > kReinitPromptAfter) {
            if (ShowMessageBox(nullptr, kRetryText, nullptr, MB_RETRYCANCEL | MB_TASKMODAL) != IDRETRY)
                break;
            waitStart = Clock();
        }
        result = InitializeSession(devices);
    }
    if (result != 0) {
        LineApp = 0;
        ShowMessageBox(nullptr, kFailureText, nullptr, MB_OK | MB_ICONHAND | MB_TASKMODAL);
    }
    LineDeviceCount = result == 0 ? devices : 0;

    ReadWhconfigIni();
    if (result != 0)
        return -1;
    return static_cast<int>(LineDeviceCount) + SpecialNameCount + (SoftModemName.empty() ? 0 : 1);
}

int StopTelephony()
{
    if (LineApp) {
        lineShutdown(LineApp);
        LineApp = 0;
    }
    LineDeviceCount = 0;
    return 1;
}

bool GetLineDevCaps(std::vector<uint8_t>& buffer, DWORD device, DWORD version)
{
    return QueryGrowing(buffer, kDevCapsFirstSize, [&](uint8_t* answer) {
        return lineGetDevCaps(LineApp, device, version, 0, reinterpret_cast<LPLINEDEVCAPS>(answer));
    });
}

int EnumerateModems(int count, ModemEntryCallback callback, void* context)
{
    if (count <= 0)
        return 1;
    if (!SoftModemName.empty() && !callback(SoftModemName.c_str(), kSoftModemId, context))
        return 0;
    std::vector<std::string> specialNames = ReadSpecialNames();
    for (size_t k = 0; k < specialNames.size(); ++k) {
        if (!callback(specialNames[k].c_str(), static_cast<DWORD>(kSpecialNameFirstId + k), context))
            return 0;
    }
    std::vector<uint8_t> caps;
    for (DWORD device = 0; device < LineDeviceCount && IsLineDeviceId(device); ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension{};
        if (lineNegotiateAPIVersion(LineApp, device, kTapiVersion, kTapiVersion, &version, &extension) != 0)
            continue;
        if (!GetLineDevCaps(caps, device, version))
            continue;
        LineDevCaps decoded = DecodeLineDevCaps(caps);
        if (IsCandidateModem(decoded) && !callback(decoded.name.c_str(), device, context))
            return 0;
    }
    return 1;
}

DWORD GetCurrentLocation(DWORD* countryId)
{
    std::vector<uint8_t> buffer;
    if (!GetTranslateCaps(buffer))
        return 0;
    TranslateCaps caps = DecodeTranslateCaps(buffer);
    if (countryId) {
        *countryId = 0;
        for (const DialingLocation& location : caps.locations) {
            if (location.permanentId == caps.currentLocationId) {
                *countryId = location.countryId;
                break;
            }
        }
    }
    return caps.currentLocationId;
}

void FillLocationList(HWND comboBox)
{
    std::vector<uint8_t> buffer;
    if (!GetTranslateCaps(buffer))
        return;
    TranslateCaps caps = DecodeTranslateCaps(buffer);
    SendMessageA(comboBox, CB_RESETCONTENT, 0, 0);
    for (const DialingLocation& location : caps.locations) {
        if (!location.nameUsable)
            continue;
        // The list may be sorted: the data goes to wherever the name landed.
        auto index = SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(location.name.c_str()));
        if (index >= 0)
            SendMessageA(comboBox, CB_SETITEMDATA, index, location.permanentId);
    }
    auto items = SendMessageA(comboBox, CB_GETCOUNT, 0, 0);
    LRESULT current = 0;
    for (LRESULT i = 0; i < items; ++i) {
        if (static_cast<DWORD>(SendMessageA(comboBox, CB_GETITEMDATA, i, 0)) == caps.currentLocationId) {
            current = i;
            break;
        }
    }
    SendMessageA(comboBox, CB_SETCURSEL, current, 0);
}
