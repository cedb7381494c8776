// The stamping pass: list, skip what is stamped, date, tell the journal, rename, count; with
// "-r", a walk down each folder first.
#include "core/pass.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/entries.h"
#include "core/journal.h"
#include "core/path.h"
#include "core/photos.h"
#include "core/rename.h"
#include "core/stamp.h"
#include "core/walk.h"

namespace stampix {

namespace {

bool ByName(const platform::Entry& a, const platform::Entry& b) { return a.name < b.name; }

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
  bool groups = platform::GroupsPhotos() && !choices.each_alone;
  // The operands' folder: the names planned with a group, which a later operand names again.
  std::set<std::string> grouped = {};

  bool Stopped() const { return journal_lost || report.ShouldStop(); }
};

// An entry as the pass will take it: described, and dated, before its turn.
struct Candidate {
  platform::Entry entry;
  std::optional<platform::Entry> described;   // nothing: gone, or not looked up (stamped)
  bool stamped = false;                       // its name holds a stamp already
  std::string new_name;                       // stamped, or empty when it has no date
  DateSource source = DateSource::kModified;  // the one that dated it
  std::size_t with = 0;      // the entries planned after it that go with it: its group
  bool name_listed = false;  // a group's: its new name was in the folder's listing
};

// Described where it is to be stamped, or where the caller asks; not dated yet.
Candidate Described(const platform::Folder& folder, platform::Entry entry, bool describe) {
  Candidate planned{std::move(entry), std::nullopt, false, {}, {}};
  planned.stamped = HasStamp(planned.entry.name);
  if (describe || !planned.stamped) planned.described = Describe(folder, planned.entry);
  return planned;
}

// The stamp of the planned entry's own date, or empty when it has none or needs none.
std::string StampFor(const platform::Folder& folder, Candidate& planned, Pass& pass) {
  if (planned.stamped || !planned.described) return {};
  return StampOf(
      DateOf(folder, *planned.described, pass.choices.dates, pass.dates, planned.source));
}

Candidate Plan(const platform::Folder& folder, platform::Entry entry, bool describe, Pass& pass) {
  Candidate planned = Described(folder, std::move(entry), describe);
  if (const std::string stamp = StampFor(folder, planned, pass); !stamp.empty())
    planned.new_name = StampedName(planned.entry.name, stamp);
  return planned;
}

// Tells the journal what the entry's stamp will make of it.
void Intend(const platform::Folder& folder, const Candidate& planned, Pass& pass) {
  if (!pass.journal || planned.new_name.empty()) return;
  const std::string& new_name = planned.new_name;
  const bool taken = pass.choices.overwrite == OverwriteMode::kOn &&
                     platform::Attributes(folder, new_name).has_value();
  pass.journal->Move(folder, planned.entry.name, folder, new_name, *planned.described, taken);
}

// What was intended is written down before any of it is done; a run that cannot stops.
bool WrittenDown(Pass& pass) {
  platform::Error why = 0;
  if (!pass.journal || pass.journal->WriteDown(why)) return true;
  pass.report.Told({}, Outcome::kJournalLost, why);
  pass.journal_lost = true;
  return false;
}

bool HoldsJournal(const platform::Entry& entry, const Pass& pass) {
  return pass.journal && pass.journal->PlaceOf(entry) != Journal::Place::kApart;
}

// What the pass makes of one planned entry that holds no stamp: the outcome, told to the report.
// `folder_itself`: the operand named it as a folder ("DIR/").
Outcome StampEntry(const platform::Folder& folder, const Candidate& planned, bool folder_itself,
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

void Stamp(const platform::Folder& folder, const Candidate& planned, bool folder_itself,
           Pass& pass) {
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

// ---- Groups ----

// A group's members, planned as one into `out` and told to the journal: each described, and all
// dated by their lead, the first by name of the best rank. A member that is a folder, or gone, is
// planned alone after them; what is left without a photo or video, or of one entry, is no group.
void PlanGroup(const platform::Folder& folder, const std::vector<platform::Entry>& entries,
               Groups& groups, std::span<const std::size_t> members, bool describe, Pass& pass,
               std::vector<Candidate>& out) {
  std::vector<Candidate> planned;
  std::vector<bool> whole, in;
  std::size_t lead = 0, count = 0;
  for (std::size_t m : members) {
    groups.Take(m);
    const Candidate& member = planned.emplace_back(Described(folder, entries[m], describe));
    whole.push_back(groups.WholeName(m));
    in.push_back((member.stamped || member.described) && !IsFolderEntry(member.described));
    if (in.back() && (!count++ || LeadRank(member.entry.name) < LeadRank(planned[lead].entry.name)))
      lead = planned.size() - 1;
  }
  const bool led = count > 1 && LeadRank(planned[lead].entry.name) < 3;
  const std::string stamp = led ? StampFor(folder, planned[lead], pass) : "";
  const DateSource source = planned[lead].source;
  const std::size_t first = out.size();
  for (std::size_t k = 0; k < planned.size(); ++k) {
    if (!led || !in[k]) continue;
    if (!stamp.empty() && !planned[k].stamped && planned[k].described) {
      planned[k].new_name = StampedMemberName(planned[k].entry.name, whole[k], stamp);
      planned[k].name_listed = std::binary_search(entries.begin(), entries.end(),
                                                  platform::Entry{planned[k].new_name}, ByName);
    }
    planned[k].source = source;
    out.push_back(std::move(planned[k]));
  }
  if (led) out[first].with = out.size() - first - 1;
  for (std::size_t k = 0; k < planned.size(); ++k) {
    if (led && in[k]) continue;
    if (const std::string own = StampFor(folder, planned[k], pass); !own.empty())
      planned[k].new_name = StampedName(planned[k].entry.name, own);
    out.push_back(std::move(planned[k]));
  }
  for (std::size_t k = first; k < out.size(); ++k) Intend(folder, out[k], pass);
}

// A group in its turn, judged whole before any member is renamed: the first member whose new
// name the policy would not give it holds them all, told in one line; else each is stamped. A
// new name the folder's listing did not hold is free, as far as a look-up could tell: the look-up
// is left out, and a name taken since is refused by the member's own rename all the same.
void TakeGroup(const platform::Folder& folder, std::span<const Candidate> group, Pass& pass) {
  for (std::size_t i = 0; i < group.size(); ++i) pass.report.Progress(folder, ++pass.tally.found);
  for (const Candidate& member : group) {
    if (!member.name_listed) continue;
    const Move move{folder, member.entry.name, member.new_name};
    const Result foreseen = Foresee(move, pass.choices);
    if (foreseen.outcome == Outcome::kRenamed) continue;
    std::vector<std::string> others;
    for (const Candidate& other : group)
      if (&other != &member) others.push_back(other.entry.name);
    return pass.report.Held(move.names, foreseen.outcome, foreseen.why, others);
  }
  for (const Candidate& member : group) {
    if (pass.Stopped()) return;
    if (!member.stamped) Stamp(folder, member, false, pass);
  }
}

// A folder's entries in name order with their groups: an operand that names a photo, video or
// sidecar needs the names beside it.
struct Listed {
  Listed(const platform::Folder& folder, bool on) : entries(Read(folder)), groups(entries, on) {}

  static std::vector<platform::Entry> Read(const platform::Folder& folder) {
    platform::Error why = 0;
    std::vector<platform::Entry> read =
        FolderEntries(folder, why).value_or(std::vector<platform::Entry>{});
    std::sort(read.begin(), read.end(), ByName);
    return read;
  }

  // The entry of that name, where the listing had it.
  std::optional<std::size_t> Find(std::string_view name) const {
    auto at = std::partition_point(entries.begin(), entries.end(),
                                   [&](const platform::Entry& entry) { return entry.name < name; });
    if (at == entries.end() || at->name != name) return std::nullopt;
    return static_cast<std::size_t>(at - entries.begin());
  }

  std::vector<platform::Entry> entries;
  Groups groups;
};

// The entries a listing selects, in the order the pass takes them: where the build takes them in
// name order, all of them read first (the names of one folder) and sorted, with those a pattern
// passed over where groups are on (they may go with a photo it selects); else as listed.
class Selected {
 public:
  Selected(Listing& listing, bool groups) : listing_(listing) {
    if (!platform::InNameOrder()) return;
    std::vector<std::pair<platform::Entry, bool>> all;
    for (std::optional<platform::Entry> entry; (entry = listing.Next());)
      all.emplace_back(std::move(*entry), true);
    for (platform::Entry& entry : listing.Passed()) all.emplace_back(std::move(entry), false);
    std::sort(all.begin(), all.end(),
              [](const auto& a, const auto& b) { return ByName(a.first, b.first); });
    for (auto& [entry, chosen] : all)
      entries_.push_back(std::move(entry)), chosen_.push_back(chosen);
    groups_.emplace(entries_, groups);
  }

  // Plans the next selected entry, with its group, into `batch`; false when none is left.
  // `folders_only`: any other is passed over.
  bool PlanNext(const platform::Folder& folder, bool describe, bool folders_only, Pass& pass,
                std::vector<Candidate>& batch) {
    std::optional<platform::Entry> entry;
    if (!platform::InNameOrder()) entry = listing_.Next();
    while (platform::InNameOrder() && next_ < entries_.size() &&
           (!chosen_[next_] || groups_->Taken(next_)))
      ++next_;
    if (platform::InNameOrder() && next_ < entries_.size()) {
      if (std::span<const std::size_t> group = groups_->Of(next_++); !group.empty()) {
        PlanGroup(folder, entries_, *groups_, group, describe, pass, batch);
        for (std::size_t member : group) pass.grouped.insert(entries_[member].name);
        return true;
      }
      entry = entries_[next_ - 1];  // kept: a group's new names are looked up among them
    }
    if (!entry) return false;
    Candidate planned = Plan(folder, std::move(*entry), describe, pass);
    if (folders_only && !IsFolderEntry(planned.described)) return true;
    Intend(folder, planned, pass);
    batch.push_back(std::move(planned));
    return true;
  }

 private:
  Listing& listing_;
  std::vector<platform::Entry> entries_;
  std::vector<bool> chosen_;  // by entry: the listing selected it
  std::optional<Groups> groups_;
  std::size_t next_ = 0;
};

// ---- Trees ("-r") ----

// One folder of a tree, held open while its entries are stamped, all of them planned when the
// walk comes in: each by its own date as it was then, and told to the journal in one batch.
// Names that start with a dot are left alone with all they hold (".git" is no one's photo).
struct Level {
  Level(const platform::Folder& parent, const Candidate& planned, Pass& pass)
      : self(planned),
        folder(parent, planned.entry.name),
        time(platform::LastWriteOf(folder)),
        renamed_before(pass.tally.renamed) {
    if (pass.journal) pass.journal->FolderTime(folder, time);
    std::vector<platform::Entry> listed =
        FolderEntries(folder, why).value_or(std::vector<platform::Entry>{});
    std::erase_if(listed, [](const platform::Entry& entry) { return entry.name.starts_with('.'); });
    if (platform::InNameOrder()) std::sort(listed.begin(), listed.end(), ByName);
    Groups groups(listed, pass.groups);
    for (std::size_t i = 0; i < listed.size(); ++i) {
      if (!groups.Of(i).empty()) {
        if (!groups.Taken(i)) PlanGroup(folder, listed, groups, groups.Of(i), true, pass, entries);
        continue;
      }
      entries.push_back(Plan(folder, listed[i], true, pass));
      Intend(folder, entries.back(), pass);
    }
  }

  Candidate self;  // as it was before the walk went in: its own date
  platform::Folder folder;
  platform::FolderTime time;  // its last write before anything inside it was renamed
  std::int32_t renamed_before;
  platform::Error why = 0;         // why it could not be listed
  std::vector<Candidate> entries;  // in name order, a group's members after the first of them
  std::size_t next = 0;            // the entry to stamp next
};

// The next entry of the deepest folder: a folder is gone into, anything else stamped. Another
// file system mounted inside the tree is not entered.
void Visit(Walk<Level>& walk, Pass& pass) {
  Level& level = walk.deepest();
  const Candidate& planned = level.entries[level.next];
  level.next += 1 + planned.with;
  if (planned.with) return TakeGroup(level.folder, std::span(&planned, 1 + planned.with), pass);
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
  const Level* child = walk.Enter(level.folder, planned, pass);
  if (!child) return pass.report.Told(names, Outcome::kTooDeepToWalk);
  if (child->why) pass.report.Told(names, Outcome::kNotListed, child->why);
  WrittenDown(pass);
}

// A folder whose entries are all done gets its time back, and is then stamped itself, but for
// the top one, which is the caller's.
void Leave(Walk<Level>& walk, Pass& pass) {
  const Level& done = walk.deepest();
  RestoreFolderTime(done.folder, done.time,
                    !pass.choices.dry_run && pass.tally.renamed > done.renamed_before, pass.report);
  const Candidate self = done.self;
  walk.Leave();
  if (walk.empty() || pass.Stopped() || self.stamped) return;
  Stamp(walk.deepest().folder, self, false, pass);
}

// Everything below the folder `top` of `parent`, children before their folder.
void StampBelow(const platform::Folder& parent, const Candidate& top, Pass& pass) {
  Walk<Level> walk;
  const Level* first = walk.Enter(parent, top, pass);
  if (first->why) pass.report.Told(NamesOf(first->folder), Outcome::kNotListed, first->why);
  WrittenDown(pass);
  while (!walk.empty()) {
    if (walk.HasNext() && !pass.Stopped())
      Visit(walk, pass);
    else
      Leave(walk, pass);
  }
}

// The next entries the listing yields, planned and told to the journal; as many as one batch
// holds where a journal keeps them, else one at a time (or one group). "DIR/" as a pattern ("*/")
// selects folders only, as the shell's does.
std::vector<Candidate> PlanBatch(const platform::Folder& folder, Selected& listing,
                                 bool folders_only, Pass& pass) {
  const std::size_t size = pass.journal ? kBatch : 1;
  std::vector<Candidate> batch;
  while (batch.size() < size && listing.PlanNext(folder, folders_only || pass.choices.recursive,
                                                 folders_only, pass, batch)) {
  }
  return batch;
}

// One planned entry in its turn, "-r" going below a folder first, or a group.
void Take(const platform::Folder& folder, std::span<const Candidate> unit, const Operand& operand,
          Pass& pass) {
  if (unit.size() > 1) return TakeGroup(folder, unit, pass);
  const Candidate& planned = unit.front();
  pass.report.Progress(folder, ++pass.tally.found);
  if (pass.choices.recursive && IsFolderEntry(planned.described)) {
    StampBelow(folder, planned, pass);
    if (pass.Stopped()) return;
  }
  if (!planned.stamped) Stamp(folder, planned, operand.folder_itself, pass);
}

// Candidate entries in turn, a group at once, until the run must stop.
void TakeAll(const platform::Folder& folder, std::span<const Candidate> planned,
             const Operand& operand, Pass& pass) {
  for (std::size_t i = 0; i < planned.size() && !pass.Stopped(); i += 1 + planned[i].with)
    Take(folder, planned.subspan(i, 1 + planned[i].with), operand, pass);
}

// An operand that names one entry, in its turn: that entry planned, or why there is none.
struct Named {
  const Operand* operand;
  std::string search;
  bool missing = false;            // the operand selects nothing
  platform::Error why = 0;         // the system's reason, if it gave one
  std::vector<Candidate> planned;  // the entry it names, with its group
};

// Operands that name one entry each, kept in one batch of the journal and then taken in turn.
void TakeNamed(const platform::Folder& folder, std::vector<Named>& batch, Pass& pass) {
  if (!batch.empty() && WrittenDown(pass))
    for (const Named& step : batch) {
      if (pass.Stopped()) break;
      if (step.missing && TooLong(step.search)) pass.report.SearchTooLong(step.search);
      if (step.missing && !TooLong(step.search)) pass.report.NotFound(step.search, step.why);
      TakeAll(folder, step.planned, *step.operand, pass);
    }
  batch.clear();
}

// Every entry the listing yields, until none is left or the run must stop; given as "DIR/", it
// must be a folder. With "-r" a folder is stamped after everything below it.
void StampListed(const platform::Folder& folder, Listing& listing, const Operand& operand,
                 Pass& pass) {
  const bool folders_only = operand.folder_itself && listing.is_pattern();
  Selected selected(listing, pass.groups && !folders_only);
  while (!pass.Stopped()) {
    const std::vector<Candidate> batch = PlanBatch(folder, selected, folders_only, pass);
    if (batch.empty() || !WrittenDown(pass)) return;
    TakeAll(folder, batch, operand, pass);
  }
}

}  // namespace

int StampEntries(const platform::Folder& folder, std::span<const Operand> operands,
                 const Choices& choices, Report& report, Tally& tally, Journal* journal) {
  Pass pass{choices, report, tally, journal};
  std::vector<Named> batch;
  std::optional<Listed> listed;  // read once an operand names a photo, video or sidecar
  int code = 0;
  for (const Operand& operand : operands) {
    if (pass.Stopped()) break;
    const bool grouped =
        pass.groups && !operand.folder_itself && KindOf(operand.name) != Kind::kOther;
    // Candidate already with its group, it is stamped with it.
    if (grouped && pass.grouped.contains(operand.name)) continue;
    Named step{
        &operand, folder.path() + (operand.name.empty() ? "*.*" : operand.name), false, 0, {}};
    std::optional<Listing> listing;
    if (!TooLong(step.search))
      listing.emplace(folder, operand.name, operand.dot_names_apart,
                      pass.groups && !operand.folder_itself);
    step.missing = !listing || !listing->SelectsAny();
    code = std::max(code, step.missing ? 1 : 0);
    if (!step.missing && (listing->is_pattern() || operand.name.empty())) {
      TakeNamed(folder, batch, pass);
      StampListed(folder, *listing, operand, pass);
      continue;
    }
    if (listing) step.why = listing->error();
    if (!step.missing) {
      platform::Entry entry = *listing->Next();
      if (grouped && !listed) listed.emplace(folder, true);
      const auto at = grouped ? listed->Find(entry.name) : std::nullopt;
      if (at && !listed->groups.Of(*at).empty()) {
        listed->entries[*at] = std::move(entry);  // described already
        PlanGroup(folder, listed->entries, listed->groups, listed->groups.Of(*at),
                  choices.recursive, pass, step.planned);
        for (std::size_t member : listed->groups.Of(*at))
          pass.grouped.insert(listed->entries[member].name);
      } else {
        step.planned.push_back(Plan(folder, std::move(entry), choices.recursive, pass));
        Intend(folder, step.planned.back(), pass);
      }
    }
    batch.push_back(std::move(step));
    if (batch.size() >= (journal ? kBatch : 1)) TakeNamed(folder, batch, pass);
  }
  TakeNamed(folder, batch, pass);
  return code;
}

}  // namespace stampix
