#pragma once
// Renaming one entry under the conflict policy: the only place the file system changes.
#include <cstdint>
#include <optional>
#include <string_view>

#include "console/report.h"
#include "platform/platform.h"
#include "request/request.h"

namespace stampix {

// One rename in one folder, and the paths that lines show for it.
struct Move {
  Move(const platform::Folder& in, std::string_view from, std::string_view to)
      : folder(in),
        name(from),
        new_name(to),
        names{in.path() + std::string(from), in.path() + std::string(to), to} {}

  const platform::Folder& folder;
  std::string_view name;
  std::string_view new_name;
  Names names;
};

// What became of a rename, and the system's reason where it gave one.
struct Result {
  Outcome outcome;
  platform::Error why = 0;
};

// What is known of the two names once the quick rename could not be done.
struct Sides {
  std::optional<std::uint32_t> source;       // attribute bits, or nothing when it is missing
  std::optional<std::uint32_t> destination;  // likewise
  bool same_file = false;                    // both lead to one and the same file
};

// The step the policy takes, and the outcome it comes to when the step succeeds.
struct Verdict {
  enum class Step { kNone, kRename, kReplace, kMerge };
  Step step;
  Outcome outcome;

  bool operator==(const Verdict&) const = default;
};

// The conflict policy: a free name is taken, kind conflicts are refused, a taken name is skipped
// without "/Y", and with it a file is replaced (unless it may not be, or is the entry itself
// under another name) and a folder merged. `same_name`: the entry would be renamed to its own
// name, which nothing may replace.
Verdict Judge(const Sides& sides, OverwriteMode overwrite, bool same_name);

// What "/Y" may replace: a file or link that is not read-only, hidden or a system file.
bool MayReplace(std::uint32_t attributes);

// Renames the entry under the conflict policy (in a preview, only judges it) and tells the
// report what became of it. Every outcome is judged by whether the source is still there.
Outcome RenameEntry(const Move& move, const Choices& choices, Report& report);

}  // namespace stampix
