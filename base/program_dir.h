// The program directory: every data file of the console lives there.
#pragma once
#include <string>
#include <string_view>

// The directory of the program file, without a trailing backslash, whatever
// its length.
std::string GetProgramDir();

// GetProgramDir() followed by `name`, which begins with a backslash ("\\admin.ini").
std::string ProgramPath(std::string_view name);

// The console's settings file: "admin.ini" of the program directory.
std::string AdminIniPath();

// Tests run the console's code against a fresh directory of their own.
// An empty text goes back to the program file's directory.
void SetProgramDirForTests(std::string dir);
