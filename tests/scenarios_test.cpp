// The program run over real folders, one scenario a row, on both builds: the entries before,
// the command line, the lines written, every entry afterwards and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "platform/platform.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const bool kLinux = platform::kPathSeparator == '/';
const std::string kSep(1, platform::kPathSeparator);

using Result = std::pair<std::string, int>;  // standard output, byte for byte; exit code

std::string Content(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// The program is run on `command`, "|" between arguments (Linux gets them apart, Windows one
// tail), with the setup of a row: "cwd" runs it in `folder`; on Linux "sh:" puts shell words
// around it ("{}" standing for it) and "NAME=VALUE" sets its environment; on Windows
// "tools:XCOPY=4 DELTREE=0" puts stubs of the tools, ending with those statuses, beside a copy of
// it in "my tools" beside the folder, where it looks first ("junk": a tool that cannot start).
#ifdef _WIN32
// Under Wine the build's paths are Unix paths: "/x/y" is "Z:\x\y".
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path.starts_with("\\") ? "Z:" + path : path;
}

// The exact command line, so that blanks and quotes reach the program as typed.
Result RunProgram(const std::string& command, const Strings& setup = {},
                  const fs::path& folder = {}) {
  std::string program = Native(STAMPIX_PROGRAM), cwd;
  const fs::path bin = folder.parent_path() / "my tools";
  for (const std::string& item : setup) {
    if (item == "cwd") cwd = folder.string();
    if (!item.starts_with("tools:")) continue;
    fs::create_directory(bin);
    fs::copy_file(program, bin / "STAMPIX.EXE");
    program = (bin / "STAMPIX.EXE").string();
    std::istringstream words(item.substr(6));
    for (std::string word; words >> word;) {
      const std::string tool = word.substr(0, word.find('=')),
                        status = word.substr(tool.size() + 1);
      if (status == "junk") std::ofstream(bin / (tool + ".EXE")) << "not a program";
      if (status != "junk") fs::copy_file(Native(HELPER), bin / (tool + ".EXE"));
      std::ofstream(bin / (tool + ".status")) << status;
    }
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const fs::path out = fs::temp_directory_path() / "stampix-out";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput =
      CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  std::string line = "\"" + program + "\" " + command;
  std::replace(line.begin(), line.end(), '|', ' ');
  PROCESS_INFORMATION process{};
  CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                 cwd.empty() ? nullptr : cwd.c_str(), &startup, &process);
  WaitForSingleObject(process.hProcess, INFINITE);
  Result result{Content(out), -1};
  GetExitCodeProcess(process.hProcess, reinterpret_cast<DWORD*>(&result.second));
  for (HANDLE h : {startup.hStdOutput, process.hProcess, process.hThread}) CloseHandle(h);
  return result;
}

// The runtime cannot date a folder; the system can, given backup semantics.
void SetTime(const fs::path& path, double seconds) {
  ULARGE_INTEGER ticks{.QuadPart = static_cast<ULONGLONG>((seconds + 11644473600) * 1e7)};
  FILETIME time{ticks.LowPart, ticks.HighPart};
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFileTime(h, nullptr, nullptr, &time);
  CloseHandle(h);
}

void MakeSpecial(const fs::path& path, char, const std::string&) {
  SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_HIDDEN);
}
#else
std::string Native(std::string path) { return path; }

std::string Quote(std::string_view word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

Result RunProgram(const std::string& command, const Strings& setup = {},
                  const fs::path& folder = {}) {
  std::string line = "exec env", shell = "{}", cwd;
  for (const std::string& item : setup) {
    if (item == "cwd") cwd = "cd " + Quote(folder.string()) + " && ";
    if (item.starts_with("sh:")) shell = item.substr(3);
    if (item.find('=') != item.npos) line += " " + Quote(item);
  }
  line += " " + Quote(STAMPIX_PROGRAM);
  std::istringstream words(command);
  for (std::string word; std::getline(words, word, '|');) line += " " + Quote(word);
  const fs::path out = fs::temp_directory_path() / "stampix-out";
  int status = std::system(
      (cwd + shell.replace(shell.find("{}"), 2, line) + " >" + Quote(out.string())).c_str());
  return {Content(out), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// The entry's own time, a link's too.
void SetTime(const fs::path& path, double seconds) {
  const struct timespec time = {static_cast<time_t>(std::floor(seconds)),
                                static_cast<long>((seconds - std::floor(seconds)) * 1e9)};
  const struct timespec times[2] = {time, time};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A FIFO ("%") or a link to `target`.
void MakeSpecial(const fs::path& path, char kind, const std::string& target) {
  if (kind == '%') mkfifo(path.c_str(), 0644);
  if (kind != '%') fs::create_symlink(target, path);
}
#endif

// Entries: "NAME" an empty file, "NAME=TEXT" a file holding TEXT, "NAME/" a folder, "NAME->T" a
// link to T (Linux); before the name "!" read-only, "~" hidden (Windows), "%" a FIFO (Linux);
// after it "@SECONDS" its last-write time, else noon of 31 December 2004 (UTC, which is that day
// in every time zone within eleven hours). In commands and lines "{d}" is the folder as the
// program shows it, "{s}" the separator and "{t}" the folder of the tools.
struct Row {
  const char* title;
  Strings before;
  std::string command;
  Strings out;
  Strings after;
  int code = 0;
  std::string only = "";  // "linux" or "windows": a row that differs by design
  Strings setup = {};
};

// clang-format off
const Strings kUsage = {"STAMPIX 20110228", "This utility adds a date stamp to a file or directory name.", "", "The date stamp is in the format YYYYMMDD where Y=year, M=month D=day of the",
     "last time the file was modified. If the name already has a date or any", "8-digit number between parentheses, a new date is not added even if the", "contents have changed.", "",
     "Syntax:  STAMPIX [/Y] [drive:][path]<name>", "", "The /Y option overwrites the destination file name if it already exists.", "", "Example: STAMPIX C:\\TEST\\MYFILE.EXT", "",
     "In this example MYFILE.TXT was last modified on December 31, 2004, so the", "above example command line will rename MYFILE.TXT to MYFILE(20041231).TXT."};
const std::string kA = "{d}A.TXT = A(20041231).TXT", kOld = "{d}OLD = OLD(20041231)", kL(100, 'L');
const std::string kSkipA = "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)", kKeptA = "Error: Destination \"A(20041231).TXT\" cannot be removed.";
const std::string kKept = "Error: Not all of \"OLD\" could be merged; it was kept.", kXcopy = "\"{t}XCOPY.EXE\"  {d}OLD {d}OLD(20041231) /y/c/i/q/e/h";
const Strings kOlds = {"OLD/", "OLD(20041231)/"};
const std::string kJa = [] { std::string name; while (name.size() < 240) name += "\xE6\x97\xA5"; return name; }();

const Row kRows[] = {
    // The pass.
    {"one file", {"MYFILE.TXT=text"}, "{d}MYFILE.TXT", {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, {"MYFILE(20041231).TXT=text"}},
    {"every kind of name", {"README", ".profile", "D.TAR.GZ", "(1234567).TXT", "(123456789)", "X(99999999).TXT", "((12345678))", "A (87654321) B", "(1234567a)", "N.OLD/"}, "{d}",
     {"{d}README = README(20041231)", "{d}.profile = (20041231).profile", "{d}D.TAR.GZ = D.TAR(20041231).GZ", "{d}(1234567).TXT = (1234567)(20041231).TXT", "{d}(123456789) = (123456789)(20041231)",
     "{d}(1234567a) = (1234567a)(20041231)", "{d}N.OLD = N(20041231).OLD", "Renamed 7 files"}, {"((12345678))", "(1234567)(20041231).TXT", "(123456789)(20041231)", "(1234567a)(20041231)",
     "(20041231).profile", "A (87654321) B", "D.TAR(20041231).GZ", "N(20041231).OLD/", "README(20041231)", "X(99999999).TXT"}},
    // NOTES.TXTOLD has a short name NOTES~1.TXT that the system's own search would match.
    {"a pattern selects by long name, in any case", {"MYFILE.TXT", "b.txt", "NOTES.TXTOLD", "C"}, "{d}*.txt", {"{d}MYFILE.TXT = MYFILE(20041231).TXT", "{d}b.txt = b(20041231).txt", "Renamed 2 files"},
     {"C", "MYFILE(20041231).TXT", "NOTES.TXTOLD", "b(20041231).txt"}},
    {"a plain name in another case", {"MYFILE.TXT"}, "{d}myfile.txt", {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, {"MYFILE(20041231).TXT"}, 0, "windows"},
    {"an empty folder", {}, "{d}*.*", {}, {}},
    {"only stamped names", {"A(20041231).TXT", "B(20041231)"}, "{d}", {"Renamed 0 files"}, {"A(20041231).TXT", "B(20041231)"}},
    {"nothing matches", {"A.TXT"}, "{d}*.XYZ", {"File not found: \"{d}*.XYZ\""}, {"A.TXT"}, 1},
    // Windows counts a path's characters in UTF-16 units: 80 of three bytes count 80.
    {"a name of three-byte characters", {kJa + ".TXT"}, "{d}" + kJa + ".TXT", {"{d}" + kJa + ".TXT = " + kJa + "(20041231).TXT"}, {kJa + "(20041231).TXT"}, 0, "windows"},
    {"names outside ASCII, letter case ignored", {"\xCE\x91\xCE\x92.TXT=g", "\xCE\x93.TXT"}, "{d}\xCE\xB1*", {"{d}\xCE\x91\xCE\x92.TXT = \xCE\x91\xCE\x92(20041231).TXT"},
     {"\xCE\x91\xCE\x92(20041231).TXT=g", "\xCE\x93.TXT"}},
    {"names that are not UTF-8: one unit a byte", {"\xFF\xFE.TXT", "\xC3.TXT", "\xED\xA0\x80"}, "{d}\xFF*|{d}?", {"{d}\xFF\xFE.TXT = \xFF\xFE(20041231).TXT", "File not found: \"{d}?\""}, {"\xC3.TXT",
     "\xED\xA0\x80", "\xFF\xFE(20041231).TXT"}, 1, "linux"},
    {"the day of the second, before 1601 too", {"A@1104537600", "B@-11644473600.5", "C@1104537600.5", "D@1104537599.995"}, "{d}", {"{d}A = A(20050101)", "{d}B = B(16001231)", "{d}C = C(20050101)",
     "{d}D = D(20041231)", "Renamed 4 files"}, {"A(20050101)", "B(16001231)", "C(20050101)", "D(20041231)"}, 0, "linux", {"TZ=UTC0"}},
    // A date past the year 9999 has no stamp, and an entry never replaces itself.
    {"a date eight digits cannot write", {"HUGE=h@1845778901771"}, "/Y|{d}HUGE", {"{d}HUGE = HUGE", "Skipped: \"HUGE\" (destination \"HUGE\" exists)"}, {"HUGE=h"}, 0, "linux"},
    // 00:30 local time in summer (UTC+2) and 23:30 local time in winter (UTC+1).
    {"the local date of the entry's own moment", {"SUMMER@1089930600", "WINTER@1074205800"}, "{d}*", {"{d}SUMMER = SUMMER(20040716)", "{d}WINTER = WINTER(20040115)", "Renamed 2 files"},
     {"SUMMER(20040716)", "WINTER(20040115)"}, 0, "linux", {"TZ=CET-1CEST,M3.5.0,M10.5.0/3"}},

    // The command line.
    {"/? after a name shows only the usage", {"A.TXT"}, "{d}A.TXT|/?", kUsage, {"A.TXT"}},
    {"a wildcard in the folder", {"TEST/", "TEST/A.TXT"}, "{d}TE?T{s}A.TXT", {"Error: Wildcards not allowed in path."}, {"TEST/", "TEST/A.TXT"}, 1},
    {"a lone /Y stamps the current folder", {"A.TXT=new", "A(20041231).TXT=old"}, "/y", {kA, "Renamed 1 file"}, {"A(20041231).TXT=new"}, 0, "", {"cwd"}},
    {"quotes around a path with blanks", {"MY FILES/", "MY FILES/A.TXT"}, "/y \"{d}MY FILES{s}A.TXT\" ", {"{d}MY FILES{s}A.TXT = A(20041231).TXT"}, {"MY FILES/", "MY FILES/A(20041231).TXT"}, 0,
     "windows"},
    {"a drive and a name", {"A.TXT=new", "A(20041231).TXT=old"}, "C:A.TXT", {"C:A.TXT = A(20041231).TXT", "Skipped: \"C:A.TXT\" (destination \"C:A(20041231).TXT\" exists)"}, {"A(20041231).TXT=old",
     "A.TXT=new"}, 0, "windows", {"cwd"}},
    {"operands in turn, /Y for all, one missing", {"A.TXT=a", "B=b", "B(20041231)=old", "S/", "S/C", "Yb"}, "{d}A.TXT|{d}NONE|/y|{d}B|{d}S/C|{d}Yb", {kA, "File not found: \"{d}NONE\"",
     "{d}B = B(20041231)", "{d}S/C = C(20041231)", "{d}Yb = Yb(20041231)"}, {"A(20041231).TXT=a", "B(20041231)=b", "S/", "S/C(20041231)", "Yb(20041231)"}, 1, "linux"},
    {"--version", {}, "--version|A", {"STAMPIX 20110228"}, {}, 0, "linux"},
    {"after -- every argument is an operand", {"--help", "--version"}, "--|--help|--version", {"{d}--help = --help(20041231)", "{d}--version = --version(20041231)"}, {"--help(20041231)",
     "--version(20041231)"}, 0, "linux", {"cwd"}},
    {"a current folder that cannot be read", {}, "A.TXT", {"Error: The current folder cannot be read."}, {}, 1, "linux", {"cwd", "sh:mkdir GONE && cd GONE && rmdir \"$PWD\" && {}"}},
    {"a reader that has left does not stop the run", {"A", "B", "C"}, "{d}", {}, {"A(20041231)", "B(20041231)", "C(20041231)"}, 0, "linux", {"sh:(sleep 0.2; {}) | head -c 0"}},

    // The conflict policy.
    {"skipped without /Y", {"A.TXT=new", "A(20041231).TXT=old"}, "{d}A.TXT", {kA, kSkipA}, {"A(20041231).TXT=old", "A.TXT=new"}},
    {"/Y replaces a file", {"A.TXT=new", "A(20041231).TXT=old"}, "/Y|{d}A.TXT", {kA}, {"A(20041231).TXT=new"}},
    {"/Y keeps a read-only file", {"A.TXT=new", "!A(20041231).TXT=old"}, "{d}A.TXT|/Y", {kA, kKeptA}, {"A(20041231).TXT=old", "A.TXT=new"}},
    {"/Y keeps a hidden file", {"A.TXT=new", "~A(20041231).TXT=old"}, "/Y|{d}A.TXT", {kA, kKeptA}, {"A(20041231).TXT=old", "A.TXT=new"}, 0, "windows"},
    {"/Y keeps a name hidden by its dot and a FIFO", {".A.TXT=new", ".A(20041231).TXT=old", "C=new", "%C(20041231)"}, "/Y|{d}.A.TXT|{d}C", {"{d}.A.TXT = .A(20041231).TXT",
     "Error: Destination \".A(20041231).TXT\" cannot be removed.", "{d}C = C(20041231)", "Error: Destination \"C(20041231)\" cannot be removed."}, {".A(20041231).TXT=old", ".A.TXT=new", "C(20041231)",
     "C=new"}, 0, "linux"},
    {"a file does not become a folder, nor a folder a file", {"A.TXT=new", "A(20041231).TXT/", "D/", "D(20041231)=file"}, "/Y|{d}", {kA, "Error: Cannot rename file to folder. ({d}A(20041231).TXT)",
     "{d}D = D(20041231)", "Error: Cannot rename folder to file. ({d}D(20041231))", "Renamed 0 files"}, {"A(20041231).TXT/", "A.TXT=new", "D(20041231)=file", "D/"}},
    // A link is renamed or replaced itself, never what it points to, and never merged.
    {"links are entries of their own", {"T=target", "DIR/", "A.TXT=new", "A(20041231).TXT->T", "L->DIR", "L(20041231)/"}, "/Y|{d}A.TXT|{d}L", {kA, "{d}L = L(20041231)",
     "Error: Cannot rename file to folder. ({d}L(20041231))"}, {"A(20041231).TXT=new", "DIR/", "L(20041231)/", "L->DIR", "T=target"}, 0, "linux"},
    // A name holding a wildcard would make every later step act on all that it matches.
    {"a wildcard in a stored name is never acted on", {"X*.TXT=star", "X*(20041231).TXT/", "Q?"}, "/Y|{d}X*.TXT|{d}Q?", {"{d}X*.TXT = X*(20041231).TXT", "Error: Rename failed. Is \"X*.TXT\" in use?",
     "Renamed 0 files", "{d}Q? = Q?(20041231)", "Error: Rename failed. Is \"Q?\" in use?"}, {"Q?", "X*(20041231).TXT/", "X*.TXT=star"}, 0, "linux"},
    {"an entry that cannot be moved", {"A.TXT"}, "{d}A.TXT", {kA, "Error: Rename failed. Is \"A.TXT\" in use?"}, {"A.TXT"}, 0, "linux", {"LD_PRELOAD=" HELPER, "SHIM_EPERM=1"}},
    {"a file that cannot leave its old name", {"A.TXT=a"}, "{d}A.TXT", {kA, "Error: Rename failed. Is \"A.TXT\" in use?"}, {"A.TXT=a"}, 0, "linux", {"LD_PRELOAD=" HELPER, "SHIM_KEEP=A.TXT"}},
    {"a folder that cannot take its name", {"D/"}, "{d}D", {"{d}D = D(20041231)", "Error: Rename failed. Is \"D\" in use?"}, {"D/"}, 0, "linux", {"LD_PRELOAD=" HELPER, "SHIM_NO_RENAME=1"}},
    // Without a no-replace rename a taken name, even an empty folder's, is never replaced.
    {"no no-replace rename: free names and taken ones", {"A.TXT=a", "D/", "B.TXT=b", "B(20041231).TXT", "E/", "E(20041231)/"}, "{d}", {kA, "{d}D = D(20041231)", "{d}B.TXT = B(20041231).TXT",
     "Skipped: \"B.TXT\" (destination \"B(20041231).TXT\" exists)", "{d}E = E(20041231)", "Skipped: \"E\" (destination \"E(20041231)\" exists)", "Renamed 2 files"}, {"A(20041231).TXT=a",
     "B(20041231).TXT", "B.TXT=b", "D(20041231)/", "E(20041231)/", "E/"}, 0, "linux", {"LD_PRELOAD=" HELPER}},

    // Folder merges under /Y on Linux: renames only, nothing in two places or in none.
    {"a folder merges into its stamped name", {"OLD/", "OLD/S/", "OLD/S/NEW=new", "OLD/A=new", "OLD/.h=h", "OLD/L->A", "OLD/K=k", "OLD(20041231)/", "OLD(20041231)/KEEP=keep", "OLD(20041231)/A=old",
     "OLD(20041231)/S/", "OLD(20041231)/S/OLD=old", "OLD(20041231)/K->A"}, "/Y|{d}", {kOld, "Renamed 1 file"}, {"OLD(20041231)/", "OLD(20041231)/.h=h", "OLD(20041231)/A=new", "OLD(20041231)/K=k",
     "OLD(20041231)/KEEP=keep", "OLD(20041231)/L->A", "OLD(20041231)/S/", "OLD(20041231)/S/NEW=new", "OLD(20041231)/S/OLD=old"}, 0, "linux"},
    {"what cannot be merged stays, and the folder with it", {"OLD/", "OLD/R=new", "OLD/.h=new", "OLD/F=new", "OLD/D/", "OLD/G/", "%OLD/P", "OLD/S/", "OLD/S/R=new", "OLD/FREE=free", "OLD(20041231)/",
     "!OLD(20041231)/R=old", "OLD(20041231)/.h=old", "OLD(20041231)/F/", "OLD(20041231)/D=file", "OLD(20041231)/G->F", "OLD(20041231)/P=file", "OLD(20041231)/S/", "!OLD(20041231)/S/R=old"},
     "/Y|{d}", {kOld, kKept, "Renamed 0 files"}, {"OLD/", "OLD/.h=new", "OLD/D/", "OLD/F=new", "OLD/G/", "OLD/P", "OLD/R=new", "OLD/S/", "OLD/S/R=new", "OLD(20041231)/", "OLD(20041231)/.h=old",
     "OLD(20041231)/D=file", "OLD(20041231)/F/", "OLD(20041231)/FREE=free", "OLD(20041231)/G->F", "OLD(20041231)/P=file", "OLD(20041231)/R=old", "OLD(20041231)/S/", "OLD(20041231)/S/R=old"}, 0,
     "linux"},
    {"a merge with nothing that can move", {"OLD/", "OLD/A=a", "OLD(20041231)/"}, "/Y|{d}OLD", {kOld, kKept}, {"OLD/", "OLD/A=a", "OLD(20041231)/"}, 0, "linux", {"LD_PRELOAD=" HELPER,
     "SHIM_EPERM=1"}},
    {"a merge without a no-replace rename", {"OLD/", "OLD/A=new", "OLD/S/", "OLD(20041231)/", "OLD(20041231)/A=old"}, "/Y|{d}OLD", {kOld}, {"OLD(20041231)/", "OLD(20041231)/A=new",
     "OLD(20041231)/S/"}, 0, "linux", {"LD_PRELOAD=" HELPER}},

    // Folder merges under /Y on Windows: the copy tool, a check, then the tree-delete tool.
    {"a merge by the system's copy tool", {"OLD/", "OLD/S/", "OLD/S/NEW=new", "~OLD/H=h", "OLD(20041231)/", "OLD(20041231)/KEEP=keep"}, "/Y {d}OLD", {kOld, "2 file(s) copied",
     "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:"}, {"OLD(20041231)/", "OLD(20041231)/H=h", "OLD(20041231)/KEEP=keep", "OLD(20041231)/S/", "OLD(20041231)/S/NEW=new"}, 0, "windows", {"tools:DELTREE=0"}},
    {"a copy that left a file out is not followed by the delete", {"MY OLD/", "MY OLD/A=a", "MY OLD(20041231)/"}, "/Y {d}MY OLD", {"{d}MY OLD = MY OLD(20041231)",
     "\"{t}XCOPY.EXE\"  \"{d}MY OLD\" \"{d}MY OLD(20041231)\" /y/c/i/q/e/h", "Error: Not all of \"MY OLD\" could be merged; it was kept."}, {"MY OLD/", "MY OLD/A=a", "MY OLD(20041231)/"}, 0,
     "windows", {"tools:XCOPY=0 DELTREE=0"}},
    {"a copy tool that fails", kOlds, "/Y {d}OLD", {kOld, kXcopy, "{t}XCOPY.EXE = ERRORLEVEL 4"}, kOlds, 0, "windows", {"tools:XCOPY=4 DELTREE=0"}},
    {"a copy tool that crashes", kOlds, "/Y {d}OLD", {kOld, kXcopy, "{t}XCOPY.EXE = ERRORLEVEL -1073741819"}, kOlds, 0, "windows", {"tools:XCOPY=crash DELTREE=0"}},
    {"no delete tool", kOlds, "/Y {d}OLD", {kOld, "DELTREE.EXE not found for external call? Make sure this is in your path."}, kOlds, 0, "windows", {"tools:XCOPY=0"}},
    {"a delete tool that fails", {"OLD/", "OLD/A=a", "OLD(20041231)/"}, "/Y {d}OLD", {kOld, "1 file(s) copied", "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:", "{t}DELTREE.EXE = ERRORLEVEL 2"}, {"OLD/",
     "OLD/A=a", "OLD(20041231)/", "OLD(20041231)/A=a"}, 0, "windows", {"tools:DELTREE=2"}},
    {"a tool that cannot start", kOlds, "/Y {d}OLD", {kOld, "Error: {t}XCOPY.EXE could not be started."}, kOlds, 0, "windows", {"tools:XCOPY=junk DELTREE=0"}},
    {"a command line too long is not run", {kL + "/", kL + "(20041231)/"}, "/Y {d}" + kL, {"{d}" + kL + " = " + kL + "(20041231)", "Error: Command line too long for XCOPY.EXE."}, {kL + "/",
     kL + "(20041231)/"}, 0, "windows", {"tools:XCOPY=0 DELTREE=0"}},
};
// clang-format on

// The text with "{d}", "{t}" and "{s}" filled in.
std::string Fill(std::string text, const std::string& d, const std::string& t = "") {
  for (const auto& [mark, by] : {std::pair{"{d}", d}, {"{t}", t}, {"{s}", kSep}})
    for (std::size_t at; (at = text.find(mark)) != text.npos;) text.replace(at, 3, by);
  return text;
}

// A path from UTF-8, which a narrow path on Windows is not taken for.
fs::path At(const fs::path& folder, std::string_view name) {
  return folder / fs::path(std::u8string(name.begin(), name.end()));
}

// A folder of its own, in one that is removed with all it holds, the tools of a row too.
struct Folder {
  Folder() { fs::create_directories(path); }
  ~Folder() {
    for (const auto& entry : fs::recursive_directory_iterator(path.parent_path()))
      if (!entry.is_symlink())
        fs::permissions(entry, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(path.parent_path());
  }
  std::string text() const { return Native(path.string()) + kSep; }
  const fs::path path =
      fs::temp_directory_path() / ("stampix-" + std::to_string(std::random_device()())) / "F";
};

// Makes the entries, then dates them, those inside a folder before the folder.
void Make(const fs::path& folder, const Strings& entries) {
  std::vector<std::pair<fs::path, double>> times;
  for (std::string entry : entries) {
    char mark = std::string_view("!~%").find(entry[0]) != std::string_view::npos ? entry[0] : 0;
    if (mark) entry.erase(0, 1);
    std::size_t at = entry.rfind('@'), arrow = entry.find("->"), eq = entry.find('=');
    fs::path path = At(folder, entry.substr(0, std::min({at, arrow, eq})));
    times.emplace_back(path, at == entry.npos ? 1104494400 : std::stod(entry.substr(at + 1)));
    if (arrow != entry.npos || mark == '%') {
      MakeSpecial(path, mark, entry.substr(std::min(arrow + 2, entry.size())));
    } else if (entry.ends_with("/")) {
      fs::create_directory(path);
    } else {
      std::ofstream(path, std::ios::binary)
          << (eq == entry.npos ? "" : entry.substr(eq + 1, at - eq - 1));
    }
    if (mark == '~') MakeSpecial(path, mark, "");
    if (mark == '!') fs::permissions(path, fs::perms::owner_write, fs::perm_options::remove);
  }
  for (auto it = times.rbegin(); it != times.rend(); ++it) SetTime(it->first, it->second);
}

// Every entry below the folder, as the rows write them.
std::set<std::string> List(const fs::path& folder) {
  std::set<std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    std::u8string name = entry.path().lexically_relative(folder).generic_u8string();
    std::string line(name.begin(), name.end());
    std::string text = entry.is_regular_file() && !entry.is_symlink() ? Content(entry.path()) : "";
    if (entry.is_symlink()) line += "->" + fs::read_symlink(entry).string();
    if (entry.is_directory() && !entry.is_symlink()) line += "/";
    entries.insert(line + (text.empty() ? "" : "=" + text));
  }
  return entries;
}

// The lines as the program writes them.
std::string Lines(const Strings& lines, const std::string& d, const std::string& t = "") {
  std::string text;
  for (const std::string& line : lines) text += Fill(line, d, t) + std::string(platform::kLineEnd);
  return text;
}

// Entries come in the file system's order, so the lines but the last (a count line, where
// there is one) are compared as a set.
Strings InOrder(const std::string& out) {
  Strings lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line + (in.eof() ? "" : "\n"));
  std::sort(lines.begin(), lines.end() - !lines.empty());
  return lines;
}

TEST(Scenarios, OneTableForBothBuilds) {
  for (const Row& row : kRows) {
    if (row.only == (kLinux ? "windows" : "linux")) continue;
    SCOPED_TRACE(row.title);
    Folder folder;
    Make(folder.path, row.before);
    const std::string d = folder.text(),
                      t = Native(folder.path.parent_path().string()) + "\\my tools\\";
    auto [out, code] = RunProgram(Fill(row.command, d, t), row.setup, folder.path);
    EXPECT_EQ(InOrder(out), InOrder(Lines(row.out, d, t)));
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(List(folder.path), std::set<std::string>(row.after.begin(), row.after.end()));
  }
}

// Linux takes paths of 4,095 bytes, Windows of 256 characters. A longer search text ends the run;
// a longer stamped path is refused for that entry alone.
TEST(Scenarios, PathsAtTheLimitAndOneBeyond) {
  const std::size_t limit = kLinux ? 4095 : 256;
  Folder folder;
  std::string d = folder.text();
  while (limit - d.size() > 250) d += std::string(200, 'D') + kSep;
  const std::size_t room = limit - d.size();
  fs::create_directories(At("", d));
  const std::string fits(room - 14, 'F'), over(room - 13, 'G'), at_limit(room, 'N');
  Make(At("", d), {fits + ".TXT", over + ".TXT"});
  const Strings lines = {"{d}" + fits + ".TXT = " + fits + "(20041231).TXT",
                         "{d}" + over + ".TXT = " + over + "(20041231).TXT",
                         "Error: Path too long. ({d}" + over + "(20041231).TXT)", "Renamed 1 file"};
  EXPECT_EQ(InOrder(RunProgram(d + "*.TXT").first), InOrder(Lines(lines, d)));
  EXPECT_EQ(RunProgram(d + at_limit).first, Lines({"File not found: \"{d}" + at_limit + "\""}, d));
  EXPECT_EQ(RunProgram(d + at_limit + "N"),
            Result(Lines({"Error: Path too long. ({d}" + at_limit + "N)"}, d), 1));
}

}  // namespace
