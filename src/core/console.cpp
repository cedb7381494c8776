// Line output.
#include "core/console.h"

#include "core/platform.h"

namespace stampix {

platform::Error PrintLine(std::string_view text) {
  // One write per line keeps lines whole when several processes share the output.
  std::string line;
  line.reserve(text.size() + platform::kLineEnd.size());
  line.append(text).append(platform::kLineEnd);
  return platform::WriteOutput(line);
}

void PrintLines(std::string_view text) {
  for (std::size_t end; (end = text.find('\n')) != text.npos; text.remove_prefix(end + 1))
    PrintLine(text.substr(0, end));
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text).append("\"");
  return quoted;
}

}  // namespace stampix
