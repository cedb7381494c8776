// The stamping program run over real folders, one row a test, on both builds (a row that differs
// by design is marked for its build): the entries before, the command line, the lines written to
// each stream, the exit code and every entry afterwards.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "harness.h"

namespace {

// Taken at 05:30 on 4 July where the offset is +09:00: the day before in New York, by UTC.
const std::string kPhoto = "jpeg.20190704", kMovie = "mp4.utc1562293800",
                  kLate = "mp4_movie_past_the_head.utc1562293800";
std::string Repeat(std::string_view s, int n) { return n ? Repeat(s, n - 1).append(s) : ""; }
const std::string kL(100, 'L'), kN(246, 'N'), kJa = Repeat("\xE6\x97\xA5", 80);
// 300 folders "d" one in the other below OLD and below OLD(20041231), a file at the bottom,
// merged on a stack too small for a frame per level: all still there after.
const std::string kDeep = Repeat("d/", 300);
const std::string kWhen = "stampix: putting back the run of WHEN: stampix ";
const std::string kLinked =
    "Error: \"OLD\" was kept: \"OLD(20041231)\" holds a link, or shares"
    " a file or folder with it.";

#ifdef _WIN32
// The Windows program's usage text, as it has always been, a line each.
const char kUsageText[] = R"usage(STAMPIX 20110228
This utility adds a date stamp to a file or directory name.

The date stamp is in the format YYYYMMDD where Y=year, M=month D=day of the
last time the file was modified. If the name already has a date or any
8-digit number between parentheses, a new date is not added even if the
contents have changed.

Syntax:  STAMPIX [/Y] [drive:][path]<name>

The /Y option overwrites the destination file name if it already exists.

Example: STAMPIX C:\TEST\MYFILE.EXT

In this example MYFILE.TXT was last modified on December 31, 2004, so the
above example command line will rename MYFILE.TXT to MYFILE(20041231).TXT.
)usage";
const Strings kUsage = [] {
  Strings lines;
  std::istringstream text(kUsageText);
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}();
#else
const Strings kUsage;
#endif

// The first and the last line of standard output.
Result FirstAndLastLines(const Row& row, const ScratchFolder& at) {
  Result result = Run(row, at, row.command);
  result.out = result.out.substr(0, result.out.find('\n') + 1) +
               result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1);
  return result;
}

// Each NUL of standard output read as a line end.
Result NulsAsLines(const Row& row, const ScratchFolder& at) {
  Result result = Run(row, at, row.command);
  std::replace(result.out.begin(), result.out.end(), '\0', '\n');
  return result;
}

// Standard error on a terminal, then not: what each shows, a line apart.
Result OnTerminalThenNot(const Row& row, const ScratchFolder& at) {
  const Result shown = Run(row, at, row.command, "", true), piped = Run(row, at, row.command);
  return {"", shown.err + "\n" + piped.err, shown.code | piped.code};
}

// The row's run, then "--undo", whose lines the row shows.
Result RunThenUndo(const Row& row, const ScratchFolder& at) {
  Run(row, at, row.command);
  return Undo(row, at);
}

// clang-format off
// "/Y" on the Windows program with stand-ins for its tools: the lines after the announcement.
Row Merge(const char* title, Entries before, std::string tools, Strings lines, After after = {}) {
  lines.insert(lines.begin(), "{d}OLD = OLD(20041231)");
  return {.title = title, .before = before, .command = {"/Y {d}OLD"}, .out = lines, .after = after,
          .only = kWindows, .tools = tools};
}

const Row kRows[] = {

    // ---- The pass ----
    {.title = "one file", .before = {File("MYFILE.TXT", "text")}, .command = {"{d}MYFILE.TXT"},
     .out = {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, .after = {File("MYFILE(20041231).TXT",
     "text")}, .images = true},
    {.title = "every kind of name", .before = {File("README"), File("D.TAR.GZ"),
     File("(1234567).TXT"), File("(123456789)"), File("X(99999999).TXT"), File("((12345678))"),
     File("(1234567a)"), Folder("N.OLD")}, .command = {"{d}*"},
     .out = {"{d}(1234567).TXT = (1234567)(20041231).TXT", "{d}(123456789) = (123456789)(20041231)",
     "{d}(1234567a) = (1234567a)(20041231)", "{d}D.TAR.GZ = D.TAR(20041231).GZ",
     "{d}N.OLD = N(20041231).OLD", "{d}README = README(20041231)",
     kOnLinux ? "Renamed 5 files and 1 folder" : "Renamed 6 files"}, .after = {File("((12345678))"),
     File("(1234567)(20041231).TXT"), File("(123456789)(20041231)"), File("(1234567a)(20041231)"),
     File("D.TAR(20041231).GZ"), Folder("N(20041231).OLD"), File("README(20041231)"),
     File("X(99999999).TXT")}, .images = true},
    // NOTES.TXTOLD has a short name NOTES~1.TXT that the system's own search would match; Greek
    // capitals match their small letters.
    {.title = "a pattern selects by long name, in any case", .before = {File("MYFILE.TXT"),
     File("b.txt"), File("NOTES.TXTOLD"), File("C"), File("\xCE\x91\xCE\x92.TXT")},
     .command = {"{d}*.txt"}, .out = {"{d}MYFILE.TXT = MYFILE(20041231).TXT",
     "{d}b.txt = b(20041231).txt", "{d}\xCE\x91\xCE\x92.TXT = \xCE\x91\xCE\x92(20041231).TXT",
     "Renamed 3 files"}, .after = {File("C"), File("MYFILE(20041231).TXT"), File("NOTES.TXTOLD"),
     File("b(20041231).txt"), File("\xCE\x91\xCE\x92(20041231).TXT")}, .images = true},
    {.title = "an empty folder", .command = {"{d}*.*"}, .only = kWindows},
    // Windows counts a path's characters in UTF-16 units, 80 of three bytes as 80, and refuses
    // one of more than 256 ({f} fills the folder's path to 250).
    {.title = "paths counted in characters, one too long refused", .before = {File(kJa),
     File("{f}")}, .command = {"{d}*"}, .out = {"{d}" + kJa + " = " + kJa + "(20041231)",
     "{d}{f} = {f}(20041231)", "Error: Path too long. ({d}{f}(20041231))", "Renamed 1 file"},
     .after = {File(kJa + "(20041231)"), File("{f}")}, .only = kWindows},
    {.title = "names that are not UTF-8: one unit a byte", .before = {File("\xFF\xFE.TXT"),
     File("\xC3.TXT"), File("\xF4\x90\x80\x80")}, .command = {"{d}\xFF*", "{d}?"},
     .out = {"{d}\xFF\xFE.TXT = \xFF\xFE(20041231).TXT"},
     .err = {"stampix: nothing matches \"{d}?\""}, .after = {File("\xC3.TXT"),
     File("\xF4\x90\x80\x80"), File("\xFF\xFE(20041231).TXT")}, .code = 1, .only = kLinux},
    // A date past the year 9999 has no stamp, the year 1 has, and an entry never replaces itself.
    {.title = "the day of the second, before 1601 and 1000 too, and after 9999 none",
     .before = {File("A").date(1104537600), File("B").date(-11644473600.5),
     File("C").date(1104537600.5), File("D").date(1104537599.995), File("Y").date(-30610267200),
     File("HUGE").date(1845778901771), File("O").date(-62135596800)}, .command = {"/Y", "{d}*"},
     .out = {"{d}A = A(20050101)", "{d}B = B(16001231)", "{d}C = C(20050101)", "{d}D = D(20041231)",
     "{d}O = O(00010101)", "{d}Y = Y(09991231)", "Renamed 6 files"},
     .err = {"stampix: cannot stamp \"{d}HUGE\": its date has no stamp of eight digits"},
     .after = {File("A(20050101)"), File("B(16001231)"), File("C(20050101)"), File("D(20041231)"),
     File("HUGE"), File("O(00010101)"), File("Y(09991231)")}, .code = 1, .only = kLinux,
     .env = {"TZ=UTC0"}},
    // New York: 00:30 in summer and 23:30 in winter local time, and 23:30 EST on 19 March 2006,
    // when summer time still began in April.
    {.title = "the local date by the zone's rules at the entry's own moment",
     .before = {File("S").date(1089952200), File("W").date(1074227400), File("A").date(1142829000)},
     .command = {"{d}*"}, .out = {"{d}A = A(20060319)", "{d}S = S(20040716)", "{d}W = W(20040115)",
     "Renamed 3 files"}, .after = {File("S(20040716)"), File("W(20040115)"), File("A(20060319)")},
     .env = {"TZ=America/New_York"}},

    // ---- The Windows command line ----
    {.title = "/? after a name shows only the usage", .before = {File("A.TXT")},
     .command = {"{d}A.TXT /?"}, .out = kUsage, .only = kWindows, .ordered = true},
    {.title = "a wildcard in the folder", .before = {File("TEST/A.TXT")},
     .command = {"{d}TE?T\\A.TXT"}, .out = {"Error: Wildcards not allowed in path."}, .code = 1,
     .only = kWindows},
    {.title = "a drive and a name", .before = {File("A.TXT", "new"), File("A(20041231).TXT",
     "old")},
     .command = {"C:A.TXT"}, .out = {"C:A.TXT = A(20041231).TXT",
     "Skipped: \"C:A.TXT\" (destination \"C:A(20041231).TXT\" exists)"}, .only = kWindows,
     .in_folder = true},
    // The system would strip the dot or blank and act on another entry, or read a pattern.
    {.title = "a name the system cannot name exactly is never acted on", .before = {File("A.TXT",
     "keep-me").date(1054468800), File("A.TXT.", "dotted"), File("A.TXT(20041231)", "precious"),
     File("B ")}, .command = {"/Y {d}*."}, .out = {"{d}A.TXT. = A.TXT(20041231).",
     "Error: Rename failed. Is \"A.TXT.\" in use?", "{d}B  = B (20041231)",
     "Error: Rename failed. Is \"B \" in use?", "Renamed 0 files"}, .only = kWindows},
    // Between two names of one file the system may call a move done that changed nothing.
    {.title = "a move between two names of one file is not taken for a rename",
     .before = {File("A(20041231).TXT", "x"), SameFile("A.TXT", "A(20041231).TXT")},
     .command = {"{d}*.TXT"}, .out = {"{d}A.TXT = A(20041231).TXT",
     "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)", "Renamed 0 files"},
     .only = kWindows},
    {.title = "a typed name the system would read as a pattern selects nothing",
     .before = {File("ABC.TXT"), File("ABD.TXT")}, .command = {"{d}AB>.TXT"},
     .out = {"File not found: \"{d}AB>.TXT\""}, .code = 1, .only = kWindows},
    {.title = "a dot names no entry", .before = {Folder("F")}, .command = {"."},
     .out = {"File not found: \"{d}.\""}, .code = 1, .only = kWindows, .in_folder = true},

    // ---- The Linux command line ----
    {.title = "-h shows the usage", .before = {File("A")}, .command = {"{d}A", "-h"},
     .out = {"Usage: stampix [OPTION]... PATH...",
     "not understood; 128+N when signal N stopped the run between two entries."}, .only = kLinux,
     .steps = FirstAndLastLines, .ordered = true},
    {.title = "--version", .command = {"--version", "A"}, .out = {"STAMPIX 20110228"},
     .only = kLinux},
    {.title = "an unknown option is refused before anything is touched", .before = {File("A")},
     .command = {"{d}A", "--frobnicate", "-x"},
     .err = {"stampix: unknown option \"--frobnicate\"; see \"stampix --help\""}, .code = 2,
     .only = kLinux},
    // Names are literal first, stored "*" and "?" included, and folder parts always; "DIR/" is
    // the folder DIR itself; after "--" every argument is an operand. Names and patterns of one
    // folder are taken in their order. A link is replaced itself, never what it points to.
    {.title = "operands in turn, options anywhere", .before = {File("A.TXT", "a"), File("B", "b"),
     File("B(20041231)", "old"), File("what?.txt"), File("whatX.txt"), File("Q&A?/*"),
     File("OLD/A"),
     File("F"), File("-x"), File("L", "new"), Link("L(20041231)", "T"), File("T", "t")},
     .command = {"{d}A.TXT", "{d}N", "{d}N/X", "/y", "{d}B", "{d}wh*X.txt", "{d}what?.txt",
     "{d}Q&A?/*", "{d}OLD/", "{d}F/", "{d}L", "--", "-x"}, .out = {"{d}A.TXT = A(20041231).TXT",
     "{d}B = B(20041231)", "{d}whatX.txt = whatX(20041231).txt",
     "{d}what?.txt = what?(20041231).txt", "{d}Q&A?/* = *(20041231)", "{d}OLD = OLD(20041231)",
     "{d}L = L(20041231)", "-x = -x(20041231)", "Renamed 7 files and 1 folder"},
     .err = {"stampix: cannot stamp \"{d}N\": No such file or directory",
     "stampix: cannot stamp \"{d}N/X\": No such file or directory",
     "stampix: cannot rename \"{d}F\" to \"{d}F(20041231)\": Not a directory"},
     .after = {File("-x(20041231)"), File("A(20041231).TXT", "a"), File("B(20041231)", "b"),
     File("F"), File("L(20041231)", "new"), File("OLD(20041231)/A"), File("Q&A?/*(20041231)"),
     File("T", "t"), File("what?(20041231).txt"), File("whatX(20041231).txt")}, .code = 1,
     .only = kLinux, .in_folder = true, .ordered = true},
    {.title = "operands that name no entry of their own", .before = {File("A")}, .command = {"",
     "..", "/", "{d}A/."}, .err = {"stampix: an empty PATH names no entry",
     "stampix: refusing to stamp \"..\": give the folder by its own name",
     "stampix: refusing to stamp \"/\": give the folder by its own name",
     "stampix: refusing to stamp \"{d}A/.\": give the folder by its own name"}, .code = 1,
     .only = kLinux, .in_folder = true, .ordered = true},
    {.title = "a pattern selects dot-names only when it starts with a dot, and folders by /",
     .before = {File(".bashrc"), Folder(".ssh"), Folder("A"), File("B"), Folder("C(20041231)"),
     Link("D", "A")}, .command = {"{d}*/", "{d}.*"}, .out = {"{d}A = A(20041231)",
     "{d}.bashrc = (20041231).bashrc", "{d}.ssh = (20041231).ssh", "Renamed 1 file and 2 folders"},
     .after = {File("(20041231).bashrc"), Folder("(20041231).ssh"), Folder("A(20041231)"),
     File("B"),
     Folder("C(20041231)"), Link("D", "A")}, .only = kLinux},
    {.title = "a run leaves its own output alone", .before = {File("A")}, .command = {"{d}*"},
     .err = {"stampix: skipped \"{d}log.txt\": this run writes its output there"},
     .after = {File("A(20041231)"), File("log.txt", "{d}A = A(20041231)\nRenamed 1 file\n")},
     .only = kLinux, .steps = [](const Row& row, const ScratchFolder& at) {
       return Run(row, at, row.command, "{d}log.txt");
     }},
    {.title = "-0 lists each old and new path ended by a NUL, unescaped", .before = {File("a\\b"),
     File("C")}, .command = {"-0", "{d}a\\b", "{d}C"}, .out = {"{d}a\\b", "{d}a\\b(20041231)",
     "{d}C", "{d}C(20041231)"}, .after = {File("C(20041231)"), File("a\\b(20041231)")},
     .only = kLinux, .steps = NulsAsLines, .ordered = true},
    // A line of progress on a terminal while the record goes elsewhere, drawn once for 200
    // entries and erased; none where standard error is no terminal.
    {.title = "progress on a terminal", .before = Numbered("P/E", 200),
     .command = {"-n", "{d}P/*"}, .err = {"\r128 entries, in {d}P\x1B[K\r\x1B[K"}, .only = kLinux,
     .steps = OnTerminalThenNot},
    // A slip such as "xargs stampix /Y" over nothing must not stamp the whole folder.
    {.title = "no PATH is a usage error, whatever the options", .before = {File("A.TXT", "new"),
     File("A(20041231).TXT", "old"), File(".h")}, .command = {"-n", "/y"},
     .err = {"stampix: no PATH given; see \"stampix --help\""}, .code = 2, .only = kLinux,
     .in_folder = true},
    // Control characters, the backslash itself, C1 controls from U+0080 to U+009F (as UTF-8 or as
    // a lone byte) and the direction marks are escaped, so each line reads back one way. Shown as
    // they are: U+2010, U+206A, a lone 0xA0, U+D7FF, U+10FFFF and a character of four bytes; a
    // byte of an overlong form or of a surrogate is a lone byte.
    {.title = "a name with control characters stays one line", .before = {File("a b\n"),
     File("c\x1F\x7F~\xC2\x80"), File("d\\e\xC2\x9F\xE2\x80\xAE\x9B"),
     File("e\xE2\x80\x8F\xE2\x80\x90\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA\xA0\xF0\x9F\x98\x80"),
     File("f\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\x80\xE2\x80\x8E")},
     .command = {"{d}a b\n", "{d}c\x1F\x7F~\xC2\x80", "{d}d\\e\xC2\x9F\xE2\x80\xAE\x9B",
     "{d}e\xE2\x80\x8F\xE2\x80\x90\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA\xA0\xF0\x9F\x98\x80",
     "{d}f\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\x80\xE2\x80\x8E"},
     .out = {"{d}a b\\n = a b\\n(20041231)",
     "{d}c\\x1F\\x7F~\\u0080 = c\\x1F\\x7F~\\u0080(20041231)",
     "{d}d\\\\e\\u009F\\u202E\\x9B = d\\\\e\\u009F\\u202E\\x9B(20041231)",
     "{d}e\\u200F\xE2\x80\x90\\u2066\\u2069\xE2\x81\xAA\xA0\xF0\x9F\x98\x80 = "
     "e\\u200F\xE2\x80\x90\\u2066\\u2069\xE2\x81\xAA\xA0\xF0\x9F\x98\x80(20041231)",
     "{d}f\xF0\\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\\x80\\u200E = "
     "f\xF0\\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\\x80\\u200E(20041231)",
     "Renamed 5 files"}, .after = {File("a b\n(20041231)"), File("c\x1F\x7F~\xC2\x80(20041231)"),
     File("d\\e\xC2\x9F\xE2\x80\xAE\x9B(20041231)"),
     File("e\xE2\x80\x8F\xE2\x80\x90\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA"
     "\xA0\xF0\x9F\x98\x80(20041231)"),
     File("f\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\x80\xE2\x80\x8E(20041231)")},
     .only = kLinux, .ordered = true},

    // ---- Trees and dates ----
    {.title = "-r stamps a tree, each entry by its own date, and keeps every date",
     .before = {File("P/A.JPG", "a").date(1562241600), Folder("P/S").date(1262347200),
     File("P/S/B").date(1230811200), File("P/.git/x"), Link("P/L", "A.JPG"),
     File("P/T(20010101)/C").date(978350400)}, .command = {"-r", "{d}P"},
     .out = {"{d}P/A.JPG = A(20190704).JPG", "{d}P/L = L(20041231)", "{d}P/S/B = B(20090101)",
     "{d}P/S = S(20100101)", "{d}P/T(20010101)/C = C(20010101)", "{d}P = P(20041231)",
     "Renamed 4 files and 2 folders"},
     .err = {"stampix: 1 photo or video was dated by its last write; --date=taken,modified "
     "dates photos and videos by the day they were taken"}, .after = {File("P(20041231)/.git/x"),
     File("P(20041231)/A(20190704).JPG", "a").date(1562241600), Link("P(20041231)/L(20041231)",
     "A.JPG"), Folder("P(20041231)/S(20100101)").date(1262347200),
     File("P(20041231)/S(20100101)/B(20090101)").date(1230811200),
     File("P(20041231)/T(20010101)/C(20010101)").date(978350400)}, .only = kLinux,
     .env = {"TZ=UTC0"}, .dates = true},
    // Nor into a folder of the same file system mounted again inside the tree.
    {.title = "-r does not go into another file system", .before = {Folder("P/M"), Folder("P/B"),
     File("P/A"), File("X/Y")}, .command = {"-r", "{d}P"}, .out = {"{d}P/A = A(20041231)",
     "{d}P = P(20041231)", "Renamed 1 file and 1 folder"},
     .err = {"stampix: not going into \"{d}P/B\": another file system is mounted there",
     "stampix: not going into \"{d}P/M\": another file system is mounted there"},
     .after = {File("P(20041231)/A(20041231)"), Folder("P(20041231)/B"), Folder("P(20041231)/M"),
     File("X/Y")}, .only = kLinux,
     .steps = [](const Row& row, const ScratchFolder& at) {
       const std::string mount = "mount -t tmpfs none '{d}P/M' && mount --bind '{d}X' '{d}P/B'";
       EXPECT_EQ(std::system(at.Fill(mount).c_str()), 0);
       const Result result = Run(row, at, row.command);
       EXPECT_EQ(std::system(at.Fill("umount '{d}P(20041231)/M' '{d}P(20041231)/B'").c_str()), 0);
       return result;
     }},
    // Entries first, then their folder: it keeps the date it had, not the day of the renames.
    {.title = "a folder's date is put back after renaming inside it",
     .before = {Folder("D").date(978350400), File("D/A")}, .command = {"{d}D/A", "{d}D",
     "{d}D(20010101)/*"}, .out = {"{d}D/A = A(20041231)", "{d}D = D(20010101)",
     "Renamed 1 file and 1 folder"}, .after = {Folder("D(20010101)").date(978350400),
     File("D(20010101)/A(20041231)")}, .only = kLinux, .env = {"TZ=UTC0"}, .images = true,
     .dates = true},

    // ---- The way back: a run, then "--undo" ----
    {.title = "a run and its undo leave every name and date as it was", .before = {File("P/A.JPG",
     "a").date(1562241600), Folder("P/S").date(1262347200), File("P/S/B").date(1230811200),
     File("P/x\\b z")}, .command = {"-r", "{d}P"}, .out = {"{d}P(20041231) = P",
     "{d}P/x\\\\b z(20041231) = x\\\\b z", "{d}P/S(20100101) = S", "{d}P/A(20190704).JPG = A.JPG",
     "{d}P/S/B(20090101) = B", "Renamed 5 files"}, .err = {kWhen + "-r {d}P (5 entries)"},
     .after = {File("P/A.JPG", "a").date(1562241600), Folder("P/S").date(1262347200),
     File("P/S/B").date(1230811200), File("P/x\\b z")}, .only = kLinux, .env = {"TZ=UTC0"},
     .steps = RunThenUndo,
     .dates = true},
    {.title = "a run that cannot keep its journal renames nothing", .before = {File("A"),
     File("state")}, .command = {"{d}A"},
     .err = {"stampix: cannot keep the journal that --undo reads (Not a directory); nothing "
     "more is renamed (--no-journal runs without it)"}, .code = 1, .only = kLinux,
     .env = {"XDG_STATE_HOME={d}state"}},
    // Another version's journal, or one with a field damaged by hand, and no journal at all.
    // Another version's journal, a name that would lead out of its folder, and one that is read:
    // a folder its moves did not go through keeps its date. Then no journal at all.
    {.title = "a journal that cannot be read is refused whole", .before = {File("J",
     "stampix-journal 9\n"), File("K",
     "stampix-journal 2\nmove :{d} :../GOT :{d} :A f 1 2 0 1 0 -\n"), File("L",
     "stampix-journal 2\nstarted 0\nfolder :/\nmove :{d} :A :{d} :A(20041231) f 1 2 0 "
     "127489680000000000 0 -\ntime :{d}X/ 0 0 755\n"), File("A(20041231)"),
     Folder("X").date(978350400)}, .command = {"--undo={d}J"}, .out = {"{d}A(20041231) = A"},
     .err = {"stampix: cannot undo \"{d}J\": not a journal of this version, or undone already",
     "stampix: cannot undo \"{d}K\": not a journal of this version, or undone already",
     "stampix: putting back the run of 1969-12-31 19:00:00 in \"/\": stampix (1 entry)",
     "stampix: cannot undo \"{d}state/stampix\": no run there left to undo",
     "stampix: cannot undo \"{d}state/stampix/1.journal\": not a journal of this "
     "version, or undone already"}, .after = {File("state/stampix/1.journal",
     "stampix-journal 9\n"),
     File("A"), File("J", "stampix-journal 9\n"), File("K",
     "stampix-journal 2\nmove :{d} :../GOT :{d} :A f 1 2 0 1 0 -\n"), File("L",
     "stampix-journal 2\nstarted 0\nfolder :/\nmove :{d} :A :{d} :A(20041231) f 1 2 0 "
     "127489680000000000 0 -\ntime :{d}X/ 0 0 755\nback 0\nundone\n"), Folder("X").date(978350400)},
     .code = 1, .only = kLinux, .env = {"XDG_STATE_HOME={d}state"},
     .steps = [](const Row& row, const ScratchFolder& at) {
       Result all = Run(row, at, row.command);
       for (const char* undo : {"--undo={d}K", "--undo={d}L", "--undo"}) all += Run(row, at,
           {undo});
       fs::create_directories(at.path / "state/stampix");
       fs::permissions(at.path / "state/stampix", fs::perms::owner_all);
       fs::copy_file(at.path / "J", at.path / "state/stampix/1.journal");
       all += Run(row, at, {"--undo"});
       for (const char* path : {"L", "state/stampix/1.journal", "state/stampix", "state"})
         SetTime(at.path / path, 1104494400);
       return all;
     },
     .ordered = true, .dates = true},
    // A journal another user could have written is never undone, nor a run kept where they may.
    {.title = "only the user's own journals are read", .before = {Folder("S").shared(),
     Folder("S/stampix").shared(), File("T/stampix/1.journal", "stampix-journal 2\n").others(),
     File("A")}, .command = {"{d}A"},
     .err = {"stampix: refusing \"{d}S/stampix\": it is another user's, or others may write to it",
     "stampix: refusing \"{d}S/stampix\": it is another user's, or others may write to it",
     "stampix: refusing \"{d}T/stampix/1.journal\": it is another user's, or others "
     "may write to it"}, .code = 1, .only = kLinux, .env = {"XDG_STATE_HOME={d}S"},
     .steps = [](const Row& row, const ScratchFolder& at) {
       Result all = Run(row, at, row.command);
       Row other = row;
       for (const char* state : {"XDG_STATE_HOME={d}S", "XDG_STATE_HOME={d}T"})
         other.env = {state}, all += Run(other, at, {"--undo"});
       return all;
     },
     .ordered = true},
    {.title = "a closed standard output renames nothing", .before = {File("A")},
     .command = {"{d}A"},
     .err = {"stampix: cannot write the list of renamed entries (Bad file descriptor); stopped"},
     .code = 1, .only = kLinux, .steps = [](const Row& row, const ScratchFolder& at) {
       return Run(row, at, row.command, "-");
     }},
    // When, where and what each run was, the latest first.
    {.title = "the runs are listed, the latest first", .before = {File("A"), File("B")},
     .command = {"{d}A"}, .out = {"WHEN: stampix {d}B (1 entry, undone)",
     "WHEN: stampix {d}A (1 entry, not undone)"}, .after = {File("A(20041231)"), File("B")},
     .only = kLinux,
     .steps = [](const Row& row, const ScratchFolder& at) {
       Run(row, at, row.command), Run(row, at, {"{d}B"}), Undo(row, at);
       Result runs = Run(row, at, {"--runs"});
       runs.out = When(runs.out);
       return runs;
     }},
    // Two runs and two undos: the latest first. What another program changed since stays so.
    {.title = "what cannot be put back is named, and the rest goes back", .before = {File("A"),
     File("B"), File("C"), File("D")}, .command = {"{d}A", "{d}B", "{d}C"},
     .out = {"{d}D(20041231) = D", "{d}C(20041231) = C", "Renamed 1 file"}, .err = {kWhen
     + "{d}D (1 entry)", kWhen + "{d}A {d}B {d}C (3 entries)",
     "stampix: cannot put back \"{d}B(20041231)\" as \"{d}B\": \"{d}B\" is taken",
     "stampix: cannot put back \"{d}A(20041231)\" as \"{d}A\": it was renamed or removed since"},
     .after = {File("A2"), File("B"), File("B(20041231)"), File("C"), File("D")}, .code = 1,
     .only = kLinux,
     .steps = [](const Row& row, const ScratchFolder& at) {
       Run(row, at, row.command), Run(row, at, {"{d}D"});
       fs::rename(at.path / "A(20041231)", at.path / "A2");
       std::ofstream(at.path / "B");
       Run(row, at, {"{d}D(20041231)"});
       Result undos = Undo(row, at);
       return undos += Undo(row, at);
     },
     .ordered = true},
    {.title = "an undo of /Y names what it replaced, and of a merge makes the source again",
     .before = {File("A.TXT", "new"), File("A(20041231).TXT", "old"), File("OLD/A", "a"),
     File("OLD/S/B", "b"), Folder("OLD(20041231)/S"), File("OLD(20041231)/K", "k")},
     .command = {"/Y", "{d}A.TXT", "{d}OLD"}, .out = {"{d}A(20041231).TXT = A.TXT",
     "{d}OLD(20041231)/A = {d}OLD/A", "{d}OLD(20041231)/S/B = {d}OLD/S/B", "Renamed 3 files"},
     .err = {kWhen + "/Y {d}A.TXT {d}OLD (5 entries)",
     "stampix: what \"{d}A(20041231).TXT\" held before the run is gone: /Y replaced it"},
     .after = {File("A.TXT", "new"), File("OLD/A", "a"), File("OLD/S/B", "b"),
     File("OLD(20041231)/K", "k"), Folder("OLD(20041231)/S")}, .code = 1, .only = kLinux,
     .steps = RunThenUndo},

    // ---- Dates by other sources ----
    // A read-only one too, and with /Y.
    {.title = "taken: photos by DateTimeOriginal as written, else DateTimeDigitized",
     .before = {Photo("A.JPG", kPhoto), Photo("B.JPG",
     "jpeg_digitized.20180203").readonly(), Photo("C.TIF", "tiff.20190704"),
     File("C(20190704).TIF"), Photo("D.HEIC", "heic.20190704")}, .command = {"/Y", "--date=taken",
     "{d}*.JPG", "{d}C.TIF", "{d}D.HEIC"}, .out = {"{d}A.JPG = A(20190704).JPG",
     "{d}B.JPG = B(20180203).JPG", "{d}C.TIF = C(20190704).TIF", "{d}D.HEIC = D(20190704).HEIC",
     "Renamed 4 files"}, .after = {Photo("A(20190704).JPG", kPhoto),
     Photo("B(20180203).JPG", "jpeg_digitized.20180203"), Photo("C(20190704).TIF", "tiff.20190704"),
     Photo("D(20190704).HEIC", "heic.20190704")}, .only = kLinux},
    // A movie's moment is UTC, its date the local one, also where the header follows the video;
    // a header made at 0 knows no time.
    {.title = "taken: QuickTime movies by the local date of their moment", .before = {Photo("E.MP4"
     , kMovie), Photo("F.MOV", kLate), Photo("Z.MP4",
     "mp4_created_0.none")}, .command = {"--date=taken", "{d}E.MP4", "{d}F.MOV", "{d}Z.MP4"},
     .out = {"{d}E.MP4 = E(20190704).MP4", "{d}F.MOV = F(20190704).MOV", "Renamed 2 files"},
     .err = {"stampix: cannot stamp \"{d}Z.MP4\": no date by taken"},
     .after = {Photo("E(20190704).MP4", kMovie), Photo("F(20190704).MOV"
     , kLate), Photo("Z.MP4", "mp4_created_0.none")}, .code = 1,
     .only = kLinux},
    {.title = "taken: in another zone a movie's date moves and a photo's stays",
     .before = {Photo("A.JPG", kPhoto), Photo("E.MP4", kMovie)},
     .command = {"--date=taken", "{d}A.JPG", "{d}E.MP4"}, .out = {"{d}A.JPG = A(20190704).JPG",
     "{d}E.MP4 = E(20190705).MP4", "Renamed 2 files"}, .after = {Photo("A(20190704).JPG"
     , kPhoto), Photo("E(20190705).MP4", kMovie)}, .only = kLinux,
     .env = {"TZ=Asia/Tokyo"}},
    {.title = "taken, else modified: a camera card", .before = {Photo("DCIM/A.JPG", kPhoto),
     Photo("DCIM/N.JPG", "jpeg_no_exif.none"), File("DCIM/T.TXT")},
     .command = {"--date=taken,modified", "-r", "{d}DCIM"},
     .out = {"{d}DCIM/A.JPG = A(20190704).JPG", "{d}DCIM/N.JPG = N(20041231).JPG",
     "{d}DCIM/T.TXT = T(20041231).TXT", "{d}DCIM = DCIM(20041231)",
     "Renamed 3 files and 1 folder (1 by taken, 3 by modified)"},
     .after = {Photo("DCIM(20041231)/A(20190704).JPG", kPhoto),
     Photo("DCIM(20041231)/N(20041231).JPG", "jpeg_no_exif.none"),
     File("DCIM(20041231)/T(20041231).TXT")}, .only = kLinux},
    // Nothing to read in a text, a folder, a FIFO (which must not hold the run up), a link (the
    // photo it leads to is not its own) or a damaged JPEG.
    {.title = "taken: no date, named by the sources tried", .before = {Photo("A.JPG"
     , kPhoto), File("T"), Folder("D"), Fifo("P.JPG"), Link("L.JPG", "A.JPG"), File("X.JPG",
     "\xFF\xD8\xFF\xE1\x7F\x10" "Exif")}, .command = {"--date=taken", "{d}T", "{d}D", "{d}P.JPG",
     "{d}L.JPG", "{d}X.JPG"}, .out = {"Renamed 0 files"},
     .err = {"stampix: cannot stamp \"{d}T\": no date by taken",
     "stampix: cannot stamp \"{d}D\": no date by taken",
     "stampix: cannot stamp \"{d}P.JPG\": no date by taken",
     "stampix: cannot stamp \"{d}L.JPG\": no date by taken",
     "stampix: cannot stamp \"{d}X.JPG\": no date by taken"}, .code = 1, .only = kLinux},
    // A hundred files read before the photos, with descriptors for far fewer.
    {.title = "taken: every file read is closed again", .before = Numbered("T", 100,
     {Photo("A.JPG", kPhoto), Photo("B.JPG", kPhoto)}), .command = {"--date=taken", "{d}T*",
     "{d}A.JPG",
     "{d}B.JPG"},
     .out = {"{d}A.JPG = A(20190704).JPG", "{d}B.JPG = B(20190704).JPG", "Renamed 2 files"},
     .after = Numbered("T", 100, {Photo("A(20190704).JPG", kPhoto),
     Photo("B(20190704).JPG", kPhoto)}), .code = 1, .only = kLinux, .limits = "--nofile=30",
     .steps = [](const Row& row, const ScratchFolder& at) {
       Result result = Run(row, at, row.command);
       result.err.clear();  // a line for each file named T
       return result;
     }},
    {.title = "created: the birth time the file system keeps", .before = {File("A")},
     .command = {"-0", "--date=created,taken", "{d}A"}, .out = {"{d}A", "{d}A(" + Today() + ")"},
     .after = {File("A(" + Today() + ")")}, .only = kLinux, .steps = NulsAsLines,
     .ordered = true},
    {.title = "--date with a source not known", .before = {File("A")}, .command = {"{d}A",
     "--date=taken,exif"},
     .err = {"stampix: \"--date=taken,exif\" is not a list of date sources (modified, taken, "
     "created); see \"stampix --help\""}, .code = 2, .only = kLinux},

    // ---- Photo groups (Linux): a photo or video with its sidecars, one date, all or none ----
    // The raw leads, else the still, else the movie; a whole-name sidecar is stamped where its
    // photo's name is; a folder, or a stem without a photo or video, is no group.
    {.title = "groups: sidecars, a raw and its JPEG, whole names, stems without a photo",
     .before = {File("IMG_1.NEF").date(1505390400), File("IMG_1.JPG"), File("IMG_1.XMP"),
     File("IMG_1.NEF.xmp"), File("IMG_1.txt"), File("IMG_2.MOV").date(1505390400),
     File("IMG_2.THM"),
     File("IMG_2.aae"), File("IMG_3.MOV").date(1505390400), File("IMG_3.JPG"), Photo("IMG_4.JPG"
     , kPhoto), File("IMG_4.XMP"), Folder("F.JPG").date(1505390400), File("F.XMP"),
     File("X.THM").date(1505390400), File("X.XMP"), File("notes.pdf").date(1505390400),
     File("notes.txt")}, .command = {"--date=taken,modified", "{d}*"},
     .out = {"{d}F.JPG = F(20170914).JPG", "{d}F.XMP = F(20041231).XMP",
     "{d}IMG_1.JPG = IMG_1(20170914).JPG", "{d}IMG_1.NEF = IMG_1(20170914).NEF",
     "{d}IMG_1.NEF.xmp = IMG_1(20170914).NEF.xmp", "{d}IMG_1.XMP = IMG_1(20170914).XMP",
     "{d}IMG_1.txt = IMG_1(20041231).txt", "{d}IMG_2.MOV = IMG_2(20170914).MOV",
     "{d}IMG_2.THM = IMG_2(20170914).THM", "{d}IMG_2.aae = IMG_2(20170914).aae",
     "{d}IMG_3.JPG = IMG_3(20041231).JPG", "{d}IMG_3.MOV = IMG_3(20041231).MOV",
     "{d}IMG_4.JPG = IMG_4(20190704).JPG", "{d}IMG_4.XMP = IMG_4(20190704).XMP",
     "{d}X.THM = X(20170914).THM", "{d}X.XMP = X(20041231).XMP",
     "{d}notes.pdf = notes(20170914).pdf", "{d}notes.txt = notes(20041231).txt",
     "Renamed 17 files and 1 folder (2 by taken, 16 by modified)"},
     .after = {Folder("F(20170914).JPG"), File("F(20041231).XMP"), File("IMG_1(20170914).NEF"),
     File("IMG_1(20170914).NEF.xmp"), File("IMG_1(20170914).JPG"), File("IMG_1(20170914).XMP"),
     File("IMG_1(20041231).txt"), File("IMG_2(20170914).MOV"), File("IMG_2(20170914).THM"),
     File("IMG_2(20170914).aae"), File("IMG_3(20041231).JPG"), File("IMG_3(20041231).MOV"),
     Photo("IMG_4(20190704).JPG", kPhoto), File("IMG_4(20190704).XMP"),
     File("X(20170914).THM"), File("X(20041231).XMP"), File("notes(20170914).pdf"),
     File("notes(20041231).txt")}, .only = kLinux, .env = {"TZ=UTC0"}},
    // A member named, or selected by a pattern, brings its group; named again it is not missing.
    // One name taken holds the whole group; --no-groups stamps a photo alone.
    {.title = "groups: one member named, a clash, --no-groups",
     .before = {File("A.JPG").date(1505390400), File("A.XMP"), File("B.JPG").date(1505390400),
     File("B.XMP"), File("B(20170914).XMP"), File("C.JPG").date(1505390400), File("C.XMP"),
     File("D.MOV").date(1505390400), File("D.THM")}, .command = {"--date=modified", "{d}A.XMP",
     "{d}A.JPG", "{d}B.JPG", "{d}D.T*", "{d}D.MOV"}, .out = {"{d}A.JPG = A(20170914).JPG",
     "{d}A.XMP = A(20170914).XMP", "{d}D.MOV = D(20170914).MOV", "{d}D.THM = D(20170914).THM",
     "Renamed 4 files", "{d}C.JPG = C(20170914).JPG"},
     .err = {"stampix: skipped \"{d}B.XMP\": \"{d}B(20170914).XMP\" exists; the entries that "
     "go with it stay as they are: B.JPG"}, .after = {File("A(20170914).JPG"),
     File("A(20170914).XMP"), File("B(20170914).XMP"), File("B.JPG"), File("B.XMP"),
     File("C(20170914).JPG"), File("C.XMP"), File("D(20170914).MOV"), File("D(20170914).THM")},
     .only = kLinux, .env = {"TZ=UTC0"},
     .steps = [](const Row& row, const ScratchFolder& at) {
       Result all = Run(row, at, row.command);
       return all += Run(row, at, {"--no-journal", "--date=modified", "--no-groups", "{d}C.JPG"});
     }},
    // Each member its own move in the journal: the tree's groups all go back.
    {.title = "groups: -r and its undo", .before = {File("P/IMG_1.JPG").date(1505390400),
     File("P/IMG_1.JPG.xmp"), File("P/S/V.MP4").date(1505390400), File("P/S/V.THM")},
     .command = {"-r", "{d}P"}, .out = {"{d}P(20041231) = P", "{d}P/S(20041231) = S",
     "{d}P/IMG_1(20170914).JPG.xmp = IMG_1.JPG.xmp", "{d}P/IMG_1(20170914).JPG = IMG_1.JPG",
     "{d}P/S/V(20170914).THM = V.THM", "{d}P/S/V(20170914).MP4 = V.MP4", "Renamed 6 files"},
     .err = {kWhen + "-r {d}P (6 entries)"}, .after = {File("P/IMG_1.JPG").date(1505390400),
     File("P/IMG_1.JPG.xmp"), File("P/S/V.MP4").date(1505390400), File("P/S/V.THM")},
     .only = kLinux,
     .env = {"TZ=UTC0"},
     .steps = RunThenUndo,
     .dates = true},

    // ---- Previews: every conflict judged, nothing changed ----
    {.title = "a preview of free and taken names", .before = {File("A.TXT", "a"), File("B", "b"),
     File("B(20041231)", "old"), Folder("D"), File("D(20041231)"), File("E"),
     Folder("E(20041231)")},
     .command = {"-n", "{d}*"}, .out = {"{d}A.TXT = A(20041231).TXT", "Would rename 1 file"},
     .err = {"stampix: skipped \"{d}B\": \"{d}B(20041231)\" exists",
     "stampix: skipped \"{d}D\": \"{d}D(20041231)\" exists",
     "stampix: skipped \"{d}E\": \"{d}E(20041231)\" exists"}, .only = kLinux},
    {.title = "a preview with /Y, a merge too", .before = {File("A.TXT", "new"),
     File("A(20041231).TXT", "old"), File("OLD/A", "a"), File("OLD/S/B"), File("OLD/F", "f"),
     File("OLD(20041231)/A", "old"), Folder("OLD(20041231)/S"), Folder("OLD(20041231)/F")},
     .command = {"--dry-run", "/Y", "{d}A.TXT", "{d}OLD"}, .out = {"{d}A.TXT = A(20041231).TXT",
     "{d}OLD/A = {d}OLD(20041231)/A", "{d}OLD/S/B = {d}OLD(20041231)/S/B", "Would rename 1 file"},
     .err = {"stampix: cannot replace \"{d}OLD(20041231)/F\" by \"{d}OLD/F\": it is a folder",
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept"},
     .code = 1, .only = kLinux},
    {.title = "a preview fails where the run would", .before = {File("A.TXT")}, .command = {"-n",
     "{d}A.TXT"},
     .err = {"stampix: cannot rename \"{d}A.TXT\" to \"{d}A(20041231).TXT\": Permission denied"},
     .code = 1, .only = kLinux, .as_nobody = true},

    // ---- The conflict policy ----
    {.title = "skipped without /Y, on standard error", .before = {File("A.TXT", "new"),
     File("A(20041231).TXT", "old")}, .command = {"{d}A.TXT"},
     .err = {"stampix: skipped \"{d}A.TXT\": \"{d}A(20041231).TXT\" exists"}, .only = kLinux,
     .images = true},
    // Where the system cannot rename without replacing, the name is first taken by a
    // placeholder; a document another program saved there meanwhile is never replaced.
    {.title = "a name taken by another program meanwhile is left to it", .before = {File("A.TXT",
     "mine")}, .command = {"/Y", "{d}A.TXT"},
     .err = {"stampix: skipped \"{d}A.TXT\": \"{d}A(20041231).TXT\" was taken by another "
     "program meanwhile"}, .after = {File("A(20041231).TXT", "saved"), File("A.TXT", "mine")},
     .only = kLinux, .env = {"LD_PRELOAD=" SHIM, "SHIM_TAKE=A(20041231).TXT"}},
    // A merged folder would be the other user's to delete; so would a file put in place of
    // theirs in a folder that all may write to.
    {.title = "/Y gives nothing to another user", .before = {File("OLD/secret", "s"),
     Folder("OLD(20041231)").others(), Folder("S").shared(), File("S/A", "mine"),
     File("S/A(20041231)", "theirs").others()}, .command = {"/Y", "{d}OLD", "{d}S/A"},
     .out = {"Renamed 0 files"},
     .err = {"stampix: cannot put \"{d}OLD\" in place of \"{d}OLD(20041231)\": it belongs to "
     "another user",
     "stampix: cannot put \"{d}S/A\" in place of \"{d}S/A(20041231)\": it belongs to "
     "another user"}, .code = 1, .only = kLinux, .ordered = true},
    {.title = "/Y replaces a file", .before = {File("A.TXT", "new"), File("A(20041231).TXT",
     "old")},
     .command = {"/Y", "{d}A.TXT"}, .out = {"{d}A.TXT = A(20041231).TXT"},
     .after = {File("A(20041231).TXT", "new")}, .images = true},
    {.title = "/Y keeps a read-only, hidden or held file", .before = {File("A.TXT", "new"),
     File("A(20041231).TXT", "old").readonly(), File("B", "new"), File("B(20041231)",
     "old").hidden(), File("C", "new"), File("C(20041231)", "old")}, .command = {"/Y {d}*"},
     .out = {"{d}A.TXT = A(20041231).TXT",
     "Error: Destination \"A(20041231).TXT\" cannot be removed.", "{d}B = B(20041231)",
     "Error: Destination \"B(20041231)\" cannot be removed.", "{d}C = C(20041231)",
     "Error: Destination \"C(20041231)\" cannot be removed.", "Renamed 0 files"}, .only = kWindows,
     .hold = "C(20041231)"},
    // The destination is never gone before a move that then fails.
    {.title = "/Y with a source held open", .before = {File("A.TXT", "new"), File("A(20041231).TXT",
     "old")}, .command = {"/Y {d}A.TXT"}, .out = {"{d}A.TXT = A(20041231).TXT",
     "Error: Rename failed. Is \"A.TXT\" in use?"}, .only = kWindows, .hold = "A.TXT"},
    // A file and a folder whose free names cannot be taken, the placeholders removed again, a name
    // too long for the file system, and a file taken under "/Y", alone or in a merge: the
    // destination is never gone before a move that then fails.
    {.title = "entries that cannot be moved", .before = {File("A.TXT", "new"),
     File("A(20041231).TXT", "old"), File("B"), Folder("D"), File(kN), File("OLD/F", "new"),
     File("OLD(20041231)/F", "old")}, .command = {"/Y", "{d}A.TXT", "{d}B", "{d}D", "{d}" + kN,
     "{d}OLD"}, .out = {"Renamed 0 files"},
     .err = {"stampix: cannot rename \"{d}A.TXT\" to \"{d}A(20041231).TXT\": Operation not "
     "permitted",
     "stampix: cannot rename \"{d}B\" to \"{d}B(20041231)\": Operation not permitted",
     "stampix: cannot rename \"{d}D\" to \"{d}D(20041231)\": Operation not permitted",
     "stampix: cannot rename \"{d}" + kN + "\" to \"{d}" + kN + "(20041231)\": File name too long",
     "stampix: cannot rename \"{d}OLD/F\" to \"{d}OLD(20041231)/F\": Operation not permitted",
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept"},
     .code = 1, .only = kLinux, .env = {"LD_PRELOAD=" SHIM, "SHIM_NO_RENAME=1"}, .ordered = true},
    {.title = "a file does not become a folder, nor a folder a file", .before = {File("A.TXT",
     "new"), Folder("A(20041231).TXT"), Folder("D"), File("D(20041231)", "file")},
     .command = {"/Y {d}*"}, .out = {"{d}A.TXT = A(20041231).TXT",
     "Error: Cannot rename file to folder. ({d}A(20041231).TXT)", "{d}D = D(20041231)",
     "Error: Cannot rename folder to file. ({d}D(20041231))", "Renamed 0 files"}, .only = kWindows},
    // What /Y does not replace: a folder, a read-only file, a dot-name, a FIFO, or the file
    // itself, through a link or under another name.
    {.title = "what /Y does not replace", .before = {File("A.TXT", "new"),
     Folder("A(20041231).TXT"),
     Folder("D"), File("D(20041231)", "f"), File("R", "new"), File("R(20041231)", "old").readonly(),
     File(".A.TXT", "new"), File(".A(20041231).TXT", "old"), File("P", "new"), Fifo("P(20041231)"),
     File("app(20041231).log", "PRECIOUS"), Link("app.log", "app(20041231).log"),
     File("X(20041231)",
     "data"), SameFile("X", "X(20041231)")}, .command = {"/Y", "{d}A.TXT", "{d}D", "{d}R",
     "{d}.A.TXT", "{d}P", "{d}app.log", "{d}X"}, .out = {"Renamed 0 files"},
     .err = {"stampix: cannot replace \"{d}A(20041231).TXT\" by \"{d}A.TXT\": it is a folder",
     "stampix: cannot merge \"{d}D\" into \"{d}D(20041231)\": it is not a folder",
     "stampix: cannot replace \"{d}R(20041231)\" by \"{d}R\": it is read-only, hidden "
     "or not a file", "stampix: cannot replace \"{d}.A(20041231).TXT\" by \"{d}.A.TXT\": it is "
     "read-only, hidden or not a file",
     "stampix: cannot replace \"{d}P(20041231)\" by \"{d}P\": it is read-only, hidden "
     "or not a file", "stampix: skipped \"{d}app.log\": \"{d}app(20041231).log\" is the same file",
     "stampix: skipped \"{d}X\": \"{d}X(20041231)\" is the same file"}, .code = 1, .only = kLinux,
     .ordered = true},
    // Without a no-replace rename (a kernel without renameat2) or hard links, a name is kept by an
    // empty placeholder, and a name saved again meanwhile by another program is never removed.
    {.title = "no no-replace rename: free names and taken ones", .before = {File("A.TXT", "a"),
     Folder("D"), File("B.TXT", "b"), File("B(20041231).TXT"), Folder("E"), Folder("E(20041231)")},
     .command = {"{d}A.TXT", "{d}D", "{d}B.TXT", "{d}E"}, .out = {"{d}A.TXT = A(20041231).TXT",
     "{d}D = D(20041231)", "Renamed 1 file and 1 folder"},
     .err = {"stampix: skipped \"{d}B.TXT\": \"{d}B(20041231).TXT\" exists",
     "stampix: skipped \"{d}E\": \"{d}E(20041231)\" exists"}, .after = {File("A(20041231).TXT",
     "a"),
     File("A.TXT", "saved"), File("B(20041231).TXT"), File("B.TXT", "b"), Folder("D(20041231)"),
     Folder("E(20041231)"), Folder("E")}, .only = kLinux, .env = {"LD_PRELOAD=" SHIM,
     "SHIM_NO_LINK=1", "SHIM_SAVE=A.TXT", "SHIM_NO_RENAMEAT2=1"}, .ordered = true},

    // ---- Folder merges on Linux: renames only, nothing in two places or in none ----
    {.title = "a folder merges into its stamped name", .before = {File("OLD/S/NEW", "new"),
     File("OLD/A", "new"), File("OLD/.h", "h"), File("OLD(20041231)/KEEP", "keep"),
     File("OLD(20041231)/A", "old"), File("OLD(20041231)/S/OLD", "old")}, .command = {"/Y", "{d}*"},
     .out = {"{d}OLD = OLD(20041231)", "Renamed 1 folder"}, .after = {File("OLD(20041231)/.h", "h"),
     File("OLD(20041231)/A", "new"), File("OLD(20041231)/KEEP", "keep"), File("OLD(20041231)/S/NEW",
     "new"), File("OLD(20041231)/S/OLD", "old")}, .only = kLinux, .images = true},
    {.title = "what cannot be merged stays, and the folder with it", .before = {File("OLD/F",
     "new"),
     Folder("OLD/D"), File("OLD/S/R", "new"), Link("OLD/P", "../OLD(20041231)/P"),
     Folder("OLD(20041231)/F"), File("OLD(20041231)/D", "file"), File("OLD(20041231)/S/R",
     "old").readonly(), File("OLD(20041231)/P", "p")}, .command = {"/Y", "{d}OLD"},
     .err = {"stampix: cannot merge \"{d}OLD/D\" into \"{d}OLD(20041231)/D\": it is not a folder",
     "stampix: cannot replace \"{d}OLD(20041231)/F\" by \"{d}OLD/F\": it is a folder",
     "stampix: skipped \"{d}OLD/P\": \"{d}OLD(20041231)/P\" is the same file",
     "stampix: cannot replace \"{d}OLD(20041231)/S/R\" by \"{d}OLD/S/R\": it is "
     "read-only, hidden or not a file",
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept"},
     .code = 1, .only = kLinux},
    {.title = "a merged folder that cannot be removed", .before = {File("OLD/A", "a"),
     Folder("OLD(20041231)")}, .command = {"/Y", "{d}OLD"},
     .out = {"{d}OLD/A = {d}OLD(20041231)/A"},
     .err = {"stampix: \"{d}OLD\" was merged into \"{d}OLD(20041231)\", but the emptied folder "
     "could not be removed: Operation not permitted"}, .after = {Folder("OLD"),
     File("OLD(20041231)/A", "a")}, .code = 1, .only = kLinux, .env = {"LD_PRELOAD=" SHIM,
     "SHIM_KEEP=OLD"}},
    {.title = "a merge of folders nested deeper than it goes",
     .before = {Folder("OLD(20041231)/" + kDeep), File("OLD/" + kDeep + "F", "x")},
     .command = {"/Y", "{d}OLD"}, .err = {"stampix: cannot merge \"{d}OLD/"
     + kDeep.substr(0, 399) + "\": folders nested too deep",
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept"},
     .code = 1, .only = kLinux, .limits = "--stack=65536 --nofile=450"},

    // ---- Folder merges on Windows: the copy tool, a check, then the tree-delete tool ----
    Merge("a merge by the system's copy tool", {File("OLD/S/NEW", "new"), File("OLD/H",
          "h").hidden(), File("OLD(20041231)/KEEP", "keep")}, "DELTREE=0", {"2 file(s) copied",
          "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:"}, {File("OLD(20041231)/H", "h").hidden(),
          File("OLD(20041231)/KEEP", "keep"), File("OLD(20041231)/S/NEW", "new")}),
    // Read-only, hidden and system entries keep those attributes, folders too.
    Merge("a merge by the system's copy tool and the release's delete tool",
          {Folder("OLD/S").hidden(), File("OLD/S/NEW", "new").readonly(), File("OLD/H",
          "h").hidden(), File("OLD/Y", "y").system(), Folder("OLD(20041231)")}, "DELTREE=real",
          {"3 file(s) copied"}, {File("OLD(20041231)/H", "h").hidden(),
          Folder("OLD(20041231)/S").hidden(), File("OLD(20041231)/S/NEW", "new").readonly(),
          File("OLD(20041231)/Y", "y").system()}),
    // The copy tool goes on past what it cannot write over; the check compares bytes, kinds and
    // stored names, so a file of the same size and date, or an entry of the other kind, fails.
    {.title = "a copy check compares the bytes", .before = {File("MY OLD/A", "new"),
     File("MY OLD(20041231)/A", "old")}, .command = {"/Y {d}MY OLD"},
     .out = {"{d}MY OLD = MY OLD(20041231)",
     "\"{t}XCOPY.EXE\"  \"{d}MY OLD\" \"{d}MY OLD(20041231)\" /y/c/i/q/e/h/k",
     "Error: Not all of \"MY OLD\" could be merged; it was kept."}, .only = kWindows,
     .tools = "XCOPY=0 DELTREE=0"},
    Merge("a copy check compares kinds", {Folder("OLD/E"), File("OLD(20041231)/E")},
          "XCOPY=0 DELTREE=0", {"\"{t}XCOPY.EXE\"  {d}OLD {d}OLD(20041231) /y/c/i/q/e/h/k",
          "Error: Not all of \"OLD\" could be merged; it was kept."}),
    // The copy would write through the short name; it is not run.
    Merge("a name that is the short name of another in the destination", {File("OLD/LONG~LMQ.TXT",
          "mine"), File("OLD(20041231)/LONGFILENAME.TXT", "theirs")}, "DELTREE=0",
          {"Error: \"OLD\" was kept: a name in it is the short name of another entry in "
              "\"OLD(20041231)\"."}),
    // Links (Unix ones under Wine) and other names of one file: the copy would write onto the
    // source, and the delete take what it wrote.
    Merge("a link in the destination that leads into the source", {File("OLD/sub/b" , "b"),
          Link("OLD(20041231)/sub", "../OLD/sub")}, "DELTREE=real", {kLinked}),
    Merge("a file of the destination that is the source's own", {File("OLD/b", "b"),
          SameFile("OLD(20041231)/b", "OLD/b")}, "DELTREE=real", {kLinked}),
    Merge("a source that is a link into the destination", {Folder("OLD(20041231)/x"), Link("OLD",
          "OLD(20041231)/x")}, "DELTREE=real", {kLinked}),
    // Under Wine a link to a file shows as a plain file. Writing through either kind of other
    // name loses a file, or changes one outside both trees.
    Merge("a destination file that is another name of another source file", {File("OLD/a", "AAAA"),
          File("OLD/b", "BBBB"), SameFile("OLD(20041231)/a", "OLD/b")}, "DELTREE=real", {kLinked}),
    Merge("a destination link to another source file", {File("OLD/a", "AAAA"), File("OLD/b",
          "BBBB"), Link("OLD(20041231)/a", "../OLD/b")}, "DELTREE=real", {kLinked}),
    Merge("a destination link to a file outside both", {File("EXT/a", "EEEE"), File("OLD/a",
          "AAAA"), Link("OLD(20041231)/a", "../EXT/a")}, "DELTREE=real", {kLinked}),
    // Wine cannot remove a link to a file as itself: the delete tool leaves it, never its target.
    Merge("a source link to a file outside", {File("P/p", "PPPP"), Link("OLD/p" , "../P/p"),
          Folder("OLD(20041231)")}, "DELTREE=real", {"1 file(s) copied",
          "Could not delete \"{d}OLD\\p\": it is a link that cannot be removed as itself.",
          "Could not delete \"{d}OLD\": Directory is not empty.", "{t}DELTREE.EXE = ERRORLEVEL 2"},
          {File("OLD/p", "PPPP"), File("OLD(20041231)/p", "PPPP"), File("P/p", "PPPP")}),
    // The "." of "\\.\" would make the delete tool refuse the source once it is copied.
    {.title = "a path the delete tool refuses is not copied", .before = {Folder("OLD(20041231)"),
     File("OLD/A", "a")}, .command = {"/Y \\\\.\\{d}OLD"}, .out = {"\\\\.\\{d}OLD = OLD(20041231)",
     "Error: DELTREE.EXE would refuse the path of the folder; nothing was copied."},
     .only = kWindows, .tools = "DELTREE=real"},
    // The tools come from the program's own folder (the build's holds DELTREE.EXE), then the
    // system's, never the current one.
    {.title = "a tool planted in the current folder is not run", .before = {File("OLD/A", "a"),
     Folder("OLD(20041231)"), File("XCOPY.EXE", "junk")}, .command = {"/Y OLD"},
     .out = {"{d}OLD = OLD(20041231)", "1 file(s) copied"}, .after = {File("OLD(20041231)/A", "a"),
     File("XCOPY.EXE", "junk")}, .only = kWindows, .in_folder = true},
    // XCOPY would take "/OLD" for a switch.
    {.title = "a folder written with / reaches the tools as a full path", .before = {Folder("OLD"),
     Folder("OLD(20041231)")}, .command = {"/Y ./OLD"}, .out = {"./OLD = OLD(20041231)",
     "\"{t}XCOPY.EXE\"  {d}OLD {d}OLD(20041231) /y/c/i/q/e/h/k",
     "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:"}, .after = {Folder("OLD(20041231)")}, .only = kWindows,
     .in_folder = true, .tools = "XCOPY=0 DELTREE=0"},
    Merge("a tool that cannot start", {Folder("OLD"), Folder("OLD(20041231)")},
          "XCOPY=junk DELTREE=0", {"Error: {t}XCOPY.EXE could not be started."}),
    Merge("no delete tool", {Folder("OLD"), Folder("OLD(20041231)")}, "XCOPY=0",
          {"DELTREE.EXE not found for external call? Make sure this is in your path."}),
    Merge("a delete tool that fails", {File("OLD/A", "a"), Folder("OLD(20041231)")}, "DELTREE=2",
          {"1 file(s) copied", "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:",
          "{t}DELTREE.EXE = ERRORLEVEL 2"}, {File("OLD/A", "a"), File("OLD(20041231)/A", "a")}),
    Merge("a delete tool that says it succeeded but left the folder", {File("OLD/A" , "a"),
          Folder("OLD(20041231)")}, "DELTREE=keep", {"1 file(s) copied",
          "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:",
              "Error: \"OLD\" was merged, but it could not be removed."}, {File("OLD/A", "a"),
                  File("OLD(20041231)/A", "a")}),
    {.title = "a command line too long is not run", .before = {Folder(kL), Folder(kL
     + "(20041231)")}, .command = {"/Y {d}" + kL}, .out = {"{d}" + kL + " = " + kL + "(20041231)",
     "Error: Command line too long for XCOPY.EXE."}, .only = kWindows,
     .tools = "XCOPY=0 DELTREE=0"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, Scenario, testing::ValuesIn(ThisBuild(kRows)), TestName);
#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Images, Scenario, testing::ValuesIn(ThisBuild(kRows, true)), TestName);
#endif

}  // namespace
