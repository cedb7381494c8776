// Tables for the functions whose own cases are many and cheap: the wildcard matcher and the
// two command lines.
#include <gtest/gtest.h>

#include "entry/wildcard.h"
#include "main/command_line.h"
#include "platform/platform.h"

namespace {

using Strings = std::vector<std::string>;

using enum stampix::Request::Action;
using enum stampix::OverwriteMode;
using stampix::Request;

// clang-format off
// Long-name rules of the Windows directory search, letter case ignored: pattern, name, match.
const std::tuple<const char*, const char*, bool> kWildcards[] = {
    {"*.*", "README", true}, {"*.*", ".profile", true}, {"*", ".profile", true}, {"*.", "README", true}, {"*.", "A.TXT", false}, {"*.", "A.B.C", false}, {"A*.", "ABC", true},
    {"*.TXT", "D.OLD.TXT", true}, {"*.TXT", "N.TXTOLD", false}, {"*.TXT", "TXT", false}, {"*.txt", "MyFile.TxT", true}, {"?.TXT", "A.TXT", true}, {"??.TXT", "A.TXT", true},
    {"??.TXT", "ABC.TXT", false}, {"FILE?", "FILE", true}, {"FILE?", "FILE12", false}, {"A?B", "A.B", false}, {"A?B", "AXB", true}, {"A.??", "A", true}, {"A.??", "A.B", true},
    {"A.??", "A.BCD", false}, {"A.*", "A", true}, {"A.*", "A.B.C", true}, {".*", "profile", false}, {"X*.*", "XYZ", true}, {"*.TXT.", "A.TXT", true}, {"*.TXT  ", "A.TXT", true},
    {"A*B", "AXXB", true}, {"A*B", "AXXBC", false}, {"?", "", true}, {"", "A", false}, {"*A*A*A*A*A*A*B", "AAAAAAAAAAAAAAAAAAAA", false}, {"\xC3\xA9*", "\xC3\x89T\xC3\x89", true},
    {"?.TXT", "\xC3\x89.TXT", true}, {"\xCE\xB1", "\xCE\x92", false}, {"A", "\xEF\xBC\xA1", false}, {"\xC2\x80", "\x80", false}, {"??", "\xF4\x8F\xBF\xBF", true},
    {"??", "\xED\x9F\xBF", true}, {"A?B", "AB", false}, {"*.?", ".AB", false}, {"??", "\xEE\x80\x80", true},
};

// The Windows command tail: "/Y" and "/?" anywhere in any case, the first "/Y" cut out, then
// the blanks around and, where it starts and ends with one, every surrounding quote.
const std::pair<const char*, Request> kTails[] = {
    {"", {kUsage}}, {"A.TXT/?", {kUsage}}, {"/y C:\\T\\A", {kStamp, kOn, {"C:\\T\\A"}}}, {"C:\\T\\A /Y", {kStamp, kOn, {"C:\\T\\A"}}}, {"  /Y  A  ", {kStamp, kOn, {"A"}}},
    {"/Y", {kStamp, kOn, {""}}}, {"/Y /Y A", {kStamp, kOn, {"/Y A"}}}, {"C:\\YEARS/Y1\\A", {kStamp, kOn, {"C:\\YEARS1\\A"}}}, {"\"C:\\MY A\"", {kStamp, kOff, {"C:\\MY A"}}},
    {"\"\"C:\\A\"\"\"", {kStamp, kOff, {"C:\\A"}}}, {"\"", {kStamp, kOff, {""}}}, {"\"C:\\A\" ", {kStamp, kOff, {"\"C:\\A\" "}}}, {"/Y \"C:\\A B\" ", {kStamp, kOn, {"C:\\A B"}}},
    {"\tA ", {kStamp, kOff, {"\tA "}}},
};

// The Linux arguments: one operand each, switches only as whole arguments before "--".
const std::pair<Strings, Request> kArguments[] = {
    {{}, {kUsage}}, {{"--"}, {kUsage}}, {{"/y"}, {kStamp, kOn, {""}}}, {{"a", "/Y", "b c"}, {kStamp, kOn, {"a", "b c"}}}, {{"a", "--help", "b"}, {kUsage, kOff, {"a"}}},
    {{"/home/yves/a", "/Yard"}, {kStamp, kOff, {"/home/yves/a", "/Yard"}}}, {{"--version", "/?"}, {kVersion}}, {{"--", "/Y", "--help", "-x"}, {kStamp, kOff, {"/Y", "--help", "-x"}}},
};
// clang-format on

TEST(Units, Wildcards) {
  for (auto [pattern, name, matches] : kWildcards)
    EXPECT_EQ(stampix::WildcardPattern(pattern).Matches(name), matches) << pattern << " " << name;
}

TEST(Units, CommandLines) {
  for (const auto& [tail, request] : kTails)
    EXPECT_TRUE(stampix::ParseTail(tail) == request) << tail;
  for (const auto& [arguments, request] : kArguments)
    EXPECT_TRUE(stampix::ParseArguments(arguments) == request) << arguments.size();
  // A lone name's folder part: the current folder, one separator at its end.
  const std::string sep(1, platform::kPathSeparator);
  EXPECT_EQ(stampix::FolderPartOf(sep + "T" + sep + sep), sep + "T" + sep);
}

}  // namespace
