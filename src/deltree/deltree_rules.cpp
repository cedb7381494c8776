// The tree-delete tool's decisions: the per-entry choice and the judgement of its command line.
#include "deltree/deltree_rules.h"

#include <algorithm>

namespace deltree {

namespace {

// Cleared before a delete: read-only stops one, and hidden and system entries go the same way.
constexpr std::uint32_t kBlocking = kReadOnly | kHidden | kSystem;
// Kept when they are cleared: the other bits that can be written back at all.
constexpr std::uint32_t kKeepable = kArchive | kTemporary | kOffline | kNotIndexed;

constexpr const char* kUsage = " (usage: DELTREE /Y \"folder\")";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring_view SkipBlanks(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// The Windows convention: a quoted name ends at its closing quote, another at the first blank.
std::wstring_view TailOf(std::wstring_view line) {
  std::size_t end = line.starts_with(L'"') ? line.find(L'"', 1) : line.find_first_of(L" \t");
  if (end == line.npos) return {};
  return SkipBlanks(line.substr(line.starts_with(L'"') ? end + 1 : end));
}

bool StartsWithSwitch(std::wstring_view tail) {
  return tail.size() >= 2 && tail[0] == L'/' && (tail[1] == L'y' || tail[1] == L'Y') &&
         (tail.size() == 2 || IsBlank(tail[2]));
}

// After the closing quote: ">nul:" (no shell took it away) and blanks, nothing else.
bool OnlyRedirection(std::wstring_view rest) {
  if (rest.starts_with(L">nul:")) rest.remove_prefix(5);
  return SkipBlanks(rest).empty();
}

Request Refuse(std::string_view why) { return {{}, Refused(why)}; }

// The path rules drop a part's trailing dots and blanks, and "." and ".." lead elsewhere:
// "C:\W\OLD." would delete C:\W\OLD, and "C:\W\OLD\..." too.
bool HasPartEndingInDotOrBlank(std::wstring_view path) {
  for (std::size_t i = 0; i < path.size(); ++i)
    if ((path[i] == L'.' || IsBlank(path[i])) && (i + 1 == path.size() || IsSeparator(path[i + 1])))
      return true;
  return false;
}

Request JudgeFolder(std::wstring folder) {
  if (folder.empty()) return Refuse(std::string("no folder is named") + kUsage);
  if (folder.find_first_of(L"*?") != folder.npos) return Refuse("the folder holds a wildcard");
  if (IsRoot(folder)) return Refuse(kRootRefusal);
  if (HasPartEndingInDotOrBlank(folder))
    return Refuse("a part of the path ends in a dot or a blank, which names another folder");
  return {std::move(folder), {}};
}

}  // namespace

Step PlanEntry(std::uint32_t attributes) {
  std::uint32_t kept = attributes & kKeepable;
  std::uint32_t set = (attributes & kBlocking) == 0 ? 0 : kept == 0 ? kNormal : kept;
  // A link is removed as itself: whatever it points to is another tree.
  if (attributes & kReparsePoint)
    return {attributes & kDirectory ? Action::kRemoveFolder : Action::kDeleteFile, set};
  return {attributes & kDirectory ? Action::kDescend : Action::kDeleteFile, set};
}

std::uint32_t Restored(std::uint32_t attributes) { return attributes & (kBlocking | kKeepable); }

Request JudgeCommandLine(std::wstring_view command_line) {
  std::wstring_view tail = TailOf(command_line);
  if (!StartsWithSwitch(tail)) return Refuse(std::string("/Y must come first") + kUsage);
  tail.remove_prefix(2);
  if (SkipBlanks(tail).empty()) return JudgeFolder({});
  std::size_t close = tail.starts_with(L" \"") ? tail.find(L'"', 2) : tail.npos;
  if (close == tail.npos)
    return Refuse("the folder must follow /Y and one blank, in double quotes");
  if (!OnlyRedirection(tail.substr(close + 1)))
    return Refuse("there is text after the folder other than >nul: (one folder only)");
  return JudgeFolder(std::wstring(tail.substr(2, close - 2)));
}

bool IsRoot(std::wstring_view path) {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  if (path.empty() || (path.size() == 2 && path[1] == L':')) return true;
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  // "\\server\share": one separator between the two names at most.
  return std::count_if(path.begin() + 2, path.end(), IsSeparator) <= 1;
}

std::wstring LongPath(std::wstring_view full_path) {
  if (full_path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(full_path.substr(2));
  return L"\\\\?\\" + std::wstring(full_path);
}

// The system's texts end with their own full stop.
std::string Refused(std::string_view why) {
  return "Refused: " + std::string(why) + (why.ends_with('.') ? "" : ".");
}

}  // namespace deltree
