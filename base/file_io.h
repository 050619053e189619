// File access shared by every part of the console. Every open allows other
// programs (the server, the workstations) to read, write and delete the file
// meanwhile, and no handle stays open after the call.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

bool FileExists(const std::string& path);

// The whole file, or nothing when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Reads up to out.size() bytes from `offset`. Returns the number of bytes read
// (fewer at the end of the file), or -1 when the file cannot be opened.
long long ReadFileAt(const std::string& path, uint64_t offset, std::span<uint8_t> out);

// Writes in place into an existing file at `offset`; false when it cannot be
// opened or written. Never creates the file.
bool WriteFileAt(const std::string& path, uint64_t offset, std::span<const uint8_t> bytes);

// Creates or truncates the file and writes `bytes`.
bool WriteNewFile(const std::string& path, std::span<const uint8_t> bytes);

// Replaces the file's content without ever leaving it half-written: the new
// content goes to a file beside it, which then takes its place. When another
// program holds the file so that it cannot be replaced, the content is written
// in place instead. False when nothing could be written; the old file is then
// as it was.
bool ReplaceFileSafely(const std::string& path, std::span<const uint8_t> bytes);

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
    void* handle_;
    bool ok_ = false;
};

// A file holding exactly `bytes` in the place of `path`, through a
// FileReplacement.
bool ReplaceFileWhole(const std::string& path, std::span<const uint8_t> bytes);

// Appends to the file, creating it when missing.
bool AppendToFile(const std::string& path, std::span<const uint8_t> bytes);
