// The stamping pass: list, skip what is stamped, tell the new name, rename, count.
#include "core/stamp.h"

#include <cstdint>
#include <deque>
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

// What one pass carries from entry to entry.
struct Pass {
  const Choices& choices;
  Report& report;
  Tally& tally;
  platform::LocalDates dates = {};
};

// The entry's date by the first of the run's sources that has one; folders have no taken date.
std::string DateOf(const platform::Folder& folder, const platform::Entry& entry, Pass& pass) {
  for (DateSource source : pass.choices.dates) {
    std::string date;
    if (source == DateSource::kModified) date = pass.dates.Of(entry.last_write);
    if (source == DateSource::kTaken && !(entry.attributes & platform::kFolder))
      date = platform::TakenDate(folder, entry, pass.dates);
    if (source == DateSource::kCreated)
      if (std::optional<std::int64_t> made = platform::CreatedTime(folder, entry))
        date = pass.dates.Of(*made);
    if (!StampOf(date).empty()) return date;
  }
  return {};
}

// What the pass makes of one listed entry that holds no stamp: the outcome, told to the report.
// `folder_itself`: the operand named it as a folder ("DIR/").
Outcome StampEntry(const platform::Folder& folder, const platform::Entry& entry,
                   const std::optional<platform::Entry>& described, bool folder_itself,
                   Pass& pass) {
  const Move unchanged{folder, entry.name, entry.name};
  Outcome outcome = !described                          ? Outcome::kGone
                    : platform::IsOwnOutput(*described) ? Outcome::kOwnOutput
                                                        : Outcome::kRenamed;
  const std::string stamp = described ? StampOf(DateOf(folder, *described, pass)) : "";
  if (outcome == Outcome::kRenamed && stamp.empty()) outcome = Outcome::kNoDate;
  if (outcome != Outcome::kRenamed) {
    if (outcome == Outcome::kGone) pass.report.Planned(unchanged.names);
    pass.report.Told(unchanged.names, outcome);
    return outcome;
  }
  const std::string new_name = StampedName(entry.name, stamp);
  const Move move{folder, entry.name, new_name};
  if (folder_itself && !(described->attributes & platform::kFolder)) {
    pass.report.Told(move.names, Outcome::kCannotRename,
                     static_cast<platform::Error>(std::errc::not_a_directory));
    return Outcome::kCannotRename;
  }
  pass.report.Planned(move.names);
  return RenameEntry(move, pass.choices, pass.report);
}

void Stamp(const platform::Folder& folder, const platform::Entry& entry,
           const std::optional<platform::Entry>& described, bool folder_itself, Pass& pass) {
  if (StampEntry(folder, entry, described, folder_itself, pass) == Outcome::kRenamed)
    ++pass.tally.renamed;
}

bool IsFolderEntry(const std::optional<platform::Entry>& entry) {
  return entry && (entry->attributes & platform::kFolder);
}

// A folder as lines name it: its path without the separator at its end.
Names NamesOf(const platform::Folder& folder) {
  std::string path = folder.path();
  if (path.size() > 1) path.pop_back();
  return {path.empty() ? "." : path, {}, {}};
}

// ---- Trees ("-r") ----

// Each level of a walk holds its folder open; deeper than this a folder is not entered.
constexpr std::size_t kMaxDepth = 256;

// One folder of a tree, held open while its entries are stamped.
struct Level {
  Level(const platform::Folder& parent, const platform::Entry& self, std::int32_t renamed)
      : entry(self),
        folder(parent, self.name),
        time(platform::LastWriteOf(folder)),
        renamed_before(renamed) {
    if (auto listed = FolderEntries(folder, why))
      for (platform::Entry& listed_entry : *listed) names.push_back(std::move(listed_entry.name));
  }

  platform::Entry entry;  // as it was before the walk went in: its own date
  platform::Folder folder;
  platform::FolderTime time;  // its last write before anything inside it was renamed
  std::int32_t renamed_before;
  platform::Error why = 0;  // why it could not be listed
  std::vector<std::string> names;
  std::size_t next = 0;  // the entry to stamp next
};

// The next entry of the deepest folder: a folder is gone into, anything else stamped. Names that
// start with a dot are left alone with all they hold (".git" is no one's photo), and so is
// another file system mounted inside the tree.
void Visit(std::deque<Level>& levels, Pass& pass) {
  Level& level = levels.back();
  const std::string& name = level.names[level.next++];
  if (name.starts_with('.')) return;
  std::optional<platform::Entry> described = platform::Lookup(level.folder, name);
  ++pass.tally.found;
  if (!IsFolderEntry(described)) {
    if (!HasStamp(name)) Stamp(level.folder, platform::Entry{name}, described, false, pass);
    return;
  }
  const Names names = Move(level.folder, name, name).names;
  if (described->device != level.entry.device)
    return pass.report.Told(names, Outcome::kOtherFileSystem);
  if (levels.size() >= kMaxDepth) return pass.report.Told(names, Outcome::kTooDeepToWalk);
  const Level& child = levels.emplace_back(level.folder, *described, pass.tally.renamed);
  if (child.why) pass.report.Told(names, Outcome::kNotListed, child.why);
}

// A folder whose entries are all done gets its time back, and is then stamped itself, but for
// the top one, which is the caller's.
void Leave(std::deque<Level>& levels, Pass& pass) {
  const Level& done = levels.back();
  KeepTime(done.folder, done.time,
           !pass.choices.dry_run && pass.tally.renamed > done.renamed_before, pass.report);
  const platform::Entry entry = done.entry;
  levels.pop_back();
  if (levels.empty() || pass.report.ShouldStop() || HasStamp(entry.name)) return;
  Stamp(levels.back().folder, entry, entry, false, pass);
}

// Everything below the folder `top` of `parent`, children before their folder, each by its own
// date as it was when the walk came to it. No stack frame per level, and memory that grows with
// the depth and the widest folder, not with the tree.
void StampBelow(const platform::Folder& parent, const platform::Entry& top, Pass& pass) {
  std::deque<Level> levels;  // a deque: a level stays where it is while deeper ones come and go
  const Level& first = levels.emplace_back(parent, top, pass.tally.renamed);
  if (first.why) pass.report.Told(NamesOf(first.folder), Outcome::kNotListed, first.why);
  while (!levels.empty()) {
    const Level& level = levels.back();
    if (level.next < level.names.size() && !pass.report.ShouldStop())
      Visit(levels, pass);
    else
      Leave(levels, pass);
  }
}

// Every entry the listing yields, until none is left or the run must stop. "DIR/" as a pattern
// ("*/") selects folders only, as the shell's does; given as a name, it must be one. With "-r" a
// folder is stamped after everything below it.
void StampListed(const platform::Folder& folder, Listing& listing, const Operand& operand,
                 Pass& pass) {
  const bool folders_only = operand.folder_itself && listing.is_pattern();
  for (std::optional<platform::Entry> entry;
       !pass.report.ShouldStop() && (entry = listing.Next());) {
    const bool stamped = HasStamp(entry->name);
    std::optional<platform::Entry> described;
    if (!stamped || folders_only || pass.choices.recursive) described = Describe(folder, *entry);
    if (folders_only && !IsFolderEntry(described)) continue;
    ++pass.tally.found;
    if (pass.choices.recursive && IsFolderEntry(described)) {
      StampBelow(folder, *described, pass);
      if (pass.report.ShouldStop()) break;
    }
    if (!stamped) Stamp(folder, *entry, described, operand.folder_itself, pass);
  }
}

}  // namespace

void KeepTime(const platform::Folder& folder, const platform::FolderTime& time, bool changed,
              Report& report) {
  if (!changed || !time.known || platform::LastWriteOf(folder) == time) return;
  if (platform::Error why = platform::PutBack(folder, time))
    report.Told(NamesOf(folder), Outcome::kTimeNotKept, why);
}

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
  Pass pass{choices, report, tally};
  StampListed(folder, listing, operand, pass);
  return 0;
}

}  // namespace stampix
