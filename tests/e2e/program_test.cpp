// The program run as a separate process where a table row will not do: the usage text, the
// Linux argument list, limits, interruptions and time zones, files held open, links.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"
#include "rename/rename.h"
#include "support/harness.h"

namespace {

namespace fs = std::filesystem;

using test::At;
using test::Content;
using test::kLinux;
using test::Lines;
using test::Names;
using test::RunProgram;
using test::Strings;

const auto kDay = test::Noon(2004, 12, 31);

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
  test::MakeFile(At(folder.path(), "MYFILE.TXT"), "x", kDay);
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
  test::MakeFile(At(folder.path(), "A.TXT"), "new", kDay);
  test::MakeFile(At(folder.path(), "A(20041231).TXT"), "old", test::Noon(2003, 1, 1));
  test::Result r = test::RunArgs({folder.text() + "A.TXT", "/Y"});
  EXPECT_EQ(r.out, Lines({folder.text() + "A.TXT = A(20041231).TXT"}));
  EXPECT_EQ(test::Content(test::At(folder.path(), "A(20041231).TXT")), "new");
  // "/Y" inside a path is part of the path, not the option.
  test::MakeFile(At(folder.path(), "Yb"), "b", kDay);
  r = test::RunArgs({folder.text() + "Yb"});
  EXPECT_EQ(r.out, Lines({folder.text() + "Yb = Yb(20041231)"}));
}

TEST(Stamping, SearchTextTooLong) {
  test::TempFolder f;
  std::string long_name(platform::kMaxPath, 'N');
  test::Result r = RunProgram(f.text() + long_name);
  EXPECT_EQ(r.out, Lines({"Error: Path too long. (" + f.text() + long_name + ")"}));
  EXPECT_EQ(r.code, 1);
}

TEST(Stamping, StampedPathTooLong) {
  test::TempFolder f;
  std::size_t room = platform::kMaxPath - f.text().size();
  if (room > 250) GTEST_SKIP() << "no name is long enough to reach this build's path limit";
  std::string name(room - 4, 'N');
  test::MakeFile(At(f.path(), name + ".TX"), "x", kDay);
  test::Result r = RunProgram(f.text() + name + ".TX");
  EXPECT_EQ(r.out, Lines({f.text() + name + ".TX = " + name + "(20041231).TX",
                          "Error: Path too long. (" + f.text() + name + "(20041231).TX)"}));
  EXPECT_EQ(Names(f.path()), Strings{name + ".TX"});
}

// Failed writes are ignored: a reader that went away cannot stop a run half-way.
TEST(Stamping, ClosedOutputDoesNotStopTheRun) {
  test::TempFolder f;
  for (const char* name : {"A.TXT", "B.TXT", "C.TXT"}) test::MakeFile(At(f.path(), name), name, kDay);
  test::RunOptions closed;
  closed.close_output = true;
  EXPECT_EQ(RunProgram(f.text() + "*.TXT", closed).code, 0);
  EXPECT_EQ(Names(f.path()), (Strings{"A(20041231).TXT", "B(20041231).TXT", "C(20041231).TXT"}));
}

// The stamp is the local date of the file's own moment, in summer and in winter alike.
TEST(StampingLinux, DateOfTheFilesOwnMoment) {
  if (!kLinux) GTEST_SKIP() << "the time zone is set through TZ on Linux";
  test::TempFolder f;
  using std::chrono::sys_days;
  using namespace std::chrono_literals;
  // 00:30 local time in summer (UTC+2) and 23:30 local time in winter (UTC+1).
  std::chrono::sys_seconds summer = sys_days{std::chrono::year{2004} / 7 / 15} + 22h + 30min;
  std::chrono::sys_seconds winter = sys_days{std::chrono::year{2004} / 1 / 15} + 22h + 30min;
  test::MakeFile(At(f.path(), "SUMMER"), "s", std::chrono::file_clock::from_sys(summer));
  test::MakeFile(At(f.path(), "WINTER"), "w", std::chrono::file_clock::from_sys(winter));
  test::SetEnv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  test::Result r = RunProgram(f.text() + "*");
  test::ClearEnv("TZ");
  EXPECT_EQ(Names(f.path()), (Strings{"SUMMER(20040716)", "WINTER(20040115)"}));
}

class Conflict : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeFile(At(f.path(), "A.TXT"), "new", kDay);
    announce = f.text() + "A.TXT = A(20041231).TXT";
  }
  test::TempFolder f;
  std::string announce;
};

TEST_F(Conflict, SourceInUse) {
  if (kLinux) GTEST_SKIP() << "Linux does not lock open files";
  auto held = test::HoldOpen(At(f.path(), "A.TXT"));
  test::Result r = RunProgram(f.text() + "A.TXT");
  EXPECT_EQ(r.out, Lines({announce, "Error: Rename failed. Is \"A.TXT\" in use?"}));
  // With /Y the destination goes first; the rename that then fails must still be reported.
  test::MakeFile(At(f.path(), "A(20041231).TXT"), "old", kDay);
  r = RunProgram("/Y " + f.text() + "A.TXT");
  EXPECT_EQ(r.out, Lines({announce, "Error: Rename failed. Is \"A.TXT\" in use?"}));
  EXPECT_EQ(Names(f.path()), Strings{"A.TXT"});
}

// A link is renamed or removed itself; what it points to is never touched.
TEST_F(Conflict, SymbolicLinksAreEntriesOfTheirOwn) {
  if (!kLinux) GTEST_SKIP() << "Linux only";
  test::TempFolder outside;
  test::MakeFile(At(outside.path(), "TARGET.TXT"), "target", kDay);
  test::MakeFolder(At(outside.path(), "DIR"), kDay);
  test::MakeLink(At(outside.path(), "TARGET.TXT"), At(f.path(), "A(20041231).TXT"), kDay);
  test::MakeLink(At(outside.path(), "DIR"), At(f.path(), "L"), kDay);
  test::MakeFolder(At(f.path(), "L(20041231)"), kDay);
  test::Result r = RunProgram("/Y " + f.text() + "A.TXT");
  EXPECT_EQ(r.out, Lines({announce}));
  EXPECT_EQ(Content(At(f.path(), "A(20041231).TXT")), "new");
  EXPECT_FALSE(fs::is_symlink(At(f.path(), "A(20041231).TXT")));
  EXPECT_EQ(Content(At(outside.path(), "TARGET.TXT")), "target");
  // A link to a folder is no folder: it is never merged.
  r = RunProgram("/Y " + f.text() + "L");
  EXPECT_EQ(r.out, Lines({f.text() + "L = L(20041231)",
                          "Error: Cannot rename file to folder. (" + f.text() + "L(20041231))"}));
  EXPECT_EQ(Names(outside.path()), (Strings{"DIR/", "TARGET.TXT"}));
}

// An entry whose stamp cannot be written keeps its name: it must not replace itself.
TEST_F(Conflict, SameSourceAndDestinationIsLeftAlone) {
  EXPECT_FALSE(stampix::RenameEntry(platform::Folder(f.text()), "A.TXT", "A.TXT",
                                    stampix::OverwriteMode::kOn));
  EXPECT_EQ(Content(At(f.path(), "A.TXT")), "new");
}

}  // namespace
