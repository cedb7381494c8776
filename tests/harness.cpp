// The harness of the tables of runs: scratch folders, entries made and read back, runs of the
// programs, and the test that runs a row.
#include "harness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#ifdef _WIN32
#include <windows.h>

#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

Entries Numbered(const std::string& prefix, int n, Entries more) {
  for (int i = n; i > 0; --i)
    more.insert(more.begin(), File(prefix + std::to_string(1000 + i).substr(1)));
  return more;
}

void PrintTo(const Entry& e, std::ostream* out) {
  const char* kinds[] = {"File", "Folder", "Link", "SameFile", "Photo", "Fifo"};
  *out << kinds[e.kind] << "(" << testing::PrintToString(e.name);
  if (!e.text.empty()) *out << ", " << testing::PrintToString(e.text);
  *out << ")";
  if (e.seconds != 1104494400) *out << ".date(" << std::fixed << e.seconds << ")";
  const std::map<char, const char*> marks = {
      {'!', "readonly"}, {'~', "hidden"}, {'^', "system"}, {'+', "others"}, {'$', "shared"}};
  if (e.mark) *out << "." << marks.at(e.mark) << "()";
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.title; }

namespace {

std::string Content(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

const char kSep = static_cast<char>(fs::path::preferred_separator);

// A path from UTF-8, which a narrow path on Windows is not taken for, with the build's own
// separators.
fs::path At(const fs::path& folder, std::string_view name) {
  return folder / fs::path(std::u8string(name.begin(), name.end())).make_preferred();
}

// Linux's tmpfs keeps any date a file may hold, past 9999 and before 1901 too; Windows rows want
// drive C: for its current folder.
fs::path ScratchRoot() {
  const char* scratch = std::getenv("STAMPIX_SCRATCH");
  if (scratch && *scratch) return scratch;
  return kOnLinux && fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
}

// The entries, each after the folders it lies in that the row does not name.
Entries WithFolders(const Entries& entries) {
  std::set<std::string> names;
  for (const Entry& entry : entries) names.insert(entry.name);
  Entries all;
  for (const Entry& entry : entries) {
    for (std::size_t slash = 0; (slash = entry.name.find('/', slash + 1)) != entry.name.npos;)
      if (names.insert(entry.name.substr(0, slash)).second)
        all.push_back(Folder(entry.name.substr(0, slash)));
    all.push_back(entry);
  }
  return all;
}

#ifdef _WIN32
// Under Wine the build's paths are Unix paths: "/x/y" is "Z:\x\y".
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path.starts_with("\\") ? "Z:" + path : path;
}

// The long form, so that a name ending in a dot or blank is made and read as it is.
fs::path Whole(const fs::path& path) { return L"\\\\?\\" + fs::absolute(path).wstring(); }

}  // namespace

// The runtime cannot date a folder; the system can, given backup semantics.
void SetTime(const fs::path& path, double seconds) {
  ULARGE_INTEGER ticks{.QuadPart = static_cast<ULONGLONG>((seconds + 11644473600) * 1e7)};
  FILETIME time{ticks.LowPart, ticks.HighPart};
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFileTime(h, nullptr, nullptr, &time);
  CloseHandle(h);
}

namespace {

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

// A hidden or system entry, or a Unix link: Wine makes none itself.
void MakeSpecial(const fs::path& path, const Entry& entry) {
  if (entry.kind == Entry::kLink &&
      RunUnix("/bin/ln -s \"" + entry.text + "\" \"" + path.filename().string() + "\"",
              path.parent_path()))
    return Await(path, true);
  if (entry.mark != '~' && entry.mark != '^') return;
  DWORD bit = entry.mark == '~' ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_SYSTEM;
  SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | bit);
}

// Under Wine all of it, Unix links too, which Wine cannot remove.
void RemoveUnix(const fs::path& top) {
  if (RunUnix("/bin/rm -rf \"" + top.filename().string() + "\"", top.parent_path()))
    Await(top, false);
}

double Date(const fs::path&) { return 1104494400; }

char Mark(const fs::path& path) {
  const DWORD bits = GetFileAttributesW(path.c_str());
  for (auto [bit, mark] : {std::pair{FILE_ATTRIBUTE_READONLY, '!'},
                           {FILE_ATTRIBUTE_HIDDEN, '~'},
                           {FILE_ATTRIBUTE_SYSTEM, '^'}})
    if (bits & bit) return mark;
  return 0;
}

#else
std::string Native(std::string path) { return path; }

fs::path Whole(const fs::path& path) { return path; }

std::string Quote(std::string_view word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

void SetTime(const fs::path& path, double seconds) {
  const struct timespec time = {static_cast<time_t>(std::floor(seconds)),
                                static_cast<long>((seconds - std::floor(seconds)) * 1e9)};
  const struct timespec times[2] = {time, time};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

namespace {

void MakeSpecial(const fs::path& path, const Entry& entry) {
  if (entry.kind == Entry::kFifo) mkfifo(path.c_str(), 0644);
  if (entry.kind == Entry::kLink) fs::create_symlink(entry.text, path);
  if (entry.mark == '+' && lchown(path.c_str(), 65534, 65534) != 0) ADD_FAILURE() << "not root";
  if (entry.mark == '$') chmod(path.c_str(), 01777);
}

char Mark(const fs::path&) { return 0; }

double Date(const fs::path& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_mtime) : 0;
}

void RemoveUnix(const fs::path&) {}

#endif

}  // namespace

ScratchFolder::ScratchFolder()
    : path(ScratchRoot() / ("stampix-" + std::to_string(std::random_device()())) / "F"),
      text(Native(path.string()) + kSep),
      tools(Native(path.parent_path().string()) + kSep + "my tools" + kSep),
      state(path.parent_path() / "state") {
  fs::create_directories(path);
  // A file-system image gives every user write access: no place for the journals.
  if (std::getenv("STAMPIX_SCRATCH"))
    state = fs::temp_directory_path() / path.parent_path().filename();
}

ScratchFolder::~ScratchFolder() {
  if (state.parent_path() != path.parent_path()) fs::remove_all(state);
  RemoveUnix(path.parent_path());
  if (!fs::exists(path.parent_path())) return;
  for (const auto& entry : fs::recursive_directory_iterator(Whole(path.parent_path())))
    if (!entry.is_symlink()) fs::permissions(entry, fs::perms::owner_write, fs::perm_options::add);
  fs::remove_all(Whole(path.parent_path()));
}

std::string ScratchFolder::Fill(std::string line) const {
  const std::pair<const char*, std::string> marks[] = {
      {"{d}", text}, {"{t}", tools}, {"{f}", std::string(250 - text.size(), 'L')}};
  for (const auto& [mark, by] : marks)
    for (std::size_t at; (at = line.find(mark)) != line.npos;) line.replace(at, 3, by);
  return line;
}

// Dated last, those inside a folder before the folder.
void ScratchFolder::Make(const Entries& entries) {
  std::vector<std::pair<fs::path, double>> times;
  for (Entry entry : WithFolders(entries)) {
    entry.name = Fill(entry.name), entry.text = Fill(entry.text);
    const fs::path at = At(Whole(path), entry.name);
    times.emplace_back(at, entry.seconds);
    fs::create_directories(entry.kind == Entry::kFolder ? at : at.parent_path());
    if (entry.kind == Entry::kFile) std::ofstream(at, std::ios::binary) << entry.text;
    if (entry.kind == Entry::kSameFile) fs::create_hard_link(At(Whole(path), entry.text), at);
    if (entry.kind == Entry::kPhoto) {
      fs::copy_file(fs::path(Native(TAKEN_CORPUS)) / entry.text, at);
      photos[Content(at)] = entry.text;
    }
    MakeSpecial(at, entry);
    if (entry.mark == '!') fs::permissions(at, fs::perms::owner_write, fs::perm_options::remove);
  }
  for (auto it = times.rbegin(); it != times.rend(); ++it) SetTime(it->first, it->second);
}

std::set<Entry> ScratchFolder::List(bool dates) const {
  std::set<Entry> entries;
  const std::size_t root = Whole(path).native().size() + 1;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Whole(path))) {
    std::u8string name = fs::path(entry.path().native().substr(root)).generic_u8string();
    Entry read{Entry::kFile, std::string(name.begin(), name.end())};
    read.kind = entry.is_symlink()     ? Entry::kLink
                : entry.is_directory() ? Entry::kFolder
                : entry.is_fifo()      ? Entry::kFifo
                                       : Entry::kFile;
    if (read.kind == Entry::kLink) read.text = fs::read_symlink(entry).string();
    if (read.kind == Entry::kFile) read.text = Content(entry.path());
    if (photos.contains(read.text)) read.kind = Entry::kPhoto, read.text = photos.at(read.text);
    read.mark = Mark(entry.path());
    if (dates) read.seconds = Date(entry.path());
    entries.insert(read);
  }
  return entries;
}

#ifdef _WIN32
namespace {
// Stubs of the row's tools, beside a copy of the program that looks there first.
std::string PutTools(const std::string& tools, const ScratchFolder& scratch) {
  const fs::path bin = scratch.path.parent_path() / "my tools";
  fs::create_directory(bin);
  fs::copy_file(Native(STAMPIX_PROGRAM), bin / "STAMPIX.EXE");
  std::istringstream words(tools);
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
}  // namespace

// The exact command line, so that blanks and quotes reach the program as typed.
Result Run(const Row& row, const ScratchFolder& at, const Strings& command, const std::string&,
           bool) {
  std::string program = Native(row.deltree ? DELTREE_PROGRAM : STAMPIX_PROGRAM);
  if (!row.tools.empty()) program = PutTools(row.tools, at);
  HANDLE held = INVALID_HANDLE_VALUE;
  if (!row.hold.empty())  // open without leave to delete
    held = CreateFileW(At(at.path, row.hold).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const fs::path out = at.path.parent_path() / "out";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput =
      CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  std::string line = "\"" + program + "\"";
  for (const std::string& word : command) line += " " + at.Fill(word);
  PROCESS_INFORMATION process{};
  CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                 row.in_folder ? at.path.string().c_str() : nullptr, &startup, &process);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  for (HANDLE h : {startup.hStdOutput, process.hProcess, process.hThread, held}) CloseHandle(h);
  return {Content(out), "", static_cast<int>(code)};
}
#else
Result Run(const Row& row, const ScratchFolder& at, const Strings& command,
           const std::string& out_to, bool terminal) {
  // A runaway program's output stops at a few megabytes, not when memory is full.
  std::string line = "ulimit -f 4096 && " +
                     (row.in_folder ? "cd " + Quote(at.path.string()) + " && " : "") +
                     "exec env XDG_STATE_HOME=" + Quote(at.state.string());
  for (const std::string& word : row.env) line += " " + Quote(at.Fill(word));
  if (!row.limits.empty()) line += " prlimit " + row.limits;
  if (row.as_nobody) line += " setpriv --reuid=65534 --regid=65534 --clear-groups";
  line += " " + Quote(STAMPIX_PROGRAM);
  for (const std::string& word : command) line += " " + Quote(at.Fill(word));
  const fs::path out = at.path.parent_path() / "out", err = out.string() + "-err";
  line += out_to == "-" ? " >&-" : " >" + Quote(out_to.empty() ? out.string() : at.Fill(out_to));
  // On a terminal of its own, whose screen is read back as standard error.
  line = terminal ? "script -qec " + Quote(line) + " /dev/null >" + Quote(err.string())
                  : line + " 2>" + Quote(err.string());
  const int status = std::system(line.c_str());
  return {out_to.empty() ? Content(out) : "", Content(err),
          WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

#endif

std::string When(const std::string& text) {
  return std::regex_replace(text, std::regex("[0-9-]+ [0-9:]+ in \".*\": "), "WHEN: ");
}

Result Undo(const Row& row, const ScratchFolder& at, Strings command) {
  command.insert(command.begin(), "--undo");
  Result result = Run(row, at, command);
  result.err = When(result.err);
  return result;
}
std::string Today() {
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
  return today;
}

namespace {

// The lines of a stream, each with its line end, in the order that is the program's own: on
// Linux all in order (a folder's entries in the byte order of their names); on Windows each
// entry's block (a line that starts with the folder and the lines after it) in order, the blocks
// themselves in the file system's order, lines before the first block first and a count line last.
Strings InOrder(const std::string& text, const std::string& folder, bool ordered) {
  ordered = ordered || kOnLinux;
  Strings blocks;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    line += in.eof() ? "" : "\n";  // the last line may lack its end
    if (blocks.empty() || ordered || line.starts_with(folder) || line.starts_with("Renamed "))
      blocks.push_back(line);
    else
      blocks.back() += line;
  }
  auto begin = blocks.begin() + (!blocks.empty() && !kOnLinux && !blocks[0].starts_with(folder));
  auto end = blocks.end() - (!blocks.empty() && blocks.back().starts_with("Renamed "));
  if (!ordered && begin < end) std::sort(begin, end);
  return blocks;
}

// What a row expects: its entries filled in, with the folders they lie in, and no dates where
// it compares none.
std::set<Entry> Expected(const ScratchFolder& at, Entries entries, bool dates) {
  std::set<Entry> expected;
  for (Entry entry : WithFolders(entries)) {
    entry.name = at.Fill(entry.name), entry.text = at.Fill(entry.text);
    if (!dates) entry.seconds = 1104494400;
    expected.insert(entry);
  }
  return expected;
}

}  // namespace

std::vector<Row> ThisBuild(std::span<const Row> rows, bool images) {
  std::vector<Row> these;
  for (const Row& row : rows)
    if (row.only != (kOnLinux ? kWindows : kLinux) && (row.images || !images)) these.push_back(row);
  return these;
}

// The title's words joined by "_", all a test's name may hold.
std::string TestName(const testing::TestParamInfo<Row>& info) {
  std::string name;
  for (char c : std::string_view(info.param.title))
    if (std::isalnum(static_cast<unsigned char>(c)) || (!name.empty() && name.back() != '_'))
      name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name.ends_with('_') ? name.substr(0, name.size() - 1) : name;
}

TEST_P(Scenario, Run) {
  const Row& row = GetParam();
  if (const fs::path root = ScratchRoot(); !fs::is_directory(root))
    GTEST_SKIP() << "no " << root << ": " << Content(root.parent_path() / "why");
  ScratchFolder scratch;
  scratch.Make(row.before);
  const std::set<Entry> before = scratch.List();
  const Result result = row.steps ? row.steps(row, scratch) : ::Run(row, scratch, row.command);
  const auto expect = [&](const std::string& got, const Strings& lines) {
    std::string wanted;
    for (const std::string& line : lines) wanted += scratch.Fill(line) + (kOnLinux ? "\n" : "\r\n");
    EXPECT_EQ(InOrder(got, scratch.text, row.ordered), InOrder(wanted, scratch.text, row.ordered));
  };
  expect(result.out, row.out);
  expect(result.err, row.err);
  EXPECT_EQ(result.code, row.code);
  EXPECT_EQ(scratch.List(row.dates), row.after ? Expected(scratch, *row.after, row.dates) : before);
}
