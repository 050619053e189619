#include "base/file_io.h"

#include <algorithm>
#include <utility>

namespace {

// No single call reads or writes more than this; the loops do the rest.
constexpr size_t kLargestCall = size_t{1} << 30;

DWORD AccessFlags(FileAccess access)
{
    switch (access) {
    case FileAccess::read:      return GENERIC_READ;
    case FileAccess::write:     return GENERIC_WRITE;
    case FileAccess::readWrite: return GENERIC_READ | GENERIC_WRITE;
    case FileAccess::append:    return FILE_APPEND_DATA;
    }
    return 0;
}

DWORD SharingFlags(FileSharing sharing)
{
    switch (sharing) {
    case FileSharing::everything:  return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    case FileSharing::readersOnly: return FILE_SHARE_READ | FILE_SHARE_DELETE;
    case FileSharing::nothing:     return 0;
    }
    return 0;
}

DWORD CreationFlags(FileCreation creation)
{
    switch (creation) {
    case FileCreation::existing:     return OPEN_EXISTING;
    case FileCreation::openAlways:   return OPEN_ALWAYS;
    case FileCreation::createNew:    return CREATE_NEW;
    case FileCreation::createAlways: return CREATE_ALWAYS;
    }
    return OPEN_EXISTING;
}

}  // namespace

File::File(const std::string& path, FileAccess access, FileCreation creation, FileSharing sharing)
{
    handle_ = CreateFileA(path.c_str(), AccessFlags(access), SharingFlags(sharing), nullptr, CreationFlags(creation),
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = GetLastError();
    if (!ok()) {
        openError_ = error;
        return;
    }
    switch (creation) {
    case FileCreation::existing:     existed_ = true; break;
    case FileCreation::createNew:    existed_ = false; break;
    case FileCreation::openAlways:
    case FileCreation::createAlways: existed_ = error == ERROR_ALREADY_EXISTS; break;
    }
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)), existed_(other.existed_),
      openError_(other.openError_)
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        existed_ = other.existed_;
        openError_ = other.openError_;
    }
    return *this;
}

bool File::Close()
{
    bool closed = !ok() || CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
}

std::optional<uint64_t> File::Size() const
{
    LARGE_INTEGER size;
    if (!ok() || !GetFileSizeEx(handle_, &size))
        return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

bool File::Seek(uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ok() && SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
}

long long File::Read(std::span<uint8_t> out)
{
    size_t total = 0;
    while (total < out.size()) {
        DWORD chunk = static_cast<DWORD>(std::min(out.size() - total, kLargestCall));
        DWORD got = 0;
        if (!ReadFile(handle_, out.data() + total, chunk, &got, nullptr))
            return total ? static_cast<long long>(total) : -1;
        if (got == 0)
            break;
        total += got;
    }
    return static_cast<long long>(total);
}

bool File::Write(std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kLargestCall));
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

bool File::EndHere()
{
    return ok() && SetEndOfFile(handle_);
}

bool File::Flush()
{
    return ok() && FlushFileBuffers(handle_);
}

File HoldFileAgainstWriters(const std::string& path, FileCreation creation, unsigned patienceMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        File file(path, FileAccess::readWrite, creation, FileSharing::readersOnly);
        if (file.ok() || !file.inUse() || GetTickCount() - start > patienceMs)
            return file;
        Sleep(1);
    }
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path)
{
    File file(path, FileAccess::read, FileCreation::existing);
    std::optional<uint64_t> size = file.Size();
    if (!size)
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(*size));
    long long got = file.Read(bytes);
    if (got < 0)
        return std::nullopt;
    bytes.resize(static_cast<size_t>(got));  // the file may have shrunk meanwhile
    return bytes;
}

long long ReadFileAt(const std::string& path, uint64_t offset, std::span<uint8_t> out)
{
    File file(path, FileAccess::read, FileCreation::existing);
    if (!file.ok())
        return -1;
    if (!file.Seek(offset))
        return 0;
    return file.Read(out);
}

bool WriteFileAt(const std::string& path, uint64_t offset, std::span<const uint8_t> bytes)
{
    File file(path, FileAccess::readWrite, FileCreation::existing);
    return file.ok() && file.Seek(offset) && file.Write(bytes);
}

bool WriteNewFile(const std::string& path, std::span<const uint8_t> bytes)
{
    File file(path, FileAccess::readWrite, FileCreation::createAlways);
    return file.ok() && file.Write(bytes);
}

FileReplacement::FileReplacement(const std::string& path) : path_(path)
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
    file_ = File(fresh_, FileAccess::write, FileCreation::existing, FileSharing::nothing);
    ok_ = file_.ok();
}

FileReplacement::~FileReplacement()
{
    Drop();
}

void FileReplacement::Drop()
{
    file_.Close();
    if (!fresh_.empty())
        DeleteFileA(fresh_.c_str());
    fresh_.clear();
    ok_ = false;
}

bool FileReplacement::Write(std::span<const uint8_t> bytes)
{
    ok_ = ok_ && file_.Write(bytes);
    return ok_;
}

bool FileReplacement::Commit()
{
    // When it takes the place of an older file, the new content reaches the
    // disk first: a crash must not trade the old content for a part of the
    // new. A file that had no older one has nothing to lose.
    bool complete = ok_ && (!FileExists(path_) || file_.Flush());
    complete = file_.Close() && complete;
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
    File file(path, FileAccess::append, FileCreation::openAlways);
    return file.ok() && file.Write(bytes);
}

// The whole content from the start of `file`, which then ends there.
static bool WriteContentInto(File& file, const ContentWriter& write)
{
    return file.ok() && file.Seek(0) && write(file) && file.EndHere();
}

// What writing the content in place came to.
enum class InPlace { written, untouched, cutShort };

static InPlace WriteInPlace(const std::string& path, const ContentWriter& write, File* held)
{
    File opened;
    File* file = held;
    if (!file) {
        opened = File(path, FileAccess::readWrite, FileCreation::openAlways);
        if (!opened.ok())
            return InPlace::untouched;
        file = &opened;
    }
    return WriteContentInto(*file, write) ? InPlace::written : InPlace::cutShort;
}

static bool ReplacePath(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool ReplaceFileSafely(const std::string& path, const ContentWriter& write, NoRoomBeside noRoom, File* held)
{
    std::string beside = path + ".new";
    {
        File fresh(beside, FileAccess::write, FileCreation::createAlways, FileSharing::nothing);
        if (!fresh.ok()) {
            if (noRoom == NoRoomBeside::leaveAsItIs)
                return false;
            return WriteInPlace(path, write, held) == InPlace::written;  // a read-only directory: the old way
        }
        if (!WriteContentInto(fresh, write) || !fresh.Flush()) {
            fresh.Close();
            RemoveFile(beside);
            return false;
        }
    }
    if (ReplacePath(beside, path)) {
        if (held)
            held->Close();
        return true;
    }
    // Another program, or the caller, holds the file open so that it cannot
    // be replaced: the content is complete beside it, so writing in place is
    // now safe enough.
    switch (WriteInPlace(path, write, held)) {
    case InPlace::written:
        if (held)
            held->Close();
        RemoveFile(beside);
        return true;
    case InPlace::untouched:
        RemoveFile(beside);  // the file is as it was
        return false;
    case InPlace::cutShort:
        break;
    }
    // Cut short in place: the whole content beside it takes the file's name,
    // or stays there for a person to recover.
    if (held)
        held->Close();
    return ReplacePath(beside, path);
}

bool ReplaceFileSafely(const std::string& path, std::span<const uint8_t> bytes)
{
    return ReplaceFileSafely(path, [bytes](File& file) { return file.Write(bytes); }, NoRoomBeside::writeInPlace);
}

bool RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0;
}

bool CopyFileOver(const std::string& from, const std::string& to, bool failIfExists)
{
    return CopyFileA(from.c_str(), to.c_str(), failIfExists) != 0;
}

bool MovePath(const std::string& from, const std::string& to)
{
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool MakeDirectory(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveEmptyDirectory(const std::string& path)
{
    return RemoveDirectoryA(path.c_str()) != 0;
}
