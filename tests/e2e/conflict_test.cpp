// What happens when the stamped name is taken, with and without /Y.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "rename/rename.h"
#include "support/harness.h"

namespace {

namespace fs = std::filesystem;

using test::At;
using test::Content;
using test::Lines;
using test::Names;
using test::RunProgram;
using test::Strings;

using test::kLinux;
const auto kDay = test::Noon(2004, 12, 31);

class Conflict : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeFile(At(f.path(), "A.TXT"), "new", kDay);
    announce = f.text() + "A.TXT = A(20041231).TXT";
  }
  test::TempFolder f;
  std::string announce;
};

TEST_F(Conflict, SkippedWithoutOverwrite) {
  test::MakeFile(At(f.path(), "A(20041231).TXT"), "old", kDay);
  test::Result r = RunProgram(f.text() + "A.TXT");
  EXPECT_EQ(r.out, Lines({announce, "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)"}));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Content(At(f.path(), "A.TXT")), "new");
  EXPECT_EQ(Content(At(f.path(), "A(20041231).TXT")), "old");
}

TEST_F(Conflict, OverwriteReplacesAFile) {
  test::MakeFile(At(f.path(), "A(20041231).TXT"), "old", kDay);
  test::Result r = RunProgram("/Y " + f.text() + "A.TXT");
  EXPECT_EQ(r.out, Lines({announce}));
  EXPECT_EQ(Names(f.path()), Strings{"A(20041231).TXT"});
  EXPECT_EQ(Content(At(f.path(), "A(20041231).TXT")), "new");
}

TEST_F(Conflict, ProtectedDestinationStays) {
  fs::path destination = At(f.path(), "A(20041231).TXT");
  test::MakeFile(destination, "old", kDay);
  auto expect_kept = [&] {
    test::Result r = RunProgram("/Y " + f.text() + "A.TXT");
    EXPECT_EQ(r.out, Lines({announce, "Error: Destination \"A(20041231).TXT\" cannot be removed."}));
    EXPECT_EQ(Content(At(f.path(), "A.TXT")), "new");
    EXPECT_EQ(Content(destination), "old");
  };
  test::SetReadOnly(destination, true);
  expect_kept();
  if (kLinux) return;  // Linux has no hidden attribute: a dot hides a name (below)
  test::SetReadOnly(destination, false);
  test::SetHidden(destination);
  expect_kept();
}

TEST_F(Conflict, HiddenDotNameOnLinuxStays) {
  if (!kLinux) GTEST_SKIP() << "a dot hides a name on Linux only";
  test::MakeFile(At(f.path(), ".B.TXT"), "new", kDay);
  test::MakeFile(At(f.path(), ".B(20041231).TXT"), "old", kDay);
  test::Result r = RunProgram("/Y " + f.text() + ".B.TXT");
  EXPECT_EQ(r.out, Lines({f.text() + ".B.TXT = .B(20041231).TXT",
                          "Error: Destination \".B(20041231).TXT\" cannot be removed."}));
  EXPECT_EQ(Content(At(f.path(), ".B(20041231).TXT")), "old");
}

TEST_F(Conflict, KindsDoNotMix) {
  test::MakeFolder(At(f.path(), "A(20041231).TXT"), kDay);
  test::MakeFolder(At(f.path(), "D"), kDay);
  test::MakeFile(At(f.path(), "D(20041231)"), "file", kDay);
  for (std::string option : {"", "/Y "}) {
    test::Result r = RunProgram(option + f.text() + "A.TXT");
    EXPECT_EQ(r.out, Lines({announce, "Error: Cannot rename file to folder. (" + f.text() +
                                          "A(20041231).TXT)"}));
    r = RunProgram(option + f.text() + "D");
    EXPECT_EQ(r.out, Lines({f.text() + "D = D(20041231)",
                            "Error: Cannot rename folder to file. (" + f.text() + "D(20041231))"}));
  }
  EXPECT_EQ(Names(f.path()), (Strings{"A(20041231).TXT/", "A.TXT", "D(20041231)", "D/"}));
}

// A name holding a wildcard would make every later step act on all that it matches.
TEST_F(Conflict, WildcardInANameIsNeverActedOn) {
  if (!kLinux) GTEST_SKIP() << "Windows names cannot hold * or ?";
  test::MakeFile(At(f.path(), "X*.TXT"), "star", kDay);
  test::MakeFolder(At(f.path(), "X*(20041231).TXT"), kDay);
  test::MakeFile(At(f.path(), "XY(20041231).TXT"), "keep", kDay);
  test::MakeFile(At(f.path(), "Q?"), "q", kDay);
  test::RunOptions tools;
  tools.bin = test::Bin(f.path() / "bin", true, true);
  const fs::path log = f.path() / "bin" / "tools.log";
  test::SetEnv("STUB_LOG", log.string());
  test::Result r = RunProgram("/Y " + f.text() + "X*.TXT", tools);
  test::ClearEnv("STUB_LOG");
  EXPECT_FALSE(fs::exists(log));
  EXPECT_EQ(test::SortedLines(r.out),
            test::SortedLines(Lines({f.text() + "X*.TXT = X*(20041231).TXT",
                                     "Error: Rename failed. Is \"X*.TXT\" in use?",
                                     "Renamed 0 files"})));
  r = RunProgram(f.text() + "Q?");
  EXPECT_EQ(r.out, Lines({f.text() + "Q? = Q?(20041231)", "Error: Rename failed. Is \"Q?\" in use?"}));
  EXPECT_EQ(Names(f.path()), (Strings{"A.TXT", "Q?", "X*(20041231).TXT/", "X*.TXT",
                                      "XY(20041231).TXT", "bin/"}));
  EXPECT_EQ(Content(At(f.path(), "X*.TXT")), "star");
}

TEST_F(Conflict, SourceInUse) {
  if (kLinux) GTEST_SKIP() << "Linux does not lock open files";
  auto held = test::HoldOpen(At(f.path(), "A.TXT"));
  test::RunProgram(f.text() + "A.TXT");
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
  const std::string path = f.text() + "A.TXT";
  stampix::OverwriteMode = true;
  EXPECT_FALSE(stampix::RenameEntry(path, path));
  stampix::OverwriteMode = false;
  EXPECT_EQ(Content(At(f.path(), "A.TXT")), "new");
}

}  // namespace
