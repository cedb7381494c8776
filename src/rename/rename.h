#pragma once
// Renaming one entry under the conflict policy: the only place the file system changes.
#include <string>

namespace stampix {

// Set by "/Y": an existing destination file is replaced and an existing destination folder
// takes in the source folder's tree.
extern bool OverwriteMode;

// True when `path` is a file (not a folder or volume label); false for a missing path and
// for a path holding "*" or "?".
bool IsFile(const std::string& path);

// True when `path` is a folder; false for a missing path and for a path holding "*" or "?".
bool IsFolder(const std::string& path);

// Renames `source` to `destination` (full paths in one folder) under the conflict policy and
// writes a line for every outcome the user must know about. Returns true when, at the end,
// `source` no longer exists.
bool RenameEntry(const std::string& source, const std::string& destination);

}  // namespace stampix
