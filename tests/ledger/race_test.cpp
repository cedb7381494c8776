// Runs that race other runs or other programs, and runs in a hostile setting: afterwards no
// content is lost, none is doubled, and no file holds more than one stamp.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <regex>
#include <set>
#include <thread>

#include "support/harness.h"

namespace {

namespace fs = std::filesystem;
using test::At;

const auto kDay = test::Noon(2004, 12, 31);

std::string FileName(int i) { return "FILE" + std::to_string(10000 + i) + ".TXT"; }

void MakeFiles(const fs::path& folder, int n) {
  for (int i = 0; i < n; ++i) test::MakeFile(At(folder, FileName(i)), FileName(i), kDay);
}

// Each of the n files is there once, under its own name or that name stamped once.
void ExpectEachOnce(const fs::path& folder, int n) {
  const std::regex once(R"(FILE(\d{5})(\(20041231\))?\.TXT)");
  std::set<std::string> contents;
  for (const std::string& name : test::Names(folder)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(name, m, once)) << name;
    std::string content = test::Content(At(folder, name));
    EXPECT_EQ(content, "FILE" + m[1].str() + ".TXT") << name;
    EXPECT_TRUE(contents.insert(content).second) << content << " twice";
  }
  EXPECT_EQ(contents.size(), static_cast<std::size_t>(n));
}

TEST(Race, TwoRunsOnOneFolder) {
  test::TempFolder f;
  MakeFiles(f.path(), 10000);
  const std::string tail = f.text() + "*.TXT";
  test::Result first, second;
  std::thread other([&] { second = test::RunProgram(tail); });
  first = test::RunProgram(tail);
  other.join();
  EXPECT_EQ(first.code, 0);
  EXPECT_EQ(second.code, 0);
  ExpectEachOnce(f.path(), 10000);
  for (const std::string& name : test::Names(f.path())) EXPECT_NE(name.find("(20041231)"), name.npos);
}

TEST(Race, NamesAppearAndVanishUnderTheRun) {
  test::TempFolder f;
  const int n = 2000;
  MakeFiles(f.path(), n);
  std::atomic<bool> done = false;
  // Takes a stamped name for a moment, only ever a free one, and frees only what it took.
  std::thread intruder([&] {
    for (unsigned i = 0; !done; i = (i * 7 + 3) % n) {
      fs::path taken = At(f.path(), "FILE" + std::to_string(10000 + i) + "(20041231).TXT");
      int fd = open(taken.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
      if (fd < 0) continue;
      close(fd);
      fs::remove(taken);
    }
  });
  test::Result r = test::RunProgram(f.text() + "*.TXT");
  done = true;
  intruder.join();
  EXPECT_EQ(r.code, 0);
  ExpectEachOnce(f.path(), n);
}

// Every rename fails; each is reported and the run goes to its end.
TEST(Fault, FolderThatCannotChange) {
  test::TempFolder f;
  MakeFiles(f.path(), 3);
  const std::string folder = f.path().string();
  bool root = geteuid() == 0;
  if (root && std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "no way here to keep root from changing a folder";
  if (!root) fs::permissions(f.path(), fs::perms::owner_write, fs::perm_options::remove);
  test::Result r = test::RunProgram(f.text() + "*.TXT");
  if (root) std::system(("chattr -i '" + folder + "'").c_str());
  if (!root) fs::permissions(f.path(), fs::perms::owner_write, fs::perm_options::add);
  std::string expected;
  for (int i = 0; i < 3; ++i) {
    expected += test::Lines({f.text() + FileName(i) + " = FILE" + std::to_string(10000 + i) + "(20041231).TXT",
                             "Error: Rename failed. Is \"" + FileName(i) + "\" in use?"});
  }
  EXPECT_EQ(test::SortedLines(r.out), test::SortedLines(expected + test::Lines({"Renamed 0 files"})));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(test::Names(f.path()), (test::Strings{FileName(0), FileName(1), FileName(2)}));
}

TEST(Fault, NoStandardOutput) {
  test::TempFolder f;
  MakeFiles(f.path(), 3);
  test::RunOptions closed;
  closed.no_output = true;
  EXPECT_EQ(test::RunProgram(f.text() + "*.TXT", closed).code, 0);
  ExpectEachOnce(f.path(), 3);
  for (const std::string& name : test::Names(f.path())) EXPECT_NE(name.find("(20041231)"), name.npos);
}

}  // namespace
