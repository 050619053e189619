// Operations on whole directories. Every failed deletion, copy or removal is
// ignored; a directory that cannot be searched is left as it is.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct DirectoryEntry {
    std::string name;
    DWORD attributes;
};

// The entries of a directory, "." and ".." left out, read in full before the
// caller changes anything in it. False when the directory cannot be searched.
bool ListDirectoryEntries(const std::string& dir, std::vector<DirectoryEntry>& entries);

// Deletes the directory and everything in it. A junction or symbolic link
// met inside, or given itself, is removed as a link: what it points to is
// never touched.
void DeleteTree(const std::string& dir);

// Deletes the files lying directly in the directory whose names contain a
// dot; files without a dot in their names and subdirectories stay.
void DeleteFilesIn(const std::string& dir);

// Copies the files lying directly in `source` into `destination`, replacing
// files of the same names. Subdirectories are not copied.
void CopyFilesInto(const std::string& destination, const std::string& source);

// Copies dir + name to dir + "\\cfgtemp" + name; `name` begins with a
// backslash. Returns whether the copy was made.
BOOL CopyToWorkDir(const std::string& dir, const std::string& name, BOOL failIfExists);
