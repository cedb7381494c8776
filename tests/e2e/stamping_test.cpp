// The stamping pass over real folders: what is written, and what the folder holds afterwards.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"
#include "support/harness.h"

namespace {

namespace fs = std::filesystem;

using test::At;
using test::Lines;
using test::Names;
using test::RunProgram;
using test::Strings;

using test::kLinux;
const auto kLastDay2004 = test::Noon(2004, 12, 31);

TEST(Stamping, OneFile) {
  test::TempFolder f;
  test::MakeFile(At(f.path(), "MYFILE.TXT"), "content", kLastDay2004);
  test::Result r = RunProgram(f.text() + "MYFILE.TXT");
  EXPECT_EQ(r.out, Lines({f.text() + "MYFILE.TXT = MYFILE(20041231).TXT"}));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Names(f.path()), Strings{"MYFILE(20041231).TXT"});
  EXPECT_EQ(test::Content(At(f.path(), "MYFILE(20041231).TXT")), "content");

  // A second run finds the stamp and says nothing.
  r = RunProgram(f.text() + "MYFILE(20041231).TXT");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.code, 0);
}

TEST(Stamping, EveryKindOfName) {
  test::TempFolder f;
  const Strings kPlain = {"README", ".profile", "DATA.TAR.GZ", "(1234567).TXT", "(123456789)"};
  const Strings kStamped = {"X(20001231).TXT", "((12345678))", "A (87654321) B"};
  for (const std::string& name : kPlain) test::MakeFile(At(f.path(), name), name, kLastDay2004);
  for (const std::string& name : kStamped) test::MakeFile(At(f.path(), name), name, kLastDay2004);
  test::MakeFolder(At(f.path(), "NOTES.OLD"), kLastDay2004);

  test::Result r = RunProgram(f.text());
  std::string d = f.text();
  EXPECT_EQ(test::SortedLines(r.out),
            test::SortedLines(Lines({d + "README = README(20041231)",
                                     d + ".profile = (20041231).profile",
                                     d + "DATA.TAR.GZ = DATA.TAR(20041231).GZ",
                                     d + "(1234567).TXT = (1234567)(20041231).TXT",
                                     d + "(123456789) = (123456789)(20041231)",
                                     d + "NOTES.OLD = NOTES(20041231).OLD", "Renamed 6 files"})));
  EXPECT_TRUE(r.out.ends_with(Lines({"Renamed 6 files"})));
  EXPECT_EQ(Names(f.path()), (Strings{"((12345678))", "(1234567)(20041231).TXT",
                                      "(123456789)(20041231)", "(20041231).profile",
                                      "A (87654321) B", "DATA.TAR(20041231).GZ",
                                      "NOTES(20041231).OLD/", "README(20041231)",
                                      "X(20001231).TXT"}));
  EXPECT_EQ(test::Content(At(f.path(), "(20041231).profile")), ".profile");
}

TEST(Stamping, PatternSelectsByLongNameAndCase) {
  test::TempFolder f;
  for (const char* name : {"MYFILE.TXT", "b.txt", "NOTES.TXTOLD", "C.DOC"})
    test::MakeFile(At(f.path(), name), name, kLastDay2004);
  // Lower case selects the stored names, which keep their case.
  test::Result r = RunProgram(f.text() + "*.txt");
  EXPECT_EQ(test::SortedLines(r.out),
            test::SortedLines(Lines({f.text() + "MYFILE.TXT = MYFILE(20041231).TXT",
                                     f.text() + "b.txt = b(20041231).txt", "Renamed 2 files"})));
  EXPECT_EQ(Names(f.path()),
            (Strings{"C.DOC", "MYFILE(20041231).TXT", "NOTES.TXTOLD", "b(20041231).txt"}));
}

TEST(Stamping, PlainNameInAnotherCase) {
  if (kLinux) GTEST_SKIP() << "Linux names are case-sensitive";
  test::TempFolder f;
  test::MakeFile(At(f.path(), "MYFILE.TXT"), "x", kLastDay2004);
  test::Result r = RunProgram(f.text() + "myfile.txt");
  EXPECT_EQ(r.out, Lines({f.text() + "MYFILE.TXT = MYFILE(20041231).TXT"}));
}

TEST(Stamping, HiddenEntriesToo) {
  test::TempFolder f;
  test::MakeFile(At(f.path(), ".hidden"), "h", kLastDay2004);
  test::MakeFolder(At(f.path(), ".cache"), kLastDay2004);
  if (!kLinux) test::SetHidden(At(f.path(), ".hidden"));
  test::Result r = RunProgram(f.text() + "*");
  EXPECT_EQ(test::SortedLines(r.out),
            test::SortedLines(Lines({f.text() + ".hidden = (20041231).hidden",
                                     f.text() + ".cache = (20041231).cache", "Renamed 2 files"})));
}

TEST(Stamping, EmptyFolderAndOnlyStampedNames) {
  test::TempFolder f;
  test::Result r = RunProgram(f.text() + "*.*");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.code, 0);
  test::MakeFile(At(f.path(), "A(20041231).TXT"), "a", kLastDay2004);
  test::MakeFile(At(f.path(), "B(20041231).TXT"), "b", kLastDay2004);
  r = RunProgram(f.text());
  EXPECT_EQ(r.out, Lines({"Renamed 0 files"}));
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
  test::MakeFile(At(f.path(), name + ".TX"), "x", kLastDay2004);
  test::Result r = RunProgram(f.text() + name + ".TX");
  EXPECT_EQ(r.out, Lines({f.text() + name + ".TX = " + name + "(20041231).TX",
                          "Error: Path too long. (" + f.text() + name + "(20041231).TX)"}));
  EXPECT_EQ(Names(f.path()), Strings{name + ".TX"});
}

// Failed writes are ignored: a reader that went away cannot stop a run half-way.
TEST(Stamping, ClosedOutputDoesNotStopTheRun) {
  test::TempFolder f;
  for (const char* name : {"A.TXT", "B.TXT", "C.TXT"}) test::MakeFile(At(f.path(), name), name, kLastDay2004);
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

}  // namespace
