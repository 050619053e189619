// The demo program directory and the writing of its files, for every part
// of the demo generator.
#pragma once
#include <cstdint>
#include <span>
#include <string>

// Where the files go; made when missing.
void SetDemoDirectory(const std::string& dir);

// The demo directory followed by a backslash and `name`.
std::string DemoPath(const std::string& name);

// Writes the file `name` of the demo directory whole; false, said on stderr,
// when it cannot.
bool SaveFile(const std::string& name, std::span<const uint8_t> bytes);

// Creates a subdirectory of the demo directory.
void MakeDemoDirectory(const std::string& name);

// Deletes a file of the demo directory, when it is there.
void RemoveDemoFile(const std::string& name);
