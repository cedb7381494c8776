#pragma once
// The program's one door to the operating system. The build links exactly one implementation:
// platform_win32.cpp (kernel32, ANSI calls) or platform_posix.cpp (Linux). Nothing above this
// header includes a system header.
//
// Failures are silent by design: no call here prints anything or reads an error code for its
// caller. Callers learn what happened by asking again (does the entry exist, what kind is it).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Conventions of this build ----

// What ends every line written: CR LF on Windows, LF on Linux.
extern const std::string_view kLineEnd;

// The separator put between the current folder and a name.
extern const char kPathSeparator;

// Longest path, in bytes, that the file-system calls below accept. Longer paths are refused
// (the call fails), never shortened.
extern const std::size_t kMaxPath;

// Longest command line, in bytes, that RunAndWait accepts.
extern const std::size_t kMaxCommandLine;

// True where a switch ("/Y", "/?") counts anywhere in the command tail, as Windows users
// expect; false where it counts only as a word of its own, because "/" starts every
// absolute path (Linux).
extern const bool kSwitchesAnywhere;

// True for a character that ends a folder part: "\", "/" and ":" on Windows, "/" on Linux.
bool EndsFolderPart(char c);

// ---- Process and console ----

// Console modes and the control handler: Ctrl+C, Ctrl+Break (SIGINT, SIGQUIT), console close
// (SIGHUP) and a closed pipe (SIGPIPE) do not end the process.
void SetUpConsole();

// The command line after the program's name and the blanks that follow it, exactly as typed.
// On Linux: the arguments joined with one blank each.
std::string CommandTail(int argc, char** argv);

// Writes the bytes to standard output with one call; failures are ignored.
void WriteOutput(std::string_view bytes);

// The current folder, with a separator at its end only at the root; empty if it cannot be read.
std::string CurrentFolder();

[[noreturn]] void ExitProcess(int code);

// ---- Entries ----

enum Attribute : std::uint32_t {
  kReadOnly = 0x01,
  kHidden = 0x02,
  kSystem = 0x04,
  kVolumeLabel = 0x08,
  kFolder = 0x10,
};

struct Entry {
  std::string name;              // as stored, without its folder
  std::uint32_t attributes = 0;  // Attribute bits
  std::int64_t last_write = 0;   // 100-nanosecond intervals since 1601-01-01 UTC
};

// Decides, from a stored name, whether a search yields that entry.
using NameFilter = std::function<bool(std::string_view name)>;

// What a search reports of each entry. With kNameOnly, `attributes` and `last_write` may be
// left at zero where reading them would cost the system another call per entry, and an entry
// removed since the folder was read may still be reported.
enum class Detail { kFull, kNameOnly };

// One open search of one folder for "folder part + name". A name without "*" or "?" yields at
// most that one entry. A pattern yields every entry the system considers a candidate (on Linux:
// every entry of the folder) for which `accept` is true. The search stays open between calls,
// so entries may be renamed while it runs.
class FolderSearch {
 public:
  FolderSearch(const std::string& path, NameFilter accept, Detail detail = Detail::kFull);
  ~FolderSearch();
  FolderSearch(const FolderSearch&) = delete;
  FolderSearch& operator=(const FolderSearch&) = delete;

  // The next entry, or false when none is left (the search is then closed).
  bool Next(Entry& entry);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Attribute bits of the entry at `path` (a symbolic link's own, on Linux), or nothing if it
// does not exist or cannot be read.
std::optional<std::uint32_t> Attributes(const std::string& path);

// Renames `source` to `destination` in place. Never replaces an existing destination.
// Returns whether the system reported success.
bool MoveEntry(const std::string& source, const std::string& destination);

// Deletes one file: never a folder, never a read-only file, and on Linux never the target of a
// symbolic link (the link itself goes). Returns whether the system reported success.
bool RemoveFile(const std::string& path);

// ---- Text and time ----

// The text, one element per character, upper-cased by the system's own case mapping, so that
// two names compare as the file system's name matching compares them.
std::u32string FoldCase(std::string_view text);

// The local calendar date of the moment `file_time` (see Entry::last_write) as the system
// formats the picture "yyyyMMdd", or empty if it cannot be formatted.
std::string LocalDateText(std::int64_t file_time);

// ---- Other programs ----

// Full path of an executable found by its file name in the system's search order, or empty.
std::string LocateProgram(const std::string& file_name);

// Starts the command line (no shell, no redirection) and waits for it to end. Returns its exit
// status, negative for an abnormal end (Linux: minus the signal number), or nothing if it could
// not be started.
std::optional<std::int32_t> RunAndWait(const std::string& command_line);

void Pause(int milliseconds);

// Splits a command line into arguments by the rules of the Microsoft C runtime: the first
// argument ends at its closing quote or first blank; 2n backslashes before a quote give n and
// toggle quoting, 2n+1 give n and a literal quote; "" inside quotes gives a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace platform
