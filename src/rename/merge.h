#pragma once
// A folder merged into the existing folder whose name it was to take ("/Y"). The build
// chooses the way: merge_win32.cpp or merge_posix.cpp.
#include <string>

#include "platform/platform.h"

namespace stampix {

// Merges the folder `name` into the existing folder `new_name` beside it: Windows copies the
// tree by the external copy tool and, once every file is found copied, removes the source by
// the tree-delete tool; Linux moves the entries over itself. What cannot be merged stays in the
// source, which is then kept. Writes a line for each failure. Returns false after a failure it
// reported; the source may still exist even after true.
bool MergeFolder(const platform::Folder& folder, const std::string& name,
                 const std::string& new_name);

}  // namespace stampix
