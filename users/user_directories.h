// The users' own directories in the program directory, each named after its
// user and holding the user's "minitel.ini".
#pragma once

// Creates the directory of every user of the table that has none, each with
// an empty "minitel.ini"; an existing directory is left as it is. A user whose
// name cannot be a directory name (see IsUsableDirectoryName) is skipped, so
// that no name ever reaches a path outside the program directory. Failures
// are silent.
void EnsureUserDirectories();
