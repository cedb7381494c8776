#pragma once
// Renaming one entry under the conflict policy: the only place the file system changes.
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/outcome.h"
#include "core/platform.h"
#include "core/request.h"

namespace stampix {

class Journal;
class Report;

// One rename as lines show it: whole paths, the folder part as the program was given it.
struct Names {
  std::string source;
  std::string destination;
  std::string_view new_name;  // the name that `destination` ends with
};

// A folder as lines name it: its path without the separator at its end ("." for the current one).
Names NamesOf(const platform::Folder& folder);

// One entry to take a new name, in its own folder or (inside a folder merge) in another, and the
// paths that lines show for it.
struct Move {
  Move(const platform::Folder& in, std::string_view from, std::string_view to)
      : Move(in, from, in, to) {}
  Move(const platform::Folder& from_folder, std::string_view from,
       const platform::Folder& to_folder, std::string_view to)
      : source_folder(from_folder),
        name(from),
        folder(to_folder),
        new_name(to),
        names{from_folder.path() + std::string(from), to_folder.path() + std::string(to), to} {}

  const platform::Folder& source_folder;
  std::string_view name;
  const platform::Folder& folder;  // where the new name is
  std::string_view new_name;
  Names names;
};

// What became of a move, and the system's reason where it gave one. `merge`: a folder met a
// folder under "/Y", for the caller to merge.
struct Result {
  Outcome outcome;
  platform::Error why = 0;
  bool merge = false;
};

// What is known of the two names once the quick rename could not be done.
struct Sides {
  std::optional<std::uint32_t> source;       // attribute bits, or nothing when it is missing
  std::optional<std::uint32_t> destination;  // likewise
  bool same_file = false;                    // both lead to one and the same file
  bool foreign = false;  // the destination is another user's, and would take in ours
};

// The step the policy takes, and the outcome it comes to when the step succeeds.
struct Verdict {
  enum class Step { kNone, kRename, kReplace, kMerge };
  Step step;
  Outcome outcome;

  bool operator==(const Verdict&) const = default;
};

// The conflict policy: a free name is taken, kind conflicts are refused, a taken name is skipped
// without "/Y", and with it a file is replaced (unless it may not be, is the entry itself under
// another name, or is another user's in a folder they share) and a folder merged (unless it is
// another user's). `same_name`: the entry would be renamed to its own name, which nothing may
// replace.
Verdict Judge(const Sides& sides, OverwriteMode overwrite, bool same_name);

// True when the policy counts the outcome as an entry left alone on purpose rather than as a
// failure: a taken name, and without "/Y" a name taken by an entry of the other kind, which is
// then just a taken name.
bool IsSkip(Outcome outcome, OverwriteMode overwrite);

// What "/Y" may replace: a file or link that is not read-only, hidden or a system file.
bool MayReplace(std::uint32_t attributes);

// The one move under the policy, for a stamp and for each entry of a merge: a rename that
// refuses to replace is tried first; only when it fails are the two sides judged, and the entry
// of the new name replaced in one step where the policy allows. In a preview, only judged.
Result MoveUnderPolicy(const Move& move, const Choices& choices);

// What the policy would make of the move, judged before anything is changed: kRenamed when the
// new name is free or "/Y" would replace what holds it, else why the move would not be made.
// Costs one look-up where the new name is free.
Result Foresee(const Move& move, const Choices& choices);

// Renames the entry under the conflict policy, merging a folder into a folder, and tells the
// report what became of it.
Outcome RenameEntry(const Move& move, const Choices& choices, Report& report, Journal* journal);

// Puts the folder's last write back to `time` when `changed` (something inside it was renamed);
// a folder that cannot have it back is told.
void RestoreFolderTime(const platform::Folder& folder, const platform::FolderTime& time,
                       bool changed, Report& report);

}  // namespace stampix
