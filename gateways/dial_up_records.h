// The dial-up entries of a gateway's lines as the platform's remote access
// service takes them: the entry properties (1768 bytes) and the dial
// parameters (1052 bytes) of the first version of the service, the device
// list it answers (152 bytes per device), the entry names, the choice of a
// line's device and the rule by which the service counts as usable. The
// images are built byte by byte at the documented offsets, whatever size the
// platform's headers give the structures today. Pure: no platform.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Entry properties (RASENTRYA of the first version).
constexpr size_t kRasEntrySize = 1768;
constexpr size_t kRasEntrySizeAt = 0;
constexpr size_t kRasEntryOptionsAt = 4;
constexpr size_t kRasEntryCountryIdAt = 8;
constexpr size_t kRasEntryCountryCodeAt = 12;
constexpr size_t kRasEntryAreaCodeAt = 16, kRasEntryAreaCodeSize = 11;
constexpr size_t kRasEntryPhoneNumberAt = 27, kRasEntryPhoneNumberSize = 129;
constexpr size_t kRasEntryNetProtocolsAt = 184;
constexpr size_t kRasEntryFramingProtocolAt = 188;
constexpr size_t kRasEntryDeviceTypeAt = 972, kRasDeviceTypeSize = 17;
constexpr size_t kRasEntryDeviceNameAt = 989, kRasDeviceNameSize = 129;
static_assert(kRasEntryAreaCodeAt + kRasEntryAreaCodeSize == kRasEntryPhoneNumberAt);
static_assert(kRasEntryDeviceTypeAt + kRasDeviceTypeSize == kRasEntryDeviceNameAt);

// Dial parameters (RASDIALPARAMSA of the first version).
constexpr size_t kRasDialParamsSize = 1052;
constexpr size_t kRasDialSizeAt = 0;
constexpr size_t kRasDialEntryNameAt = 4, kRasDialEntryNameSize = 257;
constexpr size_t kRasDialPhoneNumberAt = 261, kRasDialPhoneNumberSize = 129;
constexpr size_t kRasDialCallbackNumberAt = 390, kRasDialCallbackNumberSize = 129;
constexpr size_t kRasDialUserNameAt = 519, kRasDialUserNameSize = 257;
constexpr size_t kRasDialPasswordAt = 776, kRasDialPasswordSize = 257;
constexpr size_t kRasDialDomainAt = 1033, kRasDialDomainSize = 16;
static_assert(kRasDialEntryNameAt + kRasDialEntryNameSize == kRasDialPhoneNumberAt);
static_assert(kRasDialPhoneNumberAt + kRasDialPhoneNumberSize == kRasDialCallbackNumberAt);
static_assert(kRasDialCallbackNumberAt + kRasDialCallbackNumberSize == kRasDialUserNameAt);
static_assert(kRasDialUserNameAt + kRasDialUserNameSize == kRasDialPasswordAt);
static_assert(kRasDialPasswordAt + kRasDialPasswordSize == kRasDialDomainAt);
static_assert(kRasDialDomainAt + kRasDialDomainSize <= kRasDialParamsSize);

// One device of the device list (RASDEVINFOA).
constexpr size_t kRasDeviceInfoSize = 152;
constexpr size_t kRasDeviceInfoTypeAt = 4;
constexpr size_t kRasDeviceInfoNameAt = 21;
static_assert(kRasDeviceInfoNameAt + kRasDeviceNameSize <= kRasDeviceInfoSize);

// What every line's entry holds: the Minitel access number dialled over PPP
// with TCP/IP, the remote network as default gateway, the modem lights.
constexpr uint32_t kLineEntryOptions = 0x110;  // RASEO_RemoteDefaultGateway | RASEO_ModemLights
constexpr uint32_t kLineEntryCountry = 33;
constexpr uint32_t kLineEntryNetProtocols = 4;    // RASNP_Ip
constexpr uint32_t kLineEntryFramingProtocol = 1;  // RASFP_Ppp
constexpr char kMinitelAccessNumber[] = "3622";
// The account of the Minitel access over IP, the same on every installation.
constexpr char kMinitelAccessUser[] = "minitel@reseaux";
constexpr char kMinitelAccessPassword[] = "accesip";

// The default of "AccesRAS": the entry names' common beginning.
constexpr char kDefaultEntryPrefix[] = "Connexion Quorel sur IP n°";

// The name of line `index`'s entry: the prefix followed by the index in
// decimal.
std::string LineEntryName(std::string_view prefix, int index);

struct DialUpDevice {
    std::string type;  // "modem", "isdn", ...
    std::string name;
};

// The entry properties of a line's entry on `device`: every byte zero but
// the size, the options, the country, the number, the protocols and the
// device (its texts cut to their fields).
std::array<uint8_t, kRasEntrySize> EncodeLineEntryProperties(const DialUpDevice& device);

// The dial parameters of the entry named `entryName` (cut to its field):
// every byte zero but the size, the name, the number and the account.
std::array<uint8_t, kRasDialParamsSize> EncodeLineDialParams(std::string_view entryName);

// The first `count` devices of a device list as the service answered it;
// devices that the list does not hold whole are left out. A text that fills
// its whole field ends at the field's end.
std::vector<DialUpDevice> DecodeDialUpDevices(std::span<const uint8_t> list, uint32_t count);

// The device a line's entry dials on: the first device whose name is the
// line's device name exactly; failing that, the first named device of the
// type the line's network calls for ("modem" for RTC, "isdn" for RNIS, in
// any letter case); a GSM line has no such fallback. Nothing when neither is
// found.
std::optional<DialUpDevice> ChooseLineDevice(std::span<const DialUpDevice> devices, std::string_view modemName,
                                             uint8_t networkType);

// The eleven entries of the dial-up library, in the order of this list.
enum DialUpFunction {
    kRasGetEntryDialParams,
    kRasGetEntryProperties,
    kRasSetEntryProperties,
    kRasSetEntryDialParams,
    kRasEditPhonebookEntry,
    kRasGetErrorString,
    kRasDial,
    kRasHangUp,
    kRasGetConnectStatus,
    kRasEnumDevices,
    kRasDeleteEntry,
    kDialUpFunctionCount,
};

// The exported names of those entries.
extern const std::array<const char*, kDialUpFunctionCount> kDialUpFunctionNames;

// Whether a library offering the entries marked in `found` can be used:
// all of them, except that one of the two entry readers (dial parameters or
// properties) may be missing, not both.
bool AreDialUpFunctionsUsable(std::span<const bool, kDialUpFunctionCount> found);
