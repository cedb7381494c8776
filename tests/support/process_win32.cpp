// Running the Windows program: CreateProcessA with the exact command line, so that blanks,
// tabs and quotes reach it as typed; standard output through a pipe.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "support/harness.h"

namespace test {

namespace {

std::string Program(const RunOptions& options) {
  std::string program = Native(STAMPIX_PROGRAM);
  if (options.bin.empty()) return program;
  return options.bin + "\\" + fs::path(program).filename().string();
}

std::string ReadAll(HANDLE pipe) {
  std::string out;
  char buffer[4096];
  DWORD n;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
  return out;
}

}  // namespace

Result RunProgram(std::string_view tail, const RunOptions& options) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) throw std::runtime_error("pipe");
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  if (options.close_output) CloseHandle(read_end);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string line = "\"" + Program(options) + "\" " + std::string(tail);
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                options.cwd.empty() ? nullptr : options.cwd.c_str(), &startup,
                                &process);
  CloseHandle(write_end);
  if (!started) throw std::runtime_error("cannot start " + line);
  Result result;
  if (!options.close_output) {
    result.out = ReadAll(read_end);
    CloseHandle(read_end);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.code = static_cast<int>(code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}

Result RunArgs(const std::vector<std::string>&, const RunOptions&) {
  throw std::logic_error("separate arguments exist on Linux only");
}

void SetEnv(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

void ClearEnv(const std::string& name) { SetEnvironmentVariableA(name.c_str(), nullptr); }

// Build paths are Unix paths under Wine: Wine's drive Z: is the Unix root.
std::string Native(const std::string& path) {
  std::string native = path.starts_with("/") ? "Z:" + path : path;
  for (char& c : native)
    if (c == '/') c = '\\';
  return native;
}

// The runtime cannot set a folder's time; the system can, given backup semantics.
void SetTime(const fs::path& path, fs::file_time_type when) {
  auto since_1970 = std::chrono::file_clock::to_sys(when).time_since_epoch();
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<ULONGLONG>(
      std::chrono::duration_cast<std::chrono::seconds>(since_1970).count() + 11644473600LL) *
      10000000ULL;
  FILETIME time{ticks.LowPart, ticks.HighPart};
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path.string());
  SetFileTime(h, nullptr, nullptr, &time);
  CloseHandle(h);
}

std::shared_ptr<void> HoldOpen(const fs::path& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  return std::shared_ptr<void>(nullptr, [h](void*) { CloseHandle(h); });
}

void MakeLink(const fs::path&, const fs::path&, fs::file_time_type) {
  throw std::logic_error("links are made on Linux only");
}

void SetHidden(const fs::path& path) {
  SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_HIDDEN);
}

std::string AsReceived(const std::string& command_line) { return command_line; }

}  // namespace test
