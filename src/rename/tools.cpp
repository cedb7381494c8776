#include "rename/tools.h"

#include <cstdint>
#include <optional>

#include "console/console.h"
#include "console/messages.h"
#include "platform/platform.h"

namespace stampix {

namespace {

constexpr int kPauseBetweenTools = 500;  // milliseconds

bool HasBlank(const std::string& text) { return text.find(' ') != text.npos; }

// Unquoted, a tool path with a blank would start whatever program its first word names.
std::string ToolText(const std::string& tool) { return HasBlank(tool) ? Quoted(tool) : tool; }

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

bool RefuseLongCommandLine(const std::string& command_line, const char* tool) {
  if (command_line.size() <= platform::kMaxCommandLine) return false;
  PrintLine(msg::CommandLineTooLong(tool));
  return true;
}

}  // namespace

std::string FindOnPath(const std::string& file_name) {
  return platform::LocateProgram(file_name);
}

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

bool MergeFolder(const std::string& source, const std::string& destination) {
  const std::string copy_tool = FindOnPath(kCopyTool);
  if (copy_tool.empty()) {
    PrintLine(msg::ToolNotFound(kCopyTool));
    return false;
  }
  const std::string delete_tool = FindOnPath(kDeleteTool);
  if (delete_tool.empty()) {
    PrintLine(msg::ToolNotFound(kDeleteTool));
    return false;
  }
  // Both lines are checked before anything runs: a copy without its delete leaves two trees.
  const std::string copy = CopyCommandLine(copy_tool, source, destination);
  const std::string remove = DeleteCommandLine(delete_tool, source);
  if (RefuseLongCommandLine(copy, kCopyTool) || RefuseLongCommandLine(remove, kDeleteTool))
    return false;
  if (!RunTool(copy_tool, copy)) return false;
  platform::Pause(kPauseBetweenTools);
  return RunTool(delete_tool, remove);
}

}  // namespace stampix
