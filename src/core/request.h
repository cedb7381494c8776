#pragma once
// What one run is asked to do, as its command line says it. The choices travel by value from the
// front end down to the pass and the rename, so that no layer keeps one of its own.
#include <string>
#include <vector>

namespace stampix {

// "/Y": an existing destination file is replaced and an existing destination folder takes in
// the source folder's tree.
enum class OverwriteMode { kOff, kOn };

// Where an entry's date comes from (Linux "--date"): its last write, the moment a photo or
// video was taken by its own metadata, or the moment it was made.
enum class DateSource { kModified, kTaken, kCreated };

// What every entry of a run is judged by. The Windows command line sets only `overwrite`; the
// rest are the Linux program's options, which the core pass honours as it finds them.
struct Choices {
  OverwriteMode overwrite = OverwriteMode::kOff;
  bool dry_run = false;      // Linux "-n": every entry judged as a real run would, nothing changed
  bool null_record = false;  // Linux "-0": the record as pairs of paths, each ended by a NUL
  bool recursive = false;    // Linux "-r": a folder with everything below it
  bool journal = true;       // Linux: the run keeps a journal, for "--undo" ("--no-journal": none)
  std::vector<DateSource> dates = {DateSource::kModified};  // tried in turn; the first that
                                                            // dates the entry stamps it
  bool dates_chosen = false;  // Linux "--date" given: no word on photos dated by their last write
  bool each_alone = false;    // Linux "--no-groups": a photo's sidecars each by its own date

  bool operator==(const Choices&) const = default;
};

// Why an operand is refused before anything is looked up.
enum class Refusal {
  kNone,
  kWildcardsInPath,  // Windows: "*" or "?" in the folder part
  kNoCurrentFolder,  // Windows: a lone name, and the current folder cannot be read
  kEmpty,            // Linux: an empty operand
  kNoName,           // Linux: ".", ".." or "/", which name no entry of their own
};

// What one operand asks the pass to stamp.
struct Operand {
  std::string folder;            // the folder part, as lines show it
  std::string name;              // a name or a pattern; empty selects every entry ("*.*")
  bool folder_itself = false;    // Linux "DIR/": the entry must be a folder
  bool dot_names_apart = false;  // Linux: as in the shell, a pattern leaves dot-names alone
                                 // unless it starts with a dot

  bool operator==(const Operand&) const = default;
};

struct Request {
  enum class Action { kStamp, kUsage, kVersion, kRefuse, kUndo, kListRuns };
  Action action = Action::kStamp;
  Choices choices = {};
  std::vector<std::string> operands = {};  // as given
  std::string refused = {};    // kRefuse: the argument not understood; empty: the command line as a
                               // whole cannot be taken (Linux: it names no PATH)
  std::string undo_name = {};  // kUndo: the journal to undo; empty: the latest not yet undone

  bool operator==(const Request&) const = default;
};

}  // namespace stampix
