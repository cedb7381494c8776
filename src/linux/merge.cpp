// The Linux folder merge, done by the program itself and only by renames inside the file
// system, so that no entry is ever in two places or in none. Entries whose names are free move
// over whole, folders met by folders merge in turn, and what "/Y" may replace is replaced in one
// step; anything else stays in the source, which is then kept. The tree is walked without one
// stack frame per level, and no deeper than its open folders allow.
#include "core/merge.h"

#include <algorithm>

#include "core/entries.h"
#include "core/journal.h"
#include "core/rename.h"
#include "core/walk.h"
#include "linux/platform_linux.h"

namespace stampix {

namespace {

// One source folder being merged into the folder of the same name in the destination, its
// entries told to the journal before any of them moves; where that cannot be, none does.
struct Level {
  Level(const platform::Folder& from_parent, std::string_view from_name,
        const platform::Folder& to_parent, std::string_view to_name, Journal* journal)
      : name(from_name),
        from(from_parent, from_name),
        to(to_parent, to_name),
        to_time(platform::LastWriteOf(to)) {
    if (auto listed = FolderEntries(from, why)) entries = std::move(*listed);
    // In name order, as the pass takes a folder's entries.
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    if (!listed_ok()) left = 1;
    if (!journal || !listed_ok()) return;
    // The source as it was, to make it again; the destination's date, to give it back.
    journal->FolderTime(from, platform::LastWriteOf(from));
    journal->FolderTime(to, to_time);
    for (const platform::Entry& entry : entries)
      if (std::optional<platform::Entry> described = platform::Lookup(from, entry.name))
        journal->Move(from, entry.name, to, entry.name, *described,
                      platform::Attributes(to, entry.name).has_value());
    if (journal->WriteDown(why)) return;
    left = entries.size();
    entries.clear();
  }

  bool listed_ok() const { return why == 0; }

  std::string name;  // in the parent's source folder
  platform::Folder from, to;
  platform::FolderTime to_time;  // the destination's last write before the merge came in
  platform::Error why = 0;       // why the source folder could not be listed
  std::vector<platform::Entry> entries;
  std::size_t next = 0;  // the entry to merge next
  std::size_t left = 0;  // entries that stay in the source (an unlisted folder keeps all)
};

enum class Fate { kMoved, kStays, kDescend };

// Moves one entry over under the policy, "/Y" being what a merge is; says why not where it stays.
Fate MergeEntry(const Level& level, std::string_view name, const Choices& choices,
                std::vector<Names>& moved, Report& report) {
  Choices overwrite = choices;
  overwrite.overwrite = OverwriteMode::kOn;
  const Move move(level.from, name, level.to, name);
  const Result result = MoveUnderPolicy(move, overwrite);
  if (result.merge) return Fate::kDescend;
  if (result.outcome == Outcome::kGone) return Fate::kMoved;  // someone else moved it
  if (result.outcome != Outcome::kRenamed) {
    report.Told(move.names, result.outcome, result.why);
    return Fate::kStays;
  }
  moved.push_back(move.names);
  return Fate::kMoved;
}

// Goes into a folder met by a folder, unless that is deeper than the merge goes.
void Descend(Walk<Level>& walk, std::string_view name, Report& report, Journal* journal) {
  Level& parent = walk.deepest();
  const Level* child = walk.Enter(parent.from, name, parent.to, name, journal);
  if (!child) {
    report.Told(Move(parent.from, name, parent.to, name).names, Outcome::kTooDeep);
    ++parent.left;
    return;
  }
  if (!child->listed_ok())
    report.Told(Move(parent.from, name, parent.to, name).names, Outcome::kCannotRename, child->why);
}

// A destination folder merged into keeps its own date, as any folder renamed inside does.
void Done(const Level& level, const Choices& choices, Report& report) {
  RestoreFolderTime(level.to, level.to_time, !choices.dry_run, report);
}

// Back from a sub-folder: it goes from the source when nothing stayed in it.
void Ascend(Walk<Level>& walk, const Choices& choices, Report& report) {
  const Level& child = walk.deepest();
  Done(child, choices, report);
  Level& parent = walk.above();
  const bool gone =
      child.left == 0 && (choices.dry_run || platform::RemoveFolder(parent.from, child.name) == 0);
  if (!gone) ++parent.left;
  walk.Leave();
}

// Merges entry after entry, depth first, back up to the top level; false when a stop asked for
// ended it between two entries, the source kept with what is left.
bool MergeAll(Walk<Level>& walk, const Choices& choices, std::vector<Names>& moved, Report& report,
              Journal* journal) {
  while (walk.depth() > 1 || walk.HasNext()) {
    if (!walk.HasNext()) {
      Ascend(walk, choices, report);
      continue;
    }
    Level& level = walk.deepest();
    if (platform::StopSignal()) return false;
    const std::string name = level.entries[level.next++].name;
    Fate fate = MergeEntry(level, name, choices, moved, report);
    if (fate == Fate::kStays) ++level.left;
    if (fate == Fate::kDescend) Descend(walk, name, report, journal);
  }
  return true;
}

}  // namespace

// A merge that could not be completed puts on the record each entry that did move.
Result MergeFolder(const Move& m, const Choices& choices, Report& report, Journal* journal) {
  Walk<Level> walk;
  std::vector<Names> moved;
  const Level* top = walk.Enter(m.source_folder, m.name, m.folder, m.new_name, journal);
  if (!top->listed_ok()) report.Told(m.names, Outcome::kCannotRename, top->why);
  const bool whole = MergeAll(walk, choices, moved, report, journal) && !walk.deepest().left;
  Done(walk.deepest(), choices, report);
  platform::Error why = whole && !choices.dry_run ? platform::RemoveFolder(m.folder, m.name) : 0;
  if (whole && !why) return {Outcome::kRenamed};
  for (const Names& names : moved) report.Told(names, Outcome::kMoved);
  return whole ? Result{Outcome::kMergedNotRemoved, why} : Result{Outcome::kNotAllMerged};
}

}  // namespace stampix
