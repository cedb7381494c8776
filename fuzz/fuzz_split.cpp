// Splitting never fails, and arguments quoted by the Microsoft C runtime's rules (NUL bytes
// separate them in the input) come back exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace {

std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == arg.npos) return arg;
  std::string quoted = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    quoted.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    quoted += c;
  }
  return quoted.append(slashes * 2, '\\') + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  platform::SplitCommandLine(input);
  std::vector<std::string> args;
  for (std::size_t start = 0;;) {
    std::size_t end = input.find('\0', start);
    args.emplace_back(input.substr(start, end - start));
    if (end == input.npos) break;
    start = end + 1;
  }
  // A program name cannot hold a quote, and an empty one cannot be written at all.
  if (args[0].empty() || args[0].find('"') != args[0].npos) return 0;
  std::string line = args[0].find_first_of(" \t") == args[0].npos ? args[0] : "\"" + args[0] + "\"";
  for (std::size_t i = 1; i < args.size(); ++i) line += " " + Quote(args[i]);
  if (platform::SplitCommandLine(line) != args) std::abort();
  return 0;
}
