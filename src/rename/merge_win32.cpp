// The Windows folder merge by two external tools, found on the search path and run one after
// the other: XCOPY.EXE copies the source tree into the destination, DELTREE.EXE removes the
// source once every file of it is found copied.
#include <cstdint>
#include <optional>

#include "console/console.h"
#include "console/messages.h"
#include "entry/entry.h"
#include "entry/path.h"
#include "rename/merge.h"

namespace stampix {

namespace {

constexpr const char* kCopyTool = "XCOPY.EXE";
constexpr const char* kDeleteTool = "DELTREE.EXE";
constexpr int kPauseBetweenTools = 500;  // milliseconds

bool HasBlank(const std::string& text) { return text.find(' ') != text.npos; }

// Unquoted, a tool path with a blank would start whatever program its first word names.
std::string ToolText(const std::string& tool) { return HasBlank(tool) ? Quoted(tool) : tool; }

// "/h": hidden and system files too, or the delete would take them with the source.
std::string CopyCommandLine(const std::string& tool, const std::string& source,
                            const std::string& destination) {
  bool quote = HasBlank(source) || HasBlank(destination);
  std::string arguments =
      " " + (quote ? Quoted(source) : source) + " " + (quote ? Quoted(destination) : destination);
  return ToolText(tool) + " " + arguments + " /y/c/i/q/e/h";
}

std::string DeleteCommandLine(const std::string& tool, const std::string& source) {
  return ToolText(tool) + " /y " + Quoted(source) + ">nul:";
}

// The tool's path, or empty with its line written.
std::string FindTool(const std::string& file_name) {
  std::string tool = platform::FindOnPath(file_name);
  if (tool.empty())
    PrintLine(file_name + " not found for external call? Make sure this is in your path.");
  return tool;
}

bool RefuseLongCommandLine(const std::string& command_line, const std::string& tool) {
  if (platform::TextLength(command_line) <= platform::kMaxCommandLine) return false;
  PrintLine("Error: Command line too long for " + tool + ".");
  return true;
}

// Runs one tool; false, with its line written, unless it ran and reported success.
bool RunTool(const std::string& tool, const std::string& command_line) {
  std::optional<std::int32_t> status = platform::RunAndWait(command_line);
  if (!status) {
    PrintLine("Error: " + tool + " could not be started.");
    return false;
  }
  if (*status == 0) return true;
  PrintLine(tool + " = ERRORLEVEL " + std::to_string(*status));
  return false;
}

// Every file of the source tree, hidden and system ones too, is in the destination tree at the
// same place with the same size and last-write time. The copy tool goes on past files it
// cannot copy, and those must not go with the source. A folder that cannot be read does not
// even show the "." every folder but a drive's root holds.
bool CopiedWhole(const platform::Folder& from, const platform::Folder& to) {
  Listing listing(from, "*");
  if (!listing.SelectsAny()) return false;
  while (std::optional<platform::Entry> entry = listing.Next()) {
    if (entry->attributes & platform::kFolder) {
      if (!CopiedWhole(platform::Folder(from, entry->name), platform::Folder(to, entry->name)))
        return false;
      continue;
    }
    std::optional<platform::Entry> copy = platform::Lookup(to, entry->name);
    if (!copy || copy->size != entry->size || copy->last_write != entry->last_write) return false;
  }
  return true;
}

}  // namespace

bool MergeFolder(const platform::Folder& folder, const std::string& name,
                 const std::string& new_name) {
  const std::string copy_tool = FindTool(kCopyTool);
  if (copy_tool.empty()) return false;
  const std::string delete_tool = FindTool(kDeleteTool);
  if (delete_tool.empty()) return false;
  const std::string source = folder.path() + name;
  // Both lines are checked before anything runs: a copy without its delete leaves two trees.
  const std::string copy = CopyCommandLine(copy_tool, source, folder.path() + new_name);
  const std::string remove = DeleteCommandLine(delete_tool, source);
  if (RefuseLongCommandLine(copy, kCopyTool) || RefuseLongCommandLine(remove, kDeleteTool))
    return false;
  if (!RunTool(copy_tool, copy)) return false;
  platform::Pause(kPauseBetweenTools);
  if (!CopiedWhole(platform::Folder(folder, name), platform::Folder(folder, new_name))) {
    PrintLine(msg::NotAllMerged(SplitPath(source).shown));
    return false;
  }
  return RunTool(delete_tool, remove);
}

}  // namespace stampix
