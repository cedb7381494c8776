#pragma once
// What the tests need around the program: running it as a separate process with an exact
// command line, and making and reading folders with known names, contents and dates.
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace test {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// The Linux build; the other is the Windows build, run under Wine here.
extern const bool kLinux;

struct Result {
  std::string out;  // standard output, byte for byte
  int code = -1;    // exit code
};

struct RunOptions {
  // When set, the copy and delete tools are looked for here first (see Bin()).
  std::string bin;
  std::string cwd;
  // Closes the reading end of the output pipe before the program writes: every write fails.
  bool close_output = false;
  // Linux only: starts the program with no standard output at all.
  bool no_output = false;
};

// Runs the program with the command tail exactly as typed. On Linux the tail is passed as one
// argument, which gives the same tail.
Result RunProgram(std::string_view tail, const RunOptions& options = {});

// Linux only: runs the program with these arguments.
Result RunArgs(const std::vector<std::string>& args, const RunOptions& options = {});

// A folder of its own for the tools: a copy of the program (Windows looks beside it first),
// and the stub copy and/or delete tool.
std::string Bin(const fs::path& where, bool with_copy_tool, bool with_delete_tool);

// Sets or clears an environment variable that the program and the stub tools inherit.
void SetEnv(const std::string& name, const std::string& value);
void ClearEnv(const std::string& name);

// Lines joined, each ended as the program ends them.
std::string Lines(std::initializer_list<std::string_view> lines);

// The same lines, sorted: the order of entries in a listing is the file system's.
std::string SortedLines(const std::string& text);

// A fresh empty folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& path() const { return path_; }
  // The folder as the program shows it: native separators, one at the end.
  std::string text() const;

 private:
  fs::path path_;
};

// A path below `folder` from a UTF-8 name.
fs::path At(const fs::path& folder, std::string_view utf8_name);

// Local noon of a day: its date is the same in every time zone's reading of "local".
fs::file_time_type Noon(int year, int month, int day);

void MakeFile(const fs::path& path, std::string_view content, fs::file_time_type when);
void MakeFolder(const fs::path& path, fs::file_time_type when);
void SetReadOnly(const fs::path& path, bool read_only);
// Sets the last-write time of a file or folder.
void SetTime(const fs::path& path, fs::file_time_type when);
// Linux only: a symbolic link with its own last-write time.
void MakeLink(const fs::path& target, const fs::path& link, fs::file_time_type when);

// Keeps the file open, as another program would, until the result is dropped. On Windows the
// file can then be neither renamed nor deleted; Linux does not lock.
std::shared_ptr<void> HoldOpen(const fs::path& path);
// Windows only: gives the entry the hidden attribute.
void SetHidden(const fs::path& path);

// Names in the folder, UTF-8, sorted; folders end with "/".
std::vector<std::string> Names(const fs::path& folder);
std::string Content(const fs::path& path);

// The command line a tool received, as the stub logged it, compared in the form the build
// delivers it: the whole line on Windows, the arguments on Linux.
std::vector<std::string> ToolRuns(const fs::path& log);
std::string AsReceived(const std::string& command_line);

// The path of a program or stub as a native path string.
std::string Native(const std::string& path);

}  // namespace test
