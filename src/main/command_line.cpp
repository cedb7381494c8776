// The command front end: the switches, the operands, each operand's folder part and name, the
// wildcard check on the folder, then the pass for each.
#include "main/command_line.h"

#include <algorithm>
#include <optional>

#include "console/console.h"
#include "console/messages.h"
#include "entry/path.h"
#include "platform/platform.h"
#include "stamp/stamp.h"

namespace stampix {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
  return upper;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string_view StripQuotes(std::string_view text) {
  if (text.empty() || text.front() != '"' || text.back() != '"') return text;
  while (!text.empty() && text.front() == '"') text.remove_prefix(1);
  while (!text.empty() && text.back() == '"') text.remove_suffix(1);
  return text;
}

// What stays the same from one operand to the next: the choice of "/Y", the current folder
// (read once) and the folder of the last operand, kept open while the next ones share it.
struct Run {
  OverwriteMode overwrite;
  std::string current;
  std::optional<platform::Folder> folder;
};

int StampOperand(std::string_view operand, Run& run) {
  PathParts parts = SplitPath(operand);
  std::string folder(parts.folder);
  if (folder.empty()) {
    if (run.current.empty()) run.current = platform::CurrentFolder();
    // Without it a lone name would be looked for in the wrong place.
    if (run.current.empty()) {
      PrintLine(msg::kNoCurrentFolder);
      return 1;
    }
    folder = FolderPartOf(run.current);
  }
  if (HasWildcard(folder)) {
    PrintLine(msg::kWildcardsInPath);
    return 1;
  }
  if (!run.folder || run.folder->path() != folder) run.folder.emplace(folder);
  return StampEntries(*run.folder, parts.name, run.overwrite);
}

}  // namespace

Request ParseTail(std::string_view tail) {
  Request request;
  std::string upper = UpperCase(tail);
  if (tail.empty() || upper.find("/?") != upper.npos) {
    request.action = Request::Action::kUsage;
    return request;
  }
  std::string text(tail);
  if (std::size_t option = upper.find("/Y"); option != upper.npos) {
    request.overwrite = OverwriteMode::kOn;
    text.erase(option, 2);
    text = TrimBlanks(text);
  }
  request.operands.emplace_back(StripQuotes(text));
  return request;
}

Request ParseArguments(const std::vector<std::string>& arguments) {
  Request request;
  bool switches = true;
  for (const std::string& argument : arguments) {
    if (switches && argument == "--") {
      switches = false;
    } else if (switches && (argument == "/Y" || argument == "/y")) {
      request.overwrite = OverwriteMode::kOn;
    } else if (switches && (argument == "/?" || argument == "--help")) {
      request.action = Request::Action::kUsage;
      return request;
    } else if (switches && argument == "--version") {
      request.action = Request::Action::kVersion;
      return request;
    } else {
      request.operands.push_back(argument);
    }
  }
  // "/Y" alone stamps the current folder, as on Windows; nothing at all asks for the usage.
  if (request.operands.empty() && request.overwrite == OverwriteMode::kOn)
    request.operands.emplace_back();
  if (request.operands.empty()) request.action = Request::Action::kUsage;
  return request;
}

std::string FolderPartOf(std::string_view current_folder) {
  while (!current_folder.empty() && current_folder.back() == platform::kPathSeparator)
    current_folder.remove_suffix(1);
  return std::string(current_folder) + platform::kPathSeparator;
}

int MainRoutine(const std::vector<std::string>& command_line) {
  Request request =
      platform::kOneCommandTail ? ParseTail(command_line.front()) : ParseArguments(command_line);
  if (request.action == Request::Action::kUsage) PrintUsage();
  if (request.action == Request::Action::kVersion) PrintLine(VersionLine());
  if (request.action != Request::Action::kStamp) return 0;
  Run run{request.overwrite, {}, {}};
  int code = 0;
  for (const std::string& operand : request.operands)
    code = std::max(code, StampOperand(operand, run));
  return code;
}

}  // namespace stampix
