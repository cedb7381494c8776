// The program run over real folders, one scenario a row, on both builds: the entries before,
// the command line, the lines written, every entry afterwards and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
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

struct Start {
  std::string command;       // "|" between arguments: Linux gets them apart, Windows one tail
  std::string program = "";  // empty: the one built
  std::string cwd = "";      // empty: the test's own
  Strings env = {};          // "NAME=VALUE", for the program alone
  std::string shell = "{}";  // Linux: shell words around the program, which "{}" stands for
};

struct Result {
  std::string out;  // standard output, byte for byte
  int code = -1;
};

#ifdef _WIN32
// Under Wine the build's paths are Unix paths: "/x/y" is "Z:\x\y".
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path.starts_with("\\") ? "Z:" + path : path;
}

// The exact command line, so that blanks and quotes reach the program as typed.
Result RunProgram(const Start& start) {
  auto set = [&](bool on) {
    for (const std::string& e : start.env)
      SetEnvironmentVariableA(e.substr(0, e.find('=')).c_str(),
                              on ? e.substr(e.find('=') + 1).c_str() : nullptr);
  };
  set(true);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  CreatePipe(&read_end, &write_end, &inherit, 0);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write_end;
  std::string program = start.program.empty() ? Native(STAMPIX_PROGRAM) : start.program;
  std::string line = "\"" + program + "\" " + start.command;
  std::replace(line.begin(), line.end(), '|', ' ');
  PROCESS_INFORMATION process{};
  CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                 start.cwd.empty() ? nullptr : start.cwd.c_str(), &startup, &process);
  CloseHandle(write_end);
  Result result;
  char buffer[4096];
  for (DWORD n; ReadFile(read_end, buffer, sizeof buffer, &n, nullptr) && n > 0;)
    result.out.append(buffer, n);
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, reinterpret_cast<DWORD*>(&result.code));
  for (HANDLE h : {read_end, process.hProcess, process.hThread}) CloseHandle(h);
  set(false);
  return result;
}

// The runtime cannot date a folder; the system can, given backup semantics.
void SetTime(const fs::path& path, std::int64_t seconds) {
  ULARGE_INTEGER ticks{.QuadPart = static_cast<ULONGLONG>(seconds + 11644473600) * 10000000};
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

// The shell starts the program, the arguments quoted apart.
Result RunProgram(const Start& start) {
  std::string line = "exec env";
  for (const std::string& setting : start.env) line += " " + Quote(setting);
  line += " " + Quote(start.program.empty() ? STAMPIX_PROGRAM : start.program);
  for (std::size_t at = 0, bar; at < start.command.size(); at = bar + 1) {
    bar = std::min(start.command.find('|', at), start.command.size());
    line += " " + Quote(start.command.substr(at, bar - at));
  }
  std::string shell = start.shell;
  shell.replace(shell.find("{}"), 2, line);
  if (!start.cwd.empty()) shell = "cd " + Quote(start.cwd) + " && " + shell;
  Result result;
  FILE* pipe = popen(shell.c_str(), "r");
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.out.append(buffer, n);
  int status = pclose(pipe);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// The entry's own time, a link's too.
void SetTime(const fs::path& path, std::int64_t seconds) {
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
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
// after it "@SECONDS" its last-write time, else noon of 31 December 2004.
// In commands and lines "{d}" is the folder as the program shows it, "{s}" the separator and
// "{t}" the folder of the tools. Setup: "cwd" runs in the folder, "gone" in a folder removed
// just before, "shim" without a no-replace rename, "closed" with a reader that has left,
// "tools:XCOPY=4 DELTREE=0" stubs beside a copy of the program (Windows), else an environment
// setting.
struct Row {
  const char* title;
  Strings before;
  std::string command;  // "|" between arguments
  Strings out;
  Strings after;
  int code = 0;
  std::string only = "";  // "linux" or "windows": a row that differs by design
  Strings setup = {};
};

const Strings kUsage = {
    "STAMPIX 20110228",
    "This utility adds a date stamp to a file or directory name.",
    "",
    "The date stamp is in the format YYYYMMDD where Y=year, M=month D=day of the",
    "last time the file was modified. If the name already has a date or any",
    "8-digit number between parentheses, a new date is not added even if the",
    "contents have changed.",
    "",
    "Syntax:  STAMPIX [/Y] [drive:][path]<name>",
    "",
    "The /Y option overwrites the destination file name if it already exists.",
    "",
    "Example: STAMPIX C:\\TEST\\MYFILE.EXT",
    "",
    "In this example MYFILE.TXT was last modified on December 31, 2004, so the",
    "above example command line will rename MYFILE.TXT to MYFILE(20041231).TXT."};
const std::string kA = "{d}A.TXT = A(20041231).TXT", kOld = "{d}OLD = OLD(20041231)";
const std::string kSkipA = "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)";
const std::string kKeptA = "Error: Destination \"A(20041231).TXT\" cannot be removed.";
const std::string kKept = "Error: Not all of \"OLD\" could be merged; it was kept.";
const std::string kXcopy = "\"{t}XCOPY.EXE\"  {d}OLD {d}OLD(20041231) /y/c/i/q/e/h";
const std::string kL(100, 'L');
const Strings kOlds = {"OLD/", "OLD(20041231)/"};

// clang-format off
const Row kRows[] = {
    // The pass.
    {"one file", {"MYFILE.TXT=text"}, "{d}MYFILE.TXT", {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, {"MYFILE(20041231).TXT=text"}},
    {"a stamped name says nothing", {"A(20041231).TXT"}, "{d}A(20041231).TXT", {}, {"A(20041231).TXT"}},
    {"every kind of name", {"README", ".profile", "D.TAR.GZ", "(1234567).TXT", "(123456789)", "X(99999999).TXT", "((12345678))", "A (87654321) B", "(1234567a)", "N.OLD/"}, "{d}",
     {"{d}README = README(20041231)", "{d}.profile = (20041231).profile", "{d}D.TAR.GZ = D.TAR(20041231).GZ", "{d}(1234567).TXT = (1234567)(20041231).TXT",
      "{d}(123456789) = (123456789)(20041231)", "{d}(1234567a) = (1234567a)(20041231)", "{d}N.OLD = N(20041231).OLD", "Renamed 7 files"},
     {"((12345678))", "(1234567)(20041231).TXT", "(123456789)(20041231)", "(1234567a)(20041231)", "(20041231).profile", "A (87654321) B", "D.TAR(20041231).GZ", "N(20041231).OLD/", "README(20041231)", "X(99999999).TXT"}},
    // NOTES.TXTOLD has a short name NOTES~1.TXT that the system's own search would match.
    {"a pattern selects by long name, in any case", {"MYFILE.TXT", "b.txt", "NOTES.TXTOLD", "C"}, "{d}*.txt",
     {"{d}MYFILE.TXT = MYFILE(20041231).TXT", "{d}b.txt = b(20041231).txt", "Renamed 2 files"}, {"C", "MYFILE(20041231).TXT", "NOTES.TXTOLD", "b(20041231).txt"}},
    {"a plain name in another case", {"MYFILE.TXT"}, "{d}myfile.txt", {"{d}MYFILE.TXT = MYFILE(20041231).TXT"}, {"MYFILE(20041231).TXT"}, 0, "windows"},
    {"hidden entries too", {".hidden", ".cache/"}, "{d}*", {"{d}.hidden = (20041231).hidden", "{d}.cache = (20041231).cache", "Renamed 2 files"}, {"(20041231).cache/", "(20041231).hidden"}},
    {"an empty folder", {}, "{d}*.*", {}, {}},
    {"only stamped names", {"A(20041231).TXT", "B(20041231)"}, "{d}", {"Renamed 0 files"}, {"A(20041231).TXT", "B(20041231)"}},
    {"nothing matches", {"A.TXT"}, "{d}*.XYZ", {"File not found: \"{d}*.XYZ\""}, {"A.TXT"}, 1},
    {"names outside ASCII, letter case ignored", {"\xCE\x91\xCE\x92.TXT=g", "\xCE\x93.TXT"}, "{d}\xCE\xB1*",
     {"{d}\xCE\x91\xCE\x92.TXT = \xCE\x91\xCE\x92(20041231).TXT"}, {"\xCE\x91\xCE\x92(20041231).TXT=g", "\xCE\x93.TXT"}},
    {"names that are not UTF-8", {"\xFF\xFE.TXT", "\xC3.TXT", "\xED\xA0\x80"}, "{d}\xFF*", {"{d}\xFF\xFE.TXT = \xFF\xFE(20041231).TXT"}, {"\xC3.TXT", "\xED\xA0\x80", "\xFF\xFE(20041231).TXT"}, 0, "linux"},
    {"dates before 1970 and in 1601", {"OLD@-2000000000", "OLDER@-11644473600"}, "{d}", {"{d}OLD = OLD(19060816)", "{d}OLDER = OLDER(16010101)", "Renamed 2 files"},
     {"OLD(19060816)", "OLDER(16010101)"}, 0, "linux", {"TZ=UTC0"}},
    // A date past the year 9999 has no stamp, and an entry never replaces itself.
    {"a date eight digits cannot write", {"HUGE=h@1845778901771"}, "/Y|{d}HUGE", {"{d}HUGE = HUGE", "Skipped: \"HUGE\" (destination \"HUGE\" exists)"}, {"HUGE=h"}, 0, "linux"},
    // 00:30 local time in summer (UTC+2) and 23:30 local time in winter (UTC+1).
    {"the local date of the entry's own moment", {"SUMMER@1089930600", "WINTER@1074205800"}, "{d}*", {"{d}SUMMER = SUMMER(20040716)", "{d}WINTER = WINTER(20040115)", "Renamed 2 files"},
     {"SUMMER(20040716)", "WINTER(20040115)"}, 0, "linux", {"TZ=CET-1CEST,M3.5.0,M10.5.0/3"}},

    // The command line.
    {"nothing asks for the usage", {"A.TXT"}, "", kUsage, {"A.TXT"}},
    {"/? after a name shows only the usage", {"A.TXT"}, "{d}A.TXT|/?", kUsage, {"A.TXT"}},
    {"a wildcard in the folder", {"TEST/", "TEST/A.TXT"}, "{d}TE?T{s}A.TXT", {"Error: Wildcards not allowed in path."}, {"TEST/", "TEST/A.TXT"}, 1},
    {"a lone /Y stamps the current folder", {"A.TXT=new", "A(20041231).TXT=old"}, "/y", {kA, "Renamed 1 file"}, {"A(20041231).TXT=new"}, 0, "", {"cwd"}},
    {"quotes around a path with blanks", {"MY FILES/", "MY FILES/A.TXT"}, "/y \"{d}MY FILES{s}A.TXT\" ", {"{d}MY FILES{s}A.TXT = A(20041231).TXT"}, {"MY FILES/", "MY FILES/A(20041231).TXT"}, 0, "windows"},
    {"quotes then a trailing blank stay", {"A.TXT"}, "\"{d}A.TXT\" ", {"File not found: \"\"{d}A.TXT\" \""}, {"A.TXT"}, 1, "windows"},
    {"a drive and a name", {"A.TXT=new", "A(20041231).TXT=old"}, "C:A.TXT", {"C:A.TXT = A(20041231).TXT", "Skipped: \"C:A.TXT\" (destination \"C:A(20041231).TXT\" exists)"},
     {"A(20041231).TXT=old", "A.TXT=new"}, 0, "windows", {"cwd"}},
    {"/Y with a drive and a name", {"A.TXT=new", "A(20041231).TXT=old"}, "/Y C:A.TXT", {"C:A.TXT = A(20041231).TXT"}, {"A(20041231).TXT=new"}, 0, "windows", {"cwd"}},
    {"operands in turn, /Y for all, one missing", {"A.TXT=a", "B=b", "B(20041231)=old", "Yb"}, "{d}A.TXT|{d}NONE|/y|{d}B|{d}Yb",
     {kA, "File not found: \"{d}NONE\"", "{d}B = B(20041231)", "{d}Yb = Yb(20041231)"}, {"A(20041231).TXT=a", "B(20041231)=b", "Yb(20041231)"}, 1, "linux"},
    {"a blank is part of an operand", {"MY FILES/", "MY FILES/A.TXT"}, "{d}MY FILES{s}A.TXT", {"{d}MY FILES{s}A.TXT = A(20041231).TXT"}, {"MY FILES/", "MY FILES/A(20041231).TXT"}, 0, "linux"},
    {"--help after a name", {"A.TXT"}, "A.TXT|--help", kUsage, {"A.TXT"}, 0, "linux", {"cwd"}},
    {"--version", {}, "--version|A", {"STAMPIX 20110228"}, {}, 0, "linux"},
    {"after -- every argument is an operand", {"--help", "--version"}, "--|--help|--version", {"{d}--help = --help(20041231)", "{d}--version = --version(20041231)"},
     {"--help(20041231)", "--version(20041231)"}, 0, "linux", {"cwd"}},
    {"a current folder that cannot be read", {}, "A.TXT", {"Error: The current folder cannot be read."}, {}, 1, "linux", {"gone"}},
    {"a reader that has left does not stop the run", {"A", "B", "C"}, "{d}", {}, {"A(20041231)", "B(20041231)", "C(20041231)"}, 0, "linux", {"closed"}},

    // The conflict policy.
    {"skipped without /Y", {"A.TXT=new", "A(20041231).TXT=old"}, "{d}A.TXT", {kA, kSkipA}, {"A(20041231).TXT=old", "A.TXT=new"}},
    {"/Y replaces a file", {"A.TXT=new", "A(20041231).TXT=old"}, "/Y|{d}A.TXT", {kA}, {"A(20041231).TXT=new"}},
    {"/Y keeps a read-only file", {"A.TXT=new", "!A(20041231).TXT=old"}, "{d}A.TXT|/Y", {kA, kKeptA}, {"A(20041231).TXT=old", "A.TXT=new"}},
    {"/Y keeps a hidden file", {"A.TXT=new", "~A(20041231).TXT=old"}, "/Y|{d}A.TXT", {kA, kKeptA}, {"A(20041231).TXT=old", "A.TXT=new"}, 0, "windows"},
    {"/Y keeps a name hidden by its dot and a FIFO", {".A.TXT=new", ".A(20041231).TXT=old", "C=new", "%C(20041231)"}, "/Y|{d}.A.TXT|{d}C",
     {"{d}.A.TXT = .A(20041231).TXT", "Error: Destination \".A(20041231).TXT\" cannot be removed.", "{d}C = C(20041231)", "Error: Destination \"C(20041231)\" cannot be removed."},
     {".A(20041231).TXT=old", ".A.TXT=new", "C(20041231)", "C=new"}, 0, "linux"},
    {"a file does not become a folder", {"A.TXT=new", "A(20041231).TXT/"}, "/Y|{d}A.TXT", {kA, "Error: Cannot rename file to folder. ({d}A(20041231).TXT)"}, {"A(20041231).TXT/", "A.TXT=new"}},
    {"a folder does not become a file", {"D/", "D(20041231)=file"}, "{d}D", {"{d}D = D(20041231)", "Error: Cannot rename folder to file. ({d}D(20041231))"}, {"D(20041231)=file", "D/"}},
    // A link is renamed or replaced itself, never what it points to, and never merged.
    {"links are entries of their own", {"T=target", "DIR/", "A.TXT=new", "A(20041231).TXT->T", "L->DIR", "L(20041231)/"}, "/Y|{d}A.TXT|{d}L",
     {kA, "{d}L = L(20041231)", "Error: Cannot rename file to folder. ({d}L(20041231))"}, {"A(20041231).TXT=new", "DIR/", "L(20041231)/", "L->DIR", "T=target"}, 0, "linux"},
    // A name holding a wildcard would make every later step act on all that it matches.
    {"a wildcard in a stored name is never acted on", {"X*.TXT=star", "X*(20041231).TXT/", "Q?"}, "/Y|{d}X*.TXT|{d}Q?",
     {"{d}X*.TXT = X*(20041231).TXT", "Error: Rename failed. Is \"X*.TXT\" in use?", "Renamed 0 files", "{d}Q? = Q?(20041231)", "Error: Rename failed. Is \"Q?\" in use?"},
     {"Q?", "X*(20041231).TXT/", "X*.TXT=star"}, 0, "linux"},
    // Without a no-replace rename a taken name, even an empty folder's, is never replaced.
    {"no no-replace rename: free names", {"A.TXT=a", "D/"}, "{d}", {kA, "{d}D = D(20041231)", "Renamed 2 files"}, {"A(20041231).TXT=a", "D(20041231)/"}, 0, "linux", {"shim"}},
    {"no no-replace rename: taken names", {"A.TXT=a", "A(20041231).TXT", "D/", "D(20041231)/"}, "{d}A.TXT|{d}D",
     {kA, kSkipA, "{d}D = D(20041231)", "Skipped: \"D\" (destination \"D(20041231)\" exists)"}, {"A(20041231).TXT", "A.TXT=a", "D(20041231)/", "D/"}, 0, "linux", {"shim"}},

    // Folder merges under /Y on Linux: renames only, nothing in two places or in none.
    {"a folder merges into its stamped name",
     {"OLD/", "OLD/S/", "OLD/S/NEW=new", "OLD/A=new", "OLD/.h=h", "OLD/L->A", "OLD/K=k", "OLD(20041231)/", "OLD(20041231)/KEEP=keep", "OLD(20041231)/A=old", "OLD(20041231)/S/",
      "OLD(20041231)/S/OLD=old", "OLD(20041231)/K->A"}, "/Y|{d}OLD", {kOld},
     {"OLD(20041231)/", "OLD(20041231)/.h=h", "OLD(20041231)/A=new", "OLD(20041231)/K=k", "OLD(20041231)/KEEP=keep", "OLD(20041231)/L->A", "OLD(20041231)/S/", "OLD(20041231)/S/NEW=new",
      "OLD(20041231)/S/OLD=old"}, 0, "linux"},
    {"what cannot be merged stays, and the folder with it",
     {"OLD/", "OLD/R=new", "OLD/.h=new", "OLD/F=new", "OLD/D/", "OLD/G/", "%OLD/P", "OLD/S/", "OLD/S/R=new", "OLD/FREE=free", "OLD(20041231)/", "!OLD(20041231)/R=old", "OLD(20041231)/.h=old",
      "OLD(20041231)/F/", "OLD(20041231)/D=file", "OLD(20041231)/G->F", "OLD(20041231)/P=file", "OLD(20041231)/S/", "!OLD(20041231)/S/R=old"}, "/Y|{d}OLD", {kOld, kKept},
     {"OLD/", "OLD/.h=new", "OLD/D/", "OLD/F=new", "OLD/G/", "OLD/P", "OLD/R=new", "OLD/S/", "OLD/S/R=new", "OLD(20041231)/", "OLD(20041231)/.h=old", "OLD(20041231)/D=file", "OLD(20041231)/F/",
      "OLD(20041231)/FREE=free", "OLD(20041231)/G->F", "OLD(20041231)/P=file", "OLD(20041231)/R=old", "OLD(20041231)/S/", "OLD(20041231)/S/R=old"}, 0, "linux"},
    {"a merge without a no-replace rename", {"OLD/", "OLD/A=new", "OLD/S/", "OLD(20041231)/", "OLD(20041231)/A=old"}, "/Y|{d}OLD", {kOld},
     {"OLD(20041231)/", "OLD(20041231)/A=new", "OLD(20041231)/S/"}, 0, "linux", {"shim"}},

    // Folder merges under /Y on Windows: the copy tool, a check, then the tree-delete tool.
    {"a merge by the system's copy tool", {"OLD/", "OLD/S/", "OLD/S/NEW=new", "~OLD/H=h", "OLD(20041231)/", "OLD(20041231)/KEEP=keep"}, "/Y {d}OLD",
     {kOld, "2 file(s) copied", "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:"},
     {"OLD(20041231)/", "OLD(20041231)/H=h", "OLD(20041231)/KEEP=keep", "OLD(20041231)/S/", "OLD(20041231)/S/NEW=new"}, 0, "windows", {"tools:DELTREE=0"}},
    {"a copy that left a file out is not followed by the delete", {"MY OLD/", "MY OLD/A=a", "MY OLD(20041231)/"}, "/Y {d}MY OLD",
     {"{d}MY OLD = MY OLD(20041231)", "\"{t}XCOPY.EXE\"  \"{d}MY OLD\" \"{d}MY OLD(20041231)\" /y/c/i/q/e/h", "Error: Not all of \"MY OLD\" could be merged; it was kept."},
     {"MY OLD/", "MY OLD/A=a", "MY OLD(20041231)/"}, 0, "windows", {"tools:XCOPY=0 DELTREE=0"}},
    {"a copy tool that fails", kOlds, "/Y {d}OLD", {kOld, kXcopy, "{t}XCOPY.EXE = ERRORLEVEL 4"}, kOlds, 0, "windows", {"tools:XCOPY=4 DELTREE=0"}},
    {"a copy tool that crashes", kOlds, "/Y {d}OLD", {kOld, kXcopy, "{t}XCOPY.EXE = ERRORLEVEL -1073741819"}, kOlds, 0, "windows", {"tools:XCOPY=crash DELTREE=0"}},
    {"no delete tool", kOlds, "/Y {d}OLD", {kOld, "DELTREE.EXE not found for external call? Make sure this is in your path."}, kOlds, 0, "windows", {"tools:XCOPY=0"}},
    {"a delete tool that fails", {"OLD/", "OLD/A=a", "OLD(20041231)/"}, "/Y {d}OLD", {kOld, "1 file(s) copied", "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:", "{t}DELTREE.EXE = ERRORLEVEL 2"},
     {"OLD/", "OLD/A=a", "OLD(20041231)/", "OLD(20041231)/A=a"}, 0, "windows", {"tools:DELTREE=2"}},
    {"a tool that cannot start", kOlds, "/Y {d}OLD", {kOld, "Error: {t}XCOPY.EXE could not be started."}, kOlds, 0, "windows", {"tools:XCOPY=junk DELTREE=0"}},
    {"a command line too long is not run", {kL + "/", kL + "(20041231)/"}, "/Y {d}" + kL, {"{d}" + kL + " = " + kL + "(20041231)", "Error: Command line too long for XCOPY.EXE."},
     {kL + "/", kL + "(20041231)/"}, 0, "windows", {"tools:XCOPY=0 DELTREE=0"}},
};
// clang-format on

std::string Replace(std::string text, const std::string& mark, const std::string& by) {
  for (std::size_t at; (at = text.find(mark)) != text.npos;) text.replace(at, mark.size(), by);
  return text;
}

// A path from UTF-8, which a narrow path on Windows is not taken for.
fs::path At(const fs::path& folder, std::string_view name) {
  return folder / fs::path(std::u8string(name.begin(), name.end()));
}

// A folder of its own, removed with all it holds.
struct Folder {
  Folder() { fs::create_directories(path); }
  ~Folder() {
    for (const auto& entry : fs::recursive_directory_iterator(path))
      if (!entry.is_symlink())
        fs::permissions(entry, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(path);
  }
  std::string text() const { return Native(path.string()) + kSep; }
  const fs::path path =
      fs::temp_directory_path() /
      ("stampix-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
};

// Makes the entries, then dates them, those inside a folder before the folder. Noon of
// 31 December 2004 in UTC falls on that day in every time zone within eleven hours of it.
void Make(const fs::path& folder, const Strings& entries) {
  std::vector<std::pair<fs::path, std::int64_t>> times;
  for (std::string entry : entries) {
    char mark = std::string_view("!~%").find(entry[0]) != std::string_view::npos ? entry[0] : 0;
    if (mark) entry.erase(0, 1);
    std::size_t at = entry.rfind('@'), arrow = entry.find("->"), eq = entry.find('=');
    fs::path path = At(folder, entry.substr(0, std::min({at, arrow, eq})));
    times.emplace_back(path, at == entry.npos ? 1104494400 : std::stoll(entry.substr(at + 1)));
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

// Every entry below the folder, as the rows write them, sorted.
Strings List(const fs::path& folder) {
  Strings entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    std::u8string name = entry.path().lexically_relative(folder).generic_u8string();
    std::string line(name.begin(), name.end());
    std::ostringstream text;
    if (entry.is_symlink()) {
      line += "->" + fs::read_symlink(entry).string();
    } else if (entry.is_directory()) {
      line += "/";
    } else if (entry.is_regular_file()) {
      text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    }
    entries.push_back(line + (text.str().empty() ? "" : "=" + text.str()));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The setup of a row. Windows tools are stubs beside a copy of the program, which looks there
// first; a word "XCOPY=junk" makes one that cannot start.
void Prepare(const Strings& setup, const fs::path& folder, const fs::path& bin, Start& start) {
  for (const std::string& item : setup) {
    if (item == "cwd" || item == "gone") start.cwd = Native(folder.string());
    if (item == "gone") start.shell = "mkdir GONE && cd GONE && rmdir \"$PWD\" && {}";
    if (item == "closed") start.shell = "(sleep 0.2; {}) | head -c 0";
    if (item == "shim") start.env.push_back(std::string("LD_PRELOAD=") + NO_NOREPLACE);
    if (item.find('=') != item.npos && !item.starts_with("tools:")) start.env.push_back(item);
    if (!item.starts_with("tools:")) continue;
    start.program = Native((bin / "STAMPIX.EXE").string());
    fs::copy_file(Native(STAMPIX_PROGRAM), start.program);
    std::istringstream words(item.substr(6));
    for (std::string word; words >> word;) {
      fs::path tool = bin / (word.substr(0, word.find('=')) + ".EXE");
      if (word.ends_with("junk")) std::ofstream(tool) << "not a program";
      if (!word.ends_with("junk")) fs::copy_file(Native(STUB_TOOL), tool);
      start.env.push_back("STUB_" + word);
    }
  }
}

// The lines as the program writes them. Entries come in the file system's order, so where a
// count line ends a run only the count line's place is compared.
std::string Lines(const Strings& lines, const std::string& d, const std::string& t = "") {
  std::string text;
  for (const std::string& line : lines)
    text += Replace(Replace(Replace(line, "{d}", d), "{t}", t), "{s}", kSep) +
            std::string(platform::kLineEnd);
  return text;
}

std::string InOrder(const std::string& out, const Strings& expected) {
  if (expected.empty() || !expected.back().starts_with("Renamed ")) return out;
  std::istringstream in(out);
  Strings lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end() - 1);
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

TEST(Scenarios, OneTableForBothBuilds) {
  for (const Row& row : kRows) {
    if (row.only == (kLinux ? "windows" : "linux")) continue;
    SCOPED_TRACE(row.title);
    Folder folder, bin;
    Make(folder.path, row.before);
    const std::string d = folder.text(), t = bin.text() + "my tools\\";
    fs::create_directory(bin.path / "my tools");
    Start start{Replace(Replace(row.command, "{d}", d), "{s}", kSep)};
    Prepare(row.setup, folder.path, bin.path / "my tools", start);
    Result result = RunProgram(start);
    EXPECT_EQ(InOrder(result.out, row.out), InOrder(Lines(row.out, d, t), row.out));
    EXPECT_EQ(result.code, row.code);
    Strings after = row.after;
    std::sort(after.begin(), after.end());
    EXPECT_EQ(List(folder.path), after);
  }
}

// Linux takes paths of 4,095 bytes, Windows of 256 characters counted in UTF-16 units, so there
// a folder named in three-byte characters takes a third of its bytes. A longer search text ends
// the run; a longer stamped path is refused for that entry alone.
TEST(Scenarios, PathsAtTheLimitAndOneBeyond) {
  const std::size_t limit = kLinux ? 4095 : 256;
  const std::string unit = kLinux ? "D" : "\xE6\x97\xA5";
  Folder folder;
  std::string d = folder.text(), component;
  for (int i = 0; i < (kLinux ? 200 : 40); ++i) component += unit;
  std::size_t units = d.size();  // the folder's own path is ASCII
  for (; limit - units > (kLinux ? 250 : 60); units += component.size() / unit.size() + 1)
    d += component + kSep;
  fs::create_directories(At("", d));
  const std::string fits(limit - units - 14, 'F'), over(limit - units - 13, 'G');
  Make(At("", d), {fits + ".TXT", over + ".TXT"});
  const Strings lines = {"{d}" + fits + ".TXT = " + fits + "(20041231).TXT",
                         "{d}" + over + ".TXT = " + over + "(20041231).TXT",
                         "Error: Path too long. ({d}" + over + "(20041231).TXT)", "Renamed 1 file"};
  EXPECT_EQ(InOrder(RunProgram({d + "*.TXT"}).out, lines), InOrder(Lines(lines, d), lines));
  const std::string at_limit(limit - units, 'N');
  EXPECT_EQ(RunProgram({d + at_limit}).out, Lines({"File not found: \"{d}" + at_limit + "\""}, d));
  Result result = RunProgram({d + at_limit + "N"});
  EXPECT_EQ(result.out, Lines({"Error: Path too long. ({d}" + at_limit + "N)"}, d));
  EXPECT_EQ(result.code, 1);
}

}  // namespace
