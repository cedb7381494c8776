#pragma once
// What only the Linux build has: its folder merge's removal of emptied folders, the second
// output stream, the system's reason for an error, the stop that a signal asks for, and what
// the journal's state folder and files need. Only Linux code includes this header.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace platform {

// The folder's path from the root, ending with "/", with no link, "." or ".." in it: where it
// was when it was opened. Empty when the system cannot tell.
const std::string& WholePath(const Folder& folder);

// The folder's permission bits.
std::uint32_t ModeOf(const Folder& folder);

// Removes the folder `name` if it is empty.
Error RemoveFolder(const Folder& folder, std::string_view name);

// Makes the folder at `path` and every folder missing above it, each with the permission bits
// `mode`, exactly. Links on the way are followed, as the user's own paths may hold them.
Error MakeFolders(const std::string& path, std::uint32_t mode);

// Removes the file or link `name`.
Error RemoveFile(const Folder& folder, std::string_view name);

// The current folder's path from the root, as the system tells it; empty if it cannot.
std::string CurrentFolder();

// The user's home folder: $HOME, else as the user database has it.
std::string HomeFolder();

// The user the process acts as, and the process itself.
std::uint32_t UserId();
std::int32_t ProcessId();

// What the system tells of an open file.
struct FileStatus {
  std::uint64_t device = 0, inode = 0;  // see Entry
  std::uint64_t links = 0;              // its names: 0 once it was removed
  std::uint32_t owner = 0;              // the user that owns it
  std::uint32_t mode = 0;               // its permission bits
  bool regular = false;                 // a plain file: no folder, device, pipe or socket
};

// A file of the program's own (a run's journal), open for as long as this lives.
class File {
 public:
  // kCreate: a new file, the user's alone, written at its end. A file read is opened without
  // waiting on it, and never becomes the process's terminal.
  enum class Access { kRead, kReadWrite, kCreate };

  // The file `name` in the folder, never through a link.
  File(const Folder& folder, std::string_view name, Access access);
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Why it could not be opened, or 0.
  Error error() const { return error_; }
  bool is_open() const { return fd_ >= 0; }

  std::optional<FileStatus> Status() const;

  // Takes its advisory lock, shared or `exclusive`; `wait`: until it is free. 0, or why not.
  Error Lock(bool exclusive, bool wait);

  // Writes all the bytes, after what was read or written before (kCreate: at its end, whatever
  // else wrote it). 0, or why not.
  Error Append(std::string_view bytes);

  // Makes what was written durable. 0, or why not.
  Error Sync();

  // The rest of it, or nothing when it cannot be read, with the reason in `why`.
  std::optional<std::string> ReadAll(Error& why);

 private:
  int fd_ = -1;
  Error error_ = 0;
};

// Why standard output cannot be written to (it was closed), or 0.
Error OutputError();

// Writes the bytes to standard error with one call; a failure is ignored.
void WriteError(std::string_view bytes);

// True when standard output (or, with `error`, standard error) is a terminal.
bool IsTerminal(bool error);

// A steady clock's milliseconds, for pacing what a terminal is shown.
std::int64_t Milliseconds();

// The system's own words for an error, such as "Permission denied".
std::string ErrorText(Error error);

// The signal (SIGINT, SIGTERM or SIGHUP) that asked the run to stop, or 0. SetUpProcess makes
// these signals ask rather than end the process, so the entry in hand is finished first.
int StopSignal();

}  // namespace platform
