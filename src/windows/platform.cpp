// Windows implementation of the platform interface: kernel32's ANSI calls. With the program's
// manifest the ANSI code page is UTF-8, so every stored name reaches the program unchanged; where
// Windows ignores the manifest, names the code page cannot hold are refused rather than guessed.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "windows/platform_windows.h"

// The MinGW start-up code would otherwise expand wildcards in argv, scanning the folder of a
// pattern once before the program even starts. The program reads its own command line.
extern "C" {
int _dowildcard = 0;
}

namespace platform {

const std::string_view kLineEnd = "\r\n";
const char kPathSeparator = '\\';
const std::size_t kMaxPath = 256;
const std::size_t kMaxCommandLine = 256;

bool EndsFolderPart(char c) { return c == '\\' || c == '/' || c == ':'; }

bool InNameOrder() { return false; }

bool GroupsPhotos() { return false; }

// The path rules strip a trailing dot or blank, and read the rest as patterns, separators or a
// stream name; the system's "?" also stands for a character the code page cannot hold.
bool CanName(std::string_view name) {
  constexpr std::string_view kOtherMeaning = "\"*/:<>?\\|";
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || kOtherMeaning.find(c) != kOtherMeaning.npos)
      return false;
  return true;
}

// Where the folder really is, upper-cased, once an entry of it is examined.
struct Folder::State {
  mutable std::optional<std::wstring> final_path;
};

const Folder::State& StateOf(const Folder& folder) { return *folder.state_; }

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

Error LastError() { return static_cast<Error>(GetLastError()); }

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

// The command line after the program's name and the blanks that follow it. A name whose quote
// never closes takes the whole line: there is no tail to guess at.
template <typename Char>
std::basic_string_view<Char> Tail(std::basic_string_view<Char> line) {
  std::size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    std::size_t close = line.find('"', 1);
    i = close == line.npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && static_cast<unsigned>(line[i]) > 0x20) ++i;
  }
  while (i < line.size() && line[i] == ' ') ++i;
  return line.substr(i);
}

// The attribute bits the program reads: read-only, hidden, system, volume label, folder, link.
constexpr DWORD kKnownAttributes = kReadOnly | kHidden | kSystem | kVolumeLabel | kFolder | kLink;

std::uint64_t Join(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

Entry Described(const WIN32_FIND_DATAA& found) {
  std::uint64_t time =
      Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
  return Entry{found.cFileName, true, found.dwFileAttributes & kKnownAttributes,
               static_cast<std::int64_t>(time), Join(found.nFileSizeHigh, found.nFileSizeLow)};
}

std::string PathOf(const Folder& folder, std::string_view name) {
  return folder.path() + std::string(name);
}

// The entry itself, links followed, for reading or for its identity; folders need backup
// semantics to be opened at all.
HANDLE Open(const std::string& path, DWORD access, DWORD share) {
  QuietErrors quiet;
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::size_t TextLength(std::string_view text) { return Widen(text).size(); }

std::wstring Wide(std::string_view text) { return Widen(text); }

std::optional<std::string> InCodePage(std::wstring_view text, unsigned code_page) {
  int size = static_cast<int>(text.size());
  if (size == 0) return std::string();
  BOOL lossy = FALSE;
  DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL* check = code_page == CP_UTF8 ? nullptr : &lossy;
  int length = WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, nullptr, check);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), size, narrow.data(), length, nullptr, check);
  if (length == 0 || lossy) return std::nullopt;
  return narrow;
}

// ---- Process and console ----

void SetUpProcess() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const DWORD output_mode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
  SetConsoleMode(IsConsole(out) ? out : err, output_mode);
  SetConsoleMode(in, 0);
  SetConsoleCtrlHandler(IgnoreBreaks, TRUE);
}

// Where the ANSI code page is not UTF-8, the narrow command line already holds "?" for every
// character the code page lacks, and "?" is a wildcard: the tail is read in UTF-16 instead.
std::optional<std::vector<std::string>> CommandLine(int, char**) {
  if (GetACP() == CP_UTF8) return std::vector{std::string(Tail<char>(GetCommandLineA()))};
  std::optional<std::string> tail = InCodePage(Tail<wchar_t>(GetCommandLineW()), GetACP());
  if (!tail) return std::nullopt;
  return std::vector{*tail};
}

// A console shows text by its own output code page, not the program's: it gets the characters.
// A file or pipe gets the bytes as they are.
Error WriteOutput(std::string_view bytes) {
  static const HANDLE out = OutputHandle();
  static const bool console = IsConsole(out);
  QuietErrors quiet;
  DWORD written = 0;
  std::wstring wide = console ? Widen(bytes) : std::wstring();
  bool whole =
      console
          ? WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
                written == wide.size()
          : WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size();
  return whole ? 0 : LastError() ? LastError() : ERROR_WRITE_FAULT;
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

Folder::Folder(std::string path) : path_(std::move(path)), state_(std::make_unique<State>()) {}

Folder::Folder(const Folder& parent, std::string_view name)
    : path_(PathOf(parent, name) + kPathSeparator), state_(std::make_unique<State>()) {}

Folder::~Folder() = default;

struct FolderSearch::State {
  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA found{};
  bool pending = false;  // `found` holds an entry not yet handed out
  Error error = 0;
};

FolderSearch::FolderSearch(const Folder& folder) : state_(std::make_unique<State>()) {
  const std::string search = folder.path() + "*";
  QuietErrors quiet;
  state_->handle = FindFirstFileA(search.c_str(), &state_->found);
  state_->pending = state_->handle != INVALID_HANDLE_VALUE;
  if (!state_->pending) state_->error = LastError();
}

FolderSearch::~FolderSearch() {
  if (state_->handle != INVALID_HANDLE_VALUE) FindClose(state_->handle);
}

std::optional<Entry> FolderSearch::Next() {
  if (state_->handle == INVALID_HANDLE_VALUE) return std::nullopt;
  if (!state_->pending) {
    QuietErrors quiet;
    state_->pending = FindNextFileA(state_->handle, &state_->found);
    if (!state_->pending && GetLastError() != ERROR_NO_MORE_FILES) state_->error = LastError();
  }
  if (state_->pending) {
    state_->pending = false;
    return Described(state_->found);
  }
  FindClose(state_->handle);
  state_->handle = INVALID_HANDLE_VALUE;
  return std::nullopt;
}

Error FolderSearch::error() const { return state_->error; }

// The search would read a name it cannot name exactly as a pattern or as another name.
std::optional<Entry> Lookup(const Folder& folder, std::string_view name, Error* why) {
  if (why) *why = ERROR_FILE_NOT_FOUND;
  if (!CanName(name)) return std::nullopt;
  WIN32_FIND_DATAA found;
  QuietErrors quiet;
  HANDLE handle = FindFirstFileA(PathOf(folder, name).c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) {
    if (why) *why = LastError();
    return std::nullopt;
  }
  FindClose(handle);
  return Described(found);
}

std::optional<std::uint32_t> Attributes(const Folder& folder, std::string_view name) {
  QuietErrors quiet;
  DWORD bits = GetFileAttributesA(PathOf(folder, name).c_str());
  if (bits == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return bits & kKnownAttributes;
}

std::optional<FileId> Identity(const Folder& folder, std::string_view name) {
  HANDLE handle = Open(PathOf(folder, name), 0, kShareAll);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)};
}

namespace {

// The path the handle leads to with every link on it resolved, upper-cased, without a separator
// at its end; the volume by its device name, which every volume has.
std::optional<std::wstring> FinalPath(HANDLE handle) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_NT;
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, path.data(), MAX_PATH, kFlags);
  if (length >= MAX_PATH) {
    path.resize(length);
    length = GetFinalPathNameByHandleW(handle, path.data(), length, kFlags);
    if (length >= path.size()) return std::nullopt;
  }
  if (length == 0) return std::nullopt;
  path.resize(length);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  CharUpperBuffW(path.data(), length);
  return path;
}

// "" is the current folder, and "C:" the current folder of drive C:.
const std::optional<std::wstring>& FinalPathOf(const Folder& folder) {
  std::optional<std::wstring>& known = StateOf(folder).final_path;
  if (known) return known;
  HANDLE handle = Open(folder.path().empty() ? "." : folder.path(), 0, kShareAll);
  if (handle == INVALID_HANDLE_VALUE) return known;
  known = FinalPath(handle);
  CloseHandle(handle);
  return known;
}

}  // namespace

std::optional<Found> Examine(const Folder& folder, std::string_view name) {
  const std::optional<std::wstring>& folder_path = FinalPathOf(folder);
  HANDLE handle = Open(PathOf(folder, name), 0, kShareAll);
  if (!folder_path || handle == INVALID_HANDLE_VALUE) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info);
  std::optional<std::wstring> path = FinalPath(handle);
  CloseHandle(handle);
  if (!known || !path) return std::nullopt;
  std::wstring own = *folder_path + L"\\" + Widen(name);
  CharUpperBuffW(own.data(), static_cast<DWORD>(own.size()));
  return Found{{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)},
               info.nNumberOfLinks,
               *path != own};
}

bool SameFile(const Folder& folder, std::string_view name, const Folder& other,
              std::string_view other_name) {
  std::optional<FileId> a = Identity(folder, name);
  return a && a == Identity(other, other_name);
}

void AddAttributes(const Folder& folder, std::string_view name, std::uint32_t attributes) {
  const std::string path = PathOf(folder, name);
  QuietErrors quiet;
  DWORD bits = GetFileAttributesA(path.c_str());
  if (bits != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(path.c_str(), bits | (attributes & (kReadOnly | kHidden | kSystem)));
}

// Opening it for deletion is refused exactly when deleting it would be, and deletes nothing.
bool CanRemove(const Folder& folder, std::string_view name) {
  QuietErrors quiet;
  HANDLE handle = CreateFileA(PathOf(folder, name).c_str(), DELETE, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

// Ownership, shared folders and the run's own output are Linux's concerns; Windows learns what
// it may change by trying.
std::optional<std::uint32_t> Owner(const Folder&, std::string_view) { return std::nullopt; }

bool IsShared(const Folder&) { return false; }

bool IsOwnOutput(const Entry&) { return false; }

Error CanChange(const Folder&) { return 0; }

FolderTime LastWriteOf(const Folder&) { return {}; }

Error PutBack(const Folder&, const FolderTime&) { return 0; }

Error MakeFolder(const Folder& folder, std::string_view name, std::uint32_t) {
  QuietErrors quiet;
  return CreateDirectoryA(PathOf(folder, name).c_str(), nullptr) ? 0 : LastError();
}

namespace {

// How many names the entry has; nothing when the system does not say. The standard information
// only: the whole of GetFileInformationByHandle, volume and all, costs Wine several times more.
std::optional<DWORD> NamesOf(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  FILE_STANDARD_INFO info;
  const bool known = GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info);
  CloseHandle(handle);
  return known ? std::optional<DWORD>(info.NumberOfLinks) : std::nullopt;
}

}  // namespace

// Between two names of one file (a hard link) Wine reports a move that changed nothing: the
// entry must have left its old name. Only an entry with more names than one can have stayed, and
// only then is the old name looked for, since Wine looks for a name that is gone by reading the
// whole folder; the new name is there, and costs it no such reading.
Error MoveEntry(const Folder& from, std::string_view name, const Folder& to,
                std::string_view new_name) {
  QuietErrors quiet;
  const std::string source = PathOf(from, name), target = PathOf(to, new_name);
  if (!MoveFileA(source.c_str(), target.c_str())) return LastError();
  if (NamesOf(target) == 1u) return 0;
  return GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES ? 0 : ERROR_ALREADY_EXISTS;
}

Error ReplaceEntry(const Folder& from, std::string_view name, const Folder& to,
                   std::string_view new_name) {
  QuietErrors quiet;
  if (MoveFileExA(PathOf(from, name).c_str(), PathOf(to, new_name).c_str(),
                  MOVEFILE_REPLACE_EXISTING))
    return 0;
  return LastError();
}

namespace {

bool SameBytes(HANDLE a, HANDLE b) {
  static constexpr DWORD kChunk = 1 << 16;
  std::string x(kChunk, '\0'), y(kChunk, '\0');
  for (DWORD nx = 0, ny = 0;;) {
    if (!ReadFile(a, x.data(), kChunk, &nx, nullptr) ||
        !ReadFile(b, y.data(), kChunk, &ny, nullptr) || x.compare(0, nx, y, 0, ny) != 0)
      return false;
    if (nx == 0) return true;
  }
}

}  // namespace

bool SameContent(const Folder& folder, std::string_view name, const Folder& other,
                 std::string_view other_name) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE a = Open(PathOf(folder, name), GENERIC_READ, share);
  HANDLE b = Open(PathOf(other, other_name), GENERIC_READ, share);
  bool same = a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE && SameBytes(a, b);
  for (HANDLE h : {a, b})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return same;
}

// ---- Text and time ----

std::u32string FoldCase(std::string_view text) {
  std::wstring wide = Widen(text);
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return std::u32string(wide.begin(), wide.end());
}

std::string TakenDate(const Folder&, const Entry&, LocalDates&) { return {}; }

std::optional<std::int64_t> CreatedTime(const Folder&, const Entry&) { return std::nullopt; }

// The zone's rules of one year, where Windows keeps them.
struct LocalDates::State {
  WORD year = 0;
  bool yearly = false;
  TIME_ZONE_INFORMATION zone{};
};

LocalDates::LocalDates() : state_(std::make_unique<State>()) {}
LocalDates::~LocalDates() = default;

// The zone's rules of the entry's own year where Windows keeps them (a file of March 2006 in New
// York takes the rules of 2006, not today's), else today's.
std::string LocalDates::Of(std::int64_t file_time) {
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<ULONGLONG>(file_time);
  FILETIME utc_time{ticks.LowPart, ticks.HighPart};
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&utc_time, &utc)) return {};
  State& s = *state_;
  if (utc.wYear != s.year) {
    s.year = utc.wYear;
    s.yearly = GetTimeZoneInformationForYear(utc.wYear, nullptr, &s.zone);
  }
  if (!SystemTimeToTzSpecificLocalTime(s.yearly ? &s.zone : nullptr, &utc, &local)) return {};
  char text[36];
  int n = GetDateFormatA(0, 0, &local, "yyyyMMdd", text, sizeof text);
  return n > 0 ? std::string(text, static_cast<std::size_t>(n - 1)) : std::string();
}

// ---- Other programs ----

namespace {

// The command line as a process of its own, hidden, sharing the program's console and nothing
// else.
std::optional<PROCESS_INFORMATION> Start(const std::string& command_line) {
  std::string writable = command_line;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  QuietErrors quiet;
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process))
    return std::nullopt;
  return process;
}

}  // namespace

namespace {

// The text a call writes into a buffer of the size it is given; a call that needs more says how
// much, and is asked once more. Empty when it fails.
template <typename Call>
std::string Filled(Call call) {
  std::string text(MAX_PATH, '\0');
  DWORD size = call(text.data(), static_cast<DWORD>(text.size()));
  if (size >= text.size()) {
    text.resize(size);
    size = call(text.data(), size);
    if (size >= text.size()) return {};
  }
  text.resize(size);
  return text;
}

// The file in the folder, full, if it is there and not a folder.
std::string FileIn(std::string folder, const std::string& file_name) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  const std::string path = folder.empty() ? std::string() : FullPath(folder + file_name);
  QuietErrors quiet;
  DWORD bits = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  return bits != INVALID_FILE_ATTRIBUTES && !(bits & FILE_ATTRIBUTE_DIRECTORY) ? path : "";
}

}  // namespace

std::string FullPath(const std::string& path) {
  return Filled(
      [&](char* text, DWORD size) { return GetFullPathNameA(path.c_str(), size, text, nullptr); });
}

// The system's own search would look in the current folder second, where anyone may have left a
// program of the tool's name.
std::string FindOnPath(const std::string& file_name) {
  std::string own = Filled([](char* text, DWORD size) {
    DWORD n = GetModuleFileNameA(nullptr, text, size);
    return n < size ? n : 2 * size;  // cut short: asked again with more room
  });
  own.erase(own.find_last_of('\\') + 1);
  const std::string system =
      Filled([](char* text, DWORD size) { return GetSystemDirectoryA(text, size); });
  const std::string path =
      Filled([](char* text, DWORD size) { return GetEnvironmentVariableA("PATH", text, size); });
  const std::string folders = own + ";" + system + ";" + path;
  // A folder of PATH may be quoted, as it must be when it holds ";".
  std::string folder;
  bool quoted = false;
  for (std::size_t at = 0; at <= folders.size(); ++at) {
    const char c = at < folders.size() ? folders[at] : ';';
    if (c == '"') quoted = !quoted;
    if (c != '"' && (c != ';' || quoted)) folder += c;
    if (c != ';' || quoted) continue;
    if (std::string tool = FileIn(folder, file_name); !tool.empty()) return tool;
    folder.clear();
  }
  return {};
}

std::optional<std::int32_t> RunAndWait(const std::string& command_line) {
  std::optional<PROCESS_INFORMATION> process = Start(command_line);
  if (!process) return std::nullopt;
  WaitForSingleObject(process->hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process->hProcess, &status);
  CloseHandle(process->hProcess);
  CloseHandle(process->hThread);
  return static_cast<std::int32_t>(status);
}

void Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace platform
