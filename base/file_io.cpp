#include "base/file_io.h"

#include <windows.h>

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

namespace {

// Closes the handle when the operation ends, whatever way it ends.
struct FileHandle {
    HANDLE h;
    explicit FileHandle(HANDLE handle) : h(handle) {}
    ~FileHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

HANDLE OpenForReading(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SeekTo(HANDLE h, uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) != 0;
}

bool WriteAll(HANDLE h, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

long long ReadAll(HANDLE h, std::span<uint8_t> out)
{
    size_t total = 0;
    while (total < out.size()) {
        size_t left = out.size() - total;
        DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(h, out.data() + total, chunk, &got, nullptr))
            return total ? static_cast<long long>(total) : -1;
        if (got == 0)
            break;
        total += got;
    }
    return static_cast<long long>(total);
}

}  // namespace

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path)
{
    FileHandle file(OpenForReading(path));
    if (!file.ok())
        return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.h, &size))
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    long long got = ReadAll(file.h, bytes);
    if (got < 0)
        return std::nullopt;
    bytes.resize(static_cast<size_t>(got));  // the file may have shrunk meanwhile
    return bytes;
}

long long ReadFileAt(const std::string& path, uint64_t offset, std::span<uint8_t> out)
{
    FileHandle file(OpenForReading(path));
    if (!file.ok())
        return -1;
    if (!SeekTo(file.h, offset))
        return 0;
    return ReadAll(file.h, out);
}

bool WriteFileAt(const std::string& path, uint64_t offset, std::span<const uint8_t> bytes)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.ok() && SeekTo(file.h, offset) && WriteAll(file.h, bytes);
}

bool WriteNewFile(const std::string& path, std::span<const uint8_t> bytes)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.ok() && WriteAll(file.h, bytes);
}

static bool WriteInPlace(const std::string& path, std::span<const uint8_t> bytes)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.ok() && WriteAll(file.h, bytes) && SetEndOfFile(file.h);
}

bool ReplaceFileSafely(const std::string& path, std::span<const uint8_t> bytes)
{
    std::string fresh = path + ".new";
    bool complete;
    {
        FileHandle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        complete = file.ok() && WriteAll(file.h, bytes) && FlushFileBuffers(file.h);
        if (!file.ok())
            return WriteInPlace(path, bytes);  // no room beside it (read-only directory): the old way
    }
    if (!complete) {
        DeleteFileA(fresh.c_str());
        return false;
    }
    if (MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // Another program holds the file open without letting it be replaced:
    // the content is complete beside it, so writing in place is now safe enough.
    bool written = WriteInPlace(path, bytes);
    DeleteFileA(fresh.c_str());
    return written;
}

FileReplacement::FileReplacement(const std::string& path) : path_(path), handle_(INVALID_HANDLE_VALUE)
{
    // Windows refuses to move a file over a read-only one; Wine would not.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return;
    size_t slash = path.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    char fresh[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "jrn", 0, fresh))
        return;
    fresh_ = fresh;
    handle_ = CreateFileA(fresh, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok_ = handle_ != INVALID_HANDLE_VALUE;
}

FileReplacement::~FileReplacement()
{
    Drop();
}

void FileReplacement::Drop()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!fresh_.empty())
        DeleteFileA(fresh_.c_str());
    fresh_.clear();
    ok_ = false;
}

bool FileReplacement::Write(std::span<const uint8_t> bytes)
{
    ok_ = ok_ && WriteAll(handle_, bytes);
    return ok_;
}

bool FileReplacement::Commit()
{
    // When it takes the place of an older file, the new content reaches the
    // disk first: a crash must not trade the old content for a part of the
    // new. A file that had no older one has nothing to lose.
    bool complete = ok_ && (!FileExists(path_) || FlushFileBuffers(handle_));
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (complete && MoveFileExA(fresh_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fresh_.clear();
        ok_ = false;
        return true;
    }
    Drop();
    return false;
}

bool ReplaceFileWhole(const std::string& path, std::span<const uint8_t> bytes)
{
    FileReplacement file(path);
    return file.Write(bytes) && file.Commit();
}

bool AppendToFile(const std::string& path, std::span<const uint8_t> bytes)
{
    FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.ok() && WriteAll(file.h, bytes);
}
