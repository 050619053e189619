// The entries of the modem list: the telephony line devices, the soft modem
// and the special names of "whconfig.ini", each known by its identifier.
// Pure: no platform.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// 0 to 65534: the telephony line device of that identifier.
constexpr uint32_t kSoftModemId = 0xFFFF;
// 65536 + k: the k-th key of the section "SpecialNames".
constexpr uint32_t kSpecialNameFirstId = 0x10000;

inline bool IsLineDeviceId(uint32_t id)
{
    return id < kSoftModemId;
}

inline bool IsSpecialNameId(uint32_t id)
{
    return id >= kSpecialNameFirstId;
}

// The key names of an INI section as GetPrivateProfileStringA lists them
// without a key: names each ended by a zero byte, the list ended by an empty
// name. `list` is what the call filled; a name cut by the end of the buffer
// is left out.
std::vector<std::string> SplitKeyList(std::span<const char> list);
