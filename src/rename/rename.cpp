// The conflict policy of one rename, and the rename carried out under it.
#include "rename/rename.h"

#include "entry/entry.h"
#include "entry/path.h"
#include "rename/merge.h"

namespace stampix {

namespace {

using Step = Verdict::Step;

bool IsFolderKind(std::uint32_t attributes) { return attributes & platform::kFolder; }

// Names the system's calls would misread, and paths it would not take, are never handed over.
std::optional<Outcome> Refusal(const Move& m) {
  if (!platform::CanName(m.name) || !platform::CanName(m.new_name)) return Outcome::kCannotName;
  if (TooLong(m.names.source)) return Outcome::kSourceTooLong;
  if (TooLong(m.names.destination)) return Outcome::kTooLong;
  return std::nullopt;
}

Sides Look(const Move& m, OverwriteMode overwrite) {
  Sides sides{platform::Attributes(m.folder, m.name), platform::Attributes(m.folder, m.new_name)};
  sides.same_file = overwrite == OverwriteMode::kOn && sides.source && sides.destination &&
                    platform::SameFile(m.folder, m.name, m.folder, m.new_name);
  return sides;
}

// The step the policy chose, taken; judged by whether the source is still there.
Result Carry(const Move& m, Verdict verdict, platform::Error why) {
  if (verdict.step == Step::kReplace) {
    if (!platform::CanRemove(m.folder, m.new_name)) return {Outcome::kCannotReplace};
    why = platform::ReplaceEntry(m.folder, m.name, m.folder, m.new_name);
  }
  if (Exists(m.folder, m.name)) return {Outcome::kCannotRename, why};
  return {Outcome::kRenamed};
}

Result Decide(const Move& m, const Choices& choices, Report& report) {
  if (std::optional<Outcome> refusal = Refusal(m)) return {*refusal};
  // The rename never replaces an entry, so when it succeeds the name was free and the source is
  // gone: every test below would come out the same way.
  const bool tried = !choices.dry_run && m.name != m.new_name;
  platform::Error why = tried ? platform::MoveEntry(m.folder, m.name, m.folder, m.new_name) : 0;
  if (tried && !why) return {Outcome::kRenamed};
  Verdict verdict = Judge(Look(m, choices.overwrite), choices.overwrite, m.name == m.new_name);
  if (verdict.step == Step::kMerge) return MergeFolder(m, choices, report);
  if (verdict.step == Step::kNone || choices.dry_run) return {verdict.outcome};
  return Carry(m, verdict, why);
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
  if (from_folder) return {Step::kMerge, Outcome::kRenamed};
  if (!MayReplace(*sides.destination)) return {Step::kNone, Outcome::kCannotReplace};
  if (sides.same_file) return {Step::kNone, Outcome::kSameFile};
  return {Step::kReplace, Outcome::kRenamed};
}

bool MayReplace(std::uint32_t attributes) {
  return !(attributes & (platform::kReadOnly | platform::kHidden | platform::kSystem |
                         platform::kVolumeLabel | platform::kFolder));
}

Outcome RenameEntry(const Move& move, const Choices& choices, Report& report) {
  Result result = Decide(move, choices, report);
  report.Told(move.names, result.outcome, result.why);
  return result.outcome;
}

}  // namespace stampix
