#include "base/directory_ops.h"

#include <vector>

#include "base/file_io.h"

bool ListDirectoryEntries(const std::string& dir, std::vector<DirectoryEntry>& entries)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.push_back({name, found.dwFileAttributes});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

namespace {

bool IsDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes a junction or symbolic link itself.
void RemoveLink(const std::string& path, DWORD attributes)
{
    if (IsDirectory(attributes))
        RemoveEmptyDirectory(path);
    else
        RemoveFile(path);
}

}  // namespace

void DeleteTree(const std::string& dir)
{
    DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && IsLink(attributes)) {
        RemoveLink(dir, attributes);
        return;
    }
    std::vector<DirectoryEntry> entries;
    if (!ListDirectoryEntries(dir, entries))
        return;
    // Subdirectories are known by their attribute, not by the absence of a
    // dot in their names, so "a.b" is emptied and removed like any other.
    for (const DirectoryEntry& entry : entries) {
        std::string path = dir + "\\" + entry.name;
        if (IsLink(entry.attributes))
            RemoveLink(path, entry.attributes);
        else if (IsDirectory(entry.attributes))
            DeleteTree(path);
        else
            RemoveFile(path);
    }
    RemoveEmptyDirectory(dir);
}

void DeleteFilesIn(const std::string& dir)
{
    std::vector<DirectoryEntry> entries;
    if (!ListDirectoryEntries(dir, entries))
        return;
    for (const DirectoryEntry& entry : entries) {
        if (!IsDirectory(entry.attributes) && entry.name.find('.') != std::string::npos)
            RemoveFile(dir + "\\" + entry.name);
    }
}

void CopyFilesInto(const std::string& destination, const std::string& source)
{
    std::vector<DirectoryEntry> entries;
    if (!ListDirectoryEntries(source, entries))
        return;
    for (const DirectoryEntry& entry : entries) {
        if (!IsDirectory(entry.attributes))
            CopyFileOver(source + "\\" + entry.name, destination + "\\" + entry.name);
    }
}

BOOL CopyToWorkDir(const std::string& dir, const std::string& name, BOOL failIfExists)
{
    std::string from = dir + name;
    std::string to = dir + "\\cfgtemp" + name;
    return CopyFileOver(from, to, failIfExists != FALSE) ? TRUE : FALSE;
}
