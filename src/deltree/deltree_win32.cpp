// DELTREE.EXE: removes one folder and everything below it, as STAMPIX.EXE asks after a folder
// merge, so that the .zip works on a Windows that has no such tool. Links are removed as
// themselves or left, and never followed. Exit code 0 when the folder is gone.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "deltree/deltree_rules.h"

// The MinGW start-up code would otherwise expand wildcards in argv; the command line is read
// whole instead.
extern "C" {
int _dowildcard = 0;
}

namespace {

constexpr int kRefusedExit = 1;
constexpr int kNotAllDeletedExit = 2;

std::string Utf8(std::wstring_view text) {
  int size = static_cast<int>(text.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

// Bytes, not console characters: the same UTF-8 whether it goes to a console, file or pipe.
void WriteLine(const std::string& text) {
  const std::string line = text + "\r\n";
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
}

std::string SystemText(DWORD error) {
  wchar_t* text = nullptr;
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD length =
      FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", length);
  LocalFree(text);
  while (!message.empty() && message.back() <= L' ') message.pop_back();
  return message.empty() ? "error " + std::to_string(error) : Utf8(message);
}

std::string Quoted(const std::wstring& path) { return "\"" + Utf8(path) + "\""; }

// Writes the line for an entry left behind; false, for the caller to pass on.
bool Report(const std::wstring& path, DWORD error) {
  WriteLine("Could not delete " + Quoted(path) + ": " + SystemText(error));
  return false;
}

// Through a handle to the entry itself, so that a link's target keeps its attributes.
bool SetAttributes(const std::wstring& long_path, std::uint32_t attributes) {
  HANDLE entry =
      CreateFileW(long_path.c_str(), FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (entry == INVALID_HANDLE_VALUE) return false;
  FILE_BASIC_INFO info{};  // times of zero stay as they are
  info.FileAttributes = attributes;
  BOOL done = SetFileInformationByHandle(entry, FileBasicInfo, &info, sizeof info);
  DWORD error = GetLastError();
  CloseHandle(entry);
  SetLastError(error);
  return done;
}

// `attributes`: the entry's own, put back if it stays: what is left is kept as it was found.
bool Remove(const std::wstring& path, std::uint32_t attributes) {
  const deltree::Step step = deltree::PlanEntry(attributes);
  const std::wstring long_path = deltree::LongPath(path);
  if (step.attributes != 0 && !SetAttributes(long_path, step.attributes))
    return Report(path, GetLastError());
  if (step.action == deltree::Action::kDeleteFile ? DeleteFileW(long_path.c_str())
                                                  : RemoveDirectoryW(long_path.c_str()))
    return true;
  const DWORD error = GetLastError();
  if (step.attributes != 0) SetAttributes(long_path, deltree::Restored(attributes));
  return Report(path, error);
}

// Where the entry really is, every link on its path resolved, upper-cased and without a separator
// at its end; nothing, with the reason left for GetLastError, when the system cannot tell.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
  HANDLE entry = CreateFileW(
      deltree::LongPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (entry == INVALID_HANDLE_VALUE) return std::nullopt;
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_NT;
  DWORD length = GetFinalPathNameByHandleW(entry, nullptr, 0, kFlags);
  std::wstring final_path(length, L'\0');
  if (length) length = GetFinalPathNameByHandleW(entry, final_path.data(), length, kFlags);
  const DWORD error = GetLastError();
  CloseHandle(entry);
  SetLastError(error);
  if (length == 0 || length >= final_path.size()) return std::nullopt;
  final_path.resize(length);
  while (!final_path.empty() && final_path.back() == L'\\') final_path.pop_back();
  CharUpperBuffW(final_path.data(), static_cast<DWORD>(final_path.size()));
  return final_path;
}

// An entry the system does not find at the folder's path and its name is a link, even one it
// shows as a plain file (as Wine does a link to a file, deleting its target instead): such an
// entry is left and named. True when the entry is the folder's own.
bool IsOwn(const std::optional<std::wstring>& folder, const std::wstring& path,
           const std::wstring& name) {
  std::optional<std::wstring> found = FinalPath(path);
  if (!found) return Report(path, GetLastError());
  if (!folder) return Report(path, ERROR_CANT_RESOLVE_FILENAME);
  std::wstring own = *folder + L"\\" + name;
  CharUpperBuffW(own.data(), static_cast<DWORD>(own.size()));
  if (*found == own) return true;
  WriteLine("Could not delete " + Quoted(path) +
            ": it is a link that cannot be removed as itself.");
  return false;
}

struct Found {
  std::wstring name;
  DWORD attributes;
};

// The whole listing first: the folder does not change while it is read.
std::optional<std::vector<Found>> List(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW((deltree::LongPath(folder) + L"\\*").c_str(), FindExInfoBasic,
                                   &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<Found> entries;
  do {
    std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") entries.push_back({found.cFileName, found.dwFileAttributes});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

struct Pending {
  std::wstring path;  // full, without the long-path prefix
  std::uint32_t attributes;
  bool listed = false;
};

// Deletes what the folder holds but real folders, which go on the stack; false, with its line
// written, when the folder cannot be listed.
bool Empty(const std::wstring& folder, std::vector<Pending>& pending) {
  std::optional<std::vector<Found>> entries = List(folder);
  if (!entries) return Report(folder, GetLastError());
  const std::optional<std::wstring> here = FinalPath(folder);
  for (const Found& entry : *entries) {
    Pending next{folder + L"\\" + entry.name, entry.attributes};
    if (!(entry.attributes & deltree::kReparsePoint) && !IsOwn(here, next.path, entry.name))
      continue;
    if (deltree::PlanEntry(entry.attributes).action == deltree::Action::kDescend)
      pending.push_back(std::move(next));
    else
      Remove(next.path, next.attributes);
  }
  return true;
}

// Deepest first: a folder is removed once everything it held has been dealt with. True when
// the root, removed last, is gone.
bool DeleteTree(const std::wstring& root, std::uint32_t attributes) {
  std::vector<Pending> pending{{root, attributes}};
  bool removed = false;
  while (!pending.empty()) {
    if (pending.back().listed) {
      removed = Remove(pending.back().path, pending.back().attributes);
      pending.pop_back();
      continue;
    }
    pending.back().listed = true;
    // The path is copied: the stack grows under it.
    if (!Empty(std::wstring(pending.back().path), pending)) pending.pop_back();
  }
  return removed;
}

// The full path without a separator at its end, or empty when there is none.
std::wstring FullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  DWORD length = size ? GetFullPathNameW(path.c_str(), size, full.data(), nullptr) : 0;
  full.resize(length < size ? length : 0);
  while (!full.empty() && full.back() == L'\\') full.pop_back();
  return full;
}

// Why the path is no real folder to delete; empty when it is one.
std::string NotAFolder(const std::wstring& full, DWORD attributes) {
  const DWORD error = GetLastError();  // before anything else can change it
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return "cannot reach " + Quoted(full) + ": " + SystemText(error);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Quoted(full) + " is a file, not a folder";
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Quoted(full) + " is a link, not a folder";
  return {};
}

int Refuse(const std::string& line) {
  WriteLine(line);
  return kRefusedExit;
}

}  // namespace

int main() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const deltree::Request request = deltree::JudgeCommandLine(GetCommandLineW());
  if (request.folder.empty()) return Refuse(request.refusal);
  // "C:\DATA\.." is a root too, once resolved; so is a path that cannot be resolved.
  const std::wstring full = FullPath(request.folder);
  if (deltree::IsRoot(full)) return Refuse(deltree::Refused(deltree::kRootRefusal));
  const DWORD attributes = GetFileAttributesW(deltree::LongPath(full).c_str());
  if (std::string why = NotAFolder(full, attributes); !why.empty())
    return Refuse(deltree::Refused(why));
  return DeleteTree(full, attributes) ? 0 : kNotAllDeletedExit;
}
