// Tables for the functions whose own cases are many and cheap: the wildcard matcher and the
// two command lines.
#include <gtest/gtest.h>

#include "entry/wildcard.h"
#include "main/command_line.h"

namespace {

using Strings = std::vector<std::string>;

// What a command line asks for, as the tables below write it: "usage", "version", or the
// operands between "|", after "/Y " when it was given.
std::string Describe(const stampix::Request& r) {
  if (r.action != stampix::Request::Action::kStamp)
    return r.action == stampix::Request::Action::kUsage ? "usage" : "version";
  std::string text = r.overwrite == stampix::OverwriteMode::kOn ? "/Y " : "";
  for (const std::string& operand : r.operands) text += operand + "|";
  return text;
}

// clang-format off
// Long-name rules of the Windows directory search, letter case ignored: pattern, name, match.
const std::tuple<const char*, const char*, bool> kWildcards[] = {
    {"*.*", "README", true}, {"*.*", ".profile", true}, {"*", ".profile", true}, {"*.", "README", true}, {"*.", "A.TXT", false},
    {"*.", "A.B.C", false}, {"A*.", "ABC", true}, {"*.TXT", "D.OLD.TXT", true}, {"*.TXT", "N.TXTOLD", false}, {"*.TXT", "TXT", false},
    {"*.txt", "MyFile.TxT", true}, {"?.TXT", "A.TXT", true}, {"??.TXT", "A.TXT", true}, {"??.TXT", "ABC.TXT", false}, {"FILE?", "FILE", true},
    {"FILE?", "FILE12", false}, {"A?B", "A.B", false}, {"A?B", "AXB", true}, {"A.??", "A", true}, {"A.??", "A.B", true},
    {"A.??", "A.BCD", false}, {"A.*", "A", true}, {"A.*", "A.B.C", true}, {".*", "profile", false}, {"X*.*", "XYZ", true},
    {"*.TXT.", "A.TXT", true}, {"*.TXT  ", "A.TXT", true}, {"A*B", "AXXB", true}, {"A*B", "AXXBC", false}, {"?", "", true},
    {"", "A", false}, {"*A*A*A*A*A*A*B", "AAAAAAAAAAAAAAAAAAAA", false}, {"\xC3\xA9*", "\xC3\x89T\xC3\x89", true},
    {"?.TXT", "\xC3\x89.TXT", true}, {"\xCE\xB1", "\xCE\x92", false}, {"A", "\xEF\xBC\xA1", false}, {"\xC2\x80", "\x80", false},
    {"??", "\xF4\x8F\xBF\xBF", true}, {"??", "\xED\x9F\xBF", true}, {"A?B", "AB", false}, {"*.?", ".AB", false},
};

// The Windows command tail: "/Y" and "/?" anywhere in any case, the first "/Y" cut out, then
// the blanks around and, where it starts and ends with one, every surrounding quote.
const std::pair<const char*, const char*> kTails[] = {
    {"", "usage"}, {"A.TXT/?", "usage"}, {"/y C:\\T\\A", "/Y C:\\T\\A|"}, {"C:\\T\\A /Y", "/Y C:\\T\\A|"}, {"  /Y  A  ", "/Y A|"},
    {"/Y", "/Y |"}, {"/Y /Y A", "/Y /Y A|"}, {"C:\\YEARS/Y1\\A", "/Y C:\\YEARS1\\A|"}, {"\"C:\\MY A\"", "C:\\MY A|"},
    {"\"\"C:\\A\"\"\"", "C:\\A|"}, {"\"", "|"}, {"\"C:\\A\" ", "\"C:\\A\" |"}, {"/Y \"C:\\A B\" ", "/Y C:\\A B|"}, {"\tA ", "\tA |"},
};

// The Linux arguments: one operand each, switches only as whole arguments before "--".
const std::pair<Strings, const char*> kArguments[] = {
    {{}, "usage"}, {{"--"}, "usage"}, {{"/y"}, "/Y |"}, {{"a", "/Y", "b c"}, "/Y a|b c|"}, {{"/home/yves/a", "/Yard"}, "/home/yves/a|/Yard|"},
    {{"a", "--help", "b"}, "usage"}, {{"--version", "/?"}, "version"}, {{"--", "/Y", "--help", "-x"}, "/Y|--help|-x|"},
};
// clang-format on

TEST(Units, Wildcards) {
  for (auto [pattern, name, matches] : kWildcards)
    EXPECT_EQ(stampix::WildcardPattern(pattern).Matches(name), matches) << pattern << " " << name;
}

TEST(Units, CommandLines) {
  for (auto [tail, request] : kTails) EXPECT_EQ(Describe(stampix::ParseTail(tail)), request);
  for (const auto& [arguments, request] : kArguments)
    EXPECT_EQ(Describe(stampix::ParseArguments(arguments)), request);
}

}  // namespace
