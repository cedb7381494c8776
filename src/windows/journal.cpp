// The Windows program keeps no state between runs, so it has no journal and nothing to undo.
#include "core/journal.h"

namespace stampix {

std::unique_ptr<Journal> OpenJournal(const Request&, const std::vector<std::string>&, Report&,
                                     bool& ready) {
  ready = true;
  return nullptr;
}

int Undo(const Request&, Report&) { return 1; }

int ListRuns(Report&) { return 1; }

}  // namespace stampix
