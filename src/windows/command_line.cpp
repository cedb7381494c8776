// The Windows program's command tail: the usage for nothing or "/?" anywhere, "/Y" in any case
// wherever it stands (but glued inside path text), one operand with its surrounding quotes
// removed, and that operand's folder part and name.
#include "core/command_line.h"

#include "core/path.h"
#include "windows/platform_windows.h"

namespace stampix {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

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

bool IsOverwriteAt(std::string_view tail, std::size_t at) {
  return at + 1 < tail.size() && tail[at] == '/' && Upper(tail[at + 1]) == 'Y';
}

bool IsPathCharacter(std::string_view tail, std::size_t at) {
  return at < tail.size() && tail[at] != ' ' && tail[at] != '"';
}

// A "/Y" glued to path text on both sides ("sub/Ynotes.txt") goes into a folder or name that
// starts with "Y"; taken for the switch it would stamp another entry, and replace one. A blank, a
// quote or the end on either side leaves it the switch: first, last, alone, or after the name.
bool IsPathText(std::string_view tail, std::size_t at) {
  return at > 0 && IsPathCharacter(tail, at - 1) && IsPathCharacter(tail, at + 2);
}

std::size_t FindOverwrite(std::string_view tail) {
  for (std::size_t at = 0; at < tail.size(); ++at)
    if (IsOverwriteAt(tail, at) && !IsPathText(tail, at)) return at;
  return tail.npos;
}

}  // namespace

Request ParseCommandLine(const std::vector<std::string>& command_line) {
  const std::string_view tail = command_line.front();
  Request request;
  if (tail.empty() || tail.find("/?") != tail.npos) {
    request.action = Request::Action::kUsage;
    return request;
  }
  std::string text(tail);
  if (std::size_t option = FindOverwrite(tail); option != tail.npos) {
    request.choices.overwrite = OverwriteMode::kOn;
    text.erase(option, 2);
    text = TrimBlanks(text);
  }
  request.operands.emplace_back(StripQuotes(text));
  return request;
}

// The folder part of a lone name is the current folder, read only then.
Operand ReadOperand(std::string_view text, Refusal& refusal) {
  PathParts parts = SplitPath(text);
  Operand operand{std::string(parts.folder), std::string(parts.name)};
  if (parts.folder.empty()) {
    std::string current = platform::CurrentFolder();
    std::string_view current_folder = current;
    // Without it a lone name would be looked for in the wrong place.
    if (current_folder.empty()) refusal = Refusal::kNoCurrentFolder;
    while (!current_folder.empty() && current_folder.back() == platform::kPathSeparator)
      current_folder.remove_suffix(1);
    operand.folder = std::string(current_folder) + platform::kPathSeparator;
  }
  if (HasWildcard(operand.folder) && refusal == Refusal::kNone) refusal = Refusal::kWildcardsInPath;
  return operand;
}

}  // namespace stampix
