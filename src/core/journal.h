#pragma once
// The way back: what a run is about to change, kept before it changes it, so that a later run
// can put it back. Each build provides it: linux/journal.cpp (a file per run in the user's state
// folder, and "--undo"), windows/journal.cpp (none: the Windows program keeps no state).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "core/report.h"
#include "core/request.h"

namespace stampix {

class Journal {
 public:
  virtual ~Journal() = default;

  // The entry `name` of the folder `from` is about to take the name `new_name` in the folder
  // `to` (the same folder for a stamp, another for a merge). `taken`: the new name is taken, so
  // that "/Y" may replace what holds it.
  virtual void Move(const platform::Folder& from, std::string_view name, const platform::Folder& to,
                    std::string_view new_name, const platform::Entry& entry, bool taken) = 0;

  // The folder's last write before the run renamed anything inside it.
  virtual void FolderTime(const platform::Folder& folder, const platform::FolderTime& time) = 0;

  // Writes down what was intended so far, before any of it is done. False when it cannot: the
  // run must then change nothing more. `why` gets the system's reason.
  virtual bool Keep(platform::Error& why) = 0;

  // Where the entry stands to the journal: apart from it, a folder on the way to it (renamed, it
  // would take the way back with it), or the journal's own folder or file, which holds nothing
  // of the user's to stamp.
  enum class Place { kApart, kAbove, kOwn };
  virtual Place PlaceOf(const platform::Entry& entry) const = 0;
};

// The run's journal, or nothing when it keeps none (a preview, "--no-journal", Windows). `ready`
// is false when it cannot keep one, as the report was told: the run must not begin.
std::unique_ptr<Journal> OpenJournal(const Request& request,
                                     const std::vector<std::string>& arguments, Report& report,
                                     bool& ready);

// "--undo": puts back what the run the request names changed. Returns the exit code.
int Undo(const Request& request, Report& report);

// "--runs": lists the runs the journals keep, the latest first. Returns the exit code.
int ListRuns(Report& report);

}  // namespace stampix
