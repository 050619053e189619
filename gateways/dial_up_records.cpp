#include "gateways/dial_up_records.h"

#include "base/ansi_case.h"
#include "base/le_bytes.h"

const std::array<const char*, kDialUpFunctionCount> kDialUpFunctionNames = {
    "RasGetEntryDialParamsA", "RasGetEntryPropertiesA", "RasSetEntryPropertiesA", "RasSetEntryDialParamsA",
    "RasEditPhonebookEntryA", "RasGetErrorStringA",     "RasDialA",               "RasHangUpA",
    "RasGetConnectStatusA",   "RasEnumDevicesA",        "RasDeleteEntryA",
};

std::string LineEntryName(std::string_view prefix, int index)
{
    return std::string(prefix) + std::to_string(index);
}

std::array<uint8_t, kRasEntrySize> EncodeLineEntryProperties(const DialUpDevice& device)
{
    std::array<uint8_t, kRasEntrySize> entry{};
    WriteU32(entry, kRasEntrySizeAt, kRasEntrySize);
    WriteU32(entry, kRasEntryOptionsAt, kLineEntryOptions);
    WriteU32(entry, kRasEntryCountryIdAt, kLineEntryCountry);
    WriteU32(entry, kRasEntryCountryCodeAt, kLineEntryCountry);
    WriteText(entry, kRasEntryPhoneNumberAt, kRasEntryPhoneNumberSize, kMinitelAccessNumber);
    WriteU32(entry, kRasEntryNetProtocolsAt, kLineEntryNetProtocols);
    WriteU32(entry, kRasEntryFramingProtocolAt, kLineEntryFramingProtocol);
    WriteText(entry, kRasEntryDeviceTypeAt, kRasDeviceTypeSize, device.type);
    WriteText(entry, kRasEntryDeviceNameAt, kRasDeviceNameSize, device.name);
    return entry;
}

std::array<uint8_t, kRasDialParamsSize> EncodeLineDialParams(std::string_view entryName)
{
    std::array<uint8_t, kRasDialParamsSize> params{};
    WriteU32(params, kRasDialSizeAt, kRasDialParamsSize);
    WriteText(params, kRasDialEntryNameAt, kRasDialEntryNameSize, entryName);
    WriteText(params, kRasDialPhoneNumberAt, kRasDialPhoneNumberSize, kMinitelAccessNumber);
    WriteText(params, kRasDialUserNameAt, kRasDialUserNameSize, kMinitelAccessUser);
    WriteText(params, kRasDialPasswordAt, kRasDialPasswordSize, kMinitelAccessPassword);
    return params;
}

std::vector<DialUpDevice> DecodeDialUpDevices(std::span<const uint8_t> list, uint32_t count)
{
    std::vector<DialUpDevice> devices;
    size_t whole = list.size() / kRasDeviceInfoSize;
    for (size_t i = 0; i < count && i < whole; ++i) {
        std::span<const uint8_t> info = list.subspan(i * kRasDeviceInfoSize, kRasDeviceInfoSize);
        devices.push_back({ReadText(info, kRasDeviceInfoTypeAt, kRasDeviceTypeSize),
                           ReadText(info, kRasDeviceInfoNameAt, kRasDeviceNameSize)});
    }
    return devices;
}

std::optional<DialUpDevice> ChooseLineDevice(std::span<const DialUpDevice> devices, std::string_view modemName,
                                             uint8_t networkType)
{
    const char* fallbackType = networkType == 0 ? "modem" : networkType == 2 ? "isdn" : nullptr;
    std::optional<DialUpDevice> fallback;
    for (const DialUpDevice& device : devices) {
        if (device.name.empty())
            continue;
        if (device.name == modemName)
            return device;
        if (!fallback && fallbackType && EqualIgnoringCase(device.type, fallbackType))
            fallback = device;
    }
    return fallback;
}

bool AreDialUpFunctionsUsable(std::span<const bool, kDialUpFunctionCount> found)
{
    for (int f = 0; f < kDialUpFunctionCount; ++f) {
        if (!found[f] && f != kRasGetEntryDialParams && f != kRasGetEntryProperties)
            return false;
    }
    return found[kRasGetEntryDialParams] || found[kRasGetEntryProperties];
}
