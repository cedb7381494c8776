#pragma once
// "--undo": the pass that puts back what a run changed, entry by entry, as far as each entry is
// still what the run left, over what the run's journal kept (core/journal.h).
#include <cstddef>
#include <string>

#include "core/report.h"
#include "core/request.h"

namespace stampix {

// Puts back what the run the request names changed. Returns the exit code.
int Undo(const Request& request, Report& report);

// How lines count the moves of a run: "1 entry", "2 entries".
std::string Entries(std::size_t n);

}  // namespace stampix
