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
LineSlotMap WorkLineSlots = FirstLineSlots();

// Every base name the work copy's lines carried since it was opened: the
// files a commit may have to delete from the gateway directory.
static std::vector<std::string> KnownConfigNames;

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

static std::span<const LineRecord> WorkRecords()
{
    return std::span<const LineRecord>(WorkLines.records).first(LineCount(WorkLines));
}

// The ".cnf" and ".cmd" file names of the given base names.
static std::vector<std::string> FileNamesOf(std::span<const std::string> bases)
{
    std::vector<std::string> names;
    for (const std::string& base : bases) {
        names.push_back("\\" + base + ".cnf");
        names.push_back("\\" + base + ".cmd");
    }
    return names;
}

// Every ".cnf" and ".cmd" file name of the lines held in WorkLines.
static std::vector<std::string> WorkLineFileNames()
{
    std::vector<std::string> bases;
    for (const LineRecord& record : WorkRecords()) {
        for (const std::string& base : ConfigNamesOf(record))
            bases.push_back(base);
    }
    return FileNamesOf(bases);
}

static void RememberConfigNames()
{
    for (const LineRecord& record : WorkRecords()) {
        for (const std::string& base : ConfigNamesOf(record))
            KnownConfigNames.push_back(base);
    }
}

bool OpenWorkCopy(HWND window, const std::string& dir)
{
    MakeDirectory(WorkDir(dir));
    CopyToWorkDir(dir, kLineFileName, FALSE);
    CopyToWorkDir(dir, kDialSettingsFileName, FALSE);
    bool loaded = LoadLineTables(window, dir, WorkLines);
    WorkLineSlots = FirstLineSlots();
    KnownConfigNames.clear();
    RememberConfigNames();
    for (const std::string& name : WorkLineFileNames())
        CopyToWorkDir(dir, name, FALSE);
    return loaded;
}

WorkReload ReloadWorkCopy(HWND window, const std::string& workDir, int index)
{
    int count = LineCount(WorkLines);
    bool added = index == count;
    LineTables reloaded;
    if (!LoadLineTables(window, workDir, reloaded))
        return WorkReload::Unreadable;
    int expected = added ? count + 1 : count;
    if (index < 0 || index > count || LineCount(reloaded) != expected)
        return WorkReload::Unchanged;
    if (added) {
        int slot = FreeLineSlot(WorkLineSlots, count);
        if (slot < 0)
            return WorkReload::Unchanged;
        WorkLineSlots[index] = static_cast<int8_t>(slot);
    }
    WorkLines = reloaded;
    PrepareChosenLine(WorkLines, index, added);
    RememberConfigNames();
    return WorkReload::Done;
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
    int count = LineCount(WorkLines);
    if (index < 0 || index >= count ||
        LineState(CurrentGateway, WorkLineSlots[index]) != kLineStateUnreachable)
        return false;
    for (const std::string& base : ConfigNamesOf(WorkLines.records[index])) {
        RemoveFile(WorkDir(dir) + "\\" + base + ".cnf");
        RemoveFile(WorkDir(dir) + "\\" + base + ".cmd");
    }
    RemoveLineSlot(WorkLineSlots, count, index);
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

void ReadSpeakerMode(HWND speakerList, int index, const std::string& dir)
{
    auto mode = ReadSpeakerByte(dir, index);
    if (!mode)
        return;
    bool listed = *mode >= 0 && *mode < SendMessageA(speakerList, CB_GETCOUNT, 0, 0);
    SendMessageA(speakerList, CB_SETCURSEL, listed ? static_cast<WPARAM>(*mode) : static_cast<WPARAM>(-1), 0);
}

bool WriteSpeakerMode(HWND speakerList, int index, const std::string& dir)
{
    auto mode = SendMessageA(speakerList, CB_GETCURSEL, 0, 0);
    auto modes = SendMessageA(speakerList, CB_GETCOUNT, 0, 0);
    if (mode < 0 || mode >= modes || mode > INT8_MAX)
        return false;
    return WriteSpeakerByte(dir, index, static_cast<int>(mode));
}

// The content the gateway file has now, kept for putting it back. False when
// the file is there but cannot be read.
static bool SaveForUndo(const std::string& path, CommitUndo& saved)
{
    auto content = ReadWholeFile(path);
    if (!content && FileExists(path))
        return false;
    saved.push_back({path, std::move(content)});
    return true;
}

bool UndoCommit(const CommitUndo& undo)
{
    bool restored = true;
    for (auto file = undo.rbegin(); file != undo.rend(); ++file) {
        if (file->content)
            restored = ReplaceFileSafely(file->path, *file->content) && restored;
        else if (FileExists(file->path))
            restored = RemoveFile(file->path) && restored;
    }
    return restored;
}

bool CommitWorkCopy(const std::string& dir, CommitUndo* undo)
{
    // Everything to write is read first, the line files last: a server that
    // reads the gateway meanwhile finds a line's files before its record.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> writes;
    for (const std::string& name : WorkLineFileNames()) {
        if (auto content = ReadWholeFile(WorkDir(dir) + name))
            writes.emplace_back(name, std::move(*content));
    }
    for (const char* name : {kDialSettingsFileName, kLineFileName}) {
        auto content = ReadWholeFile(WorkDir(dir) + name);
        if (!content)
            return false;
        writes.emplace_back(name, std::move(*content));
    }
    std::vector<std::string> stale;
    for (const std::string& name : FileNamesOf(StaleConfigNames(KnownConfigNames, WorkRecords()))) {
        if (FileExists(dir + name))
            stale.push_back(name);
    }

    CommitUndo saved;
    for (const auto& write : writes) {
        if (!SaveForUndo(dir + write.first, saved))
            return false;
    }
    for (const std::string& name : stale) {
        if (!SaveForUndo(dir + name, saved))
            return false;
    }
    for (size_t n = 0; n < writes.size(); ++n) {
        if (!ReplaceFileSafely(dir + writes[n].first, writes[n].second)) {
            UndoCommit(CommitUndo(saved.begin(), saved.begin() + n + 1));
            return false;
        }
    }
    // The files of lines that are gone are dropped only once the new ones
    // are all in place; one that cannot be deleted only stays behind.
    for (const std::string& name : stale)
        RemoveFile(dir + name);
    if (undo)
        *undo = std::move(saved);
    return true;
}

void FinishInterruptedWorkCopySaves(const std::string& dir)
{
    FinishInterruptedReplacements(WorkDir(dir));
}

void DiscardWorkCopy(const std::string& dir)
{
    DeleteTree(WorkDir(dir));
}
