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
