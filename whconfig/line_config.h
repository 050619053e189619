// What whconfig.dll writes for a line, over the images of the work copy's
// line files (the layouts of gateways/line_records.h) and of a line's ".cnf"
// and ".cmd" files. Pure: no platform.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gateways/line_records.h"

enum class ModemKind : uint8_t { LineDevice = 0, SoftModem = 1, SpecialEntry = 2 };

struct ModemChoice {
    std::string name;  // as displayed, and as stored in the record (cut to 63)
    ModemKind kind = ModemKind::LineDevice;
    uint8_t networkFlags = 1;
    bool standard = true;  // false when chosen through the advanced way
};

// The two line files of the work copy, as read and as to be written.
struct LineFileImages {
    std::vector<uint8_t> lines;     // comlines.dat
    std::vector<uint8_t> settings;  // Fax0Mid.mid
};

enum class LineChange {
    Done,
    InUse,       // the line device already serves another line
    Full,        // eight lines already
    NoSuchLine,  // the line to change is not there
    Unusable,    // not line files, or a line count beyond eight
    NoFreeName,  // every config name from L1 to L99 is taken
};

using ConfigNames = std::array<std::string, kNetworkTypeCount>;

// Whether a base name is already used by a file of the work directory.
using NameTaken = std::function<bool(const std::string& base)>;

// Appends a line for `choice`: a new record and its settings record. On Done
// the images hold the files to write and `names` the config names whose
// ".cnf" and ".cmd" files are to be written.
LineChange AddModemLine(LineFileImages& images, const ModemChoice& choice, const NameTaken& taken,
                        ConfigNames& names);

// Puts `choice` on line `index`: its modem name and network flags change, its
// config names stay (an empty or unusable one is replaced). Only
// `images.lines` is changed.
LineChange ChangeModemLine(LineFileImages& images, int index, const ModemChoice& choice, const NameTaken& taken,
                           ConfigNames& names);

// Layout of the ".cnf" file this library writes.
constexpr size_t kCnfSignatureAt = 0, kCnfSignatureSize = 16;
constexpr size_t kCnfVersionAt = 16, kCnfKindAt = 17, kCnfNetworkTypeAt = 18, kCnfStandardAt = 19;
constexpr size_t kCnfModemNameAt = 32, kCnfModemNameSize = 64;
constexpr uint8_t kCnfVersion = 1;
constexpr int8_t kNewSpeakerMode = 1;  // "Actif jusqu'à la connexion"

// The ".cnf" file for `choice` on network type `type`, made from the file as
// it stands (`existing`, empty when there is none): at least 512 bytes, the
// library's fields written, every other byte kept. A file too short to hold
// a speaker mode gets the new line's one.
std::vector<uint8_t> ConfigFileImage(std::span<const uint8_t> existing, const ModemChoice& choice, int type);

// The ".cmd" file for `choice` on network type `type`.
std::string CommandFileText(const ModemChoice& choice, int type);

// The full path of the work directory `workDir`, relative to `programDir`,
// or nothing when it is empty, absolute, on a drive or a network, or holds a
// name that could lead elsewhere ("..", ".", a device). A trailing separator
// is allowed.
std::optional<std::string> WorkDirectoryIn(std::string_view programDir, std::string_view workDir);
