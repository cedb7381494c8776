// Command-line splitting as the Microsoft C runtime does it, so that a tool started on Linux
// receives the arguments a Windows tool would see for the same command line.
#include "platform/platform.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program name: quotes group but are not escaped by backslashes.
std::size_t TakeProgramName(std::string_view line, std::string& out) {
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    for (i = 1; i < line.size() && line[i] != '"'; ++i) out += line[i];
    return i < line.size() ? i + 1 : i;
  }
  for (; i < line.size() && !IsBlank(line[i]); ++i) out += line[i];
  return i;
}

// One later argument starting at `i`; returns the position after it.
std::size_t TakeArgument(std::string_view line, std::size_t i, std::string& out) {
  bool quoted = false;
  while (i < line.size() && (quoted || !IsBlank(line[i]))) {
    std::size_t slashes = 0;
    while (i < line.size() && line[i] == '\\') ++slashes, ++i;
    if (i < line.size() && line[i] == '"') {
      out.append(slashes / 2, '\\');
      if (slashes % 2 == 1) {
        out += '"';
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        out += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
    } else {
      out.append(slashes, '\\');
      if (i < line.size() && (quoted || !IsBlank(line[i]))) out += line[i++];
    }
  }
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> args(1);
  std::size_t i = TakeProgramName(command_line, args[0]);
  for (;;) {
    while (i < command_line.size() && IsBlank(command_line[i])) ++i;
    if (i >= command_line.size()) return args;
    args.emplace_back();
    i = TakeArgument(command_line, i, args.back());
  }
}

}  // namespace platform
