// What the tables of runs share, on both builds: a scratch folder of a test's own, the entries
// made in it and read back, a run of a program, and a row of a table with the test that runs it.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

inline constexpr bool kOnLinux = fs::path::preferred_separator == '/';

// An entry of the scratch folder, made before a run and read back after it. Its name is a path
// below the folder with "/" between its parts; the folders it lies in are there too, unmarked.
// Names, texts and lines may hold "{d}": the scratch folder as the program shows it, with its
// separator, "{t}": the folder of a row's tools likewise, and "{f}": a name that fills the
// folder's path to 250 characters.
struct Entry {
  enum Kind { kFile, kFolder, kLink, kSameFile, kPhoto, kFifo } kind;
  std::string name;
  std::string text = "";  // a file's bytes, a link's target, the other name, the corpus seed
  // The last write: by default noon of 31 December 2004 UTC, that day in every zone within 11
  // hours. Read back (Linux) only in a row that compares dates.
  double seconds = 1104494400;
  // "!" read-only, "~" hidden, "^" system (Windows); "+" another user's, "$" a folder that
  // every user may write to (Linux).
  char mark = 0;

  Entry date(double at) const { return Entry{kind, name, text, at, mark}; }
  Entry readonly() const { return Entry{kind, name, text, seconds, '!'}; }
  Entry hidden() const { return Entry{kind, name, text, seconds, '~'}; }
  Entry system() const { return Entry{kind, name, text, seconds, '^'}; }
  Entry others() const { return Entry{kind, name, text, seconds, '+'}; }
  Entry shared() const { return Entry{kind, name, text, seconds, '$'}; }
  auto operator<=>(const Entry&) const = default;
};
using Entries = std::vector<Entry>;

inline Entry File(std::string name, std::string text = "") { return {Entry::kFile, name, text}; }
inline Entry Folder(std::string name) {  // a "/" at its end or not
  return {Entry::kFolder, name.ends_with('/') ? name.substr(0, name.size() - 1) : name};
}
inline Entry Link(std::string name, std::string target) { return {Entry::kLink, name, target}; }
// Another name of that file.
inline Entry SameFile(std::string name, std::string file) { return {Entry::kSameFile, name, file}; }
// A copy of that photo or video of the fuzz corpus, whose name says its date.
inline Entry Photo(std::string name, std::string seed) { return {Entry::kPhoto, name, seed}; }
inline Entry Fifo(std::string name) { return {Entry::kFifo, name}; }
// Empty files PREFIX001 to PREFIXn, then `more`.
Entries Numbered(const std::string& prefix, int n, Entries more = {});
void PrintTo(const Entry& entry, std::ostream* out);

// Standard output byte for byte, standard error (Linux), the exit code.
struct Result {
  std::string out, err;
  int code;
};
// Two runs' lines one after the other, and the latter's code.
inline Result& operator+=(Result& all, const Result& more) {
  all.out += more.out, all.err += more.err, all.code = more.code;
  return all;
}

struct ScratchFolder;
struct Row;
// The entries afterwards; none given: as before.
struct After : std::optional<Entries> {
  After() = default;
  After(std::initializer_list<Entry> entries) : std::optional<Entries>(entries) {}
  After(Entries entries) : std::optional<Entries>(std::move(entries)) {}
};
// A row's runs where one run of its command does not say it: given the row and its folder,
// what the row's lines and code are compared with.
using Steps = std::function<Result(const Row&, const ScratchFolder&)>;
enum Build { kBoth, kLinux, kWindows };

struct Row {
  const char* title;
  Entries before = {};
  Strings command = {};  // the arguments (Linux); on Windows one command tail, joined by blanks
  Strings out = {}, err = {};  // the lines of standard output (on Windows every line) and error
  After after = {};
  int code = 0;
  Build only = kBoth;       // a row that differs by design
  Strings env = {};         // Linux: NAME=VALUE for the program
  bool in_folder = false;   // run in the scratch folder
  bool as_nobody = false;   // Linux: as the user nobody
  std::string limits = "";  // Linux: prlimit's options
  // Windows: stubs of the tools, "XCOPY=S DELTREE=S", that end with status S beside a copy of
  // the program ("junk": one that cannot start, "keep": DELTREE says 0 and deletes nothing,
  // "real": the built DELTREE.EXE).
  std::string tools = "";
  std::string hold = "";  // Windows: a file kept open without leave to delete it
  bool deltree = false;   // Windows: the built DELTREE.EXE runs instead
  Steps steps = {};
  // Windows: lines compared in full order, not block by block (Linux: always).
  bool ordered = false;
  bool images = false;  // Linux: run again on ext4, exFAT and NTFS images
  bool dates = false;   // Linux: entries afterwards with their last writes
};
void PrintTo(const Row& row, std::ostream* out);

// The folder "F" of a test's own, inside a folder that is removed with all it holds. It is made
// in STAMPIX_SCRATCH where that is set (a file system image), else on Linux's tmpfs or in the
// temporary folder.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  std::string Fill(std::string text) const;  // "{d}", "{t}" and "{f}" filled in
  void Make(const Entries& entries);
  // Every entry below the folder, with its last write where `dates` (Linux).
  std::set<Entry> List(bool dates = false) const;

  fs::path path;
  std::string text;   // as the program shows it, with a separator at its end
  std::string tools;  // the folder of a row's tools beside it (Windows), likewise
  fs::path state;     // the runs' journals (Linux)
  std::map<std::string, std::string> photos;  // the bytes of each photo made, and its seed
};

// Runs the row's program with `command` and the row's setup. `out`: where standard output goes
// ("": read back; "-": closed); `terminal`: standard error on a terminal (Linux).
Result Run(const Row& row, const ScratchFolder& at, const Strings& command,
           const std::string& out = "", bool terminal = false);
// The moment and folder of each run the text names ("DATE TIME in "FOLDER": ") as "WHEN: ".
std::string When(const std::string& text);
// "--undo" with `command`, the moment and folder of the run it names read as "WHEN" (Linux).
Result Undo(const Row& row, const ScratchFolder& at, Strings command = {});
std::string Today();                                 // as a stamp
void SetTime(const fs::path& path, double seconds);  // an entry's own last write, a link's too

// The rows of this build; `images`: only those that run again on file-system images.
std::vector<Row> ThisBuild(std::span<const Row> rows, bool images = false);
std::string TestName(const testing::TestParamInfo<Row>& info);

class Scenario : public testing::TestWithParam<Row> {};
