// The yardstick of the benchmarks that run under Wine: a whole file read
// into memory with plain ReadFile calls of `chunk` bytes.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

inline bool ReadInChunks(const std::string& path, std::vector<uint8_t>& bytes, size_t chunk)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min(bytes.size() - at, chunk));
        if (!ReadFile(file, bytes.data() + at, want, &got, nullptr) || got == 0)
            break;
        at += got;
    }
    CloseHandle(file);
    return at == bytes.size();
}
