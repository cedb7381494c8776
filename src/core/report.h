#pragma once
// How a run tells what became of its command line and of each entry: which lines, on which
// stream, and the exit code. The build chooses the way: windows/report.cpp (the Windows program's
// texts, all on standard output, each rename announced before it is tried) or linux/report.cpp
// (standard output the record of what changed, skips and failures on standard error with the
// system's reason). The pass and the rename only say what happened.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "core/rename.h"
#include "core/request.h"

namespace stampix {

// The entries a run listed, over all its operands, and how many of them it renamed: how many of
// those were folders, how many each date source dated, and how many photos and videos (by their
// names) their last write dated.
struct Tally {
  std::int32_t found = 0;
  std::int32_t renamed = 0;
  std::int32_t folders = 0;
  std::int32_t by_source[3] = {};  // by DateSource
  std::int32_t photos_by_modified = 0;

  bool operator==(const Tally&) const = default;
};

class Report {
 public:
  explicit Report(const Choices& choices);
  ~Report();
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  void Usage();
  void Version();
  // A command line that cannot be taken at all; `argument` is the part that is not understood,
  // empty when no one part is to blame (Windows: a character the code page cannot hold; Linux:
  // no PATH is named). Returns the exit code.
  int NotUnderstood(std::string_view argument);
  void Refused(Refusal refusal, std::string_view operand);
  // `search` selects nothing; `why` is the system's reason, 0 when a pattern matches nothing.
  void NotFound(std::string_view search, platform::Error why);
  void SearchTooLong(std::string_view search);

  // Before the rename is tried.
  void Planned(const Names& names);
  // After: what became of it. `why` is the system's reason, where it gave one.
  void Told(const Names& names, Outcome outcome, platform::Error why = 0);
  // A group of a photo or video and the entries that go with it is left whole as it is: one of
  // them (`names`) would not take its new name, for the reason `outcome` and `why` say; `others`
  // are the names of the rest.
  void Held(const Names& names, Outcome outcome, platform::Error why,
            const std::vector<std::string>& others);
  // The pass has taken `done` entries, the last in `folder` (Linux: a line of progress on a
  // terminal, for a run whose record goes elsewhere).
  void Progress(const platform::Folder& folder, std::int32_t done);
  // The end of a pass: its count, where it listed more than one entry (and on Linux a word on
  // the photos it dated by their last write).
  void Count(const Tally& tally);

  // True when no further entry may be begun: a stop was asked for, or the record of what
  // changed could not be written.
  bool ShouldStop() const;
  // The exit code of the process, given the worst code of the passes.
  int Finish(int code);

 private:
  // What each build's report keeps from line to line; only its report.cpp knows it.
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace stampix
