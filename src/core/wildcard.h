#pragma once
// Name patterns with "*" and "?", matched against long names as Windows matches them.
#include <string>
#include <string_view>

namespace stampix {

// Rewrites a case-folded pattern into the form the matcher runs: trailing dots and blanks
// dropped, "*" before a dot and "?" and "." before a wildcard turned into their DOS forms,
// and a pattern ending in "*." made to select names without an extension.
std::u32string CompilePattern(std::u32string pattern);

// Whether a compiled pattern matches a case-folded name. Linear in the product of the two
// lengths, whatever the pattern.
bool MatchCompiled(std::u32string_view compiled, std::u32string_view name);

class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);

  // "*.*" matches every name, "*." names without a dot, "?" matches one character or,
  // before a dot or at the end, none; letter case is ignored.
  bool Matches(std::string_view name) const;

 private:
  std::u32string compiled_;
};

}  // namespace stampix
