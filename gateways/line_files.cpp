#include "gateways/line_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "gateways/gateway_registry.h"
#include "base/ansi_case.h"
#include "base/directory_ops.h"
#include "base/file_io.h"
#include "base/modal_seam.h"
#include "states/activity_files.h"

LineTables WorkLines;

// One spelling per file, the one the files are created with: the server
// and the modem configuration library open them by these names.
constexpr const char* kLineFileName = "\\comlines.dat";
constexpr const char* kDialSettingsFileName = "\\Fax0Mid.mid";
constexpr const char* kWorkDirName = "\\cfgtemp";

static std::string WorkDir(const std::string& dir)
{
    return dir + kWorkDirName;
}

static void ShowMissingFile(HWND window, const char* format, const std::string& dir)
{
    std::string text(std::snprintf(nullptr, 0, format, dir.c_str()) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, dir.c_str());
    text.pop_back();
    ShowMessageBox(window, text.c_str(), "Erreur ouverture fichier", MB_OK | MB_ICONEXCLAMATION);
}

void CreateLineFiles(const std::string& dir)
{
    ReplaceFileSafely(dir + kLineFileName, NewLineFile());
    ReplaceFileSafely(dir + kDialSettingsFileName, NewDialSettingsFile());
}

std::optional<LineRecordTable> LoadLineRecords(HWND window, const std::string& dir, LineTableHeader& header)
{
    auto file = ReadWholeFile(dir + kLineFileName);
    if (!file) {
        ShowMissingFile(window, "Le fichier Comlines.dat n'est pas présent dans le répertoire %s.", dir);
        return std::nullopt;
    }
    LineFileHeader fileHeader;
    LineRecordTable records;
    if (DecodeLineFile(*file, fileHeader, header, records) != LineFileVerdict::Usable)
        return std::nullopt;
    return records;
}

std::optional<LineSettingsTable> LoadLineSettings(HWND window, const std::string& dir, DialSettingsHeader& header,
                                                 int lines)
{
    auto file = ReadWholeFile(dir + kDialSettingsFileName);
    if (!file) {
        ShowMissingFile(window, "Le fichier Fax0mid.mid n'est pas présent dans le répertoire %s.", dir);
        return std::nullopt;
    }
    LineSettingsTable settings;
    if (!DecodeDialSettingsFile(*file, lines, header, settings))
        return std::nullopt;
    return settings;
}

bool LoadLineTables(HWND window, const std::string& dir, LineTables& tables)
{
    tables = LineTables{};
    LineTableHeader header;
    auto records = LoadLineRecords(window, dir, header);
    if (!records)
        return false;
    DialSettingsHeader settingsHeader;
    auto settings = LoadLineSettings(window, dir, settingsHeader, header.count);
    if (!settings)
        return false;  // a line without its settings is not shown or edited
    tables.tableHeader = header;
    tables.records = *records;
    tables.settingsHeader = settingsHeader;
    tables.settings = *settings;
    return true;
}

static int LineCount(const LineTables& tables)
{
    return std::min<int>(tables.tableHeader.count, MaxLines);
}

// Every ".cnf" and ".cmd" file name of the lines held in WorkLines.
static std::vector<std::string> WorkLineFileNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < LineCount(WorkLines); ++i) {
        for (const std::string& base : ConfigNamesOf(WorkLines.records[i])) {
            names.push_back("\\" + base + ".cnf");
            names.push_back("\\" + base + ".cmd");
        }
    }
    return names;
}

void OpenWorkCopy(HWND window, const std::string& dir)
{
    MakeDirectory(WorkDir(dir));
    CopyToWorkDir(dir, kLineFileName, FALSE);
    CopyToWorkDir(dir, kDialSettingsFileName, FALSE);
    LoadLineTables(window, dir, WorkLines);
    for (const std::string& name : WorkLineFileNames())
        CopyToWorkDir(dir, name, FALSE);
}

void ReloadWorkCopy(HWND window, const std::string& workDir, int index)
{
    bool added = index == LineCount(WorkLines);
    LoadLineTables(window, workDir, WorkLines);
    PrepareChosenLine(WorkLines, index, added);
}

bool WriteWorkLineRecords(const std::string& dir)
{
    std::string path = WorkDir(dir) + kLineFileName;
    std::array<uint8_t, kLineFileHeaderSize> head{};
    LineFileHeader fileHeader = StandardLineFileHeader();
    if (ReadFileAt(path, 0, head) == static_cast<long long>(head.size())) {
        LineFileHeader read = DecodeLineFileHeader(head);
        if (HasLineFileMagic(read))
            fileHeader = read;
    }
    return ReplaceFileSafely(path, EncodeLineFile(fileHeader, WorkLines.tableHeader,
                                                  std::span(WorkLines.records).first(LineCount(WorkLines))));
}

bool WriteWorkLineSettings(const std::string& dir)
{
    std::string path = WorkDir(dir) + kDialSettingsFileName;
    return ReplaceFileSafely(path, EncodeDialSettingsFile(WorkLines.settingsHeader,
                                                          std::span(WorkLines.settings).first(LineCount(WorkLines))));
}

bool RemoveLine(const std::string& dir, int index)
{
    if (index < 0 || index >= LineCount(WorkLines) || LineState(CurrentGateway, index) != kLineStateUnreachable)
        return false;
    for (const std::string& base : ConfigNamesOf(WorkLines.records[index])) {
        RemoveFile(WorkDir(dir) + "\\" + base + ".cnf");
        RemoveFile(WorkDir(dir) + "\\" + base + ".cmd");
    }
    return RemoveLineAt(WorkLines, index);
}

// The work copy's ".cnf" file of line `index`, or an empty text.
static std::string SpeakerFile(const std::string& dir, int index)
{
    if (index < 0 || index >= LineCount(WorkLines))
        return {};
    std::string base = ActiveConfigName(WorkLines.records[index], WorkLines.settings[index]);
    return base.empty() ? std::string() : WorkDir(dir) + "\\" + base + ".cnf";
}

std::optional<int> ReadSpeakerByte(const std::string& dir, int index)
{
    std::string path = SpeakerFile(dir, index);
    if (path.empty())
        return std::nullopt;
    std::array<uint8_t, kConfigHeadSize> head{};
    long long got = ReadFileAt(path, 0, head);
    if (got < 0)
        return std::nullopt;
    return SpeakerModeIn(std::span(head).first(static_cast<size_t>(got)));
}

bool WriteSpeakerByte(const std::string& dir, int index, int mode)
{
    if (!ReadSpeakerByte(dir, index))
        return false;  // missing, or too short to hold the byte
    const uint8_t byte[1] = {static_cast<uint8_t>(mode)};
    return WriteFileAt(SpeakerFile(dir, index), kSpeakerModeAt, byte);
}

static bool CopyFromWorkDir(const std::string& dir, const std::string& name)
{
    return CopyFileOver(WorkDir(dir) + name, dir + name);
}

// Deletes the files lying directly in `dir` (names with a dot) that are not
// among `kept` ("\\name", in any letter case).
static void DeleteFilesNotKept(const std::string& dir, const std::vector<std::string>& kept)
{
    std::vector<DirectoryEntry> entries;
    if (!ListDirectoryEntries(dir, entries))
        return;
    for (const DirectoryEntry& entry : entries) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || entry.name.find('.') == std::string::npos)
            continue;
        bool keep = std::any_of(kept.begin(), kept.end(),
                                [&](const std::string& name) { return EqualIgnoringCase(name.substr(1), entry.name); });
        if (!keep)
            RemoveFile(dir + "\\" + entry.name);
    }
}

bool CommitWorkCopy(const std::string& dir)
{
    // Never without a work copy to put in the files' place.
    if (!FileExists(WorkDir(dir) + kLineFileName) || !FileExists(WorkDir(dir) + kDialSettingsFileName))
        return false;
    // Each file of the work copy takes the place of the gateway's whole; the
    // files the lines name first, the line files last, so that the server
    // never finds a line whose files are not there. What the work copy does
    // not bring back goes only once everything else is in place.
    std::vector<std::string> kept;
    bool copied = true;
    for (const std::string& name : WorkLineFileNames()) {
        if (!FileExists(WorkDir(dir) + name))
            continue;  // a missing file is skipped
        copied = CopyFromWorkDir(dir, name) && copied;
        kept.push_back(name);
    }
    for (const char* name : {kDialSettingsFileName, kLineFileName}) {
        copied = CopyFromWorkDir(dir, name) && copied;
        kept.push_back(name);
    }
    if (copied)
        DeleteFilesNotKept(dir, kept);
    return copied;
}

void FinishInterruptedWorkCopySaves(const std::string& dir)
{
    FinishInterruptedReplacements(WorkDir(dir));
}

void DiscardWorkCopy(const std::string& dir)
{
    std::string work = WorkDir(dir);
    RemoveFile(work + kLineFileName);
    RemoveFile(work + kDialSettingsFileName);
    for (const std::string& name : WorkLineFileNames())
        RemoveFile(work + name);
    RemoveEmptyDirectory(work);
}
