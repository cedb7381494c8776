// The conflict policy of one move, and the move carried out under it.
#include "core/rename.h"

#include "core/entries.h"
#include "core/merge.h"
#include "core/path.h"

namespace stampix {

namespace {

using Step = Verdict::Step;

bool IsFolderKind(std::uint32_t attributes) { return attributes & platform::kFolder; }

// Names the system's calls would misread, and paths it would not take, are never handed over.
std::optional<Outcome> Refused(const Move& m) {
  if (!platform::CanName(m.name) || !platform::CanName(m.new_name)) return Outcome::kCannotName;
  if (TooLong(m.names.source)) return Outcome::kSourceTooLong;
  if (TooLong(m.names.destination)) return Outcome::kTooLong;
  return std::nullopt;
}

// A folder merged into another user's folder becomes theirs to delete; so does a file put in
// place of theirs in a folder that others may write to.
bool Foreign(const Move& m, std::uint32_t destination) {
  std::optional<std::uint32_t> ours = platform::Owner(m.source_folder, m.name);
  std::optional<std::uint32_t> theirs = platform::Owner(m.folder, m.new_name);
  if (!ours || !theirs || *ours == *theirs) return false;
  return IsFolderKind(destination) || platform::IsShared(m.folder);
}

Sides Look(const Move& m, OverwriteMode overwrite) {
  Sides sides{platform::Attributes(m.source_folder, m.name),
              platform::Attributes(m.folder, m.new_name)};
  if (overwrite == OverwriteMode::kOff || !sides.source || !sides.destination) return sides;
  sides.same_file = platform::SameFile(m.source_folder, m.name, m.folder, m.new_name);
  sides.foreign = Foreign(m, *sides.destination);
  return sides;
}

// A preview fails where the run would, as far as the system tells without trying.
Result Previewed(const Move& m, Verdict verdict) {
  if (verdict.step == Step::kNone || verdict.step == Step::kMerge)
    return {verdict.outcome, 0, verdict.step == Step::kMerge};
  platform::Error why = platform::CanChange(m.source_folder);
  if (!why) why = platform::CanChange(m.folder);
  return why ? Result{Outcome::kCannotRename, why} : Result{verdict.outcome};
}

// The step the policy chose, taken; judged by whether the source is still there. A source
// gone after a move that failed was moved by another program, not by this run.
Result CarryOut(const Move& m, Verdict verdict, platform::Error why) {
  if (verdict.step == Step::kReplace) {
    if (!platform::CanRemove(m.folder, m.new_name)) return {Outcome::kCannotReplace};
    why = platform::ReplaceEntry(m.source_folder, m.name, m.folder, m.new_name);
  }
  const bool left = !Exists(m.source_folder, m.name);
  if (why) return {left ? Outcome::kGone : Outcome::kCannotRename, why};
  return {left ? Outcome::kRenamed : Outcome::kCannotRename};
}

}  // namespace

Verdict Judge(const Sides& sides, OverwriteMode overwrite, bool same_name) {
  if (!sides.source) return {Step::kNone, Outcome::kGone};
  if (!sides.destination) return {Step::kRename, Outcome::kRenamed};
  const bool from_folder = IsFolderKind(*sides.source),
             to_folder = IsFolderKind(*sides.destination);
  if (!from_folder && to_folder) return {Step::kNone, Outcome::kFileToFolder};
  if (from_folder && !to_folder) return {Step::kNone, Outcome::kFolderToFile};
  if (overwrite == OverwriteMode::kOff || same_name) return {Step::kNone, Outcome::kTaken};
  if (sides.foreign) return {Step::kNone, Outcome::kForeign};
  if (from_folder) return {Step::kMerge, Outcome::kRenamed};
  if (!MayReplace(*sides.destination)) return {Step::kNone, Outcome::kCannotReplace};
  if (sides.same_file) return {Step::kNone, Outcome::kSameFile};
  return {Step::kReplace, Outcome::kRenamed};
}

bool IsSkip(Outcome outcome, OverwriteMode overwrite) {
  if (outcome == Outcome::kTaken) return true;
  return overwrite == OverwriteMode::kOff &&
         (outcome == Outcome::kFileToFolder || outcome == Outcome::kFolderToFile);
}

bool MayReplace(std::uint32_t attributes) {
  return !(attributes & (platform::kReadOnly | platform::kHidden | platform::kSystem |
                         platform::kVolumeLabel | platform::kFolder));
}

Result MoveUnderPolicy(const Move& m, const Choices& choices) {
  if (std::optional<Outcome> refusal = Refused(m)) return {*refusal};
  // The move never replaces an entry, so when it succeeds the name was free and the source is
  // gone: every test below would come out the same way.
  const bool same_name = &m.source_folder == &m.folder && m.name == m.new_name;
  const bool tried = !choices.dry_run && !same_name;
  platform::Error why =
      tried ? platform::MoveEntry(m.source_folder, m.name, m.folder, m.new_name) : 0;
  if (tried && !why) return {Outcome::kRenamed};
  if (why == platform::kTakenMeanwhile) return {Outcome::kTakenMeanwhile};
  const Verdict verdict = Judge(Look(m, choices.overwrite), choices.overwrite, same_name);
  if (choices.dry_run) return Previewed(m, verdict);
  if (verdict.step == Step::kMerge) return {verdict.outcome, 0, true};
  if (verdict.step == Step::kNone) return {verdict.outcome};
  return CarryOut(m, verdict, why);
}

Result Foresee(const Move& m, const Choices& choices) {
  if (std::optional<Outcome> refusal = Refused(m)) return {*refusal};
  if (!platform::Attributes(m.folder, m.new_name)) return {Outcome::kRenamed};
  const Verdict verdict = Judge(Look(m, choices.overwrite), choices.overwrite, false);
  return {verdict.step == Step::kNone ? verdict.outcome : Outcome::kRenamed};
}

Outcome RenameEntry(const Move& move, const Choices& choices, Report& report, Journal* journal) {
  Result result = MoveUnderPolicy(move, choices);
  if (result.merge) result = MergeFolder(move, choices, report, journal);
  report.Told(move.names, result.outcome, result.why);
  return result.outcome;
}

Names NamesOf(const platform::Folder& folder) {
  std::string path = folder.path();
  if (path.size() > 1) path.pop_back();
  return {path.empty() ? "." : path, {}, {}};
}

// Put back whether or not the folder says its date changed: a FUSE file system may answer from
// a cache that its own placeholders have made stale.
void RestoreFolderTime(const platform::Folder& folder, const platform::FolderTime& time,
                       bool changed, Report& report) {
  if (!changed || !time.known) return;
  if (platform::Error why = platform::PutBack(folder, time))
    report.Told(NamesOf(folder), Outcome::kTimeNotKept, why);
}

}  // namespace stampix
