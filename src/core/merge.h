#pragma once
// A folder merged into the existing folder whose name it was to take ("/Y"). The build
// chooses the way: windows/merge.cpp or linux/merge.cpp.
#include "core/rename.h"
#include "core/report.h"
#include "core/request.h"

namespace stampix {

// Merges the folder `move.name` into the existing folder `move.new_name` beside it: Windows
// copies the tree by the external copy tool and, once every entry is found copied, removes the
// source by the tree-delete tool; Linux moves the entries over itself. What cannot be merged
// stays in the source, which is then kept. Linux tells the journal (if any) each entry it is
// about to move. Lines about single entries or tools go to the
// report on the way; the outcome is for the caller to tell.
Result MergeFolder(const Move& move, const Choices& choices, Report& report, Journal* journal);

}  // namespace stampix
