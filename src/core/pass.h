#pragma once
// The stamping pass: every entry that each operand selects in one folder gets its stamp, and with
// "-r" everything below a folder first.
#include <span>

#include "core/platform.h"
#include "core/report.h"
#include "core/request.h"

namespace stampix {

class Journal;

// Stamps, operand after operand, every entry that each selects in `folder` (opened on their
// folder part, which they share), counting them into `tally`, each told to the journal (if any)
// before it changes: operands that name one entry each in one batch. Returns the exit code of
// the pass: 1 when an operand matches nothing or its search text is too long, else 0.
int StampEntries(const platform::Folder& folder, std::span<const Operand> operands,
                 const Choices& choices, Report& report, Tally& tally, Journal* journal);

}  // namespace stampix
