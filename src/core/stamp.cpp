// The stamping pass: list, skip what is stamped, tell the new name, rename, count.
#include "core/stamp.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <system_error>

#include "core/entries.h"
#include "core/journal.h"
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

// Entries planned at once where a journal keeps them: one write for so many.
constexpr std::size_t kBatch = 4096;

// What one pass carries from entry to entry.
struct Pass {
  const Choices& choices;
  Report& report;
  Tally& tally;
  Journal* journal;  // none in a preview, with "--no-journal" and on Windows
  bool journal_lost = false;
  platform::LocalDates dates = {};

  bool Stopped() const { return journal_lost || report.ShouldStop(); }
};

// The entry's date by the first of the run's sources that has one, that source in `by`; folders
// have no taken date.
std::string DateOf(const platform::Folder& folder, const platform::Entry& entry, Pass& pass,
                   DateSource& by) {
  for (DateSource source : pass.choices.dates) {
    by = source;
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

// An entry as the pass will take it: described, and dated, before its turn.
struct Planned {
  platform::Entry entry;
  std::optional<platform::Entry> described;   // nothing: gone, or not looked up (stamped)
  bool stamped = false;                       // its name holds a stamp already
  std::string new_name;                       // stamped, or empty when it has no date
  DateSource source = DateSource::kModified;  // the one that dated it
};

Planned Plan(const platform::Folder& folder, platform::Entry entry, bool describe, Pass& pass) {
  Planned planned{std::move(entry), std::nullopt, false, {}, {}};
  planned.stamped = HasStamp(planned.entry.name);
  if (describe || !planned.stamped) planned.described = Describe(folder, planned.entry);
  if (!planned.stamped && planned.described)
    if (const std::string stamp = StampOf(DateOf(folder, *planned.described, pass, planned.source));
        !stamp.empty())
      planned.new_name = StampedName(planned.entry.name, stamp);
  return planned;
}

// Tells the journal what the entry's stamp will make of it.
void Intend(const platform::Folder& folder, const Planned& planned, Pass& pass) {
  if (!pass.journal || planned.new_name.empty()) return;
  const std::string& new_name = planned.new_name;
  const bool taken = pass.choices.overwrite == OverwriteMode::kOn &&
                     platform::Attributes(folder, new_name).has_value();
  pass.journal->Move(folder, planned.entry.name, folder, new_name, *planned.described, taken);
}

// What was intended is written down before any of it is done; a run that cannot stops.
bool Kept(Pass& pass) {
  platform::Error why = 0;
  if (!pass.journal || pass.journal->Keep(why)) return true;
  pass.report.Told({}, Outcome::kJournalLost, why);
  pass.journal_lost = true;
  return false;
}

bool HoldsJournal(const platform::Entry& entry, const Pass& pass) {
  return pass.journal && pass.journal->PlaceOf(entry) != Journal::Place::kApart;
}

// What the pass makes of one planned entry that holds no stamp: the outcome, told to the report.
// `folder_itself`: the operand named it as a folder ("DIR/").
Outcome StampEntry(const platform::Folder& folder, const Planned& planned, bool folder_itself,
                   Pass& pass) {
  const std::string& name = planned.entry.name;
  const Move unchanged{folder, name, name};
  Outcome outcome = !planned.described                          ? Outcome::kGone
                    : platform::IsOwnOutput(*planned.described) ? Outcome::kOwnOutput
                    : HoldsJournal(*planned.described, pass)    ? Outcome::kHoldsJournal
                    : planned.new_name.empty()                  ? Outcome::kNoDate
                                                                : Outcome::kRenamed;
  if (outcome != Outcome::kRenamed) {
    if (outcome == Outcome::kGone) pass.report.Planned(unchanged.names);
    pass.report.Told(unchanged.names, outcome);
    return outcome;
  }
  const std::string& new_name = planned.new_name;
  const Move move{folder, name, new_name};
  if (folder_itself && !(planned.described->attributes & platform::kFolder)) {
    pass.report.Told(move.names, Outcome::kCannotRename,
                     static_cast<platform::Error>(std::errc::not_a_directory));
    return Outcome::kCannotRename;
  }
  pass.report.Planned(move.names);
  return RenameEntry(move, pass.choices, pass.report, pass.journal);
}

void Stamp(const platform::Folder& folder, const Planned& planned, bool folder_itself, Pass& pass) {
  if (StampEntry(folder, planned, folder_itself, pass) != Outcome::kRenamed) return;
  ++pass.tally.renamed;
  pass.tally.folders += (planned.described->attributes & platform::kFolder) ? 1 : 0;
  ++pass.tally.by_source[static_cast<int>(planned.source)];
  if (planned.source == DateSource::kModified &&
      !(planned.described->attributes & platform::kFolder))
    pass.tally.photos_by_modified += IsPhotoOrVideo(planned.entry.name) ? 1 : 0;
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

bool ByName(const platform::Entry& a, const platform::Entry& b) { return a.name < b.name; }

// The entries a listing selects, in the order the pass takes them: where the build takes them in
// name order, all of them read first (the names of one folder) and sorted; else as listed.
class Selected {
 public:
  explicit Selected(Listing& listing) : listing_(listing) {
    if (!platform::InNameOrder()) return;
    for (std::optional<platform::Entry> entry; (entry = listing.Next());)
      sorted_.push_back(std::move(*entry));
    std::sort(sorted_.begin(), sorted_.end(), ByName);
  }

  std::optional<platform::Entry> Next() {
    if (!platform::InNameOrder()) return listing_.Next();
    if (next_ == sorted_.size()) return std::nullopt;
    return std::move(sorted_[next_++]);
  }

 private:
  Listing& listing_;
  std::vector<platform::Entry> sorted_;
  std::size_t next_ = 0;
};

// ---- Trees ("-r") ----

// Each level of a walk holds its folder open; deeper than this a folder is not entered.
constexpr std::size_t kMaxDepth = 256;

// One folder of a tree, held open while its entries are stamped, all of them planned when the
// walk comes in: each by its own date as it was then, and told to the journal in one batch.
// Names that start with a dot are left alone with all they hold (".git" is no one's photo).
struct Level {
  Level(const platform::Folder& parent, const Planned& planned, Pass& pass)
      : self(planned),
        folder(parent, planned.entry.name),
        time(platform::LastWriteOf(folder)),
        renamed_before(pass.tally.renamed) {
    if (pass.journal) pass.journal->FolderTime(folder, time);
    std::optional<std::vector<platform::Entry>> listed = FolderEntries(folder, why);
    if (listed && platform::InNameOrder()) std::sort(listed->begin(), listed->end(), ByName);
    for (platform::Entry& entry : listed ? *listed : std::vector<platform::Entry>{}) {
      if (entry.name.starts_with('.')) continue;
      entries.push_back(Plan(folder, std::move(entry), true, pass));
      Intend(folder, entries.back(), pass);
    }
  }

  Planned self;  // as it was before the walk went in: its own date
  platform::Folder folder;
  platform::FolderTime time;  // its last write before anything inside it was renamed
  std::int32_t renamed_before;
  platform::Error why = 0;  // why it could not be listed
  std::vector<Planned> entries;
  std::size_t next = 0;  // the entry to stamp next
};

// The next entry of the deepest folder: a folder is gone into, anything else stamped. Another
// file system mounted inside the tree is not entered.
void Visit(std::deque<Level>& levels, Pass& pass) {
  Level& level = levels.back();
  const Planned& planned = level.entries[level.next++];
  pass.report.Progress(level.folder, ++pass.tally.found);
  if (!IsFolderEntry(planned.described)) {
    if (!planned.stamped) Stamp(level.folder, planned, false, pass);
    return;
  }
  const Names names = Move(level.folder, planned.entry.name, planned.entry.name).names;
  // A bind mount of the same file system has the same device, but a mount of its own.
  const platform::Entry &inside = *planned.described, &top = *level.self.described;
  if (inside.device != top.device || inside.mount != top.mount)
    return pass.report.Told(names, Outcome::kOtherFileSystem);
  if (pass.journal && pass.journal->PlaceOf(inside) == Journal::Place::kOwn)
    return pass.report.Told(names, Outcome::kHoldsJournal);
  if (levels.size() >= kMaxDepth) return pass.report.Told(names, Outcome::kTooDeepToWalk);
  const Level& child = levels.emplace_back(level.folder, planned, pass);
  if (child.why) pass.report.Told(names, Outcome::kNotListed, child.why);
  Kept(pass);
}

// A folder whose entries are all done gets its time back, and is then stamped itself, but for
// the top one, which is the caller's.
void Leave(std::deque<Level>& levels, Pass& pass) {
  const Level& done = levels.back();
  KeepTime(done.folder, done.time,
           !pass.choices.dry_run && pass.tally.renamed > done.renamed_before, pass.report);
  const Planned self = done.self;
  levels.pop_back();
  if (levels.empty() || pass.Stopped() || self.stamped) return;
  Stamp(levels.back().folder, self, false, pass);
}

// Everything below the folder `top` of `parent`, children before their folder. No stack frame
// per level, and memory that grows with the depth and the widest folder, not with the tree.
void StampBelow(const platform::Folder& parent, const Planned& top, Pass& pass) {
  std::deque<Level> levels;  // a deque: a level stays where it is while deeper ones come and go
  const Level& first = levels.emplace_back(parent, top, pass);
  if (first.why) pass.report.Told(NamesOf(first.folder), Outcome::kNotListed, first.why);
  Kept(pass);
  while (!levels.empty()) {
    const Level& level = levels.back();
    if (level.next < level.entries.size() && !pass.Stopped())
      Visit(levels, pass);
    else
      Leave(levels, pass);
  }
}

// The next entries the listing yields, planned and told to the journal; as many as one batch
// holds where a journal keeps them, else one at a time. "DIR/" as a pattern ("*/") selects
// folders only, as the shell's does.
std::vector<Planned> PlanBatch(const platform::Folder& folder, Selected& listing, bool folders_only,
                               Pass& pass) {
  const std::size_t size = pass.journal ? kBatch : 1;
  std::vector<Planned> batch;
  for (std::optional<platform::Entry> entry; batch.size() < size && (entry = listing.Next());) {
    Planned planned = Plan(folder, std::move(*entry), folders_only || pass.choices.recursive, pass);
    if (folders_only && !IsFolderEntry(planned.described)) continue;
    Intend(folder, planned, pass);
    batch.push_back(std::move(planned));
  }
  return batch;
}

// One planned entry in its turn: "-r" goes below a folder first.
void Take(const platform::Folder& folder, const Planned& planned, const Operand& operand,
          Pass& pass) {
  pass.report.Progress(folder, ++pass.tally.found);
  if (pass.choices.recursive && IsFolderEntry(planned.described)) {
    StampBelow(folder, planned, pass);
    if (pass.Stopped()) return;
  }
  if (!planned.stamped) Stamp(folder, planned, operand.folder_itself, pass);
}

// An operand that names one entry, in its turn: that entry planned, or why there is none.
struct Step {
  const Operand* operand;
  std::string search;
  bool missing = false;            // the operand selects nothing
  platform::Error why = 0;         // the system's reason, if it gave one
  std::optional<Planned> planned;  // the entry it names
};

// Operands that name one entry each, kept in one batch of the journal and then taken in turn.
void Carry(const platform::Folder& folder, std::vector<Step>& batch, Pass& pass) {
  if (!batch.empty() && Kept(pass))
    for (const Step& step : batch) {
      if (pass.Stopped()) break;
      if (step.missing && TooLong(step.search)) pass.report.SearchTooLong(step.search);
      if (step.missing && !TooLong(step.search)) pass.report.NotFound(step.search, step.why);
      if (step.planned) Take(folder, *step.planned, *step.operand, pass);
    }
  batch.clear();
}

// Every entry the listing yields, until none is left or the run must stop; given as "DIR/", it
// must be a folder. With "-r" a folder is stamped after everything below it.
void StampListed(const platform::Folder& folder, Listing& listing, const Operand& operand,
                 Pass& pass) {
  Selected selected(listing);
  while (!pass.Stopped()) {
    const std::vector<Planned> batch =
        PlanBatch(folder, selected, operand.folder_itself && listing.is_pattern(), pass);
    if (batch.empty() || !Kept(pass)) return;
    for (const Planned& planned : batch) {
      if (pass.Stopped()) return;
      Take(folder, planned, operand, pass);
    }
  }
}

}  // namespace

// Put back whether or not the folder says its date changed: a FUSE file system may answer from
// a cache that its own placeholders have made stale.
void KeepTime(const platform::Folder& folder, const platform::FolderTime& time, bool changed,
              Report& report) {
  if (!changed || !time.known) return;
  if (platform::Error why = platform::PutBack(folder, time))
    report.Told(NamesOf(folder), Outcome::kTimeNotKept, why);
}

bool IsPhotoOrVideo(std::string_view name) {
  // What cameras and phones write: stills, raws, movies.
  static constexpr std::string_view kExtensions[] = {
      "jpg", "jpeg", "heic", "heif", "tif",  "tiff", "dng", "cr2", "cr3", "nef", "arw",
      "orf", "rw2",  "raf",  "png",  "webp", "mp4",  "mov", "m4v", "3gp", "avi"};
  const std::size_t dot = name.rfind('.');
  if (dot == name.npos) return false;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return std::find(std::begin(kExtensions), std::end(kExtensions), extension) !=
         std::end(kExtensions);
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

int StampEntries(const platform::Folder& folder, std::span<const Operand> operands,
                 const Choices& choices, Report& report, Tally& tally, Journal* journal) {
  Pass pass{choices, report, tally, journal};
  std::vector<Step> batch;
  int code = 0;
  for (const Operand& operand : operands) {
    if (pass.Stopped()) break;
    Step step{&operand, folder.path() + (operand.name.empty() ? "*.*" : operand.name), false, 0,
              std::nullopt};
    std::optional<Listing> listing;
    if (!TooLong(step.search)) listing.emplace(folder, operand.name, operand.dot_names_apart);
    step.missing = !listing || !listing->SelectsAny();
    code = std::max(code, step.missing ? 1 : 0);
    if (!step.missing && (listing->is_pattern() || operand.name.empty())) {
      Carry(folder, batch, pass);
      StampListed(folder, *listing, operand, pass);
      continue;
    }
    if (listing) step.why = listing->error();
    if (!step.missing) step.planned = Plan(folder, *listing->Next(), choices.recursive, pass);
    if (!step.missing) Intend(folder, *step.planned, pass);
    batch.push_back(std::move(step));
    if (batch.size() >= (journal ? kBatch : 1)) Carry(folder, batch, pass);
  }
  Carry(folder, batch, pass);
  return code;
}

}  // namespace stampix
