// Linux implementation of the platform interface. Paths are bytes with "/" as the only
// separator; every entry is named relative to an open handle of its folder.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <locale.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <uchar.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"

namespace platform {

const std::string_view kLineEnd = "\n";
const char kPathSeparator = '/';
const std::size_t kMaxPath = PATH_MAX - 1;
const bool kOneCommandTail = false;

bool EndsFolderPart(char c) { return c == '/'; }

std::size_t TextLength(std::string_view text) { return text.size(); }

namespace {

// Seconds between 1601-01-01 and 1970-01-01, the two epochs of Entry::last_write and time_t.
constexpr std::int64_t kEpochGap = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

// Past about the year 29,000 (or before 27,000 BC) the ticks no longer fit; such a moment
// is held at the nearest that fits, a date no eight digits can write either.
std::int64_t FileTime(const struct timespec& t) {
  constexpr std::int64_t kMost = INT64_MAX / kTicksPerSecond - kEpochGap - 1;
  std::int64_t seconds = std::clamp<std::int64_t>(t.tv_sec, -kMost, kMost);
  return (seconds + kEpochGap) * kTicksPerSecond + t.tv_nsec / 100;
}

std::uint32_t AttributesOf(const struct stat& st, std::string_view name) {
  std::uint32_t bits = 0;
  if (S_ISDIR(st.st_mode)) bits |= kFolder;
  if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) bits |= kSystem;
  if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) bits |= kReadOnly;
  if (name.starts_with('.')) bits |= kHidden;
  return bits;
}

bool Stat(const Folder& folder, std::string_view name, struct stat& st) {
  return fstatat(folder.handle(), std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

// ---- Process and console ----

// A run must not end half-way, whatever the terminal or the reader of its output does.
void SetUpConsole() {
  for (int sig : {SIGINT, SIGQUIT, SIGHUP, SIGPIPE}) signal(sig, SIG_IGN);
}

std::vector<std::string> CommandLine(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

void WriteOutput(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string CurrentFolder() {
  std::unique_ptr<char, decltype(&std::free)> folder(getcwd(nullptr, 0), &std::free);
  return folder ? folder.get() : "";
}

void ExitProcess(int code) { std::exit(code); }

// ---- Entries ----

Folder::Folder(std::string path)
    : path_(std::move(path)), handle_(open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

// O_NOFOLLOW: a link to a folder is an entry of its own, never a way into another tree.
Folder::Folder(const Folder& parent, std::string_view name)
    : path_(parent.path() + std::string(name) + kPathSeparator),
      handle_(openat(parent.handle(), std::string(name).c_str(),
                     O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}

Folder::~Folder() { close(handle_); }

struct FolderSearch::State {
  DIR* dir = nullptr;
};

FolderSearch::FolderSearch(const Folder& folder) : state_(std::make_unique<State>()) {
  int fd = openat(folder.handle(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if ((state_->dir = fdopendir(fd)) == nullptr) close(fd);
}

FolderSearch::~FolderSearch() {
  if (state_->dir) closedir(state_->dir);
}

std::optional<Entry> FolderSearch::Next() {
  if (!state_->dir) return std::nullopt;
  if (const struct dirent* d = readdir(state_->dir)) return Entry{d->d_name};
  closedir(state_->dir);
  state_->dir = nullptr;
  return std::nullopt;
}

std::optional<Entry> Lookup(const Folder& folder, std::string_view name) {
  struct stat st;
  if (!Stat(folder, name, st)) return std::nullopt;
  return Entry{std::string(name), true, AttributesOf(st, name), FileTime(st.st_mtim),
               static_cast<std::uint64_t>(st.st_size)};
}

std::optional<std::uint32_t> Attributes(const Folder& folder, std::string_view name) {
  struct stat st;
  if (!Stat(folder, name, st)) return std::nullopt;
  return AttributesOf(st, name);
}

bool MoveEntry(const Folder& from, std::string_view name, const Folder& to,
               std::string_view new_name) {
  const std::string source(name), destination(new_name);
  if (renameat2(from.handle(), source.c_str(), to.handle(), destination.c_str(),
                RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  // A file system without RENAME_NOREPLACE. A hard link cannot replace anything either.
  if (linkat(from.handle(), source.c_str(), to.handle(), destination.c_str(), 0) == 0) {
    if (unlinkat(from.handle(), source.c_str(), 0) == 0) return true;
    unlinkat(to.handle(), destination.c_str(), 0);  // one name, as before
    return false;
  }
  // A folder cannot be linked: it takes the name of an empty folder made for it here, which
  // another program could swap for an empty folder of its own only by removing it in the instant
  // before the rename; a folder with anything in it is never replaced.
  if (mkdirat(to.handle(), destination.c_str(), 0700) != 0) return false;
  if (renameat(from.handle(), source.c_str(), to.handle(), destination.c_str()) == 0) return true;
  unlinkat(to.handle(), destination.c_str(), AT_REMOVEDIR);
  return false;
}

void RemoveFile(const Folder& folder, std::string_view name) {
  unlinkat(folder.handle(), std::string(name).c_str(), 0);
}

void ReplaceEntry(const Folder& from, std::string_view name, const Folder& to,
                  std::string_view new_name) {
  renameat(from.handle(), std::string(name).c_str(), to.handle(), std::string(new_name).c_str());
}

void RemoveFolder(const Folder& folder, std::string_view name) {
  unlinkat(folder.handle(), std::string(name).c_str(), AT_REMOVEDIR);
}

// ---- Text and time ----

namespace {

locale_t Utf8Locale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

// One character at the front of `text`, and how many bytes it took. A byte that does not start
// a valid UTF-8 sequence stands for itself, shifted into the surrogate range, so that it can
// equal no real character. The C library also decodes surrogates and values past Unicode's
// end, which are no characters either.
char32_t Decode(std::string_view text, std::size_t& length) {
  unsigned char byte = static_cast<unsigned char>(text[0]);
  length = 1;
  if (byte < 0x80) return byte;  // most names are ASCII, which needs no decoding
  char32_t c;
  mbstate_t state{};
  std::size_t n = mbrtoc32(&c, text.data(), text.size(), &state);
  if (n > text.size() || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0xDC00 + byte;
  length = n;
  return c;
}

}  // namespace

std::u32string FoldCase(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  locale_t previous = uselocale(Utf8Locale());
  for (std::size_t length; !text.empty(); text.remove_prefix(length))
    out += static_cast<char32_t>(towupper(static_cast<wint_t>(Decode(text, length))));
  uselocale(previous);
  return out;
}

std::string LocalDateText(std::int64_t file_time) {
  std::int64_t seconds = file_time / kTicksPerSecond - (file_time % kTicksPerSecond < 0);
  time_t t = static_cast<time_t>(seconds - kEpochGap);
  struct tm local;
  char text[sizeof "YYYYMMDD"];  // a date that needs more is no stamp
  if (localtime_r(&t, &local) == nullptr) return {};
  std::size_t n = strftime(text, sizeof text, "%Y%m%d", &local);
  return std::string(text, n);
}

}  // namespace platform
