// The wildcard matcher: a pattern rewritten into its DOS forms once, then run over each name
// as a set of live positions, so no pattern can make it backtrack.
#include "core/wildcard.h"

#include <vector>

#include "core/platform.h"

namespace stampix {

namespace {

// Outside Unicode, so no folded character can be mistaken for one of them.
constexpr char32_t kDosStar = 0x110001;  // any characters, but never past the last dot
constexpr char32_t kDosQm = 0x110002;    // one character; none before a dot or at the end
constexpr char32_t kDosDot = 0x110003;   // a dot, or nothing at the end

// Adds the pattern positions reachable from `states` without taking a character of the name.
void FollowEmpty(std::u32string_view compiled, std::u32string_view name, std::size_t at,
                 std::vector<char>& states) {
  bool at_end = at == name.size();
  bool at_dot = !at_end && name[at] == U'.';
  for (std::size_t p = 0; p < compiled.size(); ++p) {
    if (!states[p]) continue;
    char32_t c = compiled[p];
    if (c == U'*' || c == kDosStar || (c == kDosQm && (at_end || at_dot)) ||
        (c == kDosDot && at_end))
      states[p + 1] = true;
  }
}

// Moves every live position over the name's character at `at`.
void TakeChar(std::u32string_view compiled, std::u32string_view name, std::size_t at,
              std::size_t last_dot, const std::vector<char>& states, std::vector<char>& next) {
  char32_t n = name[at];
  for (std::size_t p = 0; p < compiled.size(); ++p) {
    if (!states[p]) continue;
    char32_t c = compiled[p];
    if (c == U'*' || (c == kDosStar && at != last_dot)) next[p] = true;
    if ((c == kDosQm && n != U'.') || (c == kDosDot && n == U'.') || c == n) next[p + 1] = true;
  }
}

}  // namespace

std::u32string CompilePattern(std::u32string p) {
  bool ends_in_dot = !p.empty() && p.back() == U'.';
  while (!p.empty() && (p.back() == U'.' || p.back() == U' ')) p.pop_back();
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (i > 0 && p[i] == U'.' && p[i - 1] == U'*') p[i - 1] = kDosStar;
    if (p[i] == U'?' || p[i] == U'*') {
      if (p[i] == U'?') p[i] = kDosQm;
      if (i > 0 && p[i - 1] == U'.') p[i - 1] = kDosDot;
    }
  }
  if (ends_in_dot && !p.empty() && p.back() == U'*') {
    p.back() = kDosStar;
    p += kDosDot;
  }
  return p;
}

bool MatchCompiled(std::u32string_view compiled, std::u32string_view name) {
  std::size_t last_dot = name.rfind(U'.');
  // Flags in chars: a vector<bool> would pack them into bits, slower to read and write.
  std::vector<char> states(compiled.size() + 1, false), next(compiled.size() + 1, false);
  states[0] = true;
  for (std::size_t at = 0; at < name.size(); ++at) {
    FollowEmpty(compiled, name, at, states);
    std::fill(next.begin(), next.end(), false);
    TakeChar(compiled, name, at, last_dot, states, next);
    states.swap(next);
  }
  FollowEmpty(compiled, name, name.size(), states);
  return states[compiled.size()];
}

WildcardPattern::WildcardPattern(std::string_view pattern)
    : compiled_(CompilePattern(platform::FoldCase(pattern))) {}

bool WildcardPattern::Matches(std::string_view name) const {
  return MatchCompiled(compiled_, platform::FoldCase(name));
}

}  // namespace stampix
