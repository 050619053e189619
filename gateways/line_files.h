// The line files of a gateway directory and their work copy "cfgtemp". The
// configuration dialog edits the work copy through the tables of WorkLines
// and either commits it over the gateway's files or throws it away; the
// modem selection and its configuration library write into the work copy
// too. In every operation `dir` is the gateway directory.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "gateways/line_records.h"

// The lines of the work copy while the configuration dialog is open.
extern LineTables WorkLines;

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

// Fills the work copy from the gateway's files and loads WorkLines from them.
void OpenWorkCopy(HWND window, const std::string& dir);

// Loads WorkLines again from the work directory (`dir` followed by
// "\cfgtemp") after the modem selection wrote line `index` into it, and
// prepares that line: a new one when `index` was the line count.
void ReloadWorkCopy(HWND window, const std::string& workDir, int index);

// Rewrite the work copy's "comlines.dat" and "Fax0Mid.mid" from WorkLines,
// never leaving a file half-written. Whether the file was written.
bool WriteWorkLineRecords(const std::string& dir);
bool WriteWorkLineSettings(const std::string& dir);

// Removes line `index` from the work copy (its ".cnf" and ".cmd" files) and
// from WorkLines, only when the console holds that line. Whether it did.
bool RemoveLine(const std::string& dir, int index);

// The speaker mode of line `index`: the signed byte at offset 404 of the
// work copy's ".cnf" file of the network type the line is used on. Nothing
// when that file cannot be read or is too short.
std::optional<int> ReadSpeakerByte(const std::string& dir, int index);
// Stores `mode` there, leaving every other byte of the file as it is.
// Whether it was stored.
bool WriteSpeakerByte(const std::string& dir, int index, int mode);

// Replaces the gateway's files by the work copy, each file whole, the line
// files last; then the files the work copy does not bring back go. When the
// work copy lacks one of its two line files nothing is touched; when a file
// could not be replaced the others still are, nothing is deleted, and false
// is returned.
bool CommitWorkCopy(const std::string& dir);

// Deletes the work copy and, when nothing else was left in it, "cfgtemp".
void DiscardWorkCopy(const std::string& dir);

// What a save of the work copy that the end of the console cut short left
// in it is finished or dropped (FinishInterruptedReplacements). At start-up.
void FinishInterruptedWorkCopySaves(const std::string& dir);
