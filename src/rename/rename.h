#pragma once
// Renaming one entry under the conflict policy: the only place the file system changes.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace stampix {

// "/Y": an existing destination file is replaced and an existing destination folder takes in
// the source folder's tree.
enum class OverwriteMode { kOff, kOn };

// What "/Y" may replace: a file or link that is not read-only, hidden or a system file.
bool MayReplace(std::uint32_t attributes);

// Renames the entry `name` to `new_name` in the same folder under the conflict policy and writes
// a line for every outcome the user must know about. Returns true when, at the end, `name` no
// longer exists.
bool RenameEntry(const platform::Folder& folder, const std::string& name,
                 const std::string& new_name, OverwriteMode mode);

}  // namespace stampix
