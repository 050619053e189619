// File access shared by every part of the console. Every file operation of
// the program goes through the functions of this file: an open handle (File)
// and the whole-file operations built on it.
//
// Unless said otherwise, a file is opened so that other programs (the server,
// the workstations) may read, write and delete it meanwhile, and no handle
// stays open after the call.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What other programs may do with a file while the console has it open.
enum class FileSharing {
    everything,   // read, write and delete it: every ordinary open
    readersOnly,  // read and delete it, not write it: a rewrite that keeps the server's appends out
    nothing,      // nothing at all: a new file written beside the one it will replace
};

enum class FileAccess { read, write, readWrite, append };

enum class FileCreation {
    existing,     // opens the file; fails when it is missing
    openAlways,   // opens the file, creating it empty when it is missing
    createNew,    // creates the file; fails when it is there
    createAlways, // creates the file, or empties the one that is there
};

// An open file, closed when the object goes. Reads and writes loop until
// everything asked for is done, so that no caller ever sees a partial call.
class File {
public:
    File() = default;
    File(const std::string& path, FileAccess access, FileCreation creation,
         FileSharing sharing = FileSharing::everything);
    ~File() { Close(); }
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    // What the open found: the file was there already (always true for
    // FileCreation::existing), or why it could not be opened.
    bool existed() const { return existed_; }
    bool missing() const { return openError_ == ERROR_FILE_NOT_FOUND || openError_ == ERROR_PATH_NOT_FOUND; }
    bool inUse() const { return openError_ == ERROR_SHARING_VIOLATION || openError_ == ERROR_LOCK_VIOLATION; }
    // False when the platform reports that closing failed (what was written
    // may not all be in the file).
    bool Close();

    // The file's length now; nothing when it cannot be known.
    std::optional<uint64_t> Size() const;
    bool Seek(uint64_t offset);
    // Reads up to out.size() bytes from the position. Returns the number read
    // (fewer at the end of the file, or when a read fails part-way), or -1
    // when the first read fails.
    long long Read(std::span<uint8_t> out);
    // Writes every byte at the position; false when a write fails.
    bool Write(std::span<const uint8_t> bytes);
    // Makes the file end at the position.
    bool EndHere();
    // Puts what was written on the disk.
    bool Flush();

private:
    bool WriteAll(std::span<const uint8_t> bytes);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool existed_ = false;
    DWORD openError_ = 0;
    std::string path_;  // for the test seam (SetFileOperationSeamForTests)
};

// Opens the file for reading and writing while keeping every other writer
// out (others may still read and delete it). While another program has it
// open for writing, tries again for up to `patienceMs` milliseconds: the
// server holds the journal only for the length of one append. The result
// tells, when it is not ok(), whether the file was missing or still in use.
File HoldFileAgainstWriters(const std::string& path, FileCreation creation, unsigned patienceMs);

bool FileExists(const std::string& path);

// What is at a path. `unknown`: its attributes could not be read for another
// reason than its absence (access refused, a device not ready): something may
// be there, and must not be taken for missing.
enum class PathState { missing, file, directory, unknown };
PathState ExaminePath(const std::string& path);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Reads up to out.size() bytes from `offset`. Returns the number of bytes read
// (fewer at the end of the file), or -1 when the file cannot be opened.
long long ReadFileAt(const std::string& path, uint64_t offset, std::span<uint8_t> out);

// Writes in place into an existing file at `offset`; false when it cannot be
// opened or written. Never creates the file.
bool WriteFileAt(const std::string& path, uint64_t offset, std::span<const uint8_t> bytes);

// Creates or truncates the file and writes `bytes`.
bool WriteNewFile(const std::string& path, std::span<const uint8_t> bytes);

// Makes a file that is not there yet, with all of `bytes` or not at all: the
// content goes whole into a file beside it, which then takes the name only
// if that is still free. A file that is there, readable or not, is never
// replaced. False when no new file was made.
bool CreateNewFileSafely(const std::string& path, std::span<const uint8_t> bytes);

// A new content for the file `path`, written piece by piece into a new file
// of a name of its own in the same folder (never the name of a file already
// there), which Commit() then moves into the place of `path` in one step.
// Unlike ReplaceFileSafely it never writes into `path` itself, which suits
// the files an administrator names. When the new file cannot be made,
// written whole or moved into place, or `path` is a read-only file, `path`
// stays as it was and nothing is left beside it.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();  // drops the new content unless it was committed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // False once anything failed; later pieces are then ignored.
    bool Write(std::span<const uint8_t> bytes);
    // Puts the complete new content in the place of `path`, first flushed to
    // the disk when `path` exists; false when it could not, and `path` is
    // then as it was.
    bool Commit();

private:
    void Drop();
    std::string path_;
    std::string fresh_;  // the new file beside it, empty when none was made
    File file_;
    bool ok_ = false;
};

// A file holding exactly `bytes` in the place of `path`, through a
// FileReplacement.
bool ReplaceFileWhole(const std::string& path, std::span<const uint8_t> bytes);

// Appends to the file, creating it when missing.
bool AppendToFile(const std::string& path, std::span<const uint8_t> bytes);

// Writes a file's whole new content from its start; false when a write fails.
using ContentWriter = std::function<bool(File& file)>;

// What to do when no file can be made beside the one to replace (the
// directory is read-only, or the name is taken).
enum class NoRoomBeside {
    writeInPlace,  // write the content in place at once: a small file, as the console always did
    leaveAsItIs,   // write nothing: a file too precious to risk half-written
};

// Replaces the file's content without ever leaving it half-written: the new
// content goes whole into a file beside it ("<path>.new"), which then takes
// its place. When the platform will not replace the file (another program,
// or the caller through `held`, has it open), the complete copy is renamed
// "<path>.whole" and the content is written in place, through `held` when
// given; "<path>.whole" goes once the file holds it all. Should that write be
// cut short, the complete copy takes the file's name after all, or stays
// there for FinishInterruptedReplacement. `held` is closed once it is no
// longer needed. False when the file does not hold the new content.
bool ReplaceFileSafely(const std::string& path, const ContentWriter& write, NoRoomBeside noRoom,
                       File* held = nullptr);

// The same for content that is all in memory; a file that cannot be
// replaced for want of room beside it is written in place.
bool ReplaceFileSafely(const std::string& path, std::span<const uint8_t> bytes);

// A "<path>.whole" left beside a file means that a write in place of the
// file may have been cut short (the console ended meanwhile): the complete
// copy takes the file's place. False when one was there and could not.
bool FinishInterruptedReplacement(const std::string& path);

// The same for every file of `dir` that has one, and the beside files of
// replacements that never finished ("<name>.<ext>.new") are removed.
void FinishInterruptedReplacements(const std::string& dir);

// The other file operations, each the platform call of the same meaning.
bool RemoveFile(const std::string& path);
// The content of `from` replaces `to` (ReplaceFileSafely), or, with
// `failIfExists`, makes `to` only when it is not there (CreateNewFileSafely).
bool CopyFileOver(const std::string& from, const std::string& to, bool failIfExists = false);
// Gives a file or a directory another name; never replaces anything.
bool MovePath(const std::string& from, const std::string& to);
// Gives a file another name, replacing the file of that name in one step.
bool MoveFileOver(const std::string& from, const std::string& to);
bool MakeDirectory(const std::string& path);
bool RemoveEmptyDirectory(const std::string& path);

// ---- Failure and interruption, for tests

// The operations that change the disk, as the seam below sees them: making a
// file or a directory, or opening a file for writing (create); a write, or
// setting a file's end (write); putting a file on the disk (flush); giving a
// file or a directory another name, over another file or not (move);
// deleting a file or removing a directory (remove).
enum class FileOperation { create, write, flush, move, remove };

// What a test answers before an operation.
enum class FileOperationAnswer {
    proceed,  // the platform does it
    fail,     // nothing is done, and the operation fails as the platform's would
    tear,     // a write puts only the first half of its bytes, then fails; other operations fail
};

// Asked before every operation that changes the disk. A test stops the
// console's work at an operation as the end of the process would by throwing
// from `before`: nothing of the operation is done, and no later one is.
// `bytes` is the length of a write, 0 for the other operations.
struct FileOperationSeam {
    FileOperationAnswer (*before)(void* context, FileOperation operation, const std::string& path,
                                  uint64_t bytes) = nullptr;
    void* context = nullptr;
};

// nullptr puts the platform back.
void SetFileOperationSeamForTests(const FileOperationSeam* seam);
