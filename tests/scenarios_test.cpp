// The program run over real folders, one scenario a test, on both builds: the entries before,
// the command line, the lines written to each stream, the exit code and every entry afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

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
// The photos and videos a row made: their bytes, and what they were made from.
using Fixtures = std::map<std::string, std::string>;

// ---- The harness: scratch folders, entries made and read back, runs of the program ----

std::string Content(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

const char kSep = static_cast<char>(fs::path::preferred_separator);

// A path from UTF-8, which a narrow path on Windows is not taken for, with the build's own
// separators and none at its end.
fs::path At(const fs::path& folder, std::string_view name) {
  if (name.ends_with('/')) name.remove_suffix(1);
  return folder / fs::path(std::u8string(name.begin(), name.end())).make_preferred();
}

// Linux's tmpfs keeps any date a file may hold, past 9999 and before 1901 too; Windows rows want
// drive C: for its current folder.
fs::path ScratchRoot() {
  const char* scratch = std::getenv("STAMPIX_SCRATCH");
  if (scratch && *scratch) return scratch;
  return kSep == '/' && fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
}

#ifdef _WIN32
// Under Wine the build's paths are Unix paths: "/x/y" is "Z:\x\y".
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path.starts_with("\\") ? "Z:" + path : path;
}

// The long form, so that a name ending in a dot or blank is made and read as it is.
fs::path Whole(const fs::path& path) { return L"\\\\?\\" + fs::absolute(path).wstring(); }

// The runtime cannot date a folder; the system can, given backup semantics.
void SetTime(const fs::path& path, double seconds) {
  ULARGE_INTEGER ticks{.QuadPart = static_cast<ULONGLONG>((seconds + 11644473600) * 1e7)};
  FILETIME time{ticks.LowPart, ticks.HighPart};
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFileTime(h, nullptr, nullptr, &time);
  CloseHandle(h);
}

// A Unix program, which Wine starts but gives no handle to wait for (and a thread handle that is
// not one); false where there is none.
bool RunUnix(std::string line, const fs::path& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.string().c_str(), &startup, &process);
}

// Waits up to five seconds for a Unix program's work.
void Await(const fs::path& path, bool there) {
  for (int i = 0; i < 500 && fs::exists(path) != there; ++i) Sleep(10);
}

// A hidden ("~") or system ("^") entry, or a Unix link to `target`: Wine makes none itself.
void MakeSpecial(const fs::path& path, char mark, const std::string& target) {
  if (!mark && RunUnix("/bin/ln -s \"" + target + "\" \"" + path.filename().string() + "\"",
                       path.parent_path()))
    return Await(path, true);
  DWORD bit = mark == '~' ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_SYSTEM;
  SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | bit);
}

// Under Wine all of it, Unix links too, which Wine cannot remove.
void RemoveUnix(const fs::path& top) {
  if (RunUnix("/bin/rm -rf \"" + top.filename().string() + "\"", top.parent_path()))
    Await(top, false);
}

std::string Date(const fs::path&) { return ""; }

// The mark of a read-only, hidden or system entry, as Make takes it.
std::string Mark(const fs::path& path) {
  const DWORD bits = GetFileAttributesW(path.c_str());
  for (auto [bit, mark] : {std::pair{FILE_ATTRIBUTE_READONLY, "!"}, {FILE_ATTRIBUTE_HIDDEN, "~"},
                           {FILE_ATTRIBUTE_SYSTEM, "^"}})
    if (bits & bit) return mark;
  return "";
}

#else
std::string Native(std::string path) { return path; }

fs::path Whole(const fs::path& path) { return path; }

std::string Quote(std::string_view word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The entry's own time, a link's too.
void SetTime(const fs::path& path, double seconds) {
  const struct timespec time = {static_cast<time_t>(std::floor(seconds)),
                                static_cast<long>((seconds - std::floor(seconds)) * 1e9)};
  const struct timespec times[2] = {time, time};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A FIFO ("%"), a link to `target` (no mark), an entry of another user ("+") or a folder that
// every user may write to ("$", sticky).
void MakeSpecial(const fs::path& path, char kind, const std::string& target) {
  if (kind == '%') mkfifo(path.c_str(), 0644);
  if (kind == 0) fs::create_symlink(target, path);
  if (kind == '+' && lchown(path.c_str(), 65534, 65534) != 0) ADD_FAILURE() << "not root";
  if (kind == '$') chmod(path.c_str(), 01777);
}

std::string Mark(const fs::path&) { return ""; }

// The entry's own last write, as Make writes it, where it is not Make's default.
std::string Date(const fs::path& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || st.st_mtime == 1104494400) return "";
  return "@" + std::to_string(st.st_mtime);
}

void RemoveUnix(const fs::path&) {}

#endif

const bool kLinux = kSep == '/';

// The folder "F" of a test's own, inside a folder that is removed with all it holds. It is made
// in STAMPIX_SCRATCH where that is set (a file system image), else on Linux's tmpfs or in the
// temporary folder.
struct ScratchFolder {
  ScratchFolder()
      : path(ScratchRoot() / ("stampix-" + std::to_string(std::random_device()())) / "F"),
        text(Native(path.string()) + kSep),
        tools(Native(path.parent_path().string()) + kSep + "my tools" + kSep),
        state(path.parent_path() / "state") {
    fs::create_directories(path);
    // A file-system image gives every user write access: no place for the journals.
    if (std::getenv("STAMPIX_SCRATCH")) state = fs::temp_directory_path() / path.parent_path().filename();
  }

  ~ScratchFolder() {
    if (state.parent_path() != path.parent_path()) fs::remove_all(state);
    RemoveUnix(path.parent_path());
    if (!fs::exists(path.parent_path())) return;
    for (const auto& entry : fs::recursive_directory_iterator(Whole(path.parent_path())))
      if (!entry.is_symlink())
        fs::permissions(entry, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(Whole(path.parent_path()));
  }

  fs::path path;
  std::string text;   // as the program shows it, with a separator at its end
  std::string tools;  // the folder of a row's tools beside it (Windows), likewise
  fs::path state;     // the runs' journals (Linux)
};

// Makes the entries (see the legend at Row), then dates them, those inside a folder before the
// folder.
void Make(const fs::path& folder, const Strings& entries, Fixtures& fixtures) {
  std::vector<std::pair<fs::path, double>> times;
  for (std::string entry : entries) {
    char mark = std::string_view("!~^%+$").find(entry[0]) != std::string_view::npos ? entry[0] : 0;
    if (mark) entry.erase(0, 1);
    std::size_t at = entry.rfind('@'), arrow = entry.find("->"), eq = entry.find('='),
                lt = entry.find('<');
    const std::string name = entry.substr(0, std::min({at, arrow, eq, lt}));
    fs::path path = At(Whole(folder), name);
    times.emplace_back(path, at == entry.npos ? 1104494400 : std::stod(entry.substr(at + 1)));
    if (arrow != entry.npos || mark == '%') {
      MakeSpecial(path, mark, entry.substr(std::min(arrow + 2, entry.size())));
    } else if (name.ends_with("/")) {
      fs::create_directories(path);
    } else if (entry.find("=>") == eq && eq != entry.npos) {
      fs::create_hard_link(At(Whole(folder), entry.substr(eq + 2)), path);
    } else if (lt != entry.npos) {
      fs::copy_file(fs::path(Native(TAKEN_CORPUS)) / entry.substr(lt + 1, at - lt - 1), path);
      fixtures[Content(path)] = entry.substr(lt + 1, at - lt - 1);
    } else {
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary)
          << (eq == entry.npos ? "" : entry.substr(eq + 1, at - eq - 1));
    }
    if (mark == '~' || mark == '^' || mark == '+' || mark == '$') MakeSpecial(path, mark, "");
    if (mark == '!') fs::permissions(path, fs::perms::owner_write, fs::perm_options::remove);
  }
  for (auto it = times.rbegin(); it != times.rend(); ++it) SetTime(it->first, it->second);
}

// Every entry below the folder in the form Make takes, with the contents of files, a fixture's
// as what it was made from (and on Windows the mark of its attributes).
// `dates`: with each entry's last write where it is not the default (Linux).
std::set<std::string> List(const fs::path& folder, const Fixtures& fixtures, bool dates = false) {
  std::set<std::string> entries;
  const std::size_t root = Whole(folder).native().size() + 1;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Whole(folder))) {
    std::u8string name = fs::path(entry.path().native().substr(root)).generic_u8string();
    std::string line(name.begin(), name.end());
    std::string text = entry.is_regular_file() && !entry.is_symlink() ? Content(entry.path()) : "";
    if (entry.is_symlink()) line += "->" + fs::read_symlink(entry).string();
    if (entry.is_directory() && !entry.is_symlink()) line += "/";
    if (fixtures.contains(text)) line += "<" + fixtures.at(text);
    if (!text.empty() && !fixtures.contains(text)) line += "=" + text;
    entries.insert(Mark(entry.path()) + line + (dates ? Date(entry.path()) : ""));
  }
  return entries;
}

// Standard output byte for byte, standard error (Linux), the exit code.
// clang-format off
struct Result { std::string out, err; int code; };
// clang-format on

// Runs the program on a row's command with its setup (see the legend at Row).
#ifdef _WIN32
// Stubs of the tools named in "tools:", beside a copy of the program that looks there first.
std::string PutTools(const std::string& item, const ScratchFolder& scratch) {
  const fs::path bin = scratch.path.parent_path() / "my tools";
  fs::create_directory(bin);
  fs::copy_file(Native(STAMPIX_PROGRAM), bin / "STAMPIX.EXE");
  std::istringstream words(item.substr(6));
  for (std::string word; words >> word;) {
    const std::string tool = word.substr(0, word.find('=')), status = word.substr(tool.size() + 1);
    const fs::path exe = bin / (tool + ".EXE");
    if (status == "junk") std::ofstream(exe) << "not a program";
    if (status != "junk")
      fs::copy_file(Native(status == "real" ? DELTREE_PROGRAM : STUB_TOOL), exe);
    std::ofstream(bin / (tool + ".status")) << status;
  }
  return (bin / "STAMPIX.EXE").string();
}

// The exact command line, so that blanks and quotes reach the program as typed.
Result RunProgram(const std::string& command, const Strings& setup, const ScratchFolder& scratch) {
  std::string cwd, program = Native(STAMPIX_PROGRAM);
  HANDLE held = INVALID_HANDLE_VALUE;
  for (const std::string& item : setup) {
    if (item == "cwd") cwd = scratch.path.string();
    if (item.starts_with("tools:")) program = PutTools(item, scratch);
    if (item == "program:DELTREE") program = Native(DELTREE_PROGRAM);
    if (item.starts_with("hold:"))  // open without leave to delete
      held = CreateFileW(At(scratch.path, item.substr(5)).c_str(), GENERIC_READ, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const fs::path out = scratch.path.parent_path() / "out";
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
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  for (HANDLE h : {startup.hStdOutput, process.hProcess, process.hThread, held}) CloseHandle(h);
  return {Content(out), "", static_cast<int>(code)};
}
#else
Result RunProgram(const std::string& command, const Strings& setup, const ScratchFolder& scratch) {
  const std::string program = STAMPIX_PROGRAM;
  // A runaway program's output stops at a few megabytes, not when memory is full.
  // The run's journal in the test's own folder.
  std::string shell = "{}", cwd, user,
              line = "ulimit -f 4096 && exec env XDG_STATE_HOME=" + Quote(scratch.state.string());
  for (const std::string& item : setup) {
    if (item == "cwd") cwd = "cd " + Quote(scratch.path.string()) + " && ";
    if (item == "nobody") user = " setpriv --reuid=65534 --regid=65534 --clear-groups";
    if (item.starts_with("sh:")) shell = item.substr(3);
    if (!item.starts_with("sh:") && item.find('=') != item.npos) line += " " + Quote(item);
  }
  line += user + " " + Quote(program);
  std::istringstream words(command);
  for (std::string word; std::getline(words, word, '|');) line += " " + Quote(word);
  if (command.ends_with('|')) line += " ''";
  const fs::path out = scratch.path.parent_path() / "out", err = out.string() + "-err";
  int status = std::system((cwd + shell.replace(shell.find("{}"), 2, line) + " >" +
                            Quote(out.string()) + " 2>" + Quote(err.string()))
                               .c_str());
  return {Content(out), Content(err), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
#endif

// ---- The table ----

// The legend of the table. Entries, arguments and lines have "|" between them.
// - An entry is "NAME" (an empty file), "NAME=TEXT" (a file holding TEXT), "NAME/" (a folder),
//   "NAME->T" (a symbolic link to T; under Wine a Unix one), "NAME=>T" (another name of the
//   file T) or "NAME<SEED" (a copy of that photo or video of the fuzz corpus, which its name
//   says the date of). Before the name "!" makes it read-only, "~" hidden and "^" a system
//   file (Windows),
//   "%" a FIFO, "+" another user's and "$" a folder all may write to (Linux); after it
//   "@SECONDS" is its last-write time, else noon of 31 December 2004 UTC (that day in every zone
//   within 11 hours).
// - The command goes to the program as arguments (Linux) or as one tail, "|" read as a blank
//   (Windows).
// - Setup: "cwd" runs it in the scratch folder; on Linux "NAME=VALUE" sets its environment,
//   "nobody" runs it as that user and "sh:WORDS" runs it inside shell words, "{}" standing for
//   it; on Windows "tools:XCOPY=S DELTREE=S" puts stubs of the tools that end with status S
//   beside a copy of the program ("junk": one that cannot start, "keep": DELTREE says 0 and
//   deletes nothing, "real": the built DELTREE.EXE), "program:DELTREE" runs the built
//   DELTREE.EXE instead, and "hold:NAME" keeps the file open without leave to delete it.
// - In entries, commands and lines "{d}" is the scratch folder as the program shows it, "{t}"
//   the folder of the tools, "{s}" the separator, "{f}" a name that fills the folder's path to
//   250 characters, "{n}" today's date and "{p}" the program; "{L:A~W:B}" is A on Linux and B on
//   Windows.
struct Row {
  const char* title;
  std::string before = "", command = "";
  std::string out = "", err = "";         // standard output (on Windows every line), error
  std::optional<std::string> after = {};  // none given: as before
  int code = 0;
  std::string_view only = "";  // "linux" or "windows": a row that differs by design
  Strings setup = {};
  bool ordered = false;  // Windows: lines compared in full order, not block by block (Linux: always)
  bool images = false;   // Linux: run again on ext4, exFAT and NTFS images
  bool dates = false;    // Linux: entries afterwards with their last writes (see Make)
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.title; }

const std::string kTaken = "A.TXT=new|A(20041231).TXT=old", kOlds = "OLD/|OLD(20041231)/";
// "u": "--undo" with the moment and folder of the run it names as "WHEN"; then the row's
// command, then "u", whose lines the row shows.
const std::string kU = "sh:export XDG_STATE_HOME={d}../state; u() { {p} --undo \"$@\" 2>{d}../e; "
                       "s=$?; sed -E 's/of [0-9-]+ [0-9:]+ in \".*\": /of WHEN: /' {d}../e >&2; "
                       "return $s; }; ";
const std::string kUndo = kU + "({}) >/dev/null && u";
const std::string kWhen = "stampix: putting back the run of WHEN: stampix ";
// Taken at 05:30 on 4 July where the offset is +09:00: the day before in New York, by UTC.
const std::string kPhoto = "<jpeg.20190704", kMovie = "<mp4.utc1562293800",
                  kLate = "<mp4_movie_past_the_head.utc1562293800";
std::string Repeat(std::string_view text, int times) {
  std::string repeated;
  while (times-- > 0) repeated += text;
  return repeated;
}
const std::string kL(100, 'L'), kN(246, 'N'), kJa = Repeat("\xE6\x97\xA5", 80);
// The Windows program's usage text, as it has always been, as a row's lines.
#ifdef _WIN32
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
const std::string kUsage = [] {
  std::string lines(kUsageText, sizeof kUsageText - 2);
  std::replace(lines.begin(), lines.end(), '\n', '|');
  return lines;
}();
#else
const std::string kUsage;  // the Linux program's own words, which its row shows the ends of
#endif
// 300 folders "d" one in the other below OLD and below OLD(20041231), a file at the bottom,
// merged on a stack too small for a frame per level: all still there after.
const std::string kDeep = Repeat("d/", 300);

const std::string kLinked = "Error: \"OLD\" was kept: \"OLD(20041231)\" holds a link, or shares"
                          " a file or folder with it.";
// clang-format off
// "/Y" on the Windows program with stand-ins for its tools: the lines after the announcement.
Row Merge(const char* title, std::string before, std::string tools, std::string lines,
          std::optional<std::string> after = {}) {
  return {.title = title, .before = before, .command = "/Y {d}OLD",
   .out = "{d}OLD = OLD(20041231)|" + lines,
          .after = after, .only = "windows", .setup = {"tools:" + tools}};
}

const Row kRows[] = {
    // ---- The pass ----
    {.title = "one file", .before = "MYFILE.TXT=text", .command = "{d}MYFILE.TXT",
     .out = "{d}MYFILE.TXT = MYFILE(20041231).TXT", .after = "MYFILE(20041231).TXT=text",
     .images = true},
    {.title = "every kind of name", .before = "README|D.TAR.GZ|(1234567).TXT|(123456789)|"
     "X(99999999).TXT|((12345678))|(1234567a)|N.OLD/", .command = "{d}*",
     .out = "{d}(1234567).TXT = (1234567)(20041231).TXT|{d}(123456789) = (123456789)(20041231)|"
            "{d}(1234567a) = (1234567a)(20041231)|{d}D.TAR.GZ = D.TAR(20041231).GZ|{d}N.OLD = "
            "N(20041231).OLD|{d}README = README(20041231)|Renamed {L:5 files and 1 folder~W:6 files}",
     .after = "((12345678))|(1234567)(20041231).TXT|(123456789)(20041231)|(1234567a)(20041231)|"
              "D.TAR(20041231).GZ|N(20041231).OLD/|README(20041231)|X(99999999).TXT",
     .images = true},
    // NOTES.TXTOLD has a short name NOTES~1.TXT that the system's own search would match; Greek
    // capitals match their small letters.
    {.title = "a pattern selects by long name, in any case",
     .before = "MYFILE.TXT|b.txt|NOTES.TXTOLD|C|\xCE\x91\xCE\x92.TXT", .command = "{d}*.txt",
     .out = "{d}MYFILE.TXT = MYFILE(20041231).TXT|{d}b.txt = b(20041231).txt|"
            "{d}\xCE\x91\xCE\x92.TXT = \xCE\x91\xCE\x92(20041231).TXT|Renamed 3 files",
     .after = "C|MYFILE(20041231).TXT|NOTES.TXTOLD|b(20041231).txt|\xCE\x91\xCE\x92(20041231).TXT",
     .images = true},
    {.title = "an empty folder", .command = "{d}*.*", .only = "windows"},
    // Windows counts a path's characters in UTF-16 units, 80 of three bytes as 80, and refuses
    // one of more than 256 ({f} fills the folder's path to 250).
    {.title = "paths counted in characters, one too long refused", .before = kJa + "|{f}",
     .command = "{d}*", .out = "{d}" + kJa + " = " + kJa + "(20041231)|{d}{f} = {f}(20041231)|"
     "Error: Path too long. ({d}{f}(20041231))|Renamed 1 file", .after = kJa + "(20041231)|{f}",
     .only = "windows"},
    {.title = "names that are not UTF-8: one unit a byte",
     .before = "\xFF\xFE.TXT|\xC3.TXT|\xF4\x90\x80\x80", .command = "{d}\xFF*|{d}?",
     .out = "{d}\xFF\xFE.TXT = \xFF\xFE(20041231).TXT", .err = "stampix: nothing matches \"{d}?\"",
     .after = "\xC3.TXT|\xF4\x90\x80\x80|\xFF\xFE(20041231).TXT", .code = 1, .only = "linux"},
    // A date past the year 9999 has no stamp, the year 1 has, and an entry never replaces itself.
    {.title = "the day of the second, before 1601 and 1000 too, and after 9999 none",
     .before = "A@1104537600|B@-11644473600.5|C@1104537600.5|D@1104537599.995|Y@-30610267200|"
               "HUGE@1845778901771|O@-62135596800", .command = "/Y|{d}*",
     .out = "{d}A = A(20050101)|{d}B = B(16001231)|{d}C = C(20050101)|{d}D = D(20041231)|"
            "{d}O = O(00010101)|{d}Y = Y(09991231)|Renamed 6 files",
     .err = "stampix: cannot stamp \"{d}HUGE\": its date has no stamp of eight digits",
     .after = "A(20050101)|B(16001231)|C(20050101)|D(20041231)|HUGE|O(00010101)|Y(09991231)",
     .code = 1, .only = "linux", .setup = {"TZ=UTC0"}},
    // New York: 00:30 in summer and 23:30 in winter local time, and 23:30 EST on 19 March 2006,
    // when summer time still began in April.
    {.title = "the local date by the zone's rules at the entry's own moment",
     .before = "S@1089952200|W@1074227400|A@1142829000", .command = "{d}*", .out = "{d}A = A(20060319)|"
     "{d}S = S(20040716)|{d}W = W(20040115)|Renamed 3 files",
     .after = "S(20040716)|W(20040115)|A(20060319)", .setup = {"TZ=America/New_York"}},

    // ---- The Windows command line ----
    {.title = "/? after a name shows only the usage", .before = "A.TXT", .command = "{d}A.TXT /?",
     .out = kUsage, .only = "windows", .ordered = true},
    {.title = "a wildcard in the folder", .before = "TEST/|TEST/A.TXT",
     .command = "{d}TE?T{s}A.TXT", .out = "Error: Wildcards not allowed in path.", .code = 1,
     .only = "windows"},
    {.title = "a drive and a name", .before = kTaken, .command = "C:A.TXT",
     .out = "C:A.TXT = A(20041231).TXT|Skipped: \"C:A.TXT\" (destination \"C:A(20041231).TXT\" "
            "exists)", .only = "windows", .setup = {"cwd"}},
    // The system would strip the dot or blank and act on another entry, or read a pattern.
    {.title = "a name the system cannot name exactly is never acted on",
     .before = "A.TXT=keep-me@1054468800|A.TXT.=dotted|A.TXT(20041231)=precious|B ",
     .command = "/Y {d}*.", .out = "{d}A.TXT. = A.TXT(20041231).|Error: Rename failed. Is "
     "\"A.TXT.\" in use?|{d}B  = B (20041231)|Error: Rename failed. Is \"B \" in use?|"
     "Renamed 0 files", .only = "windows"},
    // Between two names of one file the system may call a move done that changed nothing.
    {.title = "a move between two names of one file is not taken for a rename",
     .before = "A(20041231).TXT=x|A.TXT=>A(20041231).TXT", .command = "{d}*.TXT",
     .out = "{d}A.TXT = A(20041231).TXT|"
     "Skipped: \"A.TXT\" (destination \"A(20041231).TXT\" exists)|"
     "Renamed 0 files",
     .only = "windows"},
    {.title = "a typed name the system would read as a pattern selects nothing",
     .before = "ABC.TXT|ABD.TXT", .command = "{d}AB>.TXT", .out = "File not found: \"{d}AB>.TXT\"",
     .code = 1, .only = "windows"},
    {.title = "a dot names no entry", .before = "F/", .command = ".",
     .out = "File not found: \"{d}.\"", .code = 1, .only = "windows", .setup = {"cwd"}},

    // ---- The Linux command line ----
    {.title = "-h shows the usage", .before = "A", .command = "{d}A|-h", .out = "Usage: stampix "
     "[OPTION]... PATH...|not understood; 128+N when signal N stopped the run between two entries.",
     .only = "linux", .setup = {"sh:{} | sed -n '1p;$p'"}, .ordered = true},
    {.title = "--version", .command = "--version|A", .out = "STAMPIX 20110228", .only = "linux"},
    {.title = "an unknown option is refused before anything is touched", .before = "A",
     .command = "{d}A|--frobnicate|-x",
     .err = "stampix: unknown option \"--frobnicate\"; see \"stampix --help\"", .code = 2,
     .only = "linux"},
    // Names are literal first, stored "*" and "?" included, and folder parts always; "DIR/" is
    // the folder DIR itself; after "--" every argument is an operand. Names and patterns of one
    // folder are taken in their order. A link is replaced itself, never what it points to.
    {.title = "operands in turn, options anywhere", .before = "A.TXT=a|B=b|B(20041231)=old|"
     "what?.txt|whatX.txt|Q&A?/|Q&A?/*|OLD/|OLD/A|F|-x|L=new|L(20041231)->T|T=t",
     .command = "{d}A.TXT|{d}N|{d}N/X|/y|{d}B|{d}wh*X.txt|{d}what?.txt|{d}Q&A?/*|{d}OLD/|{d}F/|"
     "{d}L|--|-x", .out = "{d}A.TXT = A(20041231).TXT|{d}B = B(20041231)|{d}whatX.txt = whatX"
     "(20041231).txt|{d}what?.txt = what?(20041231).txt|{d}Q&A?/* = *(20041231)|{d}OLD = OLD("
     "20041231)|{d}L = L(20041231)|-x = -x(20041231)|Renamed 7 files and 1 folder",
     .err = "stampix: cannot stamp \"{d}N\": No such file or directory|"
     "stampix: cannot stamp \"{d}N/X\": No such file or directory|"
     "stampix: cannot rename \"{d}F\" to \"{d}F(20041231)\": Not a directory",
     .after = "-x(20041231)|A(20041231).TXT=a|B(20041231)=b|F|L(20041231)=new|OLD(20041231)/|"
              "OLD(20041231)/A|Q&A?/|Q&A?/*(20041231)|T=t|what?(20041231).txt|whatX(20041231).txt",
     .code = 1, .only = "linux", .setup = {"cwd"}, .ordered = true},
    {.title = "operands that name no entry of their own", .before = "A",
     .command = "|..|/|{d}A/.", .err = "stampix: an empty PATH names no entry|"
     "stampix: refusing to stamp \"..\": give the folder by its own name|"
     "stampix: refusing to stamp \"/\": give the folder by its own name|"
     "stampix: refusing to stamp \"{d}A/.\": give the folder by its own name",
     .code = 1, .only = "linux", .setup = {"cwd"}, .ordered = true},
    {.title = "a pattern selects dot-names only when it starts with a dot, and folders by /",
     .before = ".bashrc|.ssh/|A/|B|C(20041231)/|D->A", .command = "{d}*/|{d}.*", .out = "{d}A = A"
     "(20041231)|{d}.bashrc = (20041231).bashrc|{d}.ssh = (20041231).ssh|Renamed 1 file and 2 "
     "folders", .after =
     "(20041231).bashrc|(20041231).ssh/|A(20041231)/|B|C(20041231)/|D->A", .only = "linux"},
    {.title = "a run leaves its own output alone", .before = "A", .command = "{d}*",
     .err = "stampix: skipped \"{d}log.txt\": this run writes its output there",
     .after = "A(20041231)|log.txt={d}A = A(20041231)\nRenamed 1 file\n", .only = "linux",
     .setup = {"sh:{} >{d}log.txt 2>{d}../out-err #"}},
    {.title = "-0 lists each old and new path ended by a NUL, unescaped", .before = "a\\b|C",
     .command = "-0|{d}a\\b|{d}C", .out = "{d}a\\b|{d}a\\b(20041231)|{d}C|{d}C(20041231)",
     .after = "C(20041231)|a\\b(20041231)", .only = "linux",
     .setup = {"sh:{} | tr '\\0' '\\n'"}, .ordered = true},
    // A line of progress on a terminal while the record goes elsewhere, drawn once for 200
    // entries and erased; none where standard error is no terminal.
    {.title = "progress on a terminal", .command = "-n|{d}P/*",
     .out = "\r128 entries, in {d}P\x1B[K\r\x1B[K", .only = "linux",
     .setup = {"sh:cd {d} && mkdir P && (cd P && seq -f E%03g 200 | xargs touch) && echo \"{} "
               ">/dev/null\" >../r && { script -qec 'sh ../r; sh ../r 2>&1 | cat' /dev/null; "
               "s=$?; echo; rm -r P; exit $s; }"}},
    // A slip such as "xargs stampix /Y" over nothing must not stamp the whole folder.
    {.title = "no PATH is a usage error, whatever the options", .before = kTaken + "|.h",
     .command = "-n|/y", .err = "stampix: no PATH given; see \"stampix --help\"", .code = 2,
     .only = "linux", .setup = {"cwd"}},
    // Control characters, the backslash itself, C1 controls from U+0080 to U+009F (as UTF-8 or as
    // a lone byte) and the direction marks are escaped, so each line reads back one way. Shown as
    // they are: U+2010, U+206A, a lone 0xA0, U+D7FF, U+10FFFF and a character of four bytes; a
    // byte of an overlong form or of a surrogate is a lone byte.
    {.title = "a name with control characters stays one line",
     .before = "a b\n|c\x1f\x7f~\xC2\x80|"
     "d\\e\xC2\x9F\xE2\x80\xAE\x9B|e\xE2\x80\x8F\xE2\x80\x90\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA"
     "\xA0\xF0\x9F\x98\x80|f\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\x80\xE2\x80\x8E",
     .command = "{d}a b\n|{d}c\x1f\x7f~\xC2\x80|{d}d\\e\xC2\x9F\xE2\x80\xAE\x9B|{d}e\xE2\x80\x8F"
     "\xE2\x80\x90\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA\xA0\xF0\x9F\x98\x80|"
     "{d}f\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\x80\xE2\x80\x8E",
     .out = "{d}a b\\n = a b\\n(20041231)|{d}c\\x1F\\x7F~\\u0080 = c\\x1F\\x7F~\\u0080(20041231)|"
     "{d}d\\\\e\\u009F\\u202E\\x9B = d\\\\e\\u009F\\u202E\\x9B(20041231)|"
     "{d}e\\u200F\xE2\x80\x90\\u2066\\u2069\xE2\x81\xAA\xA0\xF0\x9F\x98\x80 = "
     "e\\u200F\xE2\x80\x90\\u2066\\u2069\xE2\x81\xAA\xA0\xF0\x9F\x98\x80(20041231)|"
     "{d}f\xF0\\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\\x80\\u200E = "
     "f\xF0\\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\\x80\\u200E(20041231)|Renamed 5 files",
     .after = "a b\n(20041231)|c\x1f\x7f~\xC2\x80(20041231)|d\\e\xC2\x9F\xE2\x80\xAE\x9B(20041231)|"
     "e\xE2\x80\x8F\xE2\x80\x90\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA\xA0\xF0\x9F\x98\x80(20041231)|"
     "f\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF\xED\xA0\x80\xE2\x80\x8E(20041231)",
     .only = "linux", .ordered = true},

    // ---- Trees and dates ----
    {.title = "-r stamps a tree, each entry by its own date, and keeps every date",
     .before = "P/|P/A.JPG=a@1562241600|P/S/@1262347200|P/S/B@1230811200|P/.git/|P/.git/x|"
     "P/L->A.JPG|P/T(20010101)/|P/T(20010101)/C@978350400", .command = "-r|{d}P",
     .out = "{d}P/A.JPG = A(20190704).JPG|{d}P/L = L(20041231)|{d}P/S/B = B(20090101)|"
     "{d}P/S = S(20100101)|{d}P/T(20010101)/C = C(20010101)|{d}P = P(20041231)|Renamed 4 files "
     "and 2 folders", .err = "stampix: 1 photo or video was dated by its last write; --date=taken,"
     "modified dates photos and videos by the day they were taken",
     .after = "P(20041231)/|P(20041231)/.git/|P(20041231)/.git/x|P(20041231)/A(20190704).JPG=a"
     "@1562241600|P(20041231)/L(20041231)->A.JPG|P(20041231)/S(20100101)/@1262347200|"
     "P(20041231)/S(20100101)/B(20090101)@1230811200|P(20041231)/T(20010101)/|"
     "P(20041231)/T(20010101)/C(20010101)@978350400", .only = "linux", .setup = {"TZ=UTC0"},
     .dates = true},
    // Nor into a folder of the same file system mounted again inside the tree.
    {.title = "-r does not go into another file system", .before = "P/|P/M/|P/B/|P/A|X/|X/Y",
     .command = "-r|{d}P", .out = "{d}P/A = A(20041231)|{d}P = P(20041231)|Renamed 1 file and 1 "
     "folder",
     .err = "stampix: not going into \"{d}P/B\": another file system is mounted there|stampix: not"
     " going into \"{d}P/M\": another file system is mounted there", .after = "P(20041231)/|"
     "P(20041231)/A(20041231)|P(20041231)/B/|P(20041231)/M/|X/|X/Y", .only = "linux",
     .setup = {"sh:mount -t tmpfs none {d}P/M && mount --bind {d}X {d}P/B && { ({}); s=$?; "
               "umount '{d}P(20041231)/M' '{d}P(20041231)/B'; exit $s; }"}},
    // Entries first, then their folder: it keeps the date it had, not the day of the renames.
    {.title = "a folder's date is put back after renaming inside it", .before = "D/@978350400|D/A",
     .command = "{d}D/A|{d}D|{d}D(20010101)/*", .out = "{d}D/A = A(20041231)|{d}D = D(20010101)|"
     "Renamed 1 file and 1 folder", .after = "D(20010101)/@978350400|D(20010101)/A(20041231)",
     .only = "linux", .setup = {"TZ=UTC0"}, .images = true, .dates = true},

    // ---- The way back: a run, then "--undo" ----
    {.title = "a run and its undo leave every name and date as it was",
     .before = "P/|P/A.JPG=a@1562241600|P/S/@1262347200|P/S/B@1230811200|P/x\\b z",
     .command = "-r|{d}P", .out = "{d}P(20041231) = P|{d}P/x\\\\b z(20041231) = x\\\\b z|"
     "{d}P/S(20100101) = S|{d}P/A(20190704).JPG = A.JPG|{d}P/S/B(20090101) = B|"
     "Renamed 5 files", .err = kWhen + "-r {d}P (5 entries)", .after = "P/|P/A.JPG=a@1562241600|"
     "P/S/@1262347200|P/S/B@1230811200|P/x\\b z", .only = "linux",
     .setup = {"TZ=UTC0", kUndo}, .dates = true},
    {.title = "a run that cannot keep its journal renames nothing", .before = "A|state",
     .command = "{d}A", .err = "stampix: cannot keep the journal that --undo reads (Not a "
     "directory); nothing more is renamed (--no-journal runs without it)", .code = 1,
     .only = "linux", .setup = {"XDG_STATE_HOME={d}state"}},
    // Another version's journal, or one with a field damaged by hand, and no journal at all.
    // Another version's journal, a name that would lead out of its folder, and one that is read:
    // a folder its moves did not go through keeps its date. Then no journal at all.
    {.title = "a journal that cannot be read is refused whole", .before = "J=stampix-journal 9\n"
     "|K=stampix-journal 2\nmove :{d} :../GOT :{d} :A f 1 2 0 1 0 -\n|L=stampix-journal 2\nstarted"
     " 0\nfolder :/\nmove :{d} :A :{d} :A(20041231) f 1 2 0 127489680000000000 0 -\ntime :{d}X/ 0 "
     "0 755\n|A(20041231)|X/@978350400", .command = "--undo={d}J", .out = "{d}A(20041231) = A",
     .err = "stampix: cannot undo \"{d}J\": not a journal of this version, or undone already|"
     "stampix: cannot undo \"{d}K\": not a journal of this version, or undone already|stampix: "
     "putting back the run of 1969-12-31 19:00:00 in \"/\": stampix (1 entry)|stampix: cannot "
     "undo \"{d}state/stampix\": no run there left to undo|stampix: cannot undo \"{d}state/"
     "stampix/1.journal\": not a journal of this version, or undone already", .after = "state/|"
     "state/stampix/|state/stampix/1.journal=stampix-journal 9\n|A|J=stampix-journal 9\n|K="
     "stampix-journal 2\nmove :{d} :../GOT :{d} :A f 1 2 0 1 0 -\n|L=stampix-journal 2\nstarted 0"
     "\nfolder :/\nmove :{d} :A :{d} :A(20041231) f 1 2 0 127489680000000000 0 -\ntime :{d}X/ 0 0"
     " 755\nback 0\nundone\n|X/@978350400", .code = 1, .only = "linux", .setup = {"sh:export "
     "XDG_STATE_HOME={d}state; { ({}); {p} --undo={d}K; {p} --undo={d}L; {p} --undo; mkdir -pm "
     "700 {d}state/stampix; cp {d}J {d}state/stampix/1.journal; {p} --undo; s=$?; "
     "touch -d @1104494400 {d}L {d}state/stampix/1.journal {d}state/stampix {d}state; "
     "exit $s; }"},
     .ordered = true, .dates = true},
    // A journal another user could have written is never undone, nor a run kept where they may.
    {.title = "only the user's own journals are read", .before = "$S/|$S/stampix/|T/|T/stampix/|"
     "+T/stampix/1.journal=stampix-journal 2\n|A", .command = "{d}A", .err = "stampix: refusing "
     "\"{d}S/stampix\": it is another user's, or others may write to it|stampix: refusing \"{d}S/"
     "stampix\": it is another user's, or others may write to it|stampix: refusing \"{d}T/stampix/"
     "1.journal\": it is another user's, or others may write to it", .code = 1, .only = "linux",
     .setup = {"XDG_STATE_HOME={d}S", "sh:{ ({}); XDG_STATE_HOME={d}S {p} --undo; "
               "XDG_STATE_HOME={d}T {p} --undo; }"},
     .ordered = true},
    {.title = "a closed standard output renames nothing", .before = "A", .command = "{d}A",
     .err = "stampix: cannot write the list of renamed entries (Bad file descriptor); stopped",
     .code = 1, .only = "linux", .setup = {"sh:{ (exec >&-; {}); }"}},
    // When, where and what each run was, the latest first.
    {.title = "the runs are listed, the latest first", .before = "A|B", .command = "{d}A",
     .out = "WHEN: stampix {d}B (1 entry, undone)|WHEN: stampix {d}A (1 entry, not undone)",
     .after = "A(20041231)|B", .only = "linux", .setup = {kU + "({}) && {p} {d}B && u 2>/dev/null"
     " >&2 && {p} --runs | sed -E 's/^[0-9-]+ [0-9:]+ in \".*\": /WHEN: /'"}},
    // Two runs and two undos: the latest first. What another program changed since stays so.
    {.title = "what cannot be put back is named, and the rest goes back", .before = "A|B|C|D",
     .command = "{d}A|{d}B|{d}C", .out = "{d}D(20041231) = D|{d}C(20041231) = C|Renamed 1 file",
     .err = kWhen + "{d}D (1 entry)|" + kWhen + "{d}A {d}B {d}C (3 entries)|stampix: cannot put "
     "back \"{d}B(20041231)\" as \"{d}B\": \"{d}B\" is taken|stampix: cannot put back \"{d}A"
     "(20041231)\" as \"{d}A\": it was renamed or removed since", .after = "A2|B|B(20041231)|C|D",
     .code = 1, .only = "linux", .setup = {kU + "({}) >/dev/null && {p} {d}D >/dev/null && "
     "mv {d}A\\(20041231\\) {d}A2 && touch {d}B && {p} '{d}D(20041231)' >/dev/null && { u; u; }"},
     .ordered = true},
    {.title = "an undo of /Y names what it replaced, and of a merge makes the source again",
     .before = "A.TXT=new|A(20041231).TXT=old|OLD/|OLD/A=a|OLD/S/|OLD/S/B=b|OLD(20041231)/|"
     "OLD(20041231)/S/|OLD(20041231)/K=k", .command = "/Y|{d}A.TXT|{d}OLD",
     .out = "{d}A(20041231).TXT = A.TXT|{d}OLD(20041231)/A = {d}OLD/A|{d}OLD(20041231)/S/B = "
     "{d}OLD/S/B|Renamed 3 files", .err = kWhen + "/Y {d}A.TXT {d}OLD (5 entries)|stampix: what \"{d}A"
     "(20041231).TXT\" held before the run is gone: /Y replaced it", .after = "A.TXT=new|OLD/|OLD/A=a|OLD/S/|OLD/S/B=b|OLD(20041231)/|"
     "OLD(20041231)/K=k|OLD(20041231)/S/", .code = 1, .only = "linux", .setup = {kUndo}},
    // ---- Dates by other sources ----
    // A read-only one too, and with /Y.
    {.title = "taken: photos by DateTimeOriginal as written, else DateTimeDigitized",
     .before = "A.JPG" + kPhoto + "|!B.JPG<jpeg_digitized.20180203|C.TIF<tiff.20190704|C(20190704)"
     ".TIF|D.HEIC<heic.20190704", .command = "/Y|--date=taken|{d}*.JPG|{d}C.TIF|{d}D.HEIC",
     .out = "{d}A.JPG = A(20190704).JPG|{d}B.JPG = B(20180203).JPG|{d}C.TIF = C(20190704).TIF|"
     "{d}D.HEIC = D(20190704).HEIC|Renamed 4 files", .after = "A(20190704).JPG" + kPhoto +
     "|B(20180203).JPG<jpeg_digitized.20180203|C(20190704).TIF<tiff.20190704|"
     "D(20190704).HEIC<heic.20190704", .only = "linux"},
    // A movie's moment is UTC, its date the local one, also where the header follows the video;
    // a header made at 0 knows no time.
    {.title = "taken: QuickTime movies by the local date of their moment", .before = "E.MP4" +
     kMovie + "|F.MOV" + kLate + "|Z.MP4<mp4_created_0.none", .command = "--date=taken|{d}E.MP4|"
     "{d}F.MOV|{d}Z.MP4", .out = "{d}E.MP4 = E(20190704).MP4|{d}F.MOV = F(20190704).MOV|"
     "Renamed 2 files", .err = "stampix: cannot stamp \"{d}Z.MP4\": no date by taken",
     .after = "E(20190704).MP4" + kMovie + "|F(20190704).MOV" + kLate + "|Z.MP4<mp4_created_0.none",
     .code = 1, .only = "linux"},
    {.title = "taken: in another zone a movie's date moves and a photo's stays",
     .before = "A.JPG" + kPhoto + "|E.MP4" + kMovie, .command = "--date=taken|{d}A.JPG|{d}E.MP4",
     .out = "{d}A.JPG = A(20190704).JPG|{d}E.MP4 = E(20190705).MP4|Renamed 2 files",
     .after = "A(20190704).JPG" + kPhoto + "|E(20190705).MP4" + kMovie, .only = "linux",
     .setup = {"TZ=Asia/Tokyo"}},
    {.title = "taken, else modified: a camera card", .before = "DCIM/|DCIM/A.JPG" + kPhoto +
     "|DCIM/N.JPG<jpeg_no_exif.none|DCIM/T.TXT", .command = "--date=taken,modified|-r|{d}DCIM",
     .out = "{d}DCIM/A.JPG = A(20190704).JPG|{d}DCIM/N.JPG = N(20041231).JPG|{d}DCIM/T.TXT = "
     "T(20041231).TXT|{d}DCIM = DCIM(20041231)|Renamed 3 files and 1 folder (1 by taken, 3 by "
     "modified)", .after = "DCIM(20041231)/|"
     "DCIM(20041231)/A(20190704).JPG" + kPhoto + "|DCIM(20041231)/N(20041231).JPG<jpeg_no_exif."
     "none|DCIM(20041231)/T(20041231).TXT", .only = "linux"},
    // Nothing to read in a text, a folder, a FIFO (which must not hold the run up), a link (the
    // photo it leads to is not its own) or a damaged JPEG.
    {.title = "taken: no date, named by the sources tried", .before = "A.JPG" + kPhoto + "|T|D/|"
     "%P.JPG|L.JPG->A.JPG|X.JPG=\xFF\xD8\xFF\xE1\x7F\x10" "Exif", .command = "--date=taken|"
     "{d}T|{d}D|{d}P.JPG|{d}L.JPG|{d}X.JPG", .out = "Renamed 0 files",
     .err = "stampix: cannot stamp \"{d}T\": no date by taken|"
     "stampix: cannot stamp \"{d}D\": no date by taken|"
     "stampix: cannot stamp \"{d}P.JPG\": no date by taken|"
     "stampix: cannot stamp \"{d}L.JPG\": no date by taken|"
     "stampix: cannot stamp \"{d}X.JPG\": no date by taken", .code = 1, .only = "linux"},
    // A hundred files read before the photos, with descriptors for far fewer.
    {.title = "taken: every file read is closed again", .before = "A.JPG" + kPhoto + "|B.JPG" +
     kPhoto, .command = "--date=taken|{d}T*|{d}A.JPG|{d}B.JPG", .out = "{d}A.JPG = A(20190704).JPG|"
     "{d}B.JPG = B(20190704).JPG|Renamed 2 files", .after = "A(20190704).JPG" + kPhoto +
     "|B(20190704).JPG" + kPhoto, .code = 1, .only = "linux", .setup = {"sh:cd {d} && seq -f "
     "T%03g 100 | xargs touch && ulimit -n 30 && { ({}) 2>/dev/null; s=$?; rm T*; exit $s; }"}},
    {.title = "created: the birth time the file system keeps", .before = "A",
     .command = "-0|--date=created,taken|{d}A", .out = "{d}A|{d}A({n})", .after = "A({n})",
     .only = "linux", .setup = {"sh:{} | tr '\\0' '\\n'"}, .ordered = true},
    {.title = "--date with a source not known", .before = "A", .command = "{d}A|--date=taken,exif",
     .err = "stampix: \"--date=taken,exif\" is not a list of date sources (modified, taken,"
     " created); see \"stampix --help\"", .code = 2, .only = "linux"},

    // ---- Photo groups (Linux): a photo or video with its sidecars, one date, all or none ----
    // The raw leads, else the still, else the movie; a whole-name sidecar is stamped where its
    // photo's name is; a folder, or a stem without a photo or video, is no group.
    {.title = "groups: sidecars, a raw and its JPEG, whole names, stems without a photo",
     .before = "IMG_1.NEF@1505390400|IMG_1.JPG|IMG_1.XMP|IMG_1.NEF.xmp|IMG_1.txt|IMG_2.MOV@"
     "1505390400|IMG_2.THM|IMG_2.aae|IMG_3.MOV@1505390400|IMG_3.JPG|IMG_4.JPG" + kPhoto +
     "|IMG_4.XMP|F.JPG/@1505390400|F.XMP|X.THM@1505390400|X.XMP|notes.pdf@1505390400|notes.txt",
     .command = "--date=taken,modified|{d}*", .out = "{d}F.JPG = F(20170914).JPG|{d}F.XMP = F("
     "20041231).XMP|{d}IMG_1.JPG = IMG_1(20170914).JPG|{d}IMG_1.NEF = IMG_1(20170914).NEF|"
     "{d}IMG_1.NEF.xmp = IMG_1(20170914).NEF.xmp|{d}IMG_1.XMP = IMG_1(20170914).XMP|"
     "{d}IMG_1.txt = IMG_1("
     "20041231).txt|{d}IMG_2.MOV = IMG_2(20170914).MOV|{d}IMG_2.THM = IMG_2(20170914).THM|"
     "{d}IMG_2.aae = IMG_2(20170914).aae|{d}IMG_3.JPG = IMG_3(20041231).JPG|{d}IMG_3.MOV = IMG_3("
     "20041231).MOV|{d}IMG_4.JPG = IMG_4(20190704).JPG|{d}IMG_4.XMP = IMG_4(20190704).XMP|"
     "{d}X.THM = X(20170914).THM|{d}X.XMP = X(20041231).XMP|{d}notes.pdf = notes(20170914).pdf|"
     "{d}notes.txt = notes(20041231).txt|Renamed 17 files and 1 folder (2 by taken, 16 by "
     "modified)", .after = "F(20170914).JPG/|F(20041231).XMP|IMG_1(20170914).NEF|IMG_1(20170914)."
     "NEF.xmp|IMG_1(20170914).JPG|IMG_1(20170914).XMP|IMG_1(20041231).txt|IMG_2(20170914).MOV|"
     "IMG_2(20170914).THM|IMG_2(20170914).aae|IMG_3(20041231).JPG|IMG_3(20041231).MOV|"
     "IMG_4(20190704).JPG" + kPhoto + "|IMG_4(20190704).XMP|X(20170914).THM|X(20041231).XMP|"
     "notes(20170914).pdf|notes(20041231).txt", .only = "linux", .setup = {"TZ=UTC0"}},
    // A member named, or selected by a pattern, brings its group; named again it is not missing.
    // One name taken holds the whole group; --no-groups stamps a photo alone.
    {.title = "groups: one member named, a clash, --no-groups", .before = "A.JPG@1505390400|A.XMP|"
     "B.JPG@1505390400|B.XMP|B(20170914).XMP|C.JPG@1505390400|C.XMP|D.MOV@1505390400|D.THM",
     .command = "--date=modified|{d}A.XMP|{d}A.JPG|{d}B.JPG|{d}D.T*|{d}D.MOV", .out = "{d}A.JPG = A("
     "20170914).JPG|{d}A.XMP = A(20170914).XMP|{d}D.MOV = D(20170914).MOV|{d}D.THM = D(20170914)."
     "THM|Renamed 4 files|{d}C.JPG = C(20170914).JPG", .err = "stampix: skipped \"{d}B.XMP\": "
     "\"{d}B(20170914).XMP\" exists; the entries that go with it stay as they are: B.JPG",
     .after = "A(20170914).JPG|A(20170914).XMP|B(20170914).XMP|B.JPG|B.XMP|C(20170914).JPG|C.XMP|"
     "D(20170914).MOV|D(20170914).THM", .only = "linux", .setup = {"TZ=UTC0", "sh:{ ({}) && {p} "
     "--no-journal --date=modified --no-groups {d}C.JPG; }"}},
    // Each member its own move in the journal: the tree's groups all go back.
    {.title = "groups: -r and its undo", .before = "P/|P/IMG_1.JPG@1505390400|P/IMG_1.JPG.xmp|"
     "P/S/|P/S/V.MP4@1505390400|P/S/V.THM", .command = "-r|{d}P", .out = "{d}P(20041231) = P|"
     "{d}P/S(20041231) = S|{d}P/IMG_1(20170914).JPG.xmp = IMG_1.JPG.xmp|{d}P/IMG_1(20170914).JPG"
     " = IMG_1.JPG|{d}P/S/V(20170914).THM = V.THM|{d}P/S/V(20170914).MP4 = V.MP4|Renamed 6 files",
     .err = kWhen + "-r {d}P (6 entries)", .after = "P/|P/IMG_1.JPG@1505390400|P/IMG_1.JPG.xmp|"
     "P/S/|P/S/V.MP4@1505390400|P/S/V.THM", .only = "linux", .setup = {"TZ=UTC0", kUndo},
     .dates = true},

    // ---- Previews: every conflict judged, nothing changed ----
    {.title = "a preview of free and taken names", .before = "A.TXT=a|B=b|B(20041231)=old|D/|"
     "D(20041231)|E|E(20041231)/", .command = "-n|{d}*", .out = "{d}A.TXT = A(20041231).TXT|"
     "Would rename 1 file",
     .err = "stampix: skipped \"{d}B\": \"{d}B(20041231)\" exists|"
     "stampix: skipped \"{d}D\": \"{d}D(20041231)\" exists|"
     "stampix: skipped \"{d}E\": \"{d}E(20041231)\" exists",
     .only = "linux"},
    {.title = "a preview with /Y, a merge too", .before = kTaken + "|OLD/|OLD/A=a|OLD/S/|OLD/S/B|"
     "OLD/F=f|OLD(20041231)/|OLD(20041231)/A=old|OLD(20041231)/S/|OLD(20041231)/F/",
     .command = "--dry-run|/Y|{d}A.TXT|{d}OLD", .out = "{d}A.TXT = A(20041231).TXT|"
     "{d}OLD/A = {d}OLD(20041231)/A|{d}OLD/S/B = {d}OLD(20041231)/S/B|Would rename 1 file",
     .err = "stampix: cannot replace \"{d}OLD(20041231)/F\" by \"{d}OLD/F\": it is a folder|"
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept",
     .code = 1, .only = "linux"},
    {.title = "a preview fails where the run would", .before = "A.TXT", .command = "-n|{d}A.TXT",
     .err = "stampix: cannot rename \"{d}A.TXT\" to \"{d}A(20041231).TXT\": Permission denied",
     .code = 1,
     .only = "linux", .setup = {"nobody"}},

    // ---- The conflict policy ----
    {.title = "skipped without /Y, on standard error", .before = kTaken, .command = "{d}A.TXT",
     .err = "stampix: skipped \"{d}A.TXT\": \"{d}A(20041231).TXT\" exists", .only = "linux",
     .images = true},
    // Where the system cannot rename without replacing, the name is first taken by a
    // placeholder; a document another program saved there meanwhile is never replaced.
    {.title = "a name taken by another program meanwhile is left to it", .before = "A.TXT=mine",
     .command = "/Y|{d}A.TXT",
     .err = "stampix: skipped \"{d}A.TXT\": \"{d}A(20041231).TXT\" was taken by another program"
     " meanwhile", .after = "A(20041231).TXT=saved|A.TXT=mine", .only = "linux",
     .setup = {"LD_PRELOAD=" SHIM, "SHIM_TAKE=A(20041231).TXT"}},
    // A merged folder would be the other user's to delete; so would a file put in place of
    // theirs in a folder that all may write to.
    {.title = "/Y gives nothing to another user", .before = "OLD/|OLD/secret=s|+OLD(20041231)/|"
     "$S/|S/A=mine|+S/A(20041231)=theirs", .command = "/Y|{d}OLD|{d}S/A", .out = "Renamed 0 files",
     .err = "stampix: cannot put \"{d}OLD\" in place of \"{d}OLD(20041231)\": it belongs to another"
     " user|"
     "stampix: cannot put \"{d}S/A\" in place of \"{d}S/A(20041231)\": it belongs to another"
     " user", .code = 1, .only = "linux", .ordered = true},
    {.title = "/Y replaces a file", .before = kTaken, .command = "/Y|{d}A.TXT",
     .out = "{d}A.TXT = A(20041231).TXT", .after = "A(20041231).TXT=new", .images = true},
    {.title = "/Y keeps a read-only, hidden or held file", .before = "A.TXT=new|"
     "!A(20041231).TXT=old|B=new|~B(20041231)=old|C=new|C(20041231)=old", .command = "/Y {d}*",
     .out = "{d}A.TXT = A(20041231).TXT|Error: Destination \"A(20041231).TXT\" cannot be removed.|"
     "{d}B = B(20041231)|Error: Destination \"B(20041231)\" cannot be removed.|"
     "{d}C = C(20041231)|Error: Destination \"C(20041231)\" cannot be removed.|Renamed 0 files",
     .only = "windows", .setup = {"hold:C(20041231)"}},
    // The destination is never gone before a move that then fails.
    {.title = "/Y with a source held open", .before = kTaken, .command = "/Y {d}A.TXT",
     .out = "{d}A.TXT = A(20041231).TXT|Error: Rename failed. Is \"A.TXT\" in use?",
     .only = "windows",
     .setup = {"hold:A.TXT"}},
    // A file and a folder whose free names cannot be taken, the placeholders removed again, a name
    // too long for the file system, and a file taken under "/Y", alone or in a merge: the
    // destination is never gone before a move that then fails.
    {.title = "entries that cannot be moved", .before = kTaken + "|B|D/|" + kN + "|" + kOlds +
     "|OLD/F=new|OLD(20041231)/F=old", .command = "/Y|{d}A.TXT|{d}B|{d}D|{d}" + kN + "|{d}OLD",
     .out = "Renamed 0 files",
     .err = "stampix: cannot rename \"{d}A.TXT\" to \"{d}A(20041231).TXT\": Operation not"
     " permitted|"
     "stampix: cannot rename \"{d}B\" to \"{d}B(20041231)\": Operation not permitted|"
     "stampix: cannot rename \"{d}D\" to \"{d}D(20041231)\": Operation not permitted|"
     "stampix: cannot rename \"{d}" + kN + "\" to \"{d}" +
     kN + "(20041231)\": File name too long|"
     "stampix: cannot rename \"{d}OLD/F\" to \"{d}OLD(20041231)/F\": Operation not permitted|"
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept",
     .code = 1, .only = "linux",
     .setup = {"LD_PRELOAD=" SHIM, "SHIM_NO_RENAME=1"}, .ordered = true},
    {.title = "a file does not become a folder, nor a folder a file",
     .before = "A.TXT=new|A(20041231).TXT/|D/|D(20041231)=file", .command = "/Y {d}*",
     .out = "{d}A.TXT = A(20041231).TXT|Error: Cannot rename file to folder. ({d}A(20041231).TXT)|"
     "{d}D = D(20041231)|Error: Cannot rename folder to file. ({d}D(20041231))|Renamed 0 files",
     .only = "windows"},
    // What /Y does not replace: a folder, a read-only file, a dot-name, a FIFO, or the file
    // itself, through a link or under another name.
    {.title = "what /Y does not replace", .before = "A.TXT=new|A(20041231).TXT/|D/|D(20041231)=f|"
     "R=new|!R(20041231)=old|.A.TXT=new|.A(20041231).TXT=old|P=new|%P(20041231)|app(20041231).log"
     "=PRECIOUS|app.log->app(20041231).log|X(20041231)=data|X=>X(20041231)",
     .command = "/Y|{d}A.TXT|{d}D|{d}R|{d}.A.TXT|{d}P|{d}app.log|{d}X", .out = "Renamed 0 files",
     .err = "stampix: cannot replace \"{d}A(20041231).TXT\" by \"{d}A.TXT\": it is a folder|"
     "stampix: cannot merge \"{d}D\" into \"{d}D(20041231)\": it is not a folder|"
     "stampix: cannot replace \"{d}R(20041231)\" by \"{d}R\": it is read-only, hidden or not"
     " a file|"
     "stampix: cannot replace \"{d}.A(20041231).TXT\" by \"{d}.A.TXT\": it is read-only,"
     " hidden or not a file|"
     "stampix: cannot replace \"{d}P(20041231)\" by \"{d}P\": it is read-only, hidden or not"
     " a file|stampix: skipped \"{d}app.log\": \"{d}app(20041231).log\" is the same file|"
     "stampix: skipped \"{d}X\": \"{d}X(20041231)\" is the same file", .code = 1, .only = "linux",
     .ordered = true},
    // Without a no-replace rename (a kernel without renameat2) or hard links, a name is kept by an
    // empty placeholder, and a name saved again meanwhile by another program is never removed.
    {.title = "no no-replace rename: free names and taken ones",
     .before = "A.TXT=a|D/|B.TXT=b|B(20041231).TXT|E/|E(20041231)/",
     .command = "{d}A.TXT|{d}D|{d}B.TXT|{d}E", .out = "{d}A.TXT = A(20041231).TXT|"
     "{d}D = D(20041231)|Renamed 1 file and 1 folder",
     .err = "stampix: skipped \"{d}B.TXT\": \"{d}B(20041231).TXT\" exists|"
     "stampix: skipped \"{d}E\": \"{d}E(20041231)\" exists",
     .after = "A(20041231).TXT=a|A.TXT=saved|B(20041231).TXT|B.TXT=b|D(20041231)/|E(20041231)/|E/",
     .only = "linux", .setup = {"LD_PRELOAD=" SHIM, "SHIM_NO_LINK=1", "SHIM_SAVE=A.TXT",
                                "SHIM_NO_RENAMEAT2=1"}, .ordered = true},

    // ---- Folder merges on Linux: renames only, nothing in two places or in none ----
    {.title = "a folder merges into its stamped name", .before = "OLD/|OLD/S/|OLD/S/NEW=new|"
     "OLD/A=new|OLD/.h=h|OLD(20041231)/|OLD(20041231)/KEEP=keep|OLD(20041231)/A=old|"
     "OLD(20041231)/S/|OLD(20041231)/S/OLD=old", .command = "/Y|{d}*",
     .out = "{d}OLD = OLD(20041231)|Renamed 1 folder", .after = "OLD(20041231)/|OLD(20041231)/.h=h|"
     "OLD(20041231)/A=new|OLD(20041231)/KEEP=keep|OLD(20041231)/S/|OLD(20041231)/S/NEW=new|"
     "OLD(20041231)/S/OLD=old", .only = "linux", .images = true},
    {.title = "what cannot be merged stays, and the folder with it", .before = "OLD/|OLD/F=new|"
     "OLD/D/|OLD/S/|OLD/S/R=new|OLD/P->../OLD(20041231)/P|OLD(20041231)/|OLD(20041231)/F/|"
     "OLD(20041231)/D=file|OLD(20041231)/S/|!OLD(20041231)/S/R=old|OLD(20041231)/P=p",
     .command = "/Y|{d}OLD",
     .err = "stampix: cannot merge \"{d}OLD/D\" into \"{d}OLD(20041231)/D\": it is not a folder|"
     "stampix: cannot replace \"{d}OLD(20041231)/F\" by \"{d}OLD/F\": it is a folder|"
     "stampix: skipped \"{d}OLD/P\": \"{d}OLD(20041231)/P\" is the same file|"
     "stampix: cannot replace \"{d}OLD(20041231)/S/R\" by \"{d}OLD/S/R\": it is read-only,"
     " hidden or not a file|"
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept",
     .code = 1, .only = "linux"},
    {.title = "a merged folder that cannot be removed", .before = "OLD/|OLD/A=a|OLD(20041231)/",
     .command = "/Y|{d}OLD", .out = "{d}OLD/A = {d}OLD(20041231)/A",
     .err = "stampix: \"{d}OLD\" was merged into \"{d}OLD(20041231)\", but the emptied folder could"
     " not be removed: Operation not permitted",
     .after = "OLD/|OLD(20041231)/|OLD(20041231)/A=a", .code = 1, .only = "linux",
     .setup = {"LD_PRELOAD=" SHIM, "SHIM_KEEP=OLD"}},
    {.title = "a merge of folders nested deeper than it goes", .before = "OLD/|OLD(20041231)/" +
     kDeep + "|OLD/" + kDeep + "F=x", .command = "/Y|{d}OLD",
      .err = "stampix: cannot merge \"{d}OLD/"
     + kDeep.substr(0, 399) + "\": folders nested too deep|"
     "stampix: not all of \"{d}OLD\" could be merged into \"{d}OLD(20041231)\"; it was kept",
     .code = 1, .only = "linux",
     .setup = {"sh:ulimit -s 64 && ulimit -n 450 && {}"}},

    // ---- Folder merges on Windows: the copy tool, a check, then the tree-delete tool ----
    Merge("a merge by the system's copy tool", "OLD/|OLD/S/|OLD/S/NEW=new|~OLD/H=h|OLD(20041231)/"
          "|OLD(20041231)/KEEP=keep", "DELTREE=0", "2 file(s) copied|"
          "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:",
          "OLD(20041231)/|~OLD(20041231)/H=h|OLD(20041231)/KEEP=keep|OLD(20041231)/S/|"
          "OLD(20041231)/S/NEW=new"),
    // Read-only, hidden and system entries keep those attributes, folders too.
    Merge("a merge by the system's copy tool and the release's delete tool", "OLD/|~OLD/S/|"
          "!OLD/S/NEW=new|~OLD/H=h|^OLD/Y=y|OLD(20041231)/", "DELTREE=real", "3 file(s) copied",
          "OLD(20041231)/|~OLD(20041231)/H=h|~OLD(20041231)/S/|!OLD(20041231)/S/NEW=new|"
          "^OLD(20041231)/Y=y"),
    // The copy tool goes on past what it cannot write over; the check compares bytes, kinds and
    // stored names, so a file of the same size and date, or an entry of the other kind, fails.
    {.title = "a copy check compares the bytes",
     .before = "MY OLD/|MY OLD/A=new|MY OLD(20041231)/|MY OLD(20041231)/A=old",
     .command = "/Y {d}MY OLD", .out = "{d}MY OLD = MY OLD(20041231)|\"{t}XCOPY.EXE\"  \"{d}MY OLD"
     "\" \"{d}MY OLD(20041231)\" /y/c/i/q/e/h/k|"
     "Error: Not all of \"MY OLD\" could be merged; it was "
     "kept.", .only = "windows", .setup = {"tools:XCOPY=0 DELTREE=0"}},
    Merge("a copy check compares kinds", "OLD/|OLD/E/|OLD(20041231)/|OLD(20041231)/E",
          "XCOPY=0 DELTREE=0", "\"{t}XCOPY.EXE\"  {d}OLD {d}OLD(20041231) /y/c/i/q/e/h/k|"
     "Error: Not all of \"OLD\" could be merged; it was kept."),
    // The copy would write through the short name; it is not run.
    Merge("a name that is the short name of another in the destination", "OLD/|OLD/LONG~LMQ.TXT="
          "mine|OLD(20041231)/|OLD(20041231)/LONGFILENAME.TXT=theirs", "DELTREE=0", "Error: \"OLD"
          "\" was kept: a name in it is the short name of another entry in \"OLD(20041231)\"."),
    // Links (Unix ones under Wine) and other names of one file: the copy would write onto the
    // source, and the delete take what it wrote.
    Merge("a link in the destination that leads into the source", "OLD/|OLD/sub/|OLD/sub/b=b|"
          "OLD(20041231)/|"
          "OLD(20041231)/sub->../OLD/sub", "DELTREE=real", kLinked),
    Merge("a file of the destination that is the source's own", "OLD/|OLD/b=b|OLD(20041231)/|"
          "OLD(20041231)/b=>OLD/b", "DELTREE=real", kLinked),
    Merge("a source that is a link into the destination", "OLD(20041231)/|OLD(20041231)/x/|"
          "OLD->OLD(20041231)/x", "DELTREE=real", kLinked),
    // Under Wine a link to a file shows as a plain file. Writing through either kind of other
    // name loses a file, or changes one outside both trees.
    Merge("a destination file that is another name of another source file", "OLD/|OLD/a=AAAA|"
          "OLD/b=BBBB|OLD(20041231)/|OLD(20041231)/a=>OLD/b", "DELTREE=real", kLinked),
    Merge("a destination link to another source file", "OLD/|OLD/a=AAAA|OLD/b=BBBB|"
          "OLD(20041231)/|OLD(20041231)/a->../OLD/b", "DELTREE=real", kLinked),
    Merge("a destination link to a file outside both", "EXT/|EXT/a=EEEE|OLD/|OLD/a=AAAA|"
          "OLD(20041231)/|OLD(20041231)/a->../EXT/a", "DELTREE=real", kLinked),
    // Wine cannot remove a link to a file as itself: the delete tool leaves it, never its target.
    Merge("a source link to a file outside", "P/|P/p=PPPP|OLD/|OLD/p->../P/p|OLD(20041231)/",
          "DELTREE=real", "1 file(s) copied|Could not delete \"{d}OLD\\p\": it is a link that "
          "cannot be removed as itself.|Could not delete \"{d}OLD\": Directory is not empty.|"
          "{t}DELTREE.EXE = ERRORLEVEL 2", "OLD/|OLD/p=PPPP|OLD(20041231)/|OLD(20041231)/p=PPPP|"
          "P/|P/p=PPPP"),
    // The "." of "\\.\" would make the delete tool refuse the source once it is copied.
    {.title = "a path the delete tool refuses is not copied", .before = kOlds + "|OLD/A=a",
     .command = "/Y \\\\.\\{d}OLD", .out = "\\\\.\\{d}OLD = OLD(20041231)|Error: DELTREE.EXE "
     "would refuse the path of the folder; nothing was copied.", .only = "windows",
     .setup = {"tools:DELTREE=real"}},
    // The tools come from the program's own folder (the build's holds DELTREE.EXE), then the
    // system's, never the current one.
    {.title = "a tool planted in the current folder is not run", .before = "OLD/|OLD/A=a|"
     "OLD(20041231)/|XCOPY.EXE=junk", .command = "/Y OLD", .out = "{d}OLD = OLD(20041231)|"
     "1 file(s) copied",
     .after = "OLD(20041231)/|OLD(20041231)/A=a|XCOPY.EXE=junk", .only = "windows",
     .setup = {"cwd"}},
    // XCOPY would take "/OLD" for a switch.
    {.title = "a folder written with / reaches the tools as a full path", .before = kOlds,
     .command = "/Y ./OLD", .out = "./OLD = OLD(20041231)|"
     "\"{t}XCOPY.EXE\"  {d}OLD {d}OLD(20041231) /y/c/i/q/e/h/k|"
     "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:",
     .after = "OLD(20041231)/", .only = "windows", .setup = {"cwd", "tools:XCOPY=0 DELTREE=0"}},
    Merge("a tool that cannot start", kOlds, "XCOPY=junk DELTREE=0",
          "Error: {t}XCOPY.EXE could not be started."),
    Merge("no delete tool", kOlds, "XCOPY=0",
          "DELTREE.EXE not found for external call? Make sure this is in your path."),
    Merge("a delete tool that fails", "OLD/|OLD/A=a|OLD(20041231)/", "DELTREE=2",
          "1 file(s) copied|\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:|{t}DELTREE.EXE = ERRORLEVEL 2",
          "OLD/|OLD/A=a|OLD(20041231)/|OLD(20041231)/A=a"),
    Merge("a delete tool that says it succeeded but left the folder", "OLD/|OLD/A=a|"
          "OLD(20041231)/", "DELTREE=keep", "1 file(s) copied|"
          "\"{t}DELTREE.EXE\" /y \"{d}OLD\">nul:|"
     "Error: \"OLD\" was merged, but it could not be removed.", "OLD/|OLD/A=a|OLD(20041231)/|"
     "OLD(20041231)/A=a"),
    {.title = "a command line too long is not run", .before = kL + "/|" + kL + "(20041231)/",
     .command = "/Y {d}" + kL, .out = "{d}" + kL + " = " + kL + "(20041231)|Error: Command line "
     "too long for XCOPY.EXE.", .only = "windows", .setup = {"tools:XCOPY=0 DELTREE=0"}},

    // ---- The release's delete tool: one folder, named as the program names it, or nothing ----
    // The path rules would drop the dot and delete T.
    {.title = "the delete tool refuses a name that ends in a dot", .before = "T/|T/A",
     .command = "/y \"{d}T.\">nul:", .out = "Refused: a part of the path ends in a dot or a blank,"
     " which names another folder.", .code = 1, .only = "windows", .setup = {"program:DELTREE"}},
    // What it could not delete keeps its attributes.
    {.title = "the delete tool stops part way", .before = "~T/|!T/B=b|T/C",
     .command = "/y \"{d}T\"",
     .out = "Could not delete \"{d}T\\B\": Sharing violation.|Could not delete \"{d}T\": "
     "Directory is not empty.", .after = "~T/|!T/B=b", .code = 2, .only = "windows",
     .setup = {"program:DELTREE", "hold:T/B"}},
    {.title = "the delete tool refuses a file", .before = "F", .command = "/y \"{d}F\">nul:",
     .out = "Refused: \"{d}F\" is a file, not a folder.", .code = 1, .only = "windows",
     .setup = {"program:DELTREE"}},
};
// clang-format on

// The text with "{d}", "{t}", "{s}", "{f}", "{n}" and "{p}" filled in.
std::string Fill(std::string text, const ScratchFolder& scratch) {
  const std::string fill(250 - scratch.text.size(), 'L');
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
  const std::pair<const char*, std::string> marks[] = {
      {"{d}", scratch.text}, {"{t}", scratch.tools}, {"{s}", kLinux ? "/" : "\\"},
      {"{f}", fill},         {"{n}", today},         {"{p}", Native(STAMPIX_PROGRAM)}};
  for (const auto& [mark, by] : marks)
    for (std::size_t at; (at = text.find(mark)) != text.npos;) text.replace(at, 3, by);
  for (std::size_t at, w, end; (at = text.find("{L:")) != text.npos;) {
    w = text.find("~W:", at), end = text.find('}', w);
    text.replace(at, end + 1 - at,
                 kLinux ? text.substr(at + 3, w - at - 3) : text.substr(w + 3, end - w - 3));
  }
  return text;
}

Strings Split(const std::string& text) {
  Strings parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, '|');) parts.push_back(part);
  if (text.ends_with('|')) parts.emplace_back();
  return parts;
}

// The lines of a stream, each with its line end, in the order that is the program's own: on
// Linux all in order (a folder's entries in the byte order of their names); on Windows each
// entry's block (a line that starts with the folder and the lines after it) in order, the blocks
// themselves in the file system's order, lines before the first block first and a count line last.
Strings InOrder(const std::string& text, const std::string& folder, bool ordered) {
  ordered = ordered || kLinux;
  Strings blocks;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    line += in.eof() ? "" : "\n";  // the last line may lack its end
    if (blocks.empty() || ordered || kLinux || line.starts_with(folder) ||
        line.starts_with("Renamed "))
      blocks.push_back(line);
    else
      blocks.back() += line;
  }
  auto begin = blocks.begin() + (!blocks.empty() && !kLinux && !blocks[0].starts_with(folder));
  auto end = blocks.end() - (!blocks.empty() && blocks.back().starts_with("Renamed "));
  if (!ordered && begin < end) std::sort(begin, end);
  return blocks;
}

// The title's words joined by "_", all a test's name may hold.
std::string TestName(const testing::TestParamInfo<Row>& info) {
  std::string name;
  for (char c : std::string_view(info.param.title))
    if (std::isalnum(static_cast<unsigned char>(c)) || (!name.empty() && name.back() != '_'))
      name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name.ends_with('_') ? name.substr(0, name.size() - 1) : name;
}

class Scenario : public testing::TestWithParam<Row> {};

TEST_P(Scenario, Run) {
  const Row& row = GetParam();
  if (const fs::path root = ScratchRoot(); !fs::is_directory(root))
    GTEST_SKIP() << "no " << root << ": " << Content(root.parent_path() / "why");
  ScratchFolder scratch;
  Fixtures fixtures;
  Make(scratch.path, Split(Fill(row.before, scratch)), fixtures);
  const std::set<std::string> before = List(scratch.path, fixtures);
  Strings setup;
  for (const std::string& item : row.setup) setup.push_back(Fill(item, scratch));
  Result result = RunProgram(Fill(row.command, scratch), setup, scratch);
  const auto expect = [&](const std::string& got, const std::string& lines) {
    std::string wanted;
    for (const std::string& line : Split(Fill(lines, scratch)))
      wanted += line + (kLinux ? "\n" : "\r\n");
    EXPECT_EQ(InOrder(got, scratch.text, row.ordered), InOrder(wanted, scratch.text, row.ordered));
  };
  expect(result.out, row.out);
  expect(result.err, row.err);
  EXPECT_EQ(result.code, row.code);
  const Strings after =
      row.after ? Split(Fill(*row.after, scratch)) : Strings(before.begin(), before.end());
  EXPECT_EQ(List(scratch.path, fixtures, row.dates),
            std::set<std::string>(after.begin(), after.end()));
}

// This build's rows; `images`: only those that run again on file-system images.
std::vector<Row> Rows(bool images) {
  std::vector<Row> rows;
  for (const Row& row : kRows)
    if (row.only != (kLinux ? "windows" : "linux") && (row.images || !images)) rows.push_back(row);
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Table, Scenario, testing::ValuesIn(Rows(false)), TestName);
#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Images, Scenario, testing::ValuesIn(Rows(true)), TestName);
#endif

}  // namespace
