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
