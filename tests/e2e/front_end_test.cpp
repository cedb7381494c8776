// The command front end, run as a separate process with an exact command line.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/harness.h"

namespace {

namespace fs = std::filesystem;

using test::Lines;
using test::RunProgram;

using test::kLinux;

const std::string kUsage = Lines({
    "STAMPIX 20110228",
    "This utility adds a date stamp to a file or directory name.",
    "",
    "The date stamp is in the format YYYYMMDD where Y=year, M=month D=day of the",
    "last time the file was modified. If the name already has a date or any",
    "8-digit number between parentheses, a new date is not added even if the",
    "contents have changed.",
    "",
    "Syntax:  STAMPIX [/Y] [drive:][path]<name>",
    "",
    "The /Y option overwrites the destination file name if it already exists.",
    "",
    "Example: STAMPIX C:\\TEST\\MYFILE.EXT",
    "",
    "In this example MYFILE.TXT was last modified on December 31, 2004, so the",
    "above example command line will rename MYFILE.TXT to MYFILE(20041231).TXT.",
});

TEST(FrontEnd, UsageForNothingOrAHelpRequest) {
  test::TempFolder folder;
  test::MakeFile(test::At(folder.path(), "MYFILE.TXT"), "x", test::Noon(2004, 12, 31));
  for (std::string tail : {std::string(), std::string("/?"), folder.text() + "MYFILE.TXT /?"}) {
    test::Result r = RunProgram(tail);
    EXPECT_EQ(r.out, kUsage) << "tail [" << tail << "]";
    EXPECT_EQ(r.code, 0);
  }
  EXPECT_EQ(test::Names(folder.path()), std::vector<std::string>{"MYFILE.TXT"});
}

TEST(FrontEnd, RefusesAWildcardInTheFolder) {
  test::TempFolder folder;
  test::MakeFolder(test::At(folder.path(), "TEST"), test::Noon(2004, 12, 31));
  std::string sep(1, platform::kPathSeparator);
  for (std::string tail : {folder.text() + "TE?T" + sep + "A.TXT", folder.text() + "T*" + sep}) {
    test::Result r = RunProgram(tail);
    EXPECT_EQ(r.out, Lines({"Error: Wildcards not allowed in path."})) << tail;
    EXPECT_EQ(r.code, 1);
  }
}

TEST(FrontEnd, NothingMatches) {
  test::TempFolder folder;
  test::Result r = RunProgram(folder.text() + "*.XYZ");
  EXPECT_EQ(r.out, Lines({"File not found: \"" + folder.text() + "*.XYZ\""}));
  EXPECT_EQ(r.code, 1);
}

TEST(FrontEnd, QuotesAndOption) {
  test::TempFolder folder;
  fs::path sub = test::At(folder.path(), "MY FILES");
  test::MakeFolder(sub, test::Noon(2001, 1, 1));
  test::MakeFile(sub / "MYFILE.TXT", "data", test::Noon(2004, 12, 31));
  const std::string file = folder.text() + "MY FILES" + platform::kPathSeparator + "MYFILE.TXT";
  const std::string line = file + " = MYFILE(20041231).TXT";

  // Quotes, then a trailing blank: the quotes stay, so nothing matches.
  test::Result kept = RunProgram("\"" + file + "\" ");
  EXPECT_EQ(kept.out, Lines({"File not found: \"\"" + file + "\" \""}));
  EXPECT_EQ(kept.code, 1);

  test::Result quoted = RunProgram("/y \"" + file + "\" ");
  EXPECT_EQ(quoted.out, Lines({line}));
  EXPECT_EQ(quoted.code, 0);
  EXPECT_EQ(test::Names(sub), std::vector<std::string>{"MYFILE(20041231).TXT"});
  EXPECT_EQ(test::Content(sub / "MYFILE(20041231).TXT"), "data");
}

TEST(FrontEnd, LoneOptionStampsTheCurrentFolder) {
  test::TempFolder folder;
  test::MakeFile(test::At(folder.path(), "A.TXT"), "a", test::Noon(2004, 12, 31));
  test::MakeFile(test::At(folder.path(), "A(20041231).TXT"), "old", test::Noon(2003, 1, 1));
  test::RunOptions in_folder;
  in_folder.cwd = test::Native(folder.path().string());
  test::Result r = RunProgram("/Y", in_folder);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(test::SortedLines(r.out),
            test::SortedLines(Lines({folder.text() + "A.TXT = A(20041231).TXT",
                                     "Renamed 1 file"})));
  EXPECT_EQ(test::Names(folder.path()), std::vector<std::string>{"A(20041231).TXT"});
  EXPECT_EQ(test::Content(test::At(folder.path(), "A(20041231).TXT")), "a");
}

// The manifest makes the Windows build see names outside the old ANSI code page as they are.
TEST(FrontEnd, NamesOutsideTheAnsiCodePage) {
  test::TempFolder folder;
  const std::string greek = "\xCE\x91\xCE\x92\xCE\x93";  // three Greek capitals
  test::MakeFile(test::At(folder.path(), greek + ".TXT"), "g", test::Noon(2004, 12, 31));
  test::MakeFile(test::At(folder.path(), "B.TXT"), "b", test::Noon(2004, 12, 31));
  test::Result r = RunProgram(folder.text() + "*.TXT");
  EXPECT_EQ(test::SortedLines(r.out),
            test::SortedLines(Lines({folder.text() + greek + ".TXT = " + greek + "(20041231).TXT",
                                     folder.text() + "B.TXT = B(20041231).TXT",
                                     "Renamed 2 files"})));
  EXPECT_EQ(test::Names(folder.path()),
            (std::vector<std::string>{"B(20041231).TXT", greek + "(20041231).TXT"}));
}

TEST(FrontEndLinux, ArgumentsJoinWithOneBlank) {
  if (!kLinux) GTEST_SKIP() << "separate arguments exist on Linux only";
  test::TempFolder folder;
  test::MakeFile(test::At(folder.path(), "A.TXT"), "new", test::Noon(2004, 12, 31));
  test::MakeFile(test::At(folder.path(), "A(20041231).TXT"), "old", test::Noon(2003, 1, 1));
  test::Result r = test::RunArgs({folder.text() + "A.TXT", "/Y"});
  EXPECT_EQ(r.out, Lines({folder.text() + "A.TXT = A(20041231).TXT"}));
  EXPECT_EQ(test::Content(test::At(folder.path(), "A(20041231).TXT")), "new");
  // "/Y" inside a path is part of the path, not the option.
  test::MakeFile(test::At(folder.path(), "Yb"), "b", test::Noon(2004, 12, 31));
  r = test::RunArgs({folder.text() + "Yb"});
  EXPECT_EQ(r.out, Lines({folder.text() + "Yb = Yb(20041231)"}));
}

}  // namespace
