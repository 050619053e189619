#include "tools/demo/demo_files.h"

#include <windows.h>

#include <cstdio>

static std::string Dir = ".";

void SetDemoDirectory(const std::string& dir)
{
    Dir = dir;
    CreateDirectoryA(Dir.c_str(), nullptr);
}

std::string DemoPath(const std::string& name)
{
    return Dir + "\\" + name;
}

bool SaveFile(const std::string& name, std::span<const uint8_t> bytes)
{
    FILE* f = std::fopen(DemoPath(name).c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0)
        ok = false;
    if (!ok)
        std::fprintf(stderr, "make_demo: cannot write %s\n", DemoPath(name).c_str());
    return ok;
}

void MakeDemoDirectory(const std::string& name)
{
    CreateDirectoryA(DemoPath(name).c_str(), nullptr);
}

void RemoveDemoFile(const std::string& name)
{
    DeleteFileA(DemoPath(name).c_str());
}
