#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> args;
};

TEST(SplitCommandLine, MicrosoftRuntimeRules) {
  const SplitCase kCases[] = {
      {"tool a b", {"tool", "a", "b"}},
      {"tool  a\t\tb  ", {"tool", "a", "b"}},
      {"\"C:\\Program Files\\X.EXE\"  a", {"C:\\Program Files\\X.EXE", "a"}},
      {"\"C:\\dir\\\"x", {"C:\\dir\\", "x"}},
      {"tool \"a b\" c", {"tool", "a b", "c"}},
      {"tool a\\\\\"b c\"", {"tool", "a\\b c"}},
      {"tool a\\\\\\\"b", {"tool", "a\\\"b"}},
      {"tool a\\b\\\\c", {"tool", "a\\b\\\\c"}},
      {"tool \"a\"\"b\"", {"tool", "a\"b"}},
      {"tool /y \"C:\\T\\OLD\">nul:", {"tool", "/y", "C:\\T\\OLD>nul:"}},
      {"tool \"\"", {"tool", ""}},
      {"tool \"unclosed arg", {"tool", "unclosed arg"}},
      {"\"unclosed", {"unclosed"}},
      {"", {""}},
  };
  for (const SplitCase& c : kCases)
    EXPECT_EQ(platform::SplitCommandLine(c.line), c.args) << "[" << c.line << "]";
}

}  // namespace
