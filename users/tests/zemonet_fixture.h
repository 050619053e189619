// The test double of "ZemoNet.DLL" put into a test's program directory with
// its script (see tests/doubles/zemonet/zemonet_double.cpp), and the lines of
// the text files it and the console write.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/wine/test_support.h"

namespace zemonet_fixture {

// The lines of a text file, without their CR LF; none when it is missing.
inline std::vector<std::string> Lines(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    std::vector<std::string> lines;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

inline int CountOf(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

inline int CountStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
}

// Copies the double from its folder beside the test program's (..\doubles\zemonet,
// or ..\doubles\zemonet_partial for the one without "GetUserRight") into `dir`
// as ZemoNet.DLL, with `script` as its ZemoNet.txt. Its calls go to
// dir\ZemoNet.log.
inline void InstallZemoNetDouble(const std::string& dir, const std::string& script, const char* folder = "zemonet")
{
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string source = program;
    source = source.substr(0, source.find_last_of('\\')) + "\\..\\doubles\\" + folder + "\\ZemoNet.DLL";
    ASSERT_TRUE(CopyFileA(source.c_str(), (dir + "\\ZemoNet.DLL").c_str(), FALSE)) << source;
    WriteBytes(dir + "\\ZemoNet.txt", std::vector<uint8_t>(script.begin(), script.end()));
}

}  // namespace zemonet_fixture
