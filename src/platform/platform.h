#pragma once
// The program's one door to the operating system. The build links exactly one implementation:
// platform_win32.cpp (kernel32, ANSI calls) or platform_posix.cpp (Linux). Nothing above this
// header includes a system header. It lists and acts; what to select, skip or refuse is decided
// above it.
//
// Failures are silent by design: no call here prints anything or reads an error code for its
// caller. Callers learn what happened by asking again (does the entry exist, what kind is it).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Conventions of this build ----

// What ends every line written: CR LF on Windows, LF on Linux.
extern const std::string_view kLineEnd;

// The separator put between a folder and a name.
extern const char kPathSeparator;

// Longest path the system takes, counted by TextLength.
extern const std::size_t kMaxPath;

// True where the command line comes as one tail to be read by the program's own rules
// (Windows); false where it comes as separate arguments (Linux).
extern const bool kOneCommandTail;

// True for a character that ends a folder part: "\", "/" and ":" on Windows, "/" on Linux.
bool EndsFolderPart(char c);

// The length of a text as the system counts it against its limits: UTF-16 units on Windows,
// bytes on Linux.
std::size_t TextLength(std::string_view text);

// ---- Process and console ----

// Console modes and the control handler: Ctrl+C, Ctrl+Break (SIGINT, SIGQUIT), console close
// (SIGHUP) and a closed pipe (SIGPIPE) do not end the process.
void SetUpConsole();

// The command line after the program's name. Windows: one text, the tail exactly as typed after
// the blanks that follow the name. Linux: the arguments, one text each.
std::vector<std::string> CommandLine(int argc, char** argv);

// Writes the bytes to standard output with one call; failures are ignored. A Windows console
// gets the characters they stand for, a file or pipe the bytes.
void WriteOutput(std::string_view bytes);

// The current folder, with a separator at its end only at the root; empty if it cannot be read.
std::string CurrentFolder();

[[noreturn]] void ExitProcess(int code);

// ---- Entries ----

enum Attribute : std::uint32_t {
  kReadOnly = 0x01,  // Linux: no write permission for the owner (never a link)
  kHidden = 0x02,    // Linux: the name starts with a dot
  kSystem = 0x04,    // Linux: neither a file, a folder nor a link (a device, pipe or socket)
  kVolumeLabel = 0x08,
  kFolder = 0x10,  // Linux: a real folder, never a link to one
};

struct Entry {
  std::string name;              // as stored, without its folder
  bool described = false;        // the fields below are filled in
  std::uint32_t attributes = 0;  // Attribute bits
  std::int64_t last_write = 0;   // 100-nanosecond intervals since 1601-01-01 UTC
  std::uint64_t size = 0;        // bytes
};

// A folder part, opened once for every call that names an entry in it. On Linux it holds a
// handle, so that each call spares the walk down the whole path.
class Folder {
 public:
  // `path` is a folder part as the program shows it: it ends with a separator (or, on Windows,
  // a drive colon). A folder that cannot be opened makes every call on it fail.
  explicit Folder(std::string path);
  // The folder `name` inside `parent`; on Linux never reached through a symbolic link.
  Folder(const Folder& parent, std::string_view name);
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string& path() const { return path_; }
  int handle() const { return handle_; }

 private:
  std::string path_;
  int handle_;  // Linux: a descriptor of the folder itself; -1 on Windows
};

// Every entry of one folder as the system lists it, "." and ".." included where it reports
// them. Windows describes each entry; Linux gives names only. The search stays open between
// calls, so entries may be renamed while it runs.
class FolderSearch {
 public:
  explicit FolderSearch(const Folder& folder);
  ~FolderSearch();
  FolderSearch(const FolderSearch&) = delete;
  FolderSearch& operator=(const FolderSearch&) = delete;

  // The next entry, or nothing when none is left (the search is then closed).
  std::optional<Entry> Next();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The entry `name` names in the folder, described (on Linux a symbolic link's own details), or
// nothing if it does not exist. Windows gives the name as stored, which may differ in case.
std::optional<Entry> Lookup(const Folder& folder, std::string_view name);

// Attribute bits of the entry `name` names in the folder, or nothing if it does not exist.
std::optional<std::uint32_t> Attributes(const Folder& folder, std::string_view name);

// Renames an entry, also into another folder on the same volume. Never replaces an existing
// destination. Returns whether the system reported success.
bool MoveEntry(const Folder& from, std::string_view name, const Folder& to,
               std::string_view new_name);

// Deletes one file or link (never a folder; on Windows never a read-only file).
void RemoveFile(const Folder& folder, std::string_view name);

// Linux only, for its folder merge: renames an entry over an existing file or link of the new
// name in one step (never over a folder), and removes an empty folder.
void ReplaceEntry(const Folder& from, std::string_view name, const Folder& to,
                  std::string_view new_name);
void RemoveFolder(const Folder& folder, std::string_view name);

// ---- Text and time ----

// The text, one element per character, upper-cased by the system's own case mapping, so that
// two names compare as the file system's name matching compares them.
std::u32string FoldCase(std::string_view text);

// The local calendar date of the moment `file_time` (see Entry::last_write) as the system
// formats the picture "yyyyMMdd", or empty if it cannot be formatted.
std::string LocalDateText(std::int64_t file_time);

// ---- Other programs (Windows only, for its folder merge) ----

// Longest command line that RunAndWait accepts, counted by TextLength.
extern const std::size_t kMaxCommandLine;

// Full path of an executable found by its file name in the system's search order, or empty.
std::string FindOnPath(const std::string& file_name);

// Starts the command line (no shell, no redirection) and waits for it to end. Returns its exit
// status, or nothing if it could not be started.
std::optional<std::int32_t> RunAndWait(const std::string& command_line);

void Pause(int milliseconds);

}  // namespace platform
