// Tables for the functions whose own cases are many and cheap: the wildcard matcher, the two
// command lines, the conflict policy, the delete tool's choices, and on Linux EXIF dates and the
// metadata readers over the fuzz corpus.
#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/rename.h"
#include "core/wildcard.h"
#include "deltree/deltree_rules.h"
#ifdef _WIN32
#include "windows/platform_windows.h"
#else
#include <filesystem>
#include <fstream>

#include "taken/taken.h"
#endif

namespace {

using Strings = std::vector<std::string>;

using enum stampix::Request::Action;
using enum stampix::OverwriteMode;
using enum stampix::Outcome;
using enum deltree::Action;
using enum stampix::Verdict::Step;
using stampix::DateSource;
using stampix::Request;

// clang-format off
// Long-name rules of the Windows directory search, letter case ignored: pattern, name, match.
const std::tuple<const char*, const char*, bool> kWildcards[] = {
    {"*.*", "README", true}, {"*.*", ".profile", true}, {"*", ".profile", true},
    {"*.", "README", true}, {"*.", "A.TXT", false}, {"A*.", "ABC", true},
    {"*.TXT", "D.OLD.TXT", true}, {"*.TXT", "N.TXTOLD", false}, {"*.TXT", "TXT", false},
    {"*.txt", "MyFile.TxT", true}, {"?.TXT", "A.TXT", true}, {"??.TXT", "A.TXT", true},
    {"FILE?", "FILE", true}, {"FILE?", "FILE12", false}, {"A?B", "A.B", false},
    {"A?B", "AXB", true}, {"A.??", "A", true}, {"A.??", "A.B", true}, {"A.??", "A.BCD", false},
    {"A.*", "A", true}, {".*", "profile", false}, {"*.TXT.", "A.TXT", true},
    {"*.TXT  ", "A.TXT", true}, {"A*B", "AXXB", true}, {"A*B", "AXXBC", false}, {"?", "", true},
    {"", "A", false}, {"*A*A*A*A*A*A*B", "AAAAAAAAAAAAAAAAAAAA", false},
    {"\xC3\xA9*", "\xC3\x89T\xC3\x89", true}, {"\xCE\xB1", "\xCE\x92", false},
    {"A", "\xEF\xBC\xA1", false}, {"\xC2\x80", "\x80", false}, {"??", "\xF4\x8F\xBF\xBF", true},
    {"??", "\xED\x9F\xBF", true}, {"A?B", "AB", false}, {"*.?", ".AB", false},
    {"??", "\xEE\x80\x80", true},
};

#ifdef _WIN32
// The Windows command tail: "/Y" and "/?" anywhere in any case, the first "/Y" that is not path
// text (glued to it on both sides) cut out, then the blanks around and, where it starts and ends
// with one, every surrounding quote.
const std::pair<const char*, Request> kTails[] = {
    {"", {kUsage}}, {"A.TXT/?", {kUsage}}, {"/y C:\\T\\A", {kStamp, {kOn}, {"C:\\T\\A"}}},
    {"C:\\T\\A /Y", {kStamp, {kOn}, {"C:\\T\\A"}}}, {"  /Y  A  ", {kStamp, {kOn}, {"A"}}},
    {"/Y", {kStamp, {kOn}, {""}}}, {"/Y /Y A", {kStamp, {kOn}, {"/Y A"}}},
    {"C:\\YEARS/Y1\\A", {kStamp, {kOff}, {"C:\\YEARS/Y1\\A"}}},
    {"sub/Ynotes.txt", {kStamp, {kOff}, {"sub/Ynotes.txt"}}},
    {"Q:/Yfile.txt", {kStamp, {kOff}, {"Q:/Yfile.txt"}}},
    {"MYFILE.TXT/Y", {kStamp, {kOn}, {"MYFILE.TXT"}}}, {"\"C:\\A/Y\"", {kStamp, {kOn}, {"C:\\A"}}},
    {"Z:/d/data/y/*.TXT", {kStamp, {kOff}, {"Z:/d/data/y/*.TXT"}}},
    {"Z:/d/y/A /y", {kStamp, {kOn}, {"Z:/d/y/A"}}}, {"\"Z:/y/A\"/Y", {kStamp, {kOn}, {"Z:/y/A"}}},
    {"\"C:\\MY A\"", {kStamp, {kOff}, {"C:\\MY A"}}},
    {"\"\"C:\\A\"\"\"", {kStamp, {kOff}, {"C:\\A"}}}, {"\"", {kStamp, {kOff}, {""}}},
    {"\"C:\\A\" ", {kStamp, {kOff}, {"\"C:\\A\" "}}},
    {"/Y \"C:\\A B\" ", {kStamp, {kOn}, {"C:\\A B"}}}, {"\tA ", {kStamp, {kOff}, {"\tA "}}},
};

#else
// The Linux arguments: one operand each, options before "--", short ones bundled, a long one's
// value after "=" or as the next argument.
const std::pair<Strings, Request> kArguments[] = {
    {{}, {kRefuse}}, {{"--"}, {kRefuse}}, {{"-n"}, {kRefuse, {.dry_run = true}}},
    {{"/y", "-0"}, {kRefuse, {.overwrite = kOn, .null_record = true}}},
    {{"--null", "a"}, {kStamp, {.null_record = true}, {"a"}}},
    {{"a", "/Y", "b c"}, {kStamp, {.overwrite = kOn}, {"a", "b c"}}},
    {{"a", "--help", "-x"}, {kUsage, {}, {"a"}}}, {{"a", "-h"}, {kUsage, {}, {"a"}}},
    {{"/home/yves/a", "/Yard"}, {kStamp, {}, {"/home/yves/a", "/Yard"}}},
    {{"--", "/Y", "--help", "-x"}, {kStamp, {}, {"/Y", "--help", "-x"}}},
    {{"a", "--dry-run", "--overwrite"}, {kStamp, {.overwrite = kOn, .dry_run = true}, {"a"}}},
    {{"a", "-x", "-h"}, {kRefuse, {}, {"a"}, "-x"}}, {{"-"}, {kRefuse, {}, {}, "-"}},
    {{"", "-y"}, {kRefuse, {}, {""}, "-y"}}, {{"--version", "/?"}, {kVersion}},
    {{"--date=taken,created", "a"},
     {kStamp, {.dates = {DateSource::kTaken, DateSource::kCreated}, .dates_chosen = true}, {"a"}}},
    {{"--date=taken", "--date=modified"}, {kRefuse, {.dates_chosen = true}}},
    {{"--date", "taken", "a"},
     {kStamp, {.dates = {DateSource::kTaken}, .dates_chosen = true}, {"a"}}},
    {{"a", "--date"}, {kRefuse, {}, {"a"}, "--date"}},
    {{"-rn0", "a"}, {kStamp, {.dry_run = true, .null_record = true, .recursive = true}, {"a"}}},
    {{"-0n"}, {kRefuse, {.dry_run = true, .null_record = true}}},
    {{"-rxh", "a"}, {kRefuse, {.recursive = true}, {}, "-x"}},
    {{"-nh"}, {kUsage, {.dry_run = true}}},
    {{"--undo", "j"}, {kUndo, {}, {"j"}}}, {{"--runs=x"}, {kRefuse, {}, {}, "--runs=x"}},
    {{"--date=taken,"}, {kRefuse, {}, {}, "--date=taken,"}},
    {{"--date=Taken"}, {kRefuse, {}, {}, "--date=Taken"}},
    {{"--dates=taken"}, {kRefuse, {}, {}, "--dates=taken"}},
    {{"--undo", "-n"}, {kUndo, {.dry_run = true}}},
    {{"--undo=j", "--no-journal"}, {kUndo, {.journal = false}, {}, {}, "j"}},
};

// EXIF dates: the day as written, any one separator, and none for a day no calendar has.
const std::pair<const char*, const char*> kExifDates[] = {
    {"2019:07:04 05:30:00", "20190704"}, {"2019-07-04", "20190704"}, {"2000:02:29 x", "20000229"},
    {"1900:02:29 00:00:00", ""}, {"2019:04:31 00:00:00", ""}, {"2019:13:01 00:00:00", ""},
    {"0000:00:00 00:00:00", ""}, {"    :  :     :  :  ", ""}, {"20190704 0530", ""},
    {"2019:07:4", ""}, {"0001:01:01", "00010101"}, {"0000:01:01", ""}, {"2019:09:31", ""},
    {"2019:08:31", "20190831"}, {"2019:11:31", ""}, {"2019:10:31", "20191031"}, {"2019:06:31", ""},
    {"2004:02:29", "20040229"},
};
#endif

// The conflict policy: what is known of the source and of the name it would take (nothing when
// missing, else attributes; whether the two are one file), "/Y", and whether the entry would be
// renamed to its own name; the step taken and the outcome it comes to.
constexpr std::uint32_t kFile = 0, kDir = platform::kFolder;
const std::tuple<stampix::Sides, stampix::OverwriteMode, bool, stampix::Verdict> kPolicy[] = {
    {{{}, kFile}, kOn, false, {kNone, kGone}}, {{kFile, {}}, kOff, false, {kRename, kRenamed}},
    {{kFile, kDir}, kOn, false, {kNone, kFileToFolder}},
    {{kDir, kFile}, kOff, false, {kNone, kFolderToFile}},
    {{kFile, kFile}, kOff, false, {kNone, kTaken}}, {{kFile, kFile}, kOn, true, {kNone, kTaken}},
    {{kDir, kDir}, kOn, false, {kMerge, kRenamed}},
    {{kFile, kFile}, kOn, false, {kReplace, kRenamed}},
    {{kFile, platform::kReadOnly}, kOn, false, {kNone, kCannotReplace}},
    {{kFile, platform::kSystem}, kOn, false, {kNone, kCannotReplace}},
    {{.source = kFile, .destination = kFile, .same_file = true}, kOn, false, {kNone, kSameFile}},
    {{.source = kFile, .destination = kFile, .same_file = true}, kOff, false, {kNone, kTaken}},
};

// The delete tool, entry by entry: attributes as listed, then what is done with the entry and
// the attributes set first (0: none). A link (0x400) is removed as itself, never entered.
constexpr std::uint32_t kR = deltree::kReadOnly, kH = deltree::kHidden, kS = deltree::kSystem,
                        kD = deltree::kDirectory, kA = deltree::kArchive, kN = deltree::kNormal,
                        kI = deltree::kNotIndexed, kL = deltree::kReparsePoint;
const std::pair<std::uint32_t, deltree::Step> kEntries[] = {
    {kA, {kDeleteFile, 0}}, {kR, {kDeleteFile, kN}}, {kA | kR | kH | kS, {kDeleteFile, kA}},
    {kI | kS, {kDeleteFile, kI}}, {kD, {kDescend, 0}}, {kD | kR | kH, {kDescend, kN}},
    {kI | kD | kH, {kDescend, kI}}, {kL | kD, {kRemoveFolder, 0}},
    {kL | kD | kR | kH | kS, {kRemoveFolder, kN}}, {kL, {kDeleteFile, 0}},
    {kL | kA | kR, {kDeleteFile, kA}},
};

// The delete tool's whole command line: the folder it is taken for, or "" and a word of the
// line that says why it is refused.
const std::tuple<const wchar_t*, const wchar_t*, const char*> kDeleteLines[] = {
    {LR"(DELTREE.EXE /y "C:\DATA\OLD">nul:)", LR"(C:\DATA\OLD)", ""},
    {LR"("C:\MY TOOLS\DELTREE.EXE"/Y "C:\A B")", LR"(C:\A B)", ""},
    {LR"("" /y "A\B")", LR"(A\B)", ""}, {LR"(D /y "\DATA\OLD")", LR"(\DATA\OLD)", ""},
    {LR"(D  /y "\\srv\share\A">nul:  )", LR"(\\srv\share\A)", ""},
    {LR"(D /y "C:\")", L"", "root"}, {LR"(D /y "c:/")", L"", "root"},
    {LR"(D /y "\\srv\share\")", L"", "root"}, {LR"(D /y "\\srv")", L"", "root"},
    {LR"(D /y "C:\A\*")", L"", "wildcard"}, {LR"(D /y "C:\A" "C:\B")", L"", "one folder"},
    {L"D /y", L"", "no folder"}, {LR"(D /y "")", L"", "no folder"}, {LR"(D "C:\A")", L"", "first"},
    {LR"(D /yes "C:\A")", L"", "first"}, {LR"(D /y C:\A)", L"", "quotes"},
    {LR"(D /y  "C:\A")", L"", "quotes"}, {LR"(D /y "C:\A)", L"", "quotes"},
    {LR"("D /y "C:\A")", L"", "first"}, {LR"(D /y "Q:\work\target.")", L"", "dot"},
    {LR"(D /y "Q:\work\dots\...")", L"", "dot"}, {LR"(D /y "Q:\T\..\")", L"", "dot"},
    {LR"(D /y "C:\A \B")", L"", "blank"},
};
// clang-format on

TEST(Units, Wildcards) {
  for (auto [pattern, name, matches] : kWildcards)
    EXPECT_EQ(stampix::WildcardPattern(pattern).Matches(name), matches) << pattern << " " << name;
}

TEST(Units, CommandLines) {
#ifdef _WIN32
  for (const auto& [tail, request] : kTails)
    EXPECT_TRUE(stampix::ParseCommandLine({tail}) == request) << tail;
#else
  for (const auto& [arguments, request] : kArguments)
    EXPECT_TRUE(stampix::ParseCommandLine(arguments) == request)
        << testing::PrintToString(arguments);
#endif
}

TEST(Units, ConflictPolicy) {
  for (const auto& [sides, mode, same_name, verdict] : kPolicy)
    EXPECT_TRUE(stampix::Judge(sides, mode, same_name) == verdict)
        << static_cast<int>(verdict.outcome) << " " << sides.same_file << same_name;
}

TEST(Units, DeleteTool) {
  for (auto [attributes, step] : kEntries)
    EXPECT_TRUE(deltree::PlanEntry(attributes) == step) << std::hex << attributes;
  for (auto [line, folder, why] : kDeleteLines) {
    const deltree::Request request = deltree::JudgeCommandLine(line);
    EXPECT_EQ(request.folder, folder) << testing::PrintToString(std::wstring(line));
    EXPECT_TRUE(*why ? request.refusal.find(why) != std::string::npos : request.refusal.empty())
        << request.refusal;
  }
  EXPECT_EQ(deltree::LongPath(LR"(\\srv\share\A)"), LR"(\\?\UNC\srv\share\A)");
}

#ifndef _WIN32
TEST(Units, ExifDates) {
  for (auto [text, date] : kExifDates) EXPECT_EQ(taken::DateOfExif(text), date) << text;
}

taken::Taken ReadBytes(const std::string& bytes) {
  taken::Source source([&](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    return offset < bytes.size() ? bytes.copy(reinterpret_cast<char*>(into), length, offset) : 0;
  });
  return taken::Read(source);
}

// Each seed of the fuzz corpus gives what its name says ("WHAT.20190704", "WHAT.utcSECONDS" or
// "WHAT.none"); every truncation of it, and each byte of its first kilobytes set to 0 or 0xFF,
// gives a real day or nothing, and never a crash (the sanitizer build runs this too).
TEST(Units, TakenCorpus) {
  for (const auto& seed : std::filesystem::directory_iterator(TAKEN_CORPUS)) {
    std::ifstream file(seed.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    const std::string expected = seed.path().extension().string().substr(1);
    taken::Taken wanted;
    if (expected.starts_with("utc")) wanted.utc = std::stoll(expected.substr(3));
    if (expected != "none" && !wanted.utc) wanted.date = expected;
    EXPECT_TRUE(ReadBytes(bytes) == wanted) << seed.path();
    for (std::size_t cut = 0; cut < std::min<std::size_t>(bytes.size(), 4096); ++cut) {
      std::string changed = bytes;
      changed[cut] = changed[cut] ? '\0' : '\xFF';
      for (const std::string& damaged : {bytes.substr(0, cut), changed}) {
        const std::string date = ReadBytes(damaged).date;
        EXPECT_TRUE(date.empty() || taken::DateOfExif(date.substr(0, 4) + ":" + date.substr(4, 2) +
                                                      ":" + date.substr(6)) == date)
            << seed.path() << " damaged at " << cut << ": " << date;
      }
    }
  }
}
#endif

#ifdef _WIN32
// Where the code page is not UTF-8, a character it cannot hold is refused, never stood in for by
// "?" (a wildcard) or a look-alike ("8" for "∞").
TEST(Units, CodePages) {
  EXPECT_EQ(platform::InCodePage(L"R\u00e9sum\u00e9", 1252), "R\xe9sum\xe9");
  EXPECT_EQ(platform::InCodePage(L"\u65e5\u672c.txt", 1252), std::nullopt);
  EXPECT_EQ(platform::InCodePage(L"\u221e", 1252), std::nullopt);
  EXPECT_EQ(platform::InCodePage(L"\u65e5", 65001), "\xe6\x97\xa5");
}
#endif

}  // namespace
