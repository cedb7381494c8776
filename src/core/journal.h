#pragma once
// The way back: what a run is about to change, kept before it changes it, and what "--undo"
// (core/undo.h) reads of it again to put it back. Each build provides it: linux/journal.cpp (a
// file per run in the user's state folder), windows/journal.cpp (none: the Windows program keeps
// no state).
#include <cstddef>
#include <cstdint>
#include <map>
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
  virtual bool WriteDown(platform::Error& why) = 0;

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

// ---- The way back, read ----

// One move of a run as its journal keeps it: whole paths from the root, each ending in "/".
struct MoveRecord {
  std::string from, name, to, new_name;  // the entry `name` of `from` became `new_name` in `to`
  bool folder = false;                   // it is a folder
  bool replaced = false;                 // the new name was taken: "/Y" may have replaced it
  std::uint64_t device = 0, inode = 0, size = 0;  // see platform::Entry
  std::int64_t last_write = 0, created = 0;       // created: 0 where it was not kept
};

// A folder as it was before the run renamed inside it.
struct FolderRecord {
  platform::FolderTime time;
  std::uint32_t mode = 0;  // its permission bits, to make it again as it was
};

// What a journal tells "--undo" of its run.
struct RunRecords {
  std::string told;                             // when, where and what the run was
  std::vector<MoveRecord> moves;                // in the order the run told them
  std::map<std::string, FolderRecord> folders;  // by whole path: the first record of each
  std::vector<bool> settled;  // by move: put back, or named as lost, by an earlier undo
};

// A run taken by "--undo": its journal held, and locked against the run still writing it and
// against another undo, for as long as this lives. A preview marks nothing.
class TakenRun {
 public:
  virtual ~TakenRun() = default;

  virtual const RunRecords& records() const = 0;

  // The journal, as lines show it.
  virtual const std::string& path() const = 0;

  // The move `n` of the records went back, or was found gone for good: a later undo passes it
  // over. Written as it goes, so that an undo cut short is taken up again where it stopped.
  enum class Settled { kBack, kLost };
  virtual void Mark(std::size_t n, Settled settled) = 0;

  // Writes what is marked, durably, with `undone`: every move is settled. Returns why it could
  // not all be written, or 0.
  virtual platform::Error Finish(bool undone) = 0;
};

// The run "--undo" means: the journal the request names, or the latest not yet undone. Nothing
// when none can be taken, as the report was told.
std::unique_ptr<TakenRun> TakeRun(const Request& request, Report& report);

// "--runs": lists the runs the journals keep, the latest first. Returns the exit code.
int ListRuns(Report& report);

}  // namespace stampix
