// The Windows program keeps no state between runs, so it has no journal and nothing to undo.
#include "core/journal.h"

namespace stampix {

std::unique_ptr<Journal> OpenJournal(const Request&, const std::vector<std::string>&, Report&,
                                     bool& ready) {
  ready = true;
  return nullptr;
}

std::unique_ptr<TakenRun> TakeRun(const Request&, Report&) { return nullptr; }

int ListRuns(Report&) { return 1; }

}  // namespace stampix
