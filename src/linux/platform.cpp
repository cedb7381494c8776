// Linux implementation of the platform interface. Paths are bytes with "/" as the only
// separator; every entry is named relative to an open handle of its folder.
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "linux/platform_linux.h"
#include "linux/utf8.h"
#include "taken/taken.h"

namespace platform {

const std::string_view kLineEnd = "\n";
const char kPathSeparator = '/';
const std::size_t kMaxPath = std::numeric_limits<std::size_t>::max();

bool EndsFolderPart(char c) { return c == '/'; }

std::size_t TextLength(std::string_view text) { return text.size(); }

bool CanName(std::string_view) { return true; }

bool InNameOrder() { return true; }

bool GroupsPhotos() { return true; }

// An open folder: its descriptor, or why it could not be opened.
struct Folder::State {
  int handle = -1;
  Error error = 0;
  mutable std::string whole;  // from the root, once asked for or given by the parent
};

const Folder::State& StateOf(const Folder& folder) { return *folder.state_; }

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

std::uint32_t AttributesOf(mode_t mode, std::string_view name) {
  std::uint32_t bits = 0;
  if (S_ISDIR(mode)) bits |= kFolder;
  if (!S_ISDIR(mode) && !S_ISREG(mode) && !S_ISLNK(mode)) bits |= kSystem;
  if (!S_ISLNK(mode) && !(mode & S_IWUSR)) bits |= kReadOnly;
  if (name.starts_with('.')) bits |= kHidden;
  return bits;
}

std::int64_t FileTime(const struct statx_timestamp& t) {
  return FileTime(timespec{static_cast<time_t>(t.tv_sec), t.tv_nsec});
}

// The call's error, or the reason a folder could not be opened, which is the truer one.
Error Failed(const Folder& folder, const Folder& other) {
  if (StateOf(folder).error) return StateOf(folder).error;
  return StateOf(other).error ? StateOf(other).error : errno;
}

Error Failed(const Folder& folder) { return Failed(folder, folder); }

int Handle(const Folder& folder) { return StateOf(folder).handle; }

bool Stat(const Folder& folder, std::string_view name, struct stat& st, int flags) {
  return fstatat(Handle(folder), std::string(name).c_str(), &st, flags) == 0;
}

// Keeps a name for the entry that is to take it, where the system has no rename that refuses
// to replace: an empty folder for a folder, else an empty file, made only if the name is free.
// `made` gets what was made, to know it again.
Error Placeholder(const Folder& from, const std::string& source, const Folder& to,
                  const std::string& destination, struct stat& made) {
  struct stat st;
  if (fstatat(Handle(from), source.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Failed(from);
  if (S_ISDIR(st.st_mode)) {
    if (mkdirat(Handle(to), destination.c_str(), 0700) != 0) return Failed(to);
  } else {
    int fd = openat(Handle(to), destination.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return Failed(to);
    close(fd);
  }
  return fstatat(Handle(to), destination.c_str(), &made, AT_SYMLINK_NOFOLLOW) ? Failed(to) : 0;
}

bool IsEmptyFolder(const Folder& folder, const std::string& name) {
  int fd = openat(Handle(folder), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
  if (!dir) {
    if (fd >= 0) close(fd);
    return false;
  }
  int entries = 0;
  while (const struct dirent* d = readdir(dir))
    if (std::string_view(d->d_name) != "." && std::string_view(d->d_name) != "..") ++entries;
  closedir(dir);
  return entries == 0;
}

// The name still holds the placeholder this run made, empty as it was made: nobody else's entry.
bool StillPlaceholder(const Folder& folder, const std::string& name, const struct stat& made) {
  struct stat now;
  if (fstatat(Handle(folder), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (now.st_dev != made.st_dev || now.st_ino != made.st_ino) return false;
  return S_ISDIR(now.st_mode) ? IsEmptyFolder(folder, name) : S_ISREG(now.st_mode) && !now.st_size;
}

// Two runs of the program never take one name by placeholders at once: each holds the
// destination folder's advisory lock for the steps. Released when it goes.
class FolderLock {
 public:
  explicit FolderLock(const Folder& folder)
      : fd_(openat(Handle(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

// The move where the system has no rename that refuses to replace (exFAT or NTFS through FUSE,
// for one): the new name is taken by a placeholder, which the entry is then renamed over. The
// placeholder is checked to be still the one made, right before the rename and before it is
// removed after a failed one, so no entry another program put there is ever replaced or removed.
// What remains is the instant between that check and the rename, in which a program that is not
// this one could still put an entry of its own there.
Error MoveByPlaceholder(const Folder& from, const std::string& source, const Folder& to,
                        const std::string& destination) {
  FolderLock lock(to);
  struct stat made;
  if (Error error = Placeholder(from, source, to, destination, made)) return error;
  if (!StillPlaceholder(to, destination, made)) return kTakenMeanwhile;
  if (renameat(Handle(from), source.c_str(), Handle(to), destination.c_str()) == 0) return 0;
  Error error = Failed(from, to);
  if (StillPlaceholder(to, destination, made))
    unlinkat(Handle(to), destination.c_str(), S_ISDIR(made.st_mode) ? AT_REMOVEDIR : 0);
  return error;
}

// The stop a signal asked for. A signal handler can only leave a mark where the run will look.
volatile sig_atomic_t stop_signal = 0;

void AskToStop(int signal) { stop_signal = signal; }

}  // namespace

// ---- Process and console ----

// Ctrl+C, a closed terminal and kill ask the run to stop between two entries, and break into a
// write that a paused reader holds up; a signal the caller chose to ignore (nohup) stays
// ignored. A closed pipe, or a file grown past its limit, makes the write fail, so that the run
// learns its record can no longer be written.
//
// A standard stream the caller closed is opened on /dev/null before anything else, so that no file
// the run opens takes its number; standard output read-only, so that writing the record fails.
void SetUpProcess() {
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    if (fcntl(fd, F_GETFD) < 0 && errno == EBADF)
      open("/dev/null", (fd == STDERR_FILENO ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
  struct sigaction ask {};
  ask.sa_handler = AskToStop;
  sigemptyset(&ask.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction was {};
    if (sigaction(sig, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
      sigaction(sig, &ask, nullptr);
  }
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

int StopSignal() { return stop_signal; }

std::optional<std::vector<std::string>> CommandLine(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

namespace {

Error WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR && !stop_signal) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

Error WriteOutput(std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); }

// Writing nothing tells a stream that cannot be written to without touching a pipe or file.
Error OutputError() { return write(STDOUT_FILENO, "", 0) < 0 ? errno : 0; }

void WriteError(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes); }

bool IsTerminal(bool error) { return isatty(error ? STDERR_FILENO : STDOUT_FILENO) == 1; }

std::int64_t Milliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string ErrorText(Error error) { return strerror(error); }

void ExitProcess(int code) { std::exit(code); }

// ---- Entries ----

Folder::Folder(std::string path) : path_(std::move(path)), state_(std::make_unique<State>()) {
  state_->handle = open(path_.empty() ? "." : path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (state_->handle < 0) state_->error = errno;
}

// O_NOFOLLOW: a link to a folder is an entry of its own, never a way into another tree.
Folder::Folder(const Folder& parent, std::string_view name)
    : path_(parent.path() + std::string(name) + kPathSeparator), state_(std::make_unique<State>()) {
  state_->handle = openat(Handle(parent), std::string(name).c_str(),
                          O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (state_->handle < 0) state_->error = Failed(parent);
  // Beyond the length /proc can show, a deep folder's path is known only from its parent's.
  if (!parent.state_->whole.empty()) state_->whole = parent.state_->whole + std::string(name) + "/";
}

const std::string& WholePath(const Folder& folder) {
  const Folder::State& state = StateOf(folder);
  if (!state.whole.empty() || state.handle < 0) return state.whole;
  char path[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(state.handle);
  const ssize_t n = readlink(link.c_str(), path, sizeof path);
  if (n <= 0 || n == sizeof path || path[0] != '/') return state.whole;
  state.whole.assign(path, static_cast<std::size_t>(n));
  if (state.whole != "/") state.whole += '/';
  return state.whole;
}

std::uint32_t ModeOf(const Folder& folder) {
  struct stat st;
  return fstat(Handle(folder), &st) == 0 ? st.st_mode & 07777 : 0;
}

namespace {

// mkdir leaves out what the umask takes away; the mode is then set as it was.
Error MakeAt(int folder, const std::string& name, std::uint32_t mode) {
  if (mkdirat(folder, name.c_str(), 0700) != 0) return errno;
  return fchmodat(folder, name.c_str(), mode & 07777, 0) ? errno : 0;
}

}  // namespace

Error MakeFolder(const Folder& folder, std::string_view name, std::uint32_t mode) {
  const Error error = MakeAt(Handle(folder), std::string(name), mode);
  return error && StateOf(folder).error ? StateOf(folder).error : error;
}

Error MakeFolders(const std::string& path, std::uint32_t mode) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    const Error error = MakeAt(AT_FDCWD, path.substr(0, at), mode);
    if (error && error != EEXIST) return error;
  }
  return 0;
}

Folder::~Folder() {
  if (state_->handle >= 0) close(state_->handle);
}

struct FolderSearch::State {
  DIR* dir = nullptr;
  Error error = 0;
};

FolderSearch::FolderSearch(const Folder& folder) : state_(std::make_unique<State>()) {
  int fd = openat(Handle(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0 && (state_->dir = fdopendir(fd)) == nullptr) close(fd);
  if (!state_->dir) state_->error = Failed(folder);
}

FolderSearch::~FolderSearch() {
  if (state_->dir) closedir(state_->dir);
}

std::optional<Entry> FolderSearch::Next() {
  if (!state_->dir) return std::nullopt;
  errno = 0;
  if (const struct dirent* d = readdir(state_->dir)) return Entry{d->d_name};
  state_->error = errno;
  closedir(state_->dir);
  state_->dir = nullptr;
  return std::nullopt;
}

Error FolderSearch::error() const { return state_->error; }

// One call tells the birth and the mount as well, where the file system keeps them.
std::optional<Entry> Lookup(const Folder& folder, std::string_view name, Error* why) {
  struct statx st;
  constexpr unsigned kAsked = STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID;
  if (statx(Handle(folder), std::string(name).c_str(), AT_SYMLINK_NOFOLLOW, kAsked, &st) != 0) {
    if (why) *why = Failed(folder);
    return std::nullopt;
  }
  return Entry{std::string(name),
               true,
               AttributesOf(st.stx_mode, name),
               FileTime(st.stx_mtime),
               st.stx_size,
               makedev(st.stx_dev_major, st.stx_dev_minor),
               st.stx_ino,
               (st.stx_mask & STATX_BTIME) ? FileTime(st.stx_btime) : 0,
               (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0};
}

std::optional<std::uint32_t> Attributes(const Folder& folder, std::string_view name) {
  struct stat st;
  if (!Stat(folder, name, st, AT_SYMLINK_NOFOLLOW)) return std::nullopt;
  return AttributesOf(st.st_mode, name);
}

bool SameFile(const Folder& folder, std::string_view name, const Folder& other,
              std::string_view other_name) {
  struct stat a, b;
  return Stat(folder, name, a, 0) && Stat(other, other_name, b, 0) && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

bool CanRemove(const Folder&, std::string_view) { return true; }

std::optional<std::uint32_t> Owner(const Folder& folder, std::string_view name) {
  struct stat st;
  if (!Stat(folder, name, st, AT_SYMLINK_NOFOLLOW)) return std::nullopt;
  return st.st_uid;
}

bool IsShared(const Folder& folder) {
  struct stat st;
  return fstat(Handle(folder), &st) == 0 && (st.st_mode & (S_ISVTX | S_IWOTH));
}

// Read once: the run's own streams do not change while it runs.
bool IsOwnOutput(const Entry& entry) {
  static const auto streams = [] {
    std::vector<std::pair<dev_t, ino_t>> ids;
    for (int fd : {STDOUT_FILENO, STDERR_FILENO})
      if (struct stat st; fstat(fd, &st) == 0) ids.emplace_back(st.st_dev, st.st_ino);
    return ids;
  }();
  for (const auto& [device, inode] : streams)
    if (entry.device == device && entry.inode == inode) return true;
  return false;
}

FolderTime LastWriteOf(const Folder& folder) {
  struct stat st;
  if (fstat(Handle(folder), &st) != 0) return {};
  return {st.st_mtim.tv_sec, st.st_mtim.tv_nsec, true};
}

// Through the open handle where /proc shows it, so that a folder renamed meanwhile keeps its own
// time; else by its path. The access time is given as it is, not left out: exFAT through FUSE
// sets no time at all when one of the two is left out.
Error PutBack(const Folder& folder, const FolderTime& time) {
  struct stat st;
  if (fstat(Handle(folder), &st) != 0) return Failed(folder);
  const struct timespec times[2] = {st.st_atim, {time.seconds, time.nanoseconds}};
  const std::string by_handle = "/proc/self/fd/" + std::to_string(Handle(folder));
  if (utimensat(AT_FDCWD, by_handle.c_str(), times, 0) == 0) return 0;
  if (errno != ENOENT) return errno;
  const std::string path = folder.path().empty() ? "." : folder.path();
  return utimensat(AT_FDCWD, path.c_str(), times, 0) ? errno : 0;
}

Error CanChange(const Folder& folder) {
  if (StateOf(folder).error) return StateOf(folder).error;
  return faccessat(Handle(folder), ".", W_OK | X_OK, AT_EACCESS) ? errno : 0;
}

Error MoveEntry(const Folder& from, std::string_view name, const Folder& to,
                std::string_view new_name) {
  const std::string source(name), destination(new_name);
  if (renameat2(Handle(from), source.c_str(), Handle(to), destination.c_str(), RENAME_NOREPLACE) ==
      0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return Failed(from, to);
  return MoveByPlaceholder(from, source, to, destination);
}

Error ReplaceEntry(const Folder& from, std::string_view name, const Folder& to,
                   std::string_view new_name) {
  if (renameat(Handle(from), std::string(name).c_str(), Handle(to),
               std::string(new_name).c_str()) == 0)
    return 0;
  return Failed(from, to);
}

Error RemoveFolder(const Folder& folder, std::string_view name) {
  return unlinkat(Handle(folder), std::string(name).c_str(), AT_REMOVEDIR) ? Failed(folder) : 0;
}

Error RemoveFile(const Folder& folder, std::string_view name) {
  return unlinkat(Handle(folder), std::string(name).c_str(), 0) ? Failed(folder) : 0;
}

// ---- The journal's own files ----

std::string CurrentFolder() {
  char* folder = getcwd(nullptr, 0);
  std::string path = folder ? folder : "";
  std::free(folder);
  return path;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME")) return home;
  const struct passwd* user = getpwuid(getuid());
  return user ? user->pw_dir : "";
}

std::uint32_t UserId() { return geteuid(); }

std::int32_t ProcessId() { return getpid(); }

File::File(const Folder& folder, std::string_view name, Access access) {
  int flags = O_NOFOLLOW | O_CLOEXEC;
  if (access == Access::kCreate)
    flags |= O_WRONLY | O_CREAT | O_EXCL | O_APPEND;
  else
    flags |= (access == Access::kRead ? O_RDONLY : O_RDWR) | O_NOCTTY | O_NONBLOCK;
  fd_ = openat(Handle(folder), std::string(name).c_str(), flags, 0600);
  if (fd_ < 0) error_ = Failed(folder);
}

File::~File() {
  if (fd_ >= 0) close(fd_);
}

std::optional<FileStatus> File::Status() const {
  struct stat st;
  if (fstat(fd_, &st) != 0) return std::nullopt;
  return FileStatus{st.st_dev, st.st_ino,          st.st_nlink,
                    st.st_uid, st.st_mode & 07777, S_ISREG(st.st_mode) != 0};
}

Error File::Lock(bool exclusive, bool wait) {
  return flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB)) ? errno : 0;
}

// A write broken into by a signal is tried again: what the journal holds must be whole.
Error File::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

Error File::Sync() { return fdatasync(fd_) ? errno : 0; }

std::optional<std::string> File::ReadAll(Error& why) {
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return why = errno, std::nullopt;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

// ---- Text and time ----

namespace {

locale_t Utf8Locale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

// One character at the front of `text`, and how many bytes it took. A byte that starts no valid
// UTF-8 sequence stands for itself, shifted into the surrogate range, so that it can equal no
// real character.
char32_t Decode(std::string_view text, std::size_t& length) {
  char32_t c;
  length = stampix::Utf8Sequence(text, c);
  if (length > 0) return c;
  length = 1;
  return 0xDC00 + static_cast<unsigned char>(text[0]);
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

// A regular file only, never through a link: a FIFO would hold the run up, a device could act
// on being opened, and a link's own date is not its target's.
std::string TakenDate(const Folder& folder, const Entry& entry, LocalDates& dates) {
  if (entry.attributes & (kFolder | kSystem)) return {};
  const int fd = openat(Handle(folder), entry.name.c_str(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {};
  taken::Taken found;
  if (struct stat st; fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    taken::Source source([fd](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
      const ssize_t n = pread(fd, into, length, static_cast<off_t>(offset));
      return n > 0 ? static_cast<std::size_t>(n) : 0;
    });
    found = taken::Read(source);
  }
  close(fd);
  return found.utc ? dates.Of(FileTime(timespec{static_cast<time_t>(*found.utc), 0})) : found.date;
}

std::optional<std::int64_t> CreatedTime(const Folder& folder, const Entry& entry) {
  struct statx st;
  if (statx(Handle(folder), entry.name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &st) != 0 ||
      !(st.stx_mask & STATX_BTIME))
    return std::nullopt;
  return FileTime(st.stx_btime);
}

struct LocalDates::State {};
LocalDates::LocalDates() = default;
LocalDates::~LocalDates() = default;

// The year with four digits at least: the year 999 is 0999. Before the year 1 there is none.
std::string LocalDates::Of(std::int64_t file_time) {
  std::int64_t seconds = file_time / kTicksPerSecond - (file_time % kTicksPerSecond < 0);
  time_t t = static_cast<time_t>(seconds - kEpochGap);
  struct tm local;
  if (localtime_r(&t, &local) == nullptr || local.tm_year < 1 - 1900) return {};
  char text[32];
  int n = snprintf(text, sizeof text, "%04lld%02d%02d", local.tm_year + 1900LL, local.tm_mon + 1,
                   local.tm_mday);
  return std::string(text, static_cast<std::size_t>(n));
}

}  // namespace platform
