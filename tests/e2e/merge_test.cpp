// Folder merges under /Y by the copy and tree-delete tools (stubs that log what they receive).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

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
const auto kDay = test::Noon(2004, 12, 31);

// OLD (dated 31 December 2004) is to be merged into its existing stamped name.
class Merge : public ::testing::Test {
 protected:
  void SetUp() override { Prepare("OLD"); }
  void TearDown() override {
    for (const char* name : {"STUB_LOG", "STUB_REAL", "STUB_XCOPY_STATUS", "STUB_DELTREE_STATUS"})
      test::ClearEnv(name);
  }

  void Prepare(const std::string& name) {
    source = At(f.path(), name);
    destination = At(f.path(), name + "(20041231)");
    test::MakeFolder(source / "SUB", kDay);
    test::MakeFile(source / "SUB" / "NEW.TXT", "new", kDay);
    test::MakeFolder(destination, kDay);
    test::MakeFile(destination / "KEEP.TXT", "keep", kDay);
    test::SetTime(source, kDay);
    announce = f.text() + name + " = " + name + "(20041231)";
  }

  test::Result RunWith(const std::string& bin_name, bool copy_tool, bool delete_tool) {
    options.bin = test::Bin(f.path() / bin_name, copy_tool, delete_tool);
    copy_path = options.bin + platform::kPathSeparator + "XCOPY.EXE";
    delete_path = options.bin + platform::kPathSeparator + "DELTREE.EXE";
    test::SetEnv("STUB_LOG", test::Native((f.path() / "tools.log").string()));
    return RunProgram("/Y " + test::Native(source.string()), options);
  }

  Strings Runs() { return test::ToolRuns(f.path() / "tools.log"); }

  void ExpectSourceUntouched() {
    EXPECT_EQ(Names(source), Strings{"SUB/"});
    EXPECT_EQ(test::Content(source / "SUB" / "NEW.TXT"), "new");
    EXPECT_EQ(Names(destination), Strings{"KEEP.TXT"});
  }

  test::TempFolder f;
  fs::path source, destination;
  std::string announce, copy_path, delete_path;
  test::RunOptions options;
};

TEST_F(Merge, CopiesThenDeletesTheSource) {
  test::SetEnv("STUB_REAL", "1");
  test::Result r = RunWith("bin", true, true);
  EXPECT_EQ(r.out, Lines({announce}));
  const std::string src = test::Native(source.string()), dst = test::Native(destination.string());
  EXPECT_EQ(Runs(), (Strings{test::AsReceived(copy_path + "  " + src + " " + dst + " /y/c/i/q/e"),
                             test::AsReceived(delete_path + " /y \"" + src + "\">nul:")}));
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(Names(destination), (Strings{"KEEP.TXT", "SUB/"}));
  EXPECT_EQ(test::Content(destination / "SUB" / "NEW.TXT"), "new");
}

TEST_F(Merge, BlanksInPathsAreQuoted) {
  Prepare("MY OLD");
  test::SetEnv("STUB_REAL", "1");
  test::Result r = RunWith("my tools", true, true);
  EXPECT_EQ(r.out, Lines({announce}));
  const std::string src = test::Native(source.string()), dst = test::Native(destination.string());
  EXPECT_EQ(Runs(), (Strings{test::AsReceived("\"" + copy_path + "\"  \"" + src + "\" \"" + dst +
                                              "\" /y/c/i/q/e"),
                             test::AsReceived("\"" + delete_path + "\" /y \"" + src + "\">nul:")}));
  EXPECT_FALSE(fs::exists(source));
}

TEST_F(Merge, DeleteToolMissing) {
  test::Result r = RunWith("bin", true, false);
  EXPECT_EQ(r.out, Lines({announce, "DELTREE.EXE not found for external call? Make sure this is "
                                    "in your path."}));
  EXPECT_EQ(Runs(), Strings{});
  ExpectSourceUntouched();
}

// Windows always finds its own XCOPY.EXE in the system folder. Linux never looks in the
// current folder, even where PATH names it.
TEST_F(Merge, CopyToolMissing) {
  if (!kLinux) GTEST_SKIP() << "XCOPY.EXE is part of Windows";
  const std::string path = std::getenv("PATH");
  test::SetEnv("PATH", ".::" + path);
  options.cwd = test::Bin(f.path() / "here", true, false);
  test::Result r = RunWith("bin", false, true);
  test::SetEnv("PATH", path);
  EXPECT_EQ(r.out, Lines({announce, "XCOPY.EXE not found for external call? Make sure this is "
                                    "in your path."}));
  ExpectSourceUntouched();
}

TEST_F(Merge, FailedOrCrashedCopyStopsTheMerge) {
  for (std::string status : {"4", "crash"}) {
    test::SetEnv("STUB_XCOPY_STATUS", status);
    test::Result r = RunWith("bin" + status, true, true);
    std::string level = status == "4" ? "4" : kLinux ? "-11" : "-1073741819";
    EXPECT_EQ(r.out, Lines({announce, copy_path + " = ERRORLEVEL " + level}));
    EXPECT_EQ(Runs().size(), 1u);  // the copy only
    ExpectSourceUntouched();
    fs::remove(f.path() / "tools.log");
  }
}

// Ctrl+C, Ctrl+\\ and a closed terminal while a tool runs do not end the program.
TEST_F(Merge, InterruptionsAreIgnored) {
  if (!kLinux) GTEST_SKIP() << "signals are Linux's";
  test::SetEnv("STUB_REAL", "1");
  test::SetEnv("STUB_SIGNAL_PARENT", "1");
  test::Result r = RunWith("bin", true, true);
  test::ClearEnv("STUB_SIGNAL_PARENT");
  EXPECT_EQ(r.out, Lines({announce}));
  EXPECT_EQ(r.code, 0);
  EXPECT_FALSE(fs::exists(source));
}

TEST_F(Merge, FailedDeleteIsReported) {
  test::SetEnv("STUB_DELTREE_STATUS", "2");
  test::Result r = RunWith("bin", true, true);
  EXPECT_EQ(r.out, Lines({announce, delete_path + " = ERRORLEVEL 2"}));
  EXPECT_EQ(Runs().size(), 2u);
  EXPECT_TRUE(fs::exists(source / "SUB" / "NEW.TXT"));
}

TEST_F(Merge, ToolThatCannotStart) {
  options.bin = test::Bin(f.path() / "bin", false, true);
  std::ofstream(f.path() / "bin" / "XCOPY.EXE") << "not a program";
  fs::permissions(f.path() / "bin" / "XCOPY.EXE", fs::perms::owner_exec, fs::perm_options::add);
  test::Result r = test::RunProgram("/Y " + test::Native(source.string()), options);
  EXPECT_EQ(r.out, Lines({announce, "Error: " + options.bin + platform::kPathSeparator +
                                        "XCOPY.EXE could not be started."}));
  ExpectSourceUntouched();
}

TEST_F(Merge, CommandLineTooLongIsNotRun) {
  fs::path deep = f.path();
  while (test::Native(deep.string()).size() * 2 < platform::kMaxCommandLine + 20)
    deep /= std::string(40, 'L');
  fs::create_directories(deep);
  fs::path old_source = source;
  source = deep / "OLD";
  destination = deep / "OLD(20041231)";
  fs::rename(old_source, source);
  fs::rename(At(f.path(), "OLD(20041231)"), destination);
  test::SetTime(source, kDay);
  announce = test::Native(deep.string()) + platform::kPathSeparator + "OLD = OLD(20041231)";
  test::Result r = RunWith("bin", true, true);
  EXPECT_EQ(r.out, Lines({announce, "Error: Command line too long for XCOPY.EXE."}));
  EXPECT_EQ(Runs(), Strings{});
  ExpectSourceUntouched();
}

// Wine's own XCOPY.EXE does the copy; the stub tree-delete tool removes the source.
TEST_F(Merge, WithTheSystemsCopyTool) {
  if (kLinux) GTEST_SKIP() << "Windows only";
  test::SetEnv("STUB_REAL", "1");
  test::Result r = RunWith("bin", false, true);
  // The tool writes its own report into the same output.
  EXPECT_TRUE(r.out.starts_with(Lines({announce}))) << r.out;
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(Names(destination), (Strings{"KEEP.TXT", "SUB/"}));
  EXPECT_EQ(test::Content(destination / "SUB" / "NEW.TXT"), "new");
}

}  // namespace
