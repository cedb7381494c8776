#include <gtest/gtest.h>

#include "stamp/stamp.h"

namespace {

TEST(Stamp, RecognisesAnExistingStamp) {
  const std::pair<const char*, bool> kCases[] = {
      {"MYFILE(20041231).TXT", true},
      {"X (12345678) Y", true},
      {"((12345678))", true},
      {"(1234567).TXT", false},
      {"(123456789).TXT", false},
      {"(1234567a)", false},
      {"(12345678", false},
      {"((1234567)8)", false},
      {"", false},
  };
  for (auto [name, stamped] : kCases) EXPECT_EQ(stampix::HasStamp(name), stamped) << name;
}

TEST(Stamp, GoesBeforeTheLastDot) {
  const std::pair<const char*, const char*> kCases[] = {
      {"MYFILE.TXT", "MYFILE(20041231).TXT"},
      {"README", "README(20041231)"},
      {".profile", "(20041231).profile"},
      {"DATA.TAR.GZ", "DATA.TAR(20041231).GZ"},
      {"NOTES.OLD", "NOTES(20041231).OLD"},
      {"TRAIL.", "TRAIL(20041231)."},
  };
  for (auto [name, stamped] : kCases)
    EXPECT_EQ(stampix::StampedName(name, "(20041231)"), stamped);
  EXPECT_EQ(stampix::StampedName("A.TXT", ""), "A.TXT");
}

}  // namespace
