#include "whconfig/whconfig.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/ansi_case.h"
#include "base/file_io.h"
#include "base/path_text.h"
#include "telephony/modem_entries.h"
#include "whconfig/line_config.h"

namespace {

HMODULE Module;

// The work directory ordinal 3 opened; empty while none is.
std::string OpenWorkDir;

// The spellings the console gives the two line files.
constexpr char kLineFileName[] = "\\comlines.dat";
constexpr char kDialSettingsFileName[] = "\\Fax0Mid.mid";

constexpr unsigned kSoftModemNameSize = 64;
constexpr unsigned kKeyListSize = 2048;
constexpr unsigned kValueSize = 256;
constexpr char kConfigCaption[] = "Configuration du modem";

std::string ProgramDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(Module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return DirectoryOf(std::string_view(path, n));
}

std::string IniPath()
{
    return ProgramDir() + "\\whconfig.ini";
}

std::string IniText(const char* section, const char* key, unsigned size)
{
    std::string text(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, "", text.data(), size, IniPath().c_str());
    text.resize(n);
    return text;
}

// The key of "SpecialNames" that `name` stands for, as the section spells it.
std::optional<std::string> SpecialName(const char* name)
{
    std::vector<char> list(kKeyListSize, '\0');
    DWORD n = GetPrivateProfileStringA("SpecialNames", nullptr, "", list.data(), kKeyListSize, IniPath().c_str());
    for (const std::string& key : SplitKeyList(std::span<const char>(list).first(std::min<DWORD>(n, kKeyListSize)))) {
        if (EqualIgnoringCase(key, name))
            return key;
    }
    return std::nullopt;
}

std::optional<ModemChoice> ChoiceFor(const char* modem, int standard)
{
    if (!modem || !*modem)
        return std::nullopt;
    ModemChoice choice;
    choice.standard = standard != 0;
    if (std::string_view(modem) == kSoftModemArgument) {
        choice.kind = ModemKind::SoftModem;
        choice.name = IniText("SoftModem", "Name", kSoftModemNameSize);
        if (choice.name.empty())
            return std::nullopt;
    } else if (auto key = SpecialName(modem)) {
        choice.kind = ModemKind::SpecialEntry;
        choice.name = *key;
    } else {
        choice.name = modem;
    }
    choice.networkFlags = static_cast<uint8_t>(
        GetPrivateProfileIntA("Reseaux", choice.name.c_str(), 1, IniPath().c_str()));
    return choice;
}

bool ReadLineFiles(LineFileImages& images)
{
    auto lines = ReadWholeFile(OpenWorkDir + kLineFileName);
    auto settings = ReadWholeFile(OpenWorkDir + kDialSettingsFileName);
    if (!lines)
        return false;
    images.lines = std::move(*lines);
    images.settings = settings ? std::move(*settings) : std::vector<uint8_t>();
    return true;
}

bool NameTakenInWorkDir(const std::string& base)
{
    return FileExists(OpenWorkDir + "\\" + base + ".cnf") || FileExists(OpenWorkDir + "\\" + base + ".cmd");
}

bool WriteLineFiles(const ConfigNames& names, const ModemChoice& choice)
{
    for (int type = 0; type < kNetworkTypeCount; ++type) {
        std::string base = OpenWorkDir + "\\" + names[type];
        auto existing = ReadWholeFile(base + ".cnf");
        std::vector<uint8_t> cnf = ConfigFileImage(existing ? *existing : std::vector<uint8_t>(), choice, type);
        std::string cmd = CommandFileText(choice, type);
        if (!ReplaceFileSafely(base + ".cnf", cnf) ||
            !ReplaceFileSafely(base + ".cmd", std::span(reinterpret_cast<const uint8_t*>(cmd.data()), cmd.size())))
            return false;
    }
    return true;
}

void TellInUse(HWND owner, const ModemChoice& choice)
{
    std::string text = "Le modem \"" + choice.name + "\" est déjà utilisé par une autre ligne de cette passerelle.";
    MessageBoxA(owner, text.c_str(), kConfigCaption, MB_OK | MB_ICONEXCLAMATION);
}

int Result(LineChange change, HWND owner, const ModemChoice& choice)
{
    if (change == LineChange::InUse) {
        TellInUse(owner, choice);
        return kWhcStay;
    }
    return kWhcRefused;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

int WINAPI WhcOpenConfig(HWND, const char* workDir, int, const char*)
{
    OpenWorkDir.clear();
    std::string programDir = ProgramDir();
    if (!workDir || programDir.empty())
        return 0;
    auto dir = WorkDirectoryIn(programDir, workDir);
    if (!dir)
        return 0;
    DWORD attributes = GetFileAttributesA(dir->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    OpenWorkDir = *dir;
    return 1;
}

int WINAPI WhcCloseConfig(HWND, int)
{
    OpenWorkDir.clear();
    return 1;
}

int WINAPI WhcAddLine(HWND owner, const char* modem, int standard)
{
    auto choice = ChoiceFor(modem, standard);
    LineFileImages images;
    if (OpenWorkDir.empty() || !choice || !ReadLineFiles(images))
        return kWhcRefused;
    ConfigNames names;
    LineChange change = AddModemLine(images, *choice, NameTakenInWorkDir, names);
    if (change != LineChange::Done)
        return Result(change, owner, *choice);
    // The record comes last: until it is written the line does not exist.
    if (!WriteLineFiles(names, *choice) || !ReplaceFileSafely(OpenWorkDir + kDialSettingsFileName, images.settings) ||
        !ReplaceFileSafely(OpenWorkDir + kLineFileName, images.lines))
        return kWhcRefused;
    return kWhcDone;
}

int WINAPI WhcChangeLine(HWND owner, const char* modem, int lineIndex, int standard)
{
    auto choice = ChoiceFor(modem, standard);
    LineFileImages images;
    if (OpenWorkDir.empty() || !choice || !ReadLineFiles(images))
        return kWhcRefused;
    ConfigNames names;
    LineChange change = ChangeModemLine(images, lineIndex, *choice, NameTakenInWorkDir, names);
    if (change != LineChange::Done)
        return Result(change, owner, *choice);
    if (!WriteLineFiles(names, *choice) || !ReplaceFileSafely(OpenWorkDir + kLineFileName, images.lines))
        return kWhcRefused;
    return kWhcDone;
}

int WINAPI WhcShowSoftModem(HWND owner)
{
    std::string name = IniText("SoftModem", "Name", kSoftModemNameSize);
    std::string text = name.empty() ? std::string("Aucun modem logiciel n'est installé.")
                                    : name + "\n\nModem logiciel de Quorel : il n'utilise aucun port et n'a pas "
                                             "de réglage propre.";
    MessageBoxA(owner, text.c_str(), "Modem logiciel", MB_OK | MB_ICONINFORMATION);
    return 1;
}

int WINAPI whcGetSpecialProperties(HWND owner, const char* name)
{
    auto key = name ? SpecialName(name) : std::nullopt;
    if (!key)
        return 0;
    std::string value = IniText("SpecialNames", key->c_str(), kValueSize);
    std::string text = *key + "\n\n" + (value.empty() ? std::string("Entrée spéciale de Quorel.") : value);
    MessageBoxA(owner, text.c_str(), "Propriétés", MB_OK | MB_ICONINFORMATION);
    return 1;
}
