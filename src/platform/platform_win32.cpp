// Windows implementation of the platform interface: kernel32's ANSI calls. With the program's
// manifest the ANSI code page is UTF-8, so every stored name reaches the program unchanged.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

// The MinGW start-up code would otherwise expand wildcards in argv, scanning the folder of a
// pattern once before the program even starts. The program reads its own command line.
extern "C" {
int _dowildcard = 0;
}

namespace platform {

const std::string_view kLineEnd = "\r\n";
const char kPathSeparator = '\\';
const std::size_t kMaxPath = 256;
const bool kOneCommandTail = true;
const std::size_t kMaxCommandLine = 256;

bool EndsFolderPart(char c) { return c == '\\' || c == '/' || c == ':'; }

namespace {

// The text in UTF-16, as the system holds names; a byte that is no character becomes U+FFFD.
std::wstring Widen(std::string_view text) {
  int size = static_cast<int>(text.size());
  int length = size ? MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0) : 0;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length) MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

// Keeps the system from showing a dialog box for a missing drive or medium while one call
// runs; the caller sees a plain failure instead.
class QuietErrors {
 public:
  QuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {
    SetLastError(0);
  }
  ~QuietErrors() { SetErrorMode(previous_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT previous_;
};

BOOL WINAPI IgnoreBreaks(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT;
}

bool IsConsole(HANDLE handle) {
  DWORD mode;
  return GetConsoleMode(handle, &mode) != 0;
}

HANDLE OutputHandle() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  if (startup.dwFlags & STARTF_USESTDHANDLES) return startup.hStdOutput;
  return GetStdHandle(STD_OUTPUT_HANDLE);
}

// The attribute bits the program reads: read-only, hidden, system, volume label, folder.
constexpr DWORD kKnownAttributes = kReadOnly | kHidden | kSystem | kVolumeLabel | kFolder;

std::uint64_t Join(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

Entry Described(const WIN32_FIND_DATAA& found) {
  std::uint64_t time =
      Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
  return Entry{found.cFileName, true, found.dwFileAttributes & kKnownAttributes,
               static_cast<std::int64_t>(time), Join(found.nFileSizeHigh, found.nFileSizeLow)};
}

}  // namespace

std::size_t TextLength(std::string_view text) { return Widen(text).size(); }

// ---- Process and console ----

void SetUpConsole() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const DWORD output_mode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
  SetConsoleMode(IsConsole(out) ? out : err, output_mode);
  SetConsoleMode(in, 0);
  SetConsoleCtrlHandler(IgnoreBreaks, TRUE);
}

std::vector<std::string> CommandLine(int, char**) {
  std::string_view line = GetCommandLineA();
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    // A name whose quote never closes takes the whole line: there is no tail to guess at.
    std::size_t close = line.find('"', 1);
    i = close == line.npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && static_cast<unsigned char>(line[i]) > 0x20) ++i;
  }
  while (i < line.size() && line[i] == ' ') ++i;
  return {std::string(line.substr(i))};
}

// A console shows text by its own output code page, not the program's: it gets the characters.
// A file or pipe gets the bytes as they are.
void WriteOutput(std::string_view bytes) {
  static const HANDLE out = OutputHandle();
  static const bool console = IsConsole(out);
  QuietErrors quiet;
  DWORD written;
  if (console) {
    std::wstring wide = Widen(bytes);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

std::string CurrentFolder() {
  QuietErrors quiet;
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  std::string folder(size, '\0');
  DWORD length = size ? GetCurrentDirectoryA(size, folder.data()) : 0;
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  return folder;
}

void ExitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

// ---- Entries ----

Folder::Folder(std::string path) : path_(std::move(path)), handle_(-1) {}

Folder::Folder(const Folder& parent, std::string_view name)
    : path_(parent.path() + std::string(name) + kPathSeparator), handle_(-1) {}

Folder::~Folder() = default;

struct FolderSearch::State {
  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA found{};
  bool pending = false;  // `found` holds an entry not yet handed out
};

FolderSearch::FolderSearch(const Folder& folder) : state_(std::make_unique<State>()) {
  const std::string search = folder.path() + "*";
  QuietErrors quiet;
  state_->handle = FindFirstFileA(search.c_str(), &state_->found);
  state_->pending = state_->handle != INVALID_HANDLE_VALUE;
}

FolderSearch::~FolderSearch() {
  if (state_->handle != INVALID_HANDLE_VALUE) FindClose(state_->handle);
}

std::optional<Entry> FolderSearch::Next() {
  if (state_->handle == INVALID_HANDLE_VALUE) return std::nullopt;
  if (!state_->pending) {
    QuietErrors quiet;
    state_->pending = FindNextFileA(state_->handle, &state_->found);
  }
  if (state_->pending) {
    state_->pending = false;
    return Described(state_->found);
  }
  FindClose(state_->handle);
  state_->handle = INVALID_HANDLE_VALUE;
  return std::nullopt;
}

std::optional<Entry> Lookup(const Folder& folder, std::string_view name) {
  const std::string path = folder.path() + std::string(name);
  WIN32_FIND_DATAA found;
  QuietErrors quiet;
  HANDLE handle = FindFirstFileA(path.c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(handle);
  return Described(found);
}

std::optional<std::uint32_t> Attributes(const Folder& folder, std::string_view name) {
  const std::string path = folder.path() + std::string(name);
  QuietErrors quiet;
  DWORD bits = GetFileAttributesA(path.c_str());
  if (bits == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return bits & kKnownAttributes;
}

bool MoveEntry(const Folder& from, std::string_view name, const Folder& to,
               std::string_view new_name) {
  const std::string source = from.path() + std::string(name);
  const std::string destination = to.path() + std::string(new_name);
  QuietErrors quiet;
  return MoveFileA(source.c_str(), destination.c_str()) != 0;
}

void RemoveFile(const Folder& folder, std::string_view name) {
  const std::string path = folder.path() + std::string(name);
  QuietErrors quiet;
  DeleteFileA(path.c_str());
}

// ---- Text and time ----

std::u32string FoldCase(std::string_view text) {
  std::wstring wide = Widen(text);
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return std::u32string(wide.begin(), wide.end());
}

std::string LocalDateText(std::int64_t file_time) {
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<ULONGLONG>(file_time);
  FILETIME utc_time{ticks.LowPart, ticks.HighPart};
  SYSTEMTIME utc, local;
  // The zone's rules at that moment, so a file keeps its date whatever the season now.
  if (!FileTimeToSystemTime(&utc_time, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return {};
  char text[36];
  int n = GetDateFormatA(0, 0, &local, "yyyyMMdd", text, sizeof text);
  return n > 0 ? std::string(text, static_cast<std::size_t>(n - 1)) : std::string();
}

// ---- Other programs ----

std::string FindOnPath(const std::string& file_name) {
  char path[MAX_PATH + 1];
  char* file_part = nullptr;
  DWORD n = SearchPathA(nullptr, file_name.c_str(), nullptr, sizeof path, path, &file_part);
  if (n == 0 || n >= sizeof path) return {};
  return std::string(path, n);
}

std::optional<std::int32_t> RunAndWait(const std::string& command_line) {
  std::string writable = command_line;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  {
    QuietErrors quiet;
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
      return std::nullopt;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<std::int32_t>(status);
}

void Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace platform
