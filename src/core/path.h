#pragma once
// Paths as the program writes them: a folder part, then a name. The one place that splits a
// path, tells a pattern from a plain name and holds a path to the system's limit.
#include <string_view>

namespace stampix {

struct PathParts {
  std::string_view folder;  // up to its last folder separator (or, on Windows, drive colon)
  std::string_view name;    // the rest, possibly empty, possibly a pattern
};

PathParts SplitPath(std::string_view path);

// True when the text holds "*" or "?".
bool HasWildcard(std::string_view text);

// True when the path is longer than the system takes: it is refused, never shortened.
bool TooLong(std::string_view path);

}  // namespace stampix
