// The Windows folder merge by two external tools, found on the search path and run one after
// the other: XCOPY.EXE copies the source tree into the destination, DELTREE.EXE removes the
// source once every entry of it is found copied. A link, another name of a file or a short name
// that would make the copy write onto another entry than the source's own copy, or a source path
// the delete tool would refuse, refuses the merge before anything runs.
#include "core/merge.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "core/console.h"
#include "core/entries.h"
#include "deltree/deltree_rules.h"
#include "windows/platform_windows.h"
#include "windows/tools_report.h"

namespace stampix {

namespace {

constexpr const char* kCopyTool = "XCOPY.EXE";
constexpr const char* kDeleteTool = "DELTREE.EXE";
constexpr int kPauseBetweenTools = 500;  // milliseconds

bool HasBlank(const std::string& text) { return text.find(' ') != text.npos; }

// Unquoted, a tool path with a blank would start whatever program its first word names.
std::string ToolText(const std::string& tool) { return HasBlank(tool) ? Quoted(tool) : tool; }

// "/h": hidden and system files too, or the delete would take them with the source; "/k": their
// read-only attribute too, which the copy would otherwise drop.
std::string CopyCommandLine(const std::string& tool, const std::string& source,
                            const std::string& destination) {
  bool quote = HasBlank(source) || HasBlank(destination);
  std::string arguments =
      " " + (quote ? Quoted(source) : source) + " " + (quote ? Quoted(destination) : destination);
  return ToolText(tool) + " " + arguments + " /y/c/i/q/e/h/k";
}

// The tools take a "/" for the start of a switch, and a relative path from a current folder of
// their own: they get paths full and with "\" only.
std::string ToolPath(const std::string& path) {
  std::string full = platform::FullPath(path);
  return full.empty() ? path : full;
}

std::string DeleteCommandLine(const std::string& tool, const std::string& source) {
  return ToolText(tool) + " /y " + Quoted(source) + ">nul:";
}

// The tool's path, or empty with its line told.
std::string FindTool(const std::string& file_name) {
  std::string tool = platform::FindOnPath(file_name);
  if (tool.empty()) TellTool(Tool::kNotFound, file_name);
  return tool;
}

bool RefuseLongCommandLine(const std::string& command_line, const std::string& tool) {
  if (platform::TextLength(command_line) <= platform::kMaxCommandLine) return false;
  TellTool(Tool::kCommandLineTooLong, tool);
  return true;
}

// Runs one tool; false, with its line told, unless it ran and reported success.
bool RunTool(const std::string& tool, const std::string& command_line) {
  std::optional<std::int32_t> status = platform::RunAndWait(command_line);
  if (!status) {
    TellTool(Tool::kNotStarted, tool);
    return false;
  }
  if (*status == 0) return true;
  TellTool(Tool::kFailed, tool, *status);
  return false;
}

// The destination folder's entries by their long names, letter case aside: a name that the
// system's look-up would also find through a short name must not pass for the source's entry.
std::optional<std::map<std::u32string, platform::Entry>> ByLongName(const platform::Folder& to) {
  platform::Error why = 0;
  std::optional<std::vector<platform::Entry>> entries = FolderEntries(to, why);
  if (!entries) return std::nullopt;
  std::map<std::u32string, platform::Entry> by_name;
  for (platform::Entry& entry : *entries) by_name[platform::FoldCase(entry.name)] = entry;
  return by_name;
}

// A source file as it was before the copy, by its path.
struct Kept {
  std::uint64_t size;
  std::int64_t last_write;
  platform::FileId id;
};
using Before = std::map<std::string, Kept>;

bool CopiedWhole(const platform::Folder& from, const platform::Folder& to, const Before& before);

// The copy of one source entry: the same kind, and for a file the same size, last-write time and
// bytes, and the source file still as it was before the copy (a write into it through another
// name shows there). The copy tool goes on past what it cannot copy, and that must not go with
// the source.
bool Copied(const platform::Folder& from, const platform::Entry& entry, const platform::Folder& to,
            const platform::Entry* copy, const Before& before) {
  if (!copy || !platform::CanName(entry.name)) return false;
  const bool folder = entry.attributes & platform::kFolder;
  if (folder != bool(copy->attributes & platform::kFolder)) return false;
  if (folder)
    return CopiedWhole(platform::Folder(from, entry.name), platform::Folder(to, copy->name),
                       before);
  auto kept = before.find(from.path() + entry.name);
  if (kept == before.end() || kept->second.size != entry.size ||
      kept->second.last_write != entry.last_write ||
      platform::Identity(from, entry.name) != kept->second.id)
    return false;
  return copy->size == entry.size && copy->last_write == entry.last_write &&
         platform::SameContent(from, entry.name, to, copy->name);
}

// Every entry of the source tree, hidden and system ones too, is in the destination tree at the
// same place. A folder that cannot be read whole fails.
bool CopiedWhole(const platform::Folder& from, const platform::Folder& to, const Before& before) {
  platform::Error why = 0;
  std::optional<std::vector<platform::Entry>> entries = FolderEntries(from, why);
  auto copies = ByLongName(to);
  if (!entries || !copies) return false;
  for (const platform::Entry& entry : *entries) {
    auto copy = copies->find(platform::FoldCase(entry.name));
    if (!Copied(from, entry, to, copy == copies->end() ? nullptr : &copy->second, before))
      return false;
  }
  return true;
}

// ---- Before the copy: what it would write onto ----

// Why the copy may not run.
enum class Hazard { kNone, kLink, kShortName, kUnreadable };

using Ids = std::set<platform::FileId>;

// A folder the copy will make, which it makes without the source folder's attributes.
struct Made {
  std::string parent;
  std::string name;
  std::uint32_t attributes;
};

// Every folder of the destination tree, by identity. The copy would write through a link among
// them: into the source, say, whose files the delete then takes.
Hazard DestinationFolders(const platform::Folder& parent, std::string_view name, Ids& ids) {
  std::optional<std::uint32_t> attributes = platform::Attributes(parent, name);
  std::optional<platform::Found> found = platform::Examine(parent, name);
  if (!attributes || !found) return Hazard::kUnreadable;
  if ((*attributes & platform::kLink) || found->elsewhere || !ids.insert(found->id).second)
    return Hazard::kLink;
  const platform::Folder folder(parent, name);
  platform::Error why = 0;
  std::optional<std::vector<platform::Entry>> entries = FolderEntries(folder, why);
  if (!entries) return Hazard::kUnreadable;
  Hazard hazard = Hazard::kNone;
  for (auto entry = entries->begin(); entry != entries->end() && hazard == Hazard::kNone; ++entry)
    if (entry->attributes & platform::kFolder)
      hazard = DestinationFolders(folder, entry->name, ids);
  return hazard;
}

// Every entry of the source tree by identity, files too, and each file as it is before the copy.
// A source folder that is one of the destination's would have the copy write into itself.
Hazard SourceEntries(const platform::Folder& folder, const Ids& destination, Ids& ids,
                     Before& before) {
  platform::Error why = 0;
  std::optional<std::vector<platform::Entry>> entries = FolderEntries(folder, why);
  if (!entries) return Hazard::kUnreadable;
  for (const platform::Entry& entry : *entries) {
    std::optional<platform::Found> found = platform::Examine(folder, entry.name);
    if (!found) return Hazard::kUnreadable;
    ids.insert(found->id);
    if (!(entry.attributes & platform::kFolder)) {
      before[folder.path() + entry.name] = {entry.size, entry.last_write, found->id};
      continue;
    }
    if (destination.contains(found->id)) return Hazard::kLink;
    const platform::Folder inner(folder, entry.name);
    if (Hazard hazard = SourceEntries(inner, destination, ids, before); hazard != Hazard::kNone)
      return hazard;
  }
  return Hazard::kNone;
}

// What the copy would write onto is a link, whatever its attributes say, or another name of a
// source entry, or a file with another name anywhere: a write through it changes that too.
Hazard Aliased(const platform::Folder& to, const platform::Entry& copy, const Ids& source) {
  if (copy.attributes & platform::kLink) return Hazard::kLink;
  std::optional<platform::Found> found = platform::Examine(to, copy.name);
  if (!found) return Hazard::kUnreadable;
  const bool file = !(copy.attributes & platform::kFolder);
  if (found->elsewhere || source.contains(found->id) || (file && found->names > 1))
    return Hazard::kLink;
  return Hazard::kNone;
}

// Each entry of the source tree against what the copy would write it onto: a link, an entry of
// the source under another name, which the delete would then take; or another entry that the
// destination finds by the short name the source entry has for its long name.
Hazard SourceAgainst(const platform::Folder& from, const platform::Folder& to, const Ids& source,
                     std::vector<Made>& made) {
  platform::Error why = 0;
  std::optional<std::vector<platform::Entry>> entries = FolderEntries(from, why);
  if (!entries) return Hazard::kUnreadable;
  for (const platform::Entry& entry : *entries) {
    const bool folder = entry.attributes & platform::kFolder;
    std::optional<platform::Entry> copy = platform::Lookup(to, entry.name);
    if (copy && platform::FoldCase(copy->name) != platform::FoldCase(entry.name))
      return Hazard::kShortName;
    if (copy)
      if (Hazard hazard = Aliased(to, *copy, source); hazard != Hazard::kNone) return hazard;
    if (!folder) continue;
    if (!copy) made.push_back({to.path(), entry.name, entry.attributes});
    const platform::Folder inner(from, entry.name), inner_copy(to, entry.name);
    if (Hazard hazard = SourceAgainst(inner, inner_copy, source, made); hazard != Hazard::kNone)
      return hazard;
  }
  return Hazard::kNone;
}

// What keeps the copy from running; the folders it will make, and the source files as they are,
// otherwise.
std::optional<Result> RefuseUnsafeCopy(const Move& m, std::vector<Made>& made, Before& before) {
  Ids ids, source_ids;
  Hazard hazard = DestinationFolders(m.folder, m.new_name, ids);
  // The source inside the destination: the copy would copy the destination into itself.
  std::optional<platform::FileId> source = platform::Identity(m.folder, m.name);
  if (hazard == Hazard::kNone && !source) hazard = Hazard::kUnreadable;
  if (hazard == Hazard::kNone && ids.contains(*source)) hazard = Hazard::kLink;
  const platform::Folder from(m.folder, m.name), to(m.folder, m.new_name);
  if (hazard == Hazard::kNone) hazard = SourceEntries(from, ids, source_ids, before);
  if (hazard == Hazard::kNone) hazard = SourceAgainst(from, to, source_ids, made);
  if (hazard == Hazard::kNone) return std::nullopt;
  if (hazard == Hazard::kUnreadable) return Result{Outcome::kNotAllMerged};
  return Result{hazard == Hazard::kLink ? Outcome::kLinkedTrees : Outcome::kShortName};
}

// ---- The copy, the check and the delete ----

// The copy, then the check, then the delete; a tool that says it succeeded has not always done
// so, so the source must be gone at the end.
Result CopyThenDelete(const Move& m, const std::string& copy_tool, const std::string& copy,
                      const std::string& delete_tool, const std::string& remove,
                      const std::vector<Made>& made, const Before& before) {
  if (!RunTool(copy_tool, copy)) return {Outcome::kMergeStopped};
  platform::Pause(kPauseBetweenTools);
  if (!CopiedWhole(platform::Folder(m.folder, m.name), platform::Folder(m.folder, m.new_name),
                   before))
    return {Outcome::kNotAllMerged};
  for (const Made& folder : made)
    platform::AddAttributes(platform::Folder(folder.parent), folder.name, folder.attributes);
  if (!RunTool(delete_tool, remove)) return {Outcome::kMergeStopped};
  if (Exists(m.folder, m.name)) return {Outcome::kMergedNotRemoved};
  return {Outcome::kRenamed};
}

}  // namespace

// The tools' lines are the Windows program's own, written as they come (see tools_report.h).
Result MergeFolder(const Move& m, const Choices&, Report&, Journal*) {
  const std::string copy_tool = FindTool(kCopyTool);
  if (copy_tool.empty()) return {Outcome::kMergeStopped};
  const std::string delete_tool = FindTool(kDeleteTool);
  if (delete_tool.empty()) return {Outcome::kMergeStopped};
  // Both lines are checked before anything runs: a copy without its delete leaves two trees.
  const std::string source = ToolPath(m.names.source);
  const std::string copy = CopyCommandLine(copy_tool, source, ToolPath(m.names.destination));
  const std::string remove = DeleteCommandLine(delete_tool, source);
  if (RefuseLongCommandLine(copy, kCopyTool) || RefuseLongCommandLine(remove, kDeleteTool))
    return {Outcome::kMergeStopped};
  // A source the delete tool would refuse ("\\.\C:\OLD") must not be copied first.
  if (!deltree::JudgeCommandLine(platform::Wide(remove)).refusal.empty()) {
    TellTool(Tool::kRefusesPath, kDeleteTool);
    return {Outcome::kMergeStopped};
  }
  std::vector<Made> made;
  Before before;
  if (std::optional<Result> refusal = RefuseUnsafeCopy(m, made, before)) return *refusal;
  return CopyThenDelete(m, copy_tool, copy, delete_tool, remove, made, before);
}

}  // namespace stampix
