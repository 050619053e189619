#include "tests/journal_appender/append_record.h"

static bool WriteAt(HANDLE file, int64_t offset, const void* bytes, DWORD size)
{
    LARGE_INTEGER to;
    to.QuadPart = offset;
    DWORD written = 0;
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) && WriteFile(file, bytes, size, &written, nullptr) &&
           written == size;
}

bool AppendJournalRecord(const std::string& path, std::span<const uint8_t, 564> record, DWORD waitMs)
{
    DWORD start = GetTickCount();
    HANDLE file;
    for (;;) {
        file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return false;
        if (GetTickCount() - start > waitMs)
            return false;
        Sleep(1);
    }
    uint8_t head[4] = {};
    DWORD got = 0;
    bool ok = ReadFile(file, head, 4, &got, nullptr) && got == 4;
    int32_t count = static_cast<int32_t>(head[0] | (head[1] << 8) | (head[2] << 16) | (uint32_t(head[3]) << 24));
    ok = ok && count >= 0;
    if (ok) {
        uint32_t next = static_cast<uint32_t>(count) + 1;
        uint8_t newHead[4] = {uint8_t(next), uint8_t(next >> 8), uint8_t(next >> 16), uint8_t(next >> 24)};
        ok = WriteAt(file, 4 + int64_t(564) * count, record.data(), 564) && WriteAt(file, 0, newHead, 4);
    }
    CloseHandle(file);
    return ok;
}
