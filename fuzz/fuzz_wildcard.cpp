// The matcher on any pattern and name (split at the first newline): it ends quickly, "*"
// matches everything, a plain name matches itself, and ASCII letter case plays no part.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "entry/path.h"
#include "entry/wildcard.h"

namespace {

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t cut = input.find('\n');
  if (cut == input.npos) return 0;
  std::string_view pattern = input.substr(0, cut), name = input.substr(cut + 1);
  stampix::WildcardPattern compiled(pattern);
  bool matches = compiled.Matches(name);
  if (matches != compiled.Matches(AsciiUpper(name))) std::abort();
  if (!stampix::WildcardPattern("*").Matches(name)) std::abort();
  bool plain = !stampix::HasWildcard(pattern) && !pattern.empty() && pattern.back() != '.' &&
               pattern.back() != ' ';
  if (plain && pattern == name && !matches) std::abort();
  return 0;
}
