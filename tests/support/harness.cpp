#include "support/harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/platform.h"

namespace test {

const bool kLinux = platform::kPathSeparator == '/';

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append(platform::kLineEnd);
  return text;
}

std::string SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string_view rest = text, end = platform::kLineEnd;
  for (std::size_t at; (at = rest.find(end)) != rest.npos; rest.remove_prefix(at + end.size()))
    lines.emplace_back(rest.substr(0, at + end.size()));
  std::sort(lines.begin(), lines.end());
  std::string sorted(rest);  // an unfinished last line stays visible at the front
  for (const std::string& line : lines) sorted += line;
  return sorted;
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("stampix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_write,
                                           fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string TempFolder::text() const {
  return Native(path_.string()) + platform::kPathSeparator;
}

fs::path At(const fs::path& folder, std::string_view utf8_name) {
  return folder / fs::path(std::u8string(utf8_name.begin(), utf8_name.end()));
}

fs::file_time_type Noon(int year, int month, int day) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
  return std::chrono::file_clock::from_sys(when);
}

void MakeFile(const fs::path& path, std::string_view content, fs::file_time_type when) {
  std::ofstream(path, std::ios::binary) << content;
  SetTime(path, when);
}

void MakeFolder(const fs::path& path, fs::file_time_type when) {
  fs::create_directories(path);
  SetTime(path, when);
}

void SetReadOnly(const fs::path& path, bool read_only) {
  fs::permissions(path, fs::perms::owner_write,
                  read_only ? fs::perm_options::remove : fs::perm_options::add);
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
    if (entry.is_directory() && !entry.is_symlink()) names.back() += '/';
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Content(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ToolRuns(const fs::path& log) {
  std::vector<std::string> runs;
  std::istringstream in(Content(log));
  for (std::string line; std::getline(in, line);) runs.push_back(line);
  return runs;
}

std::string Bin(const fs::path& where, bool with_copy_tool, bool with_delete_tool) {
  fs::create_directories(where);
  fs::path program(Native(STAMPIX_PROGRAM));
  fs::copy_file(program, where / program.filename());
  if (with_copy_tool) fs::copy_file(Native(STUB_XCOPY), where / "XCOPY.EXE");
  if (with_delete_tool) fs::copy_file(Native(STUB_DELTREE), where / "DELTREE.EXE");
  return Native(where.string());
}

}  // namespace test
