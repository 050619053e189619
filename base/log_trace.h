// The console's log file ("quorel.log" in the temporary directory) and the
// optional trace window that another program may show.
#pragma once
#include <string>

// Appends the text and CR LF to the log file, creating it when missing. The
// file is shared with other programs while it is written. Failures are silent.
void AppendLog(const char* text);

// The log file's path: the temporary directory followed by "quorel.log".
std::string LogFilePath();

// Tests send the log elsewhere; an empty path goes back to the usual one.
void SetLogPathForTests(std::string path);

// Looks for the trace window (class "Dbs") and its list box (control 120)
// and keeps both handles; a trace window opened later is not noticed.
void FindTraceWindow();

// Formats with wvsprintfA (whose output stops at 1024 characters) and adds
// the line to the trace window's list box; nothing when none was found.
void Trace(const char* format, ...);
