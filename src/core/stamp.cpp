// The stamping pass: list, skip what is stamped, tell the new name, rename, count.
#include "core/stamp.h"

#include <cstdint>
#include <system_error>

#include "core/entries.h"
#include "core/path.h"
#include "core/rename.h"

namespace stampix {

namespace {

bool IsEightDigits(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// What the pass makes of one listed entry that holds no stamp: the outcome, told to the report.
// `folder_itself`: the operand named it as a folder ("DIR/").
Outcome StampEntry(const platform::Folder& folder, const platform::Entry& entry,
                   const std::optional<platform::Entry>& described, platform::LocalDates& dates,
                   bool folder_itself, const Choices& choices, Report& report) {
  const Move unchanged{folder, entry.name, entry.name};
  Outcome outcome = !described                          ? Outcome::kGone
                    : platform::IsOwnOutput(*described) ? Outcome::kOwnOutput
                                                        : Outcome::kRenamed;
  const std::string stamp = described ? StampOf(dates.Of(described->last_write)) : "";
  if (outcome == Outcome::kRenamed && stamp.empty()) outcome = Outcome::kNoDate;
  if (outcome != Outcome::kRenamed) {
    if (outcome == Outcome::kGone) report.Planned(unchanged.names);
    report.Told(unchanged.names, outcome);
    return outcome;
  }
  const std::string new_name = StampedName(entry.name, stamp);
  const Move move{folder, entry.name, new_name};
  if (folder_itself && !(described->attributes & platform::kFolder)) {
    report.Told(move.names, Outcome::kCannotRename,
                static_cast<platform::Error>(std::errc::not_a_directory));
    return Outcome::kCannotRename;
  }
  report.Planned(move.names);
  return RenameEntry(move, choices, report);
}

// Every entry the listing yields, until none is left or the run must stop. "DIR/" as a pattern
// ("*/") selects folders only, as the shell's does; given as a name, it must be one.
void StampListed(const platform::Folder& folder, Listing& listing, const Operand& operand,
                 const Choices& choices, Report& report, Tally& tally) {
  const bool folders_only = operand.folder_itself && listing.is_pattern();
  platform::LocalDates dates;
  for (std::optional<platform::Entry> entry; !report.ShouldStop() && (entry = listing.Next());) {
    const bool stamped = HasStamp(entry->name);
    std::optional<platform::Entry> described;
    if (!stamped || folders_only) described = Describe(folder, *entry);
    const bool folder_kind = described && (described->attributes & platform::kFolder);
    if (folders_only && !folder_kind) continue;
    ++tally.found;
    if (!stamped && StampEntry(folder, *entry, described, dates, operand.folder_itself, choices,
                               report) == Outcome::kRenamed)
      ++tally.renamed;
  }
}

}  // namespace

bool HasStamp(std::string_view name) {
  for (std::size_t at = name.find('('); at != name.npos; at = name.find('(', at + 1)) {
    std::string_view stamp = name.substr(at, 10);
    if (stamp.size() == 10 && IsEightDigits(stamp.substr(1, 8)) && stamp[9] == ')') return true;
  }
  return false;
}

// Built by appends: GCC 12 at -O3 takes "(" + text + ")" for an overlapping copy.
std::string StampOf(std::string_view date) {
  std::string stamp;
  if (!IsEightDigits(date)) return stamp;
  stamp.append("(").append(date).append(")");
  return stamp;
}

std::string StampedName(std::string_view name, std::string_view stamp) {
  std::size_t dot = name.rfind('.');
  if (dot == name.npos) dot = name.size();
  std::string stamped(name.substr(0, dot));
  stamped.append(stamp).append(name.substr(dot));
  return stamped;
}

int StampEntries(const platform::Folder& folder, const Operand& operand, const Choices& choices,
                 Report& report, Tally& tally) {
  const std::string search = folder.path() + (operand.name.empty() ? "*.*" : operand.name);
  if (TooLong(search)) {
    report.SearchTooLong(search);
    return 1;
  }
  Listing listing(folder, operand.name, operand.dot_names_apart);
  if (!listing.SelectsAny()) {
    report.NotFound(search, listing.error());
    return 1;
  }
  StampListed(folder, listing, operand, choices, report, tally);
  return 0;
}

}  // namespace stampix
