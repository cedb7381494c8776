// The stamping pass: list, skip what is stamped, tell the new name, rename, count.
#include "core/stamp.h"

#include <algorithm>
#include <cstdint>
#include <deque>
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
#include "core/rename.h"

namespace stampix {

namespace {

bool IsEightDigits(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// What a name's extension, in any case, says its entry is.
enum class Kind { kOther, kRaw, kStill, kMovie, kSidecar };

// The one list of them (the README and the manual page say it): what cameras and phones write,
// and what editors and phones write beside it.
Kind KindOf(std::string_view name) {
  static constexpr std::pair<std::string_view, Kind> kKinds[] = {
      {"jpg", Kind::kStill},   {"jpeg", Kind::kStill},  {"heic", Kind::kStill},
      {"heif", Kind::kStill},  {"tif", Kind::kStill},   {"tiff", Kind::kStill},
      {"png", Kind::kStill},   {"webp", Kind::kStill},  {"dng", Kind::kRaw},
      {"cr2", Kind::kRaw},     {"cr3", Kind::kRaw},     {"nef", Kind::kRaw},
      {"arw", Kind::kRaw},     {"orf", Kind::kRaw},     {"rw2", Kind::kRaw},
      {"raf", Kind::kRaw},     {"mp4", Kind::kMovie},   {"mov", Kind::kMovie},
      {"m4v", Kind::kMovie},   {"3gp", Kind::kMovie},   {"avi", Kind::kMovie},
      {"xmp", Kind::kSidecar}, {"aae", Kind::kSidecar}, {"thm", Kind::kSidecar}};
  const std::size_t dot = name.rfind('.');
  if (dot == name.npos || name.size() - dot > 5) return Kind::kOther;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  for (const auto& [known, kind] : kKinds)
    if (extension == known) return kind;
  return Kind::kOther;
}

bool IsPhotoKind(Kind kind) { return kind != Kind::kOther && kind != Kind::kSidecar; }

// The name without its last dot and what follows.
std::string_view StemOf(std::string_view name) { return name.substr(0, name.rfind('.')); }

bool ByName(const platform::Entry& a, const platform::Entry& b) { return a.name < b.name; }

// The photos and videos of one folder's entries (in name order) with the entries that go with
// them: each group is a stem that names a photo or video, every entry named by it, a dot and a
// known extension (IMG_1.XMP, the IMG_1.JPG beside IMG_1.CR2), and every sidecar named by one
// of its photos' whole names and an extension (IMG_1.CR2.xmp). Names alone decide, and all
// names that start with a stem and a dot lie together in name order, so a folder without a photo
// or video costs a look at each extension.
class Groups {
 public:
  Groups(const std::vector<platform::Entry>& entries, bool on) {
    for (std::size_t i = 0; on && i < entries.size(); ++i)
      if (IsPhotoKind(KindOf(entries[i].name)) && !In(i)) Gather(entries, i);
  }

  // The members of entry i's group in name order; none when it is in no group.
  std::span<const std::size_t> Of(std::size_t i) const {
    if (!In(i)) return {};
    const std::size_t group = group_[i] - 1;
    return std::span(members_).subspan(starts_[group], starts_[group + 1] - starts_[group]);
  }

  // A sidecar named by its photo's whole name: its stamp goes where the photo's does.
  bool WholeName(std::size_t i) const { return In(i) && whole_[i]; }

  // Whether entry i was planned already, with its group; entries in none are never marked.
  bool Taken(std::size_t i) const { return In(i) && taken_[i]; }
  void Take(std::size_t i) { taken_[i] = true; }

 private:
  bool In(std::size_t i) const { return !group_.empty() && group_[i]; }

  // The group of the photo or video i, where it holds more than i.
  void Gather(const std::vector<platform::Entry>& entries, std::size_t i) {
    if (group_.empty()) {
      group_.assign(entries.size(), 0), whole_.assign(entries.size(), false);
      taken_.assign(entries.size(), false), starts_.assign(1, 0);
    }
    const std::size_t start = members_.size();
    const auto starting = [&](const std::string& prefix, bool sidecars) {
      auto at = std::partition_point(entries.begin(), entries.end(),
                                     [&](const auto& entry) { return entry.name < prefix; });
      for (; at != entries.end() && at->name.starts_with(prefix); ++at) {
        const Kind its = KindOf(at->name);
        const std::size_t j = static_cast<std::size_t>(at - entries.begin());
        if (group_[j] || its == Kind::kOther || (sidecars && its != Kind::kSidecar) ||
            StemOf(at->name).size() + 1 != prefix.size())
          continue;
        group_[j] = starts_.size();
        whole_[j] = sidecars;
        members_.push_back(j);
      }
    };
    starting(std::string(StemOf(entries[i].name)) + '.', false);
    for (std::size_t k = start, end = members_.size(); k < end; ++k)
      if (IsPhotoKind(KindOf(entries[members_[k]].name)))
        starting(entries[members_[k]].name + '.', true);
    std::sort(members_.begin() + static_cast<std::ptrdiff_t>(start), members_.end());
    if (members_.size() - start > 1) return starts_.push_back(members_.size());
    for (std::size_t k = start; k < members_.size(); ++k) group_[members_[k]] = 0;
    members_.resize(start);
  }

  std::vector<std::size_t> group_;    // by entry: its group's number from 1, 0 for none
  std::vector<bool> whole_, taken_;   // by entry
  std::vector<std::size_t> members_;  // the groups' entries, group after group
  std::vector<std::size_t> starts_;   // where each group starts in members_, and the end
};

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
  std::size_t with = 0;      // the entries planned after it that go with it: its group
  bool name_listed = false;  // a group's: its new name was in the folder's listing
};

// Described where it is to be stamped, or where the caller asks; not dated yet.
Planned Described(const platform::Folder& folder, platform::Entry entry, bool describe) {
  Planned planned{std::move(entry), std::nullopt, false, {}, {}};
  planned.stamped = HasStamp(planned.entry.name);
  if (describe || !planned.stamped) planned.described = Describe(folder, planned.entry);
  return planned;
}

// The stamp of the planned entry's own date, or empty when it has none or needs none.
std::string StampFor(const platform::Folder& folder, Planned& planned, Pass& pass) {
  if (planned.stamped || !planned.described) return {};
  return StampOf(DateOf(folder, *planned.described, pass, planned.source));
}

Planned Plan(const platform::Folder& folder, platform::Entry entry, bool describe, Pass& pass) {
  Planned planned = Described(folder, std::move(entry), describe);
  if (const std::string stamp = StampFor(folder, planned, pass); !stamp.empty())
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

// ---- Groups ----

// How a member stands to lead its group: a raw, else a still, else a movie; a sidecar never.
int Rank(std::string_view name) {
  const Kind kind = KindOf(name);
  return kind == Kind::kRaw ? 0 : kind == Kind::kStill ? 1 : kind == Kind::kMovie ? 2 : 3;
}

// A member's new name: the stamp before its last dot, or, named by its photo's whole name, where
// the photo's name takes it ("IMG_1(20170914).CR2.xmp"), so that it still names its photo.
std::string MemberName(std::string_view name, bool whole_name, std::string_view stamp) {
  if (!whole_name) return StampedName(name, stamp);
  const std::size_t dot = name.rfind('.');
  return StampedName(name.substr(0, dot), stamp).append(name.substr(dot));
}

// A group's members, planned as one into `out` and told to the journal: each described, and all
// dated by their lead, the first by name of the best rank. A member that is a folder, or gone, is
// planned alone after them; what is left without a photo or video, or of one entry, is no group.
void PlanGroup(const platform::Folder& folder, const std::vector<platform::Entry>& entries,
               Groups& groups, std::span<const std::size_t> members, bool describe, Pass& pass,
               std::vector<Planned>& out) {
  std::vector<Planned> planned;
  std::vector<bool> whole, in;
  std::size_t lead = 0, count = 0;
  for (std::size_t m : members) {
    groups.Take(m);
    const Planned& member = planned.emplace_back(Described(folder, entries[m], describe));
    whole.push_back(groups.WholeName(m));
    in.push_back((member.stamped || member.described) && !IsFolderEntry(member.described));
    if (in.back() && (!count++ || Rank(member.entry.name) < Rank(planned[lead].entry.name)))
      lead = planned.size() - 1;
  }
  const bool led = count > 1 && Rank(planned[lead].entry.name) < 3;
  const std::string stamp = led ? StampFor(folder, planned[lead], pass) : "";
  const DateSource source = planned[lead].source;
  const std::size_t first = out.size();
  for (std::size_t k = 0; k < planned.size(); ++k) {
    if (!led || !in[k]) continue;
    if (!stamp.empty() && !planned[k].stamped && planned[k].described) {
      planned[k].new_name = MemberName(planned[k].entry.name, whole[k], stamp);
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
void TakeGroup(const platform::Folder& folder, std::span<const Planned> group, Pass& pass) {
  for (std::size_t i = 0; i < group.size(); ++i) pass.report.Progress(folder, ++pass.tally.found);
  for (const Planned& member : group) {
    if (!member.name_listed) continue;
    const Move move{folder, member.entry.name, member.new_name};
    const Result foreseen = Foresee(move, pass.choices);
    if (foreseen.outcome == Outcome::kRenamed) continue;
    std::vector<std::string> others;
    for (const Planned& other : group)
      if (&other != &member) others.push_back(other.entry.name);
    return pass.report.Held(move.names, foreseen.outcome, foreseen.why, others);
  }
  for (const Planned& member : group) {
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
                std::vector<Planned>& batch) {
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
    Planned planned = Plan(folder, std::move(*entry), describe, pass);
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

  Planned self;  // as it was before the walk went in: its own date
  platform::Folder folder;
  platform::FolderTime time;  // its last write before anything inside it was renamed
  std::int32_t renamed_before;
  platform::Error why = 0;       // why it could not be listed
  std::vector<Planned> entries;  // in name order, a group's members after the first of them
  std::size_t next = 0;          // the entry to stamp next
};

// The next entry of the deepest folder: a folder is gone into, anything else stamped. Another
// file system mounted inside the tree is not entered.
void Visit(std::deque<Level>& levels, Pass& pass) {
  Level& level = levels.back();
  const Planned& planned = level.entries[level.next];
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
// holds where a journal keeps them, else one at a time (or one group). "DIR/" as a pattern ("*/")
// selects folders only, as the shell's does.
std::vector<Planned> PlanBatch(const platform::Folder& folder, Selected& listing, bool folders_only,
                               Pass& pass) {
  const std::size_t size = pass.journal ? kBatch : 1;
  std::vector<Planned> batch;
  while (batch.size() < size && listing.PlanNext(folder, folders_only || pass.choices.recursive,
                                                 folders_only, pass, batch)) {
  }
  return batch;
}

// One planned entry in its turn, "-r" going below a folder first, or a group.
void Take(const platform::Folder& folder, std::span<const Planned> unit, const Operand& operand,
          Pass& pass) {
  if (unit.size() > 1) return TakeGroup(folder, unit, pass);
  const Planned& planned = unit.front();
  pass.report.Progress(folder, ++pass.tally.found);
  if (pass.choices.recursive && IsFolderEntry(planned.described)) {
    StampBelow(folder, planned, pass);
    if (pass.Stopped()) return;
  }
  if (!planned.stamped) Stamp(folder, planned, operand.folder_itself, pass);
}

// Planned entries in turn, a group at once, until the run must stop.
void TakeAll(const platform::Folder& folder, std::span<const Planned> planned,
             const Operand& operand, Pass& pass) {
  for (std::size_t i = 0; i < planned.size() && !pass.Stopped(); i += 1 + planned[i].with)
    Take(folder, planned.subspan(i, 1 + planned[i].with), operand, pass);
}

// An operand that names one entry, in its turn: that entry planned, or why there is none.
struct Step {
  const Operand* operand;
  std::string search;
  bool missing = false;          // the operand selects nothing
  platform::Error why = 0;       // the system's reason, if it gave one
  std::vector<Planned> planned;  // the entry it names, with its group
};

// Operands that name one entry each, kept in one batch of the journal and then taken in turn.
void Carry(const platform::Folder& folder, std::vector<Step>& batch, Pass& pass) {
  if (!batch.empty() && Kept(pass))
    for (const Step& step : batch) {
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
    const std::vector<Planned> batch = PlanBatch(folder, selected, folders_only, pass);
    if (batch.empty() || !Kept(pass)) return;
    TakeAll(folder, batch, operand, pass);
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

bool IsPhotoOrVideo(std::string_view name) { return IsPhotoKind(KindOf(name)); }

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
  std::optional<Listed> listed;  // read once an operand names a photo, video or sidecar
  int code = 0;
  for (const Operand& operand : operands) {
    if (pass.Stopped()) break;
    const bool grouped =
        pass.groups && !operand.folder_itself && KindOf(operand.name) != Kind::kOther;
    // Planned already with its group, it is stamped with it.
    if (grouped && pass.grouped.contains(operand.name)) continue;
    Step step{
        &operand, folder.path() + (operand.name.empty() ? "*.*" : operand.name), false, 0, {}};
    std::optional<Listing> listing;
    if (!TooLong(step.search))
      listing.emplace(folder, operand.name, operand.dot_names_apart,
                      pass.groups && !operand.folder_itself);
    step.missing = !listing || !listing->SelectsAny();
    code = std::max(code, step.missing ? 1 : 0);
    if (!step.missing && (listing->is_pattern() || operand.name.empty())) {
      Carry(folder, batch, pass);
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
    if (batch.size() >= (journal ? kBatch : 1)) Carry(folder, batch, pass);
  }
  Carry(folder, batch, pass);
  return code;
}

}  // namespace stampix
