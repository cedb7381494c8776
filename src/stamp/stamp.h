#pragma once
// The stamping pass: every entry a name selects in one folder gets its date stamp.
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "rename/rename.h"

namespace stampix {

// True when the name holds "(" + eight digits + ")" anywhere: it is stamped already.
bool HasStamp(std::string_view name);

// The name with the stamp put before its last dot, or at its end when it has no dot.
std::string StampedName(std::string_view name, std::string_view stamp);

// Stamps every entry that `name` (empty meaning "*.*") selects in the folder. Returns the exit
// code: 1 when nothing matches or the search text is too long, else 0.
int StampEntries(const platform::Folder& folder, std::string_view name, OverwriteMode mode);

}  // namespace stampix
