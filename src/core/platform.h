#pragma once
// The program's one door to the operating system, in the program's own terms: what both builds
// provide. The build links exactly one implementation, windows/platform.cpp (kernel32, ANSI calls)
// or linux/platform.cpp (Linux); what only one build has is declared in windows/platform_windows.h
// or linux/platform_linux.h, which only that build's code includes. Nothing above this layer
// includes a system header. It lists and acts; what to select, skip or refuse is decided above it.
//
// No call here prints anything. A call that can fail returns the system's error code for its
// caller to report or to ignore (the Windows program judges by asking again: does the entry still
// exist, what kind is it).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The system's code for what went wrong (errno on Linux, GetLastError on Windows); 0: nothing.
using Error = int;

// ---- Conventions of this build ----

// What ends every line written: CR LF on Windows, LF on Linux.
extern const std::string_view kLineEnd;

// The separator put between a folder and a name.
extern const char kPathSeparator;

// Longest path the program hands to the system, counted by TextLength. Linux sets none of its
// own: each call names one entry relative to its folder, and the system says what is too long.
extern const std::size_t kMaxPath;

// True for a character that ends a folder part: "\", "/" and ":" on Windows, "/" on Linux.
bool EndsFolderPart(char c);

// The length of a text as the system counts it against its limits: UTF-16 units on Windows,
// bytes on Linux.
std::size_t TextLength(std::string_view text);

// True when the system's calls, given this stored name, act on exactly that entry. Windows reads
// wildcards, "<", ">", '"', separators and a trailing dot or blank as something else; Linux takes
// every name as it is.
bool CanName(std::string_view name);

// True when a pass takes each folder's entries in the byte order of their names, so that its
// record reads like a listing (Linux); false: as the system's search yields them (Windows).
bool InNameOrder();

// True when a pass stamps a photo or video and the entries that go with it (its sidecars, the
// JPEG beside a raw) as one, by one date (Linux, which has each folder's names whole for it);
// false: every entry alone, by its own (Windows).
bool GroupsPhotos();

// ---- Process and console ----

// Sets the process up before anything else: console modes, and how it answers Ctrl+C, a closed
// terminal and kill (Windows: not at all; Linux: by stopping between two entries).
void SetUpProcess();

// The command line after the program's name. Windows: one text, the tail exactly as typed after
// the blanks that follow the name, or nothing when it holds a character that the code page of
// the ANSI calls cannot hold. Linux: the arguments, one text each.
std::optional<std::vector<std::string>> CommandLine(int argc, char** argv);

// Writes the bytes to standard output with one call. Returns why they could not all be
// written, or 0. A Windows console gets the characters they stand for, a file or pipe the bytes.
Error WriteOutput(std::string_view bytes);

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
  std::uint64_t device = 0;      // Linux: the device and inode that tell one file from another
  std::uint64_t inode = 0;
  std::int64_t created = 0;  // Linux: its birth (see last_write), 0 where the system keeps none
  std::uint64_t mount = 0;   // Linux: the mount it was reached through, 0 where it is not told
};

// A folder part, opened once for every call that names an entry in it.
class Folder {
 public:
  // `path` is a folder part as the program shows it: empty (Linux: the current folder), or
  // ending with a separator (or, on Windows, a drive colon). A folder that cannot be opened makes
  // every call on it fail with the reason it could not be opened.
  explicit Folder(std::string path);
  // The folder `name` inside `parent`; on Linux never reached through a symbolic link.
  Folder(const Folder& parent, std::string_view name);
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string& path() const { return path_; }

  // What the build keeps of an open folder; only the implementation knows it.
  struct State;

 private:
  friend const State& StateOf(const Folder& folder);
  std::string path_;
  std::unique_ptr<State> state_;
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

  // Why the search ended before its end, or could not start; 0 when it ran to its end.
  Error error() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The entry `name` names in the folder, described (on Linux a symbolic link's own details), or
// nothing if it does not exist, with the reason in `why`. Windows gives the name as stored, which
// may differ in case, and finds nothing for a name it could not name exactly (CanName).
std::optional<Entry> Lookup(const Folder& folder, std::string_view name, Error* why = nullptr);

// Attribute bits of the entry `name` names in the folder, or nothing if it does not exist.
std::optional<std::uint32_t> Attributes(const Folder& folder, std::string_view name);

// True when both names, links followed, lead to one and the same file (device and inode, or
// volume and file index): replacing one by the other would lose it.
bool SameFile(const Folder& folder, std::string_view name, const Folder& other,
              std::string_view other_name);

// True unless the system would refuse to remove the file or link `name` as it stands (Windows:
// held open by another program without leave to delete it, or denied by its permissions).
// Linux asks the folder, not the file, and tells only by trying.
bool CanRemove(const Folder& folder, std::string_view name);

// The user that owns the entry, or nothing where the system keeps none in this sense (Windows)
// or the entry is missing.
std::optional<std::uint32_t> Owner(const Folder& folder, std::string_view name);

// True when other users than its owner may put entries into the folder (Linux: sticky or
// writable by all).
bool IsShared(const Folder& folder);

// True when the entry (as Lookup describes it) is where this run writes its own output.
bool IsOwnOutput(const Entry& entry);

// Why this run could not rename entries of the folder, as far as the system tells without
// trying (Linux: no write permission, a read-only mount), or 0.
Error CanChange(const Folder& folder);

// MoveEntry: the new name was taken by another program in the instant between the move making
// sure it was free and using it; nothing was changed.
constexpr Error kTakenMeanwhile = -1;

// Renames an entry, also into another folder on the same volume. Never replaces an existing
// destination, and returns 0 only when the entry has left its old name.
Error MoveEntry(const Folder& from, std::string_view name, const Folder& to,
                std::string_view new_name);

// A folder's last write, exactly as the system keeps it, to put back after renaming inside it.
struct FolderTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  bool known = false;  // Windows keeps none: renaming inside a folder there dates it anew

  bool operator==(const FolderTime&) const = default;
};

FolderTime LastWriteOf(const Folder& folder);

// Sets the folder's last write back to `time`, its last access left as it is.
Error PutBack(const Folder& folder, const FolderTime& time);

// Makes the folder `name` with the permission bits `mode`, exactly (Windows keeps no such bits:
// the folder gets what its parent passes on).
Error MakeFolder(const Folder& folder, std::string_view name, std::uint32_t mode);

// Renames an entry over an existing file or link of the new name in one step, so the old one is
// never gone before the new one has its name. Never over a folder.
Error ReplaceEntry(const Folder& from, std::string_view name, const Folder& to,
                   std::string_view new_name);

// ---- Text and time ----

// The text, one element per character, upper-cased by the system's own case mapping, so that
// two names compare as the file system's name matching compares them.
std::u32string FoldCase(std::string_view text);

class LocalDates;

// The day a photo or video was taken, by its own metadata, as "yyyyMMdd", or empty when it holds
// none that the program reads (Windows reads none). Moments the metadata keeps in UTC are turned
// into local dates by `dates`.
std::string TakenDate(const Folder& folder, const Entry& entry, LocalDates& dates);

// The moment the entry was made (see Entry::last_write), where the file system keeps one.
std::optional<std::int64_t> CreatedTime(const Folder& folder, const Entry& entry);

// Local calendar dates, by the zone's rules at each moment. One serves a whole pass, since
// Windows reads a year's rules from the registry: it keeps those of the last year asked for.
class LocalDates {
 public:
  LocalDates();
  ~LocalDates();
  // The date of the moment `file_time` (see Entry::last_write) as "yyyyMMdd" (more digits past
  // the year 9999); empty if it has none.
  std::string Of(std::int64_t file_time);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
