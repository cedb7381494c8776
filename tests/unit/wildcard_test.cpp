#include <gtest/gtest.h>

#include <string>

#include "entry/wildcard.h"

namespace {

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

// Long-name rules of the Windows directory search.
const MatchCase kCases[] = {
    {"*.*", "README", true},
    {"*.*", "MYFILE.TXT", true},
    {"*.*", ".profile", true},
    {"*", ".profile", true},
    {"*.", "README", true},
    {"*.", "MYFILE.TXT", false},
    {"*.", "A.B.C", false},
    {"A*.", "ABC", true},
    {"*.TXT", "MYFILE.TXT", true},
    {"*.TXT", "DATA.OLD.TXT", true},
    {"*.TXT", "NOTES.TXTOLD", false},
    {"*.TXT", "TXT", false},
    {"*.txt", "MyFile.TxT", true},
    {"?.TXT", "A.TXT", true},
    {"??.TXT", "A.TXT", true},
    {"??.TXT", "ABC.TXT", false},
    {"FILE?", "FILE", true},
    {"FILE?", "FILE1", true},
    {"FILE?", "FILE12", false},
    {"A?B", "A.B", false},
    {"A?B", "AXB", true},
    {"A.??", "A", true},
    {"A.??", "A.B", true},
    {"A.??", "A.BCD", false},
    {"A.*", "A", true},
    {"A.*", "A.B.C", true},
    {".*", ".profile", true},
    {".*", "profile", false},
    {"X*.*", "XYZ", true},
    {"*.TXT.", "A.TXT", true},
    {"*.TXT  ", "A.TXT", true},
    {"MYFILE.TXT", "myfile.txt", true},
    {"*A*A*A*A*A*A*A*A*B", "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", false},
    {"*(*)*", "X(20041231).TXT", true},
    {"*", "", true},
    {"?", "", true},
    {"", "A", false},
};

TEST(Wildcard, LongNameRules) {
  for (const MatchCase& c : kCases) {
    EXPECT_EQ(stampix::WildcardPattern(c.pattern).Matches(c.name), c.matches)
        << "pattern [" << c.pattern << "] name [" << c.name << "]";
  }
}

TEST(Wildcard, IgnoresCaseBeyondAscii) {
  EXPECT_TRUE(stampix::WildcardPattern("\xC3\xA9*").Matches("\xC3\x89T\xC3\x89.TXT"));  // é* / ÉTÉ
  EXPECT_TRUE(stampix::WildcardPattern("?.TXT").Matches("\xC3\x89.TXT"));  // one character
}

}  // namespace
