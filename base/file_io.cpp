#include "base/file_io.h"

#include <algorithm>
#include <utility>

namespace {

// No single call reads or writes more than this; the loops do the rest.
constexpr size_t kLargestCall = size_t{1} << 30;

FileOperationSeam Seam;

// What the seam, when a test set one, lets the operation do.
FileOperationAnswer Ask(FileOperation operation, const std::string& path, uint64_t bytes = 0)
{
    if (!Seam.before)
        return FileOperationAnswer::proceed;
    FileOperationAnswer answer = Seam.before(Seam.context, operation, path, bytes);
    if (answer != FileOperationAnswer::proceed)
        SetLastError(ERROR_WRITE_FAULT);
    return answer;
}

bool Allowed(FileOperation operation, const std::string& path)
{
    return Ask(operation, path) == FileOperationAnswer::proceed;
}

bool ChangesTheDisk(FileAccess access, FileCreation creation)
{
    return access != FileAccess::read || creation != FileCreation::existing;
}

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

File::File(const std::string& path, FileAccess access, FileCreation creation, FileSharing sharing) : path_(path)
{
    if (ChangesTheDisk(access, creation) && !Allowed(FileOperation::create, path)) {
        openError_ = ERROR_WRITE_FAULT;
        return;
    }
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
      openError_(other.openError_), path_(std::move(other.path_))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        existed_ = other.existed_;
        openError_ = other.openError_;
        path_ = std::move(other.path_);
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
    if (!ok())
        return false;
    switch (Ask(FileOperation::write, path_, bytes.size())) {
    case FileOperationAnswer::proceed:
        break;
    case FileOperationAnswer::fail:
        return false;
    case FileOperationAnswer::tear:
        WriteAll(bytes.first(bytes.size() / 2));
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return WriteAll(bytes);
}

bool File::WriteAll(std::span<const uint8_t> bytes)
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
    return ok() && Allowed(FileOperation::write, path_) && SetEndOfFile(handle_);
}

bool File::Flush()
{
    return ok() && Allowed(FileOperation::flush, path_) && FlushFileBuffers(handle_);
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
    return ExaminePath(path) == PathState::file;
}

PathState ExaminePath(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::missing : PathState::unknown;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathState::directory : PathState::file;
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
    return WriteContentInto(*file, write) && file->Flush() ? InPlace::written : InPlace::cutShort;
}

static bool ReplacePath(const std::string& from, const std::string& to)
{
    return Allowed(FileOperation::move, to) &&
           MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

static std::string BesidePath(const std::string& path)
{
    return path + ".new";
}

static std::string WholeCopyPath(const std::string& path)
{
    return path + ".whole";
}

// Writes the whole content into the file beside `path`, made anew and kept
// from everybody meanwhile, and puts it on the disk. False, with nothing left
// beside, when a write fails; `noRoom` set when the file could not be made.
static bool WriteBeside(const std::string& beside, const ContentWriter& write, bool& noRoom)
{
    File fresh(beside, FileAccess::write, FileCreation::createAlways, FileSharing::nothing);
    noRoom = !fresh.ok();
    if (noRoom)
        return false;
    if (WriteContentInto(fresh, write) && fresh.Flush())
        return true;
    fresh.Close();
    RemoveFile(beside);
    return false;
}

// A file that cannot be removed at once gets a second try: a stale complete
// copy would otherwise be put back over later content.
static void RemoveWholeCopy(const std::string& whole)
{
    if (!RemoveFile(whole))
        RemoveFile(whole);
}

bool ReplaceFileSafely(const std::string& path, const ContentWriter& write, NoRoomBeside noRoom, File* held)
{
    std::string beside = BesidePath(path);
    bool besideRefused = false;
    if (!WriteBeside(beside, write, besideRefused)) {
        if (!besideRefused || noRoom == NoRoomBeside::leaveAsItIs)
            return false;
        return WriteInPlace(path, write, held) == InPlace::written;  // a read-only directory: the old way
    }
    if (ReplacePath(beside, path)) {
        if (held)
            held->Close();
        return true;
    }
    // Another program, or the caller, holds the file open so that it cannot
    // be replaced: the content goes in place, once its complete copy has a
    // name that says a write in place may be under way.
    std::string whole = WholeCopyPath(path);
    if (!ReplacePath(beside, whole)) {
        RemoveFile(beside);
        return false;
    }
    switch (WriteInPlace(path, write, held)) {
    case InPlace::written:
        if (held)
            held->Close();
        RemoveWholeCopy(whole);
        return true;
    case InPlace::untouched:
        RemoveWholeCopy(whole);  // the file is as it was
        return false;
    case InPlace::cutShort:
        break;
    }
    // Cut short in place: the content goes in once more, or the complete copy
    // takes the file's name, or it stays beside it until
    // FinishInterruptedReplacement can put it there.
    bool written = WriteInPlace(path, write, held) == InPlace::written;
    if (held)
        held->Close();
    if (written) {
        RemoveWholeCopy(whole);
        return true;
    }
    return ReplacePath(whole, path);
}

bool ReplaceFileSafely(const std::string& path, std::span<const uint8_t> bytes)
{
    return ReplaceFileSafely(path, [bytes](File& file) { return file.Write(bytes); }, NoRoomBeside::writeInPlace);
}

bool CreateNewFileSafely(const std::string& path, std::span<const uint8_t> bytes)
{
    if (ExaminePath(path) != PathState::missing)
        return false;
    std::string beside = BesidePath(path);
    bool noRoom = false;
    if (!WriteBeside(beside, [bytes](File& file) { return file.Write(bytes); }, noRoom))
        return false;
    if (MovePath(beside, path))  // never over a file that appeared meanwhile
        return true;
    RemoveFile(beside);
    return false;
}

bool FinishInterruptedReplacement(const std::string& path)
{
    std::string whole = WholeCopyPath(path);
    if (ExaminePath(whole) != PathState::file)
        return true;
    if (ReplacePath(whole, path))
        return true;
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(whole);
    if (!bytes || !ReplaceFileSafely(path, *bytes))
        return false;
    RemoveWholeCopy(whole);  // still there when the copy took the file's place by name
    return true;
}

static bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void FinishInterruptedReplacements(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    const std::string wholeEnd = WholeCopyPath(""), besideEnd = BesidePath("");
    for (const std::string& name : names) {
        if (EndsWith(name, wholeEnd)) {
            FinishInterruptedReplacement(dir + "\\" + name.substr(0, name.size() - wholeEnd.size()));
        } else if (EndsWith(name, besideEnd)) {
            std::string base = name.substr(0, name.size() - besideEnd.size());
            if (base.find('.') != std::string::npos)  // "reseau.dat.new", not a file of someone else's
                RemoveFile(dir + "\\" + name);
        }
    }
}

bool RemoveFile(const std::string& path)
{
    return Allowed(FileOperation::remove, path) && DeleteFileA(path.c_str()) != 0;
}

bool CopyFileOver(const std::string& from, const std::string& to, bool failIfExists)
{
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(from);
    if (!bytes)
        return false;
    return failIfExists ? CreateNewFileSafely(to, *bytes) : ReplaceFileSafely(to, *bytes);
}

bool MovePath(const std::string& from, const std::string& to)
{
    return Allowed(FileOperation::move, to) && MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool MoveFileOver(const std::string& from, const std::string& to)
{
    return ReplacePath(from, to);
}

bool MakeDirectory(const std::string& path)
{
    return Allowed(FileOperation::create, path) && CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveEmptyDirectory(const std::string& path)
{
    return Allowed(FileOperation::remove, path) && RemoveDirectoryA(path.c_str()) != 0;
}

void SetFileOperationSeamForTests(const FileOperationSeam* seam)
{
    Seam = seam ? *seam : FileOperationSeam{};
}
