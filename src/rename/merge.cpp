// The folder merge by two external tools, found on the search path and run one after the
// other: XCOPY.EXE copies the source tree into the destination, DELTREE.EXE removes it.
#include "rename/merge.h"

#include <cstdint>
#include <optional>

#include "console/console.h"
#include "console/messages.h"

namespace stampix {

namespace {

constexpr const char* kCopyTool = "XCOPY.EXE";
constexpr const char* kDeleteTool = "DELTREE.EXE";
constexpr int kPauseBetweenTools = 500;  // milliseconds

bool HasBlank(const std::string& text) { return text.find(' ') != text.npos; }

// Unquoted, a tool path with a blank would start whatever program its first word names.
std::string ToolText(const std::string& tool) { return HasBlank(tool) ? Quoted(tool) : tool; }

std::string CopyCommandLine(const std::string& tool, const std::string& source,
                            const std::string& destination) {
  bool quote = HasBlank(source) || HasBlank(destination);
  std::string arguments = " " + (quote ? Quoted(source) : source) + " " +
                          (quote ? Quoted(destination) : destination);
  return ToolText(tool) + " " + arguments + " /y/c/i/q/e";
}

std::string DeleteCommandLine(const std::string& tool, const std::string& source) {
  return ToolText(tool) + " /y " + Quoted(source) + ">nul:";
}

// The tool's path, or empty with its line written.
std::string FindTool(const char* file_name) {
  std::string tool = platform::FindOnPath(file_name);
  if (tool.empty()) PrintLine(msg::ToolNotFound(file_name));
  return tool;
}

bool RefuseLongCommandLine(const std::string& command_line, const char* tool) {
  if (platform::TextLength(command_line) <= platform::kMaxCommandLine) return false;
  PrintLine(msg::CommandLineTooLong(tool));
  return true;
}

// Runs one tool; false, with its line written, unless it ran and reported success.
bool RunTool(const std::string& tool, const std::string& command_line) {
  std::optional<std::int32_t> status = platform::RunAndWait(command_line);
  if (!status) {
    PrintLine(msg::CannotStart(tool));
    return false;
  }
  if (*status == 0) return true;
  PrintLine(msg::ErrorLevel(tool, *status));
  return false;
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
  return RunTool(delete_tool, remove);
}

}  // namespace stampix
