// The program run over real folders, one scenario a row: the entries before, the command tail,
// the lines written, and the entries (and contents) afterwards.
//
// Entries: "NAME" is a file holding its own name, "NAME=TEXT" a file holding TEXT, "NAME/" a
// folder, "!NAME=TEXT" a read-only file, "~NAME=TEXT" a file with the Windows hidden attribute.
// All are dated 31 December 2004. In tails and lines, "{d}" is the folder as the program shows
// it and "{s}" the folder separator.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "support/harness.h"

namespace {

namespace fs = std::filesystem;

using test::kLinux;
using test::Strings;

enum Builds { kBoth, kLinuxOnly, kWindowsOnly };

struct Scenario {
  const char* title;
  Strings before;
  std::string tail;
  Strings out;
  Strings after;
  int code = 0;
  Builds builds = kBoth;
  bool in_folder = false;  // run with the folder as the current folder
  bool no_noreplace = false;  // Linux: as on a file system without a no-replace rename
};

const std::string kAnnounceA = "{d}A.TXT = A(20041231).TXT";
const std::string kCountSix = "Renamed 6 files";

const Scenario kScenarios[] = {
    // The pass.
    {"one file", {"MYFILE.TXT=content"}, "{d}MYFILE.TXT",
     {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, {"MYFILE(20041231).TXT=content"}},
    {"a stamped name says nothing", {"MYFILE(20041231).TXT"}, "{d}MYFILE(20041231).TXT", {},
     {"MYFILE(20041231).TXT"}},
    {"every kind of name",
     {"README", ".profile", "DATA.TAR.GZ", "(1234567).TXT", "(123456789)", "X(20001231).TXT",
      "((12345678))", "A (87654321) B", "NOTES.OLD/"},
     "{d}",
     {"{d}README = README(20041231)", "{d}.profile = (20041231).profile",
      "{d}DATA.TAR.GZ = DATA.TAR(20041231).GZ", "{d}(1234567).TXT = (1234567)(20041231).TXT",
      "{d}(123456789) = (123456789)(20041231)", "{d}NOTES.OLD = NOTES(20041231).OLD", kCountSix},
     {"((12345678))", "(1234567)(20041231).TXT", "(123456789)(20041231)",
      "(20041231).profile=.profile", "A (87654321) B", "DATA.TAR(20041231).GZ",
      "NOTES(20041231).OLD/", "README(20041231)", "X(20001231).TXT"}},
    // NOTES.TXTOLD has a short name NOTES~1.TXT that the system's own search would match.
    {"a pattern selects by long name, in any case",
     {"MYFILE.TXT", "b.txt", "NOTES.TXTOLD", "C.DOC"}, "{d}*.txt",
     {"{d}MYFILE.TXT = MYFILE(20041231).TXT", "{d}b.txt = b(20041231).txt", "Renamed 2 files"},
     {"C.DOC", "MYFILE(20041231).TXT", "NOTES.TXTOLD", "b(20041231).txt"}},
    {"a plain name in another case", {"MYFILE.TXT"}, "{d}myfile.txt",
     {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, {"MYFILE(20041231).TXT"}, 0, kWindowsOnly},
    {"hidden entries too", {"~.hidden=h", ".cache/"}, "{d}*",
     {"{d}.hidden = (20041231).hidden", "{d}.cache = (20041231).cache", "Renamed 2 files"},
     {"(20041231).cache/", "(20041231).hidden=h"}},
    {"an empty folder", {}, "{d}*.*", {}, {}},
    {"only stamped names", {"A(20041231).TXT", "B(20041231).TXT"}, "{d}", {"Renamed 0 files"},
     {"A(20041231).TXT", "B(20041231).TXT"}},
    {"nothing matches", {"A.TXT"}, "{d}*.XYZ", {"File not found: \"{d}*.XYZ\""}, {"A.TXT"}, 1},
    {"names outside the ANSI code page", {"\xCE\x91\xCE\x92.TXT=g", "B.TXT"}, "{d}*.TXT",
     {"{d}\xCE\x91\xCE\x92.TXT = \xCE\x91\xCE\x92(20041231).TXT", "{d}B.TXT = B(20041231).TXT",
      "Renamed 2 files"},
     {"B(20041231).TXT", "\xCE\x91\xCE\x92(20041231).TXT=g"}},

    // The front end.
    {"a wildcard in the folder", {"TEST/", "TEST/A.TXT"}, "{d}TE?T{s}A.TXT",
     {"Error: Wildcards not allowed in path."}, {"TEST/", "TEST/A.TXT"}, 1},
    {"quotes around a path with blanks", {"MY FILES/", "MY FILES/A.TXT=data"},
     "/y \"{d}MY FILES{s}A.TXT\" ", {"{d}MY FILES{s}A.TXT = A(20041231).TXT"},
     {"MY FILES/", "MY FILES/A(20041231).TXT=data"}},
    {"quotes then a trailing blank stay", {"A.TXT"}, "\"{d}A.TXT\" ",
     {"File not found: \"\"{d}A.TXT\" \""}, {"A.TXT"}, 1},
    {"a lone /Y stamps the current folder", {"A.TXT=new", "A(20041231).TXT=old"}, "/Y",
     {kAnnounceA, "Renamed 1 file"}, {"A(20041231).TXT=new"}, 0, kBoth, true},

    // A drive and a name: the folder part is the drive's current folder.
    {"a drive and a name", {"A.TXT=new", "A(20041231).TXT=old"}, "C:A.TXT",
     {"C:A.TXT = A(20041231).TXT",
      "Skipped: \"C:A.TXT\" (destination \"C:A(20041231).TXT\" exists)"},
     {"A(20041231).TXT=old", "A.TXT=new"}, 0, kWindowsOnly, true},
    {"/Y with a drive and a name", {"A.TXT=new", "A(20041231).TXT=old"}, "/Y C:A.TXT",
     {"C:A.TXT = A(20041231).TXT"}, {"A(20041231).TXT=new"}, 0, kWindowsOnly, true},

    // The conflict policy.
    {"skipped without /Y", {"A.TXT=new", "A(20041231).TXT=old"}, "{d}A.TXT",
     {kAnnounceA, "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)"},
     {"A(20041231).TXT=old", "A.TXT=new"}},
    {"/Y replaces a file", {"A.TXT=new", "A(20041231).TXT=old"}, "/Y {d}A.TXT", {kAnnounceA},
     {"A(20041231).TXT=new"}},
    {"/Y keeps a read-only file", {"A.TXT=new", "!A(20041231).TXT=old"}, "/Y {d}A.TXT",
     {kAnnounceA, "Error: Destination \"A(20041231).TXT\" cannot be removed."},
     {"A(20041231).TXT=old", "A.TXT=new"}},
    {"/Y keeps a hidden file", {"A.TXT=new", "~A(20041231).TXT=old"}, "/Y {d}A.TXT",
     {kAnnounceA, "Error: Destination \"A(20041231).TXT\" cannot be removed."},
     {"A(20041231).TXT=old", "A.TXT=new"}, 0, kWindowsOnly},
    {"/Y keeps a name hidden by its dot", {".B.TXT=new", ".B(20041231).TXT=old"},
     "/Y {d}.B.TXT",
     {"{d}.B.TXT = .B(20041231).TXT", "Error: Destination \".B(20041231).TXT\" cannot be removed."},
     {".B(20041231).TXT=old", ".B.TXT=new"}, 0, kLinuxOnly},
    {"a file does not become a folder", {"A.TXT=new", "A(20041231).TXT/"}, "/Y {d}A.TXT",
     {kAnnounceA, "Error: Cannot rename file to folder. ({d}A(20041231).TXT)"},
     {"A(20041231).TXT/", "A.TXT=new"}},
    {"a folder does not become a file", {"D/", "D(20041231)=file"}, "{d}D",
     {"{d}D = D(20041231)", "Error: Cannot rename folder to file. ({d}D(20041231))"},
     {"D(20041231)=file", "D/"}},
    // A name holding a wildcard would make every later step act on all that it matches.
    {"a wildcard in a stored name is never acted on",
     {"X*.TXT=star", "X*(20041231).TXT/", "XY(20041231).TXT=keep"}, "/Y {d}X*.TXT",
     {"{d}X*.TXT = X*(20041231).TXT", "Error: Rename failed. Is \"X*.TXT\" in use?",
      "Renamed 0 files"},
     {"X*(20041231).TXT/", "X*.TXT=star", "XY(20041231).TXT=keep"}, 0, kLinuxOnly},
    {"a question mark in a stored name", {"Q?"}, "{d}Q?",
     {"{d}Q? = Q?(20041231)", "Error: Rename failed. Is \"Q?\" in use?"}, {"Q?"}, 0,
     kLinuxOnly},

    // Without a no-replace rename a taken name, even an empty folder's, is never replaced.
    {"no no-replace rename: free names", {"A.TXT=a", "D/"}, "{d}",
     {kAnnounceA, "{d}D = D(20041231)", "Renamed 2 files"},
     {"A(20041231).TXT=a", "D(20041231)/"}, 0, kLinuxOnly, false, true},
    {"no no-replace rename: taken names", {"A.TXT=a", "A(20041231).TXT=old", "D/", "D(20041231)/"},
     "{d}*.", {"{d}D = D(20041231)", "Skipped: \"D\" (destination \"D(20041231)\" exists)",
     "Renamed 0 files"},
     {"A(20041231).TXT=old", "A.TXT=a", "D(20041231)/", "D/"}, 0, kLinuxOnly, false, true},
    {"no no-replace rename: a taken file name", {"A.TXT=a", "A(20041231).TXT=old"}, "{d}A.TXT",
     {kAnnounceA, "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)"},
     {"A(20041231).TXT=old", "A.TXT=a"}, 0, kLinuxOnly, false, true},
};

std::string Fill(std::string text, const std::string& folder) {
  for (std::size_t at; (at = text.find("{d}")) != text.npos;) text.replace(at, 3, folder);
  for (std::size_t at; (at = text.find("{s}")) != text.npos;)
    text.replace(at, 3, 1, platform::kPathSeparator);
  return text;
}

void Make(const fs::path& folder, std::string entry) {
  const auto day = test::Noon(2004, 12, 31);
  char flag = entry[0] == '!' || entry[0] == '~' ? entry[0] : 0;
  if (flag) entry.erase(0, 1);
  if (entry.ends_with("/")) return test::MakeFolder(test::At(folder, entry), day);
  std::size_t eq = entry.find('=');
  std::string name = entry.substr(0, eq);
  fs::path path = test::At(folder, name);
  test::MakeFile(path, eq == entry.npos ? name : entry.substr(eq + 1), day);
  if (flag == '!') test::SetReadOnly(path, true);
  if (flag == '~') test::SetHidden(path);
}

// Top-level names must be exactly those listed; every "NAME=TEXT" must hold TEXT.
void CheckAfter(const fs::path& folder, const Strings& after) {
  Strings top;
  for (const std::string& entry : after) {
    std::size_t eq = entry.find('=');
    std::string name = entry.substr(0, eq);
    std::size_t slash = name.find('/');
    if (slash == name.npos || slash + 1 == name.size()) top.push_back(name);
    if (eq != entry.npos) {
      EXPECT_EQ(test::Content(test::At(folder, name)), entry.substr(eq + 1)) << name;
    }
  }
  std::sort(top.begin(), top.end());
  EXPECT_EQ(test::Names(folder), top);
}

// Several entries come in the file system's order; the count line always comes last.
void CheckOut(const std::string& out, const Strings& expected, const std::string& folder) {
  std::string lines;
  for (const std::string& line : expected) lines += test::Lines({Fill(line, folder)});
  bool counted = !expected.empty() && expected.back().starts_with("Renamed ");
  if (!counted) {
    EXPECT_EQ(out, lines);
    return;
  }
  EXPECT_EQ(test::SortedLines(out), test::SortedLines(lines));
  EXPECT_TRUE(out.ends_with(test::Lines({expected.back()}))) << out;
}

TEST(Scenarios, All) {
  for (const Scenario& s : kScenarios) {
    if ((s.builds == kLinuxOnly && !kLinux) || (s.builds == kWindowsOnly && kLinux)) continue;
    SCOPED_TRACE(s.title);
    test::TempFolder f;
    for (const std::string& entry : s.before) Make(f.path(), entry);
    test::RunOptions options;
    if (s.in_folder) options.cwd = test::Native(f.path().string());
    if (s.no_noreplace) test::SetEnv("LD_PRELOAD", NO_NOREPLACE);
    test::Result r = test::RunProgram(Fill(s.tail, f.text()), options);
    if (s.no_noreplace) test::ClearEnv("LD_PRELOAD");
    CheckOut(r.out, s.out, f.text());
    EXPECT_EQ(r.code, s.code);
    CheckAfter(f.path(), s.after);
  }
}

}  // namespace
