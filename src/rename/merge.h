#pragma once
// A folder merged into the existing folder whose name it was to take ("/Y").
#include <string>

#include "platform/platform.h"

namespace stampix {

// Copies the tree of the folder `name` into the existing folder `new_name` beside it by the
// external copy tool, then removes the source tree by the tree-delete tool. Writes a line for
// each failure. Returns true when both tools ran and neither reported a failure; the source may
// still exist even then.
bool MergeFolder(const platform::Folder& folder, const std::string& name,
                 const std::string& new_name);

}  // namespace stampix
