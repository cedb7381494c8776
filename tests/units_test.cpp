// Tables for the functions whose own cases are many and cheap: the wildcard matcher, the two
// command lines, the split of a path and stamped names.
#include <gtest/gtest.h>

#include "entry/path.h"
#include "entry/wildcard.h"
#include "main/command_line.h"
#include "platform/platform.h"
#include "stamp/stamp.h"

namespace {

using Strings = std::vector<std::string>;
using stampix::OverwriteMode;
const bool kLinux = platform::kPathSeparator == '/';
using Action = stampix::Request::Action;

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
    {"?.TXT", "\xC3\x89.TXT", true}, {"\xCE\xB1", "\xCE\x92", false}, {"A", "\xEF\xBC\xA1", false},
};

// The Windows command tail: "/Y" and "/?" anywhere in any case, the first "/Y" cut out, then
// blanks and, where it starts and ends with one, every surrounding quote.
const std::tuple<const char*, Action, OverwriteMode, const char*> kTails[] = {
    {"", Action::kUsage, OverwriteMode::kOff, ""}, {"A.TXT/?", Action::kUsage, OverwriteMode::kOff, ""},
    {"/y C:\\T\\A", Action::kStamp, OverwriteMode::kOn, "C:\\T\\A"}, {"C:\\T\\A /Y", Action::kStamp, OverwriteMode::kOn, "C:\\T\\A"},
    {"  /Y  A  ", Action::kStamp, OverwriteMode::kOn, "A"}, {"/Y", Action::kStamp, OverwriteMode::kOn, ""},
    {"/Y /Y A", Action::kStamp, OverwriteMode::kOn, "/Y A"}, {"C:\\YEARS/Y1\\A", Action::kStamp, OverwriteMode::kOn, "C:\\YEARS1\\A"},
    {"\"C:\\MY A\"", Action::kStamp, OverwriteMode::kOff, "C:\\MY A"}, {"\"\"C:\\A\"\"\"", Action::kStamp, OverwriteMode::kOff, "C:\\A"},
    {"\"", Action::kStamp, OverwriteMode::kOff, ""}, {"\"C:\\A\" ", Action::kStamp, OverwriteMode::kOff, "\"C:\\A\" "},
    {"/Y \"C:\\A B\" ", Action::kStamp, OverwriteMode::kOn, "C:\\A B"}, {"\tA ", Action::kStamp, OverwriteMode::kOff, "\tA "},
};

// The Linux arguments: one operand each, switches only as whole arguments before "--".
const std::tuple<Strings, Action, OverwriteMode, Strings> kArguments[] = {
    {{}, Action::kUsage, OverwriteMode::kOff, {}}, {{"--"}, Action::kUsage, OverwriteMode::kOff, {}},
    {{"/y"}, Action::kStamp, OverwriteMode::kOn, {""}}, {{"a", "/Y", "b c"}, Action::kStamp, OverwriteMode::kOn, {"a", "b c"}},
    {{"/home/yves/a", "/Yard"}, Action::kStamp, OverwriteMode::kOff, {"/home/yves/a", "/Yard"}},
    {{"a", "--help", "b"}, Action::kUsage, OverwriteMode::kOff, {}}, {{"--version", "/?"}, Action::kVersion, OverwriteMode::kOff, {}},
    {{"--", "/Y", "--help", "-x"}, Action::kStamp, OverwriteMode::kOff, {"/Y", "--help", "-x"}},
};

// Folder part, name and the name messages show: Windows also ends a folder part at "/" and ":",
// but messages name an entry by what follows the last "\" or "/".
const std::tuple<const char*, const char*, const char*, const char*> kPaths[2][4] = {
    {{"/T/A.TXT", "/T/", "A.TXT", "A.TXT"}, {"A", "", "A", "A"}, {"/T/", "/T/", "", ""}, {"C:\\A", "", "C:\\A", "C:\\A"}},
    {{"C:\\T/A", "C:\\T/", "A", "A"}, {"C:A", "C:", "A", "C:A"}, {"C:\\T\\", "C:\\T\\", "", ""}, {"A", "", "A", "A"}}};
// clang-format on

TEST(Units, Wildcards) {
  for (auto [pattern, name, matches] : kWildcards)
    EXPECT_EQ(stampix::WildcardPattern(pattern).Matches(name), matches) << pattern << " " << name;
}

TEST(Units, CommandLines) {
  for (auto [tail, action, overwrite, operand] : kTails) {
    stampix::Request r = stampix::ParseTail(tail);
    EXPECT_EQ(std::tuple(r.action, r.overwrite), std::tuple(action, overwrite)) << tail;
    if (action == Action::kStamp) {
      EXPECT_EQ(r.operands, Strings{operand}) << tail;
    }
  }
  for (const auto& [arguments, action, overwrite, operands] : kArguments) {
    stampix::Request r = stampix::ParseArguments(arguments);
    EXPECT_EQ(std::tuple(r.action, r.overwrite), std::tuple(action, overwrite));
    if (action == Action::kStamp) {
      EXPECT_EQ(r.operands, operands);
    }
  }
}

TEST(Units, SplitPathAndStampedNames) {
  for (auto [path, folder, name, shown] : kPaths[kLinux ? 0 : 1]) {
    stampix::PathParts parts = stampix::SplitPath(path);
    EXPECT_EQ(std::tuple(parts.folder, parts.name, parts.shown), std::tuple(folder, name, shown));
  }
  for (const char* name : {"A(20041231).TXT", "X (99999999) Y", "((12345678))"})
    EXPECT_TRUE(stampix::HasStamp(name)) << name;
  for (const char* name :
       {"(1234567).TXT", "(123456789)", "(1234567a)", "(12345678", "((1234567)8)"})
    EXPECT_FALSE(stampix::HasStamp(name)) << name;
  EXPECT_EQ(stampix::StampedName("TRAIL.", "(20041231)"), "TRAIL(20041231).");
}

}  // namespace
