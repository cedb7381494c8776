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
