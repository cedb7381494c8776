#include <gtest/gtest.h>

#include "entry/path.h"
#include "main/command_line.h"
#include "platform/platform.h"

namespace {

using stampix::ParseTail;

// "|" in the table stands for the build's folder separator.
std::string Sep(std::string text) {
  for (char& c : text)
    if (c == '|') c = platform::kPathSeparator;
  return text;
}

struct TailCase {
  const char* tail;
  bool usage, overwrite, folder_given;
  const char* folder;
  const char* name;
};

void Check(const TailCase& c) {
  SCOPED_TRACE(std::string("tail [") + c.tail + "]");
  stampix::Request r = ParseTail(Sep(c.tail));
  EXPECT_EQ(r.show_usage, c.usage);
  if (c.usage) return;
  EXPECT_EQ(r.overwrite == stampix::OverwriteMode::kOn, c.overwrite);
  stampix::PathParts parts = stampix::SplitPath(r.argument);
  EXPECT_EQ(!parts.folder.empty(), c.folder_given);
  EXPECT_EQ(parts.folder, Sep(c.folder));
  EXPECT_EQ(parts.name, Sep(c.name));
}

const TailCase kBothBuilds[] = {
    {"", true, false, false, "", ""},
    {"/?", true, false, false, "", ""},
    {"MYFILE.TXT /?", true, false, false, "", ""},
    {"|TEST|MYFILE.TXT", false, false, true, "|TEST|", "MYFILE.TXT"},
    {"/Y |TEST|MYFILE.TXT", false, true, true, "|TEST|", "MYFILE.TXT"},
    {"/y |TEST|MYFILE.TXT", false, true, true, "|TEST|", "MYFILE.TXT"},
    {"|TEST|MYFILE.TXT /Y", false, true, true, "|TEST|", "MYFILE.TXT"},
    {"/Y", false, true, false, "", ""},
    {"/Y /Y A", false, true, true, "/", "Y A"},
    {"MYFILE.TXT", false, false, false, "", "MYFILE.TXT"},
    {"|TEST|", false, false, true, "|TEST|", ""},
    {"\"|MY FILES|MYFILE.TXT\"", false, false, true, "|MY FILES|", "MYFILE.TXT"},
    {"|MY FILES|MYFILE.TXT", false, false, true, "|MY FILES|", "MYFILE.TXT"},
    {"\"\"|A|B.TXT\"\"\"", false, false, true, "|A|", "B.TXT"},
    {"\"", false, false, false, "", ""},
    // The last character is a blank, so the quotes stay and the first one joins the folder.
    {"\"|TEST|MYFILE.TXT\" ", false, false, true, "\"|TEST|", "MYFILE.TXT\" "},
    {"/Y \"|A B|C.TXT\" ", false, true, true, "|A B|", "C.TXT"},
    {"\tMYFILE.TXT", false, false, false, "", "\tMYFILE.TXT"},
    {"  /Y  A.TXT  ", false, true, false, "", "A.TXT"},
    {"|TEST|*.TXT", false, false, true, "|TEST|", "*.TXT"},
};

TEST(ParseTail, BothBuilds) {
  for (const TailCase& c : kBothBuilds) Check(c);
}

// Windows: a switch counts anywhere, and ":" also ends a folder part.
const TailCase kWindows[] = {
    {"C:MYFILE.TXT", false, false, true, "C:", "MYFILE.TXT"},
    {"C:\\TEST/A.TXT", false, false, true, "C:\\TEST/", "A.TXT"},
    {"C:\\YEARS/Y1\\A.TXT", false, true, true, "C:\\YEARS1\\", "A.TXT"},
    {"A.TXT/?", true, false, false, "", ""},
    {"A/yB", false, true, false, "", "AB"},
};

// Linux: "/" starts every absolute path, so a switch counts only as a word of its own.
const TailCase kLinux[] = {
    {"C:MYFILE.TXT", false, false, false, "", "C:MYFILE.TXT"},
    {"/home/yves/a.txt", false, false, true, "/home/yves/", "a.txt"},
    {"/Yard/a.txt /y", false, true, true, "/Yard/", "a.txt"},
    {"/tmp/?.txt", false, false, true, "/tmp/", "?.txt"},
    {"/tmp/x /?", true, false, false, "", ""},
};

TEST(ParseTail, ThisBuild) {
  if (platform::kSwitchesAnywhere) {
    for (const TailCase& c : kWindows) Check(c);
  } else {
    for (const TailCase& c : kLinux) Check(c);
  }
}

TEST(FolderPartOf, EndsWithExactlyOneSeparator) {
  EXPECT_EQ(stampix::FolderPartOf(Sep("|TEST")), Sep("|TEST|"));
  EXPECT_EQ(stampix::FolderPartOf(Sep("|TEST||")), Sep("|TEST|"));
  EXPECT_EQ(stampix::FolderPartOf(Sep("|")), Sep("|"));
  if (platform::kSwitchesAnywhere) {
    EXPECT_EQ(stampix::FolderPartOf("C:\\"), "C:\\");
  }
}

}  // namespace
