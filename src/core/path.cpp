// Splitting paths, spotting patterns and the length limit.
#include "core/path.h"

#include "core/platform.h"

namespace stampix {

PathParts SplitPath(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0 && !platform::EndsFolderPart(path[end - 1])) --end;
  return {path.substr(0, end), path.substr(end)};
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != text.npos; }

bool TooLong(std::string_view path) { return platform::TextLength(path) > platform::kMaxPath; }

}  // namespace stampix
