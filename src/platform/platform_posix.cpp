// Linux implementation of the platform interface. Paths are bytes with "/" as the only
// separator; a name's case is kept as stored and matched as the Windows build matches it.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <locale.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"

extern char** environ;

namespace platform {

const std::string_view kLineEnd = "\n";
const char kPathSeparator = '/';
const std::size_t kMaxPath = PATH_MAX - 1;
const std::size_t kMaxCommandLine = PATH_MAX - 1;
const bool kSwitchesAnywhere = false;

bool EndsFolderPart(char c) { return c == '/'; }

namespace {

// The signals that must not end a run half-way; children get them back at their defaults.
constexpr int kIgnoredSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGPIPE};

// Seconds between 1601-01-01 and 1970-01-01, the two epochs of Entry::last_write and time_t.
constexpr std::int64_t kEpochGap = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != name.npos; }

std::int64_t FileTime(const struct timespec& t) {
  return (static_cast<std::int64_t>(t.tv_sec) + kEpochGap) * kTicksPerSecond + t.tv_nsec / 100;
}

std::uint32_t AttributesOf(const struct stat& st, std::string_view name) {
  std::uint32_t bits = 0;
  if (S_ISDIR(st.st_mode)) bits |= kFolder;
  if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) bits |= kReadOnly;
  if (!name.empty() && name[0] == '.') bits |= kHidden;
  return bits;
}

Entry MakeEntry(std::string_view name, const struct stat& st) {
  return Entry{std::string(name), AttributesOf(st, name), FileTime(st.st_mtim)};
}

std::string_view LastField(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == path.npos ? path : path.substr(slash + 1);
}

// An entry named relative to an open handle of its folder. A run works in one folder, so the
// handle is opened once and kept: every later call spares the walk down the whole path.
struct InFolder {
  int folder;
  const char* name;
};

InFolder Locate(const std::string& path) {
  static std::string cached_folder;
  static int cached = -1;
  std::size_t slash = path.rfind('/');
  if (slash == path.npos) return {AT_FDCWD, path.c_str()};
  std::string_view folder(path.data(), slash + 1);
  if (cached < 0 || folder != cached_folder) {
    int fd = open(std::string(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return {AT_FDCWD, path.c_str()};
    if (cached >= 0) close(cached);
    cached = fd;
    cached_folder = folder;
  }
  return {cached, path.c_str() + slash + 1};
}

bool StatEntry(const std::string& path, struct stat& st) {
  InFolder at = Locate(path);
  return fstatat(at.folder, at.name, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

// ---- Process and console ----

void SetUpConsole() {
  for (int sig : kIgnoredSignals) signal(sig, SIG_IGN);
}

std::string CommandTail(int argc, char** argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return tail;
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
  std::string buffer(256, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

void ExitProcess(int code) { std::exit(code); }

// ---- Entries ----

struct FolderSearch::State {
  DIR* dir = nullptr;
  NameFilter accept;
  Detail detail = Detail::kFull;
  std::optional<Entry> single;  // the one entry of a search without wildcards
};

FolderSearch::FolderSearch(const std::string& path, NameFilter accept, Detail detail)
    : state_(std::make_unique<State>()) {
  if (path.size() > kMaxPath) return;
  std::string_view name = LastField(path);
  if (!HasWildcard(name)) {
    struct stat st;
    if (!name.empty() && StatEntry(path, st)) state_->single = MakeEntry(name, st);
    return;
  }
  std::string folder = path.substr(0, path.size() - name.size());
  state_->dir = opendir(folder.empty() ? "." : folder.c_str());
  state_->accept = std::move(accept);
  state_->detail = detail;
}

FolderSearch::~FolderSearch() {
  if (state_->dir) closedir(state_->dir);
}

bool FolderSearch::Next(Entry& entry) {
  if (state_->single) {
    entry = std::move(*state_->single);
    state_->single.reset();
    return true;
  }
  while (state_->dir) {
    const struct dirent* d = readdir(state_->dir);
    if (d == nullptr) break;
    if (state_->accept && !state_->accept(d->d_name)) continue;
    if (state_->detail == Detail::kNameOnly) {
      entry = Entry{d->d_name};
      return true;
    }
    struct stat st;
    // An entry removed since the folder was read is no longer there to report.
    if (fstatat(dirfd(state_->dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    entry = MakeEntry(d->d_name, st);
    return true;
  }
  if (state_->dir) closedir(state_->dir);
  state_->dir = nullptr;
  return false;
}

std::optional<std::uint32_t> Attributes(const std::string& path) {
  struct stat st;
  if (path.size() > kMaxPath || !StatEntry(path, st)) return std::nullopt;
  return AttributesOf(st, LastField(path));
}

bool MoveEntry(const std::string& source, const std::string& destination) {
  if (source.size() > kMaxPath || destination.size() > kMaxPath) return false;
  // One handle serves both names only when they share a folder.
  bool shared = source.substr(0, source.rfind('/') + 1) ==
                destination.substr(0, destination.rfind('/') + 1);
  InFolder from = shared ? Locate(source) : InFolder{AT_FDCWD, source.c_str()};
  InFolder to = shared ? Locate(destination) : InFolder{AT_FDCWD, destination.c_str()};
  if (renameat2(from.folder, from.name, to.folder, to.name, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  // A file system without RENAME_NOREPLACE: a hard link cannot replace anything either.
  struct stat st;
  if (!StatEntry(source, st)) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (linkat(from.folder, from.name, to.folder, to.name, 0) != 0) return false;
    return unlinkat(from.folder, from.name, 0) == 0;
  }
  if (StatEntry(destination, st) || errno != ENOENT) return false;
  return renameat(from.folder, from.name, to.folder, to.name) == 0;
}

bool RemoveFile(const std::string& path) {
  struct stat st;
  if (path.size() > kMaxPath || !StatEntry(path, st)) return false;
  bool is_link = S_ISLNK(st.st_mode);
  if (!is_link && !S_ISREG(st.st_mode)) return false;
  if (!is_link && !(st.st_mode & S_IWUSR)) return false;
  InFolder at = Locate(path);
  return unlinkat(at.folder, at.name, 0) == 0;
}

// ---- Text and time ----

namespace {

// Decodes one UTF-8 character at `i`. A byte that does not start a valid sequence stands for
// itself, shifted into the surrogate range so that it can equal no real character.
char32_t DecodeOne(std::string_view s, std::size_t& i) {
  unsigned char b = static_cast<unsigned char>(s[i]);
  const char32_t invalid = 0xDC00 + b;
  int extra = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : 0;
  ++i;
  if (extra == 0) return b < 0x80 ? char32_t{b} : invalid;
  if (s.size() - i < static_cast<std::size_t>(extra)) return invalid;
  char32_t c = b & (0x3Fu >> extra);
  for (int k = 0; k < extra; ++k) {
    unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return invalid;
    c = (c << 6) | (t & 0x3Fu);
  }
  bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return invalid;
  i += extra;
  return c;
}

locale_t Utf8Locale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

std::u32string FoldCase(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  locale_t locale = Utf8Locale();
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = DecodeOne(text, i);
    if (c < 0x80) {
      out += c >= 'a' && c <= 'z' ? c - 32 : c;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      out += c;
    } else {
      out += locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale)) : c;
    }
  }
  return out;
}

std::string LocalDateText(std::int64_t file_time) {
  std::int64_t seconds = file_time / kTicksPerSecond - (file_time % kTicksPerSecond < 0);
  time_t t = static_cast<time_t>(seconds - kEpochGap);
  struct tm local;
  char text[36];
  if (localtime_r(&t, &local) == nullptr) return {};
  std::size_t n = strftime(text, sizeof text, "%Y%m%d", &local);
  return std::string(text, n);
}

// ---- Other programs ----

std::string LocateProgram(const std::string& file_name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "";
  while (!folders.empty()) {
    std::size_t colon = folders.find(':');
    std::string_view folder = folders.substr(0, colon);
    folders = colon == folders.npos ? std::string_view() : folders.substr(colon + 1);
    // Relative entries name the current folder, which is never searched.
    if (folder.empty() || folder[0] != '/') continue;
    std::string candidate = std::string(folder) + (folder.back() == '/' ? "" : "/") + file_name;
    struct stat st;
    if (candidate.size() <= kMaxPath && stat(candidate.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

namespace {

bool Spawn(const std::vector<std::string>& args, pid_t& pid) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults, empty;
  sigemptyset(&defaults);
  sigemptyset(&empty);
  for (int sig : kIgnoredSignals) sigaddset(&defaults, sig);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setsigmask(&attr, &empty);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  int rc = posix_spawn(&pid, argv[0], nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  return rc == 0;
}

}  // namespace

std::optional<std::int32_t> RunAndWait(const std::string& command_line) {
  if (command_line.size() > kMaxCommandLine) return std::nullopt;
  std::vector<std::string> args = SplitCommandLine(command_line);
  pid_t pid;
  if (args[0].empty() || !Spawn(args, pid)) return std::nullopt;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
}

void Pause(int milliseconds) {
  struct timespec left = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
