// The line files of a gateway directory and their work copy "cfgtemp". The
// configuration dialog edits the work copy through the tables of WorkLines
// and either commits it over the gateway's files or throws it away; the
// modem selection and its configuration library write into the work copy
// too. In every operation `dir` is the gateway directory.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "gateways/line_records.h"
#include "gateways/line_slots.h"

// The lines of the work copy while the configuration dialog is open.
extern LineTables WorkLines;
// The activity slot of each line of WorkLines (see line_slots.h).
extern LineSlotMap WorkLineSlots;

// "comlines.dat" without a line and "Fax0Mid.mid" with eight empty settings,
// for a new gateway.
void CreateLineFiles(const std::string& dir);

// The records of "comlines.dat" of `dir`, with `header` filled in (its count
// is the number of lines, never above eight). When the file is missing:
// "Le fichier Comlines.dat n'est pas présent dans le répertoire <dir>." over
// `window`, and nothing; when it is not a line file, nothing, silently.
std::optional<LineRecordTable> LoadLineRecords(HWND window, const std::string& dir, LineTableHeader& header);

// The header and `lines` settings records of "Fax0Mid.mid" of `dir`. When the
// file is missing: "Le fichier Fax0mid.mid n'est pas présent dans le
// répertoire <dir>." over `window`, and nothing; a wrong magic number gives
// nothing, silently.
std::optional<LineSettingsTable> LoadLineSettings(HWND window, const std::string& dir, DialSettingsHeader& header,
                                                 int lines);

// Both files into `tables`. When either cannot be used, `tables` holds no
// line and false is returned.
bool LoadLineTables(HWND window, const std::string& dir, LineTables& tables);

// Fills the work copy from the gateway's files and loads WorkLines from them;
// every line sits in its own slot. Whether the gateway's line files could be
// read (when not, WorkLines holds no line).
bool OpenWorkCopy(HWND window, const std::string& dir);

enum class WorkReload {
    Done,        // the line is there: one more line for an added one
    Unchanged,   // the work copy does not show what was asked; WorkLines stays as it was
    Unreadable,  // the work copy's line files cannot be read; WorkLines stays as it was
};

// Loads WorkLines again from the work directory (`dir` followed by
// "\cfgtemp") after the modem selection wrote line `index` into it, and
// prepares that line: a new one, in a free slot, when `index` was the line
// count.
WorkReload ReloadWorkCopy(HWND window, const std::string& workDir, int index);

// Rewrite the work copy's "comlines.dat" and "Fax0Mid.mid" from WorkLines,
// never leaving a file half-written. Whether the file was written.
bool WriteWorkLineRecords(const std::string& dir);
bool WriteWorkLineSettings(const std::string& dir);

// Removes line `index` from the work copy (its ".cnf" and ".cmd" files) and
// from WorkLines with its slot, only when the console holds that line (its
// slot's state is held). Whether it did.
bool RemoveLine(const std::string& dir, int index);

// The speaker mode of line `index`: the signed byte at offset 404 of the
// work copy's ".cnf" file of the network type the line is used on. Nothing
// when that file cannot be read or is too short.
std::optional<int> ReadSpeakerByte(const std::string& dir, int index);
// Stores `mode` there, leaving every other byte of the file as it is.
// Whether it was stored.
bool WriteSpeakerByte(const std::string& dir, int index, int mode);

// Between that byte and the speaker list of the configuration dialog, whose
// items are the modes in order. Reading selects the item of the file's mode
// (none for a mode the list does not have) and leaves the list as it is when
// the file cannot be read. Writing stores the selected item, and nothing when
// no item is selected; whether it was stored.
void ReadSpeakerMode(HWND speakerList, int index, const std::string& dir);
bool WriteSpeakerMode(HWND speakerList, int index, const std::string& dir);

// A gateway file as a commit found it: its content, or nothing when the
// file was not there.
struct SavedFile {
    std::string path;
    std::optional<std::vector<uint8_t>> content;
};
using CommitUndo = std::vector<SavedFile>;

// Replaces the gateway's line files and the ".cnf" and ".cmd" files of its
// lines by those of the work copy, then deletes the files of the lines that
// the work copy no longer has (lines removed, or given other files, while it
// was open). No other file of the gateway directory is touched. Every write
// is checked: when one fails, the files already written are put back as they
// were and false is returned; so it is when the work copy lacks one of its
// two line files, before anything is touched. With `undo`, what the commit
// replaced or deleted, for UndoCommit.
bool CommitWorkCopy(const std::string& dir, CommitUndo* undo = nullptr);

// Puts back the files a commit replaced or deleted, and removes those it
// created. Whether every file was put back.
bool UndoCommit(const CommitUndo& undo);

// Deletes the work directory "cfgtemp" with everything in it, whatever the
// modem configuration library left there.
void DiscardWorkCopy(const std::string& dir);

// What a save of the work copy that the end of the console cut short left
// in it is finished or dropped (FinishInterruptedReplacements). At start-up.
void FinishInterruptedWorkCopySaves(const std::string& dir);
