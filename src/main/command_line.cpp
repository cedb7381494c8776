// The command front end: usage, "/Y", quotes, the folder part and the name, the wildcard
// check on the folder, then the pass.
#include "main/command_line.h"

#include "console/console.h"
#include "console/messages.h"
#include "entry/path.h"
#include "platform/platform.h"
#include "stamp/stamp.h"

namespace stampix {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SwitchAt(std::string_view text, std::size_t at, std::string_view name) {
  if (text.size() - at < name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (Upper(text[at + i]) != name[i]) return false;
  if (platform::kSwitchesAnywhere) return true;
  std::size_t end = at + name.size();
  return (at == 0 || text[at - 1] == ' ') && (end == text.size() || text[end] == ' ');
}

// Position of the first "/Y" or "/?" that counts as a switch, or npos.
std::size_t FindSwitch(std::string_view text, std::string_view name) {
  for (std::size_t at = text.find('/'); at != text.npos; at = text.find('/', at + 1))
    if (SwitchAt(text, at, name)) return at;
  return text.npos;
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

}  // namespace

Request ParseTail(std::string_view tail) {
  Request request;
  if (tail.empty() || FindSwitch(tail, "/?") != tail.npos) {
    request.show_usage = true;
    return request;
  }
  std::string text(tail);
  std::size_t option = FindSwitch(text, "/Y");
  if (option != text.npos) {
    request.overwrite = OverwriteMode::kOn;
    text.erase(option, 2);
    text = TrimBlanks(text);
  }
  request.argument = StripQuotes(text);
  return request;
}

std::string FolderPartOf(std::string_view current_folder) {
  while (!current_folder.empty() && current_folder.back() == platform::kPathSeparator)
    current_folder.remove_suffix(1);
  return std::string(current_folder) + platform::kPathSeparator;
}

int MainRoutine(std::string_view tail) {
  Request request = ParseTail(tail);
  if (request.show_usage) {
    PrintUsage();
    return 0;
  }
  PathParts parts = SplitPath(request.argument);
  std::string folder(parts.folder);
  if (folder.empty()) {
    std::string current = platform::CurrentFolder();
    // Without it a lone name would be looked for in the wrong place.
    if (current.empty()) {
      PrintLine(msg::kNoCurrentFolder);
      return 1;
    }
    folder = FolderPartOf(current);
  }
  if (HasWildcard(folder)) {
    PrintLine(msg::kWildcardsInPath);
    return 1;
  }
  return StampEntries(platform::Folder(folder), parts.name, request.overwrite);
}

}  // namespace stampix
