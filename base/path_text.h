// Pure text operations on Windows paths.
#pragma once
#include <string>
#include <string_view>

// The path cut just before its last backslash: "D:\\SERVEUR\\admin.exe" gives
// "D:\\SERVEUR". A path without a backslash gives an empty text.
std::string DirectoryOf(std::string_view path);
