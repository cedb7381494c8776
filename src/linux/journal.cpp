// The Linux program's journal: before a run renames anything, what it is about to do is written
// to a file of its own in the user's state folder, so that "--undo" can put it back, in the
// reverse order, entry by entry, as far as each entry is still what the run left.
//
// The file is text, one record a line, its fields apart by blanks, each field ":" and its bytes
// with "\" and every byte up to the blank, and DEL, written as \xHH, so that any name reads back
// exactly:
//   stampix-journal 1                 the version, first
//   folder :PATH                      the run's current folder; relative paths start there
//   argument :TEXT                    each argument of the run
//   move :FROM :NAME :TO :NEW K DEV INO TICKS R
//                                     the entry NAME of the folder FROM is about to become NEW in
//                                     TO; K "d" for a folder, else "f"; its device, inode and last
//                                     write; R "r" when the name NEW was taken ("/Y" may replace)
//   time :FOLDER SECONDS NANOSECONDS  a folder's last write before the run renamed inside it
//   undone                            the run was undone
#include "core/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "core/entries.h"
#include "core/rename.h"
#include "linux/platform_linux.h"

namespace stampix {

namespace {

constexpr std::string_view kVersionLine = "stampix-journal 1";
constexpr std::size_t kSyncEvery = 4096;  // records made durable at once
constexpr std::size_t kKeepAtMost = 100;  // journals, the newest kept
constexpr time_t kKeepDays = 30;

std::string Field(std::string_view text) {
  std::string field = ":";
  field.reserve(text.size() + 1);
  for (std::size_t plain; !text.empty(); text.remove_prefix(plain)) {
    plain = 0;
    while (plain < text.size() && static_cast<unsigned char>(text[plain]) > 0x20 &&
           text[plain] != 0x7F && text[plain] != '\\')
      ++plain;
    field.append(text.substr(0, plain));
    if (plain == text.size()) break;
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[plain++]));
    field += escape;
  }
  return field;
}

// A field read back, or nothing when it is not one.
std::optional<std::string> Unfield(std::string_view field) {
  if (!field.starts_with(':')) return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i < field.size(); ++i) {
    if (field[i] != '\\') {
      text += field[i];
      continue;
    }
    if (i + 3 >= field.size() || field[i + 1] != 'x') return std::nullopt;
    const std::string hex(field.substr(i + 2, 2));
    char* end = nullptr;
    const long byte = std::strtol(hex.c_str(), &end, 16);
    if (end != hex.c_str() + 2) return std::nullopt;
    text += static_cast<char>(byte);
    i += 3;
  }
  return text;
}

// $XDG_STATE_HOME/stampix, or ~/.local/state/stampix.
std::string StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/stampix";
  const char* home = std::getenv("HOME");
  const struct passwd* user = home ? nullptr : getpwuid(getuid());
  std::string base = home ? home : user ? user->pw_dir : "";
  return base + "/.local/state/stampix";
}

// Makes the folder and any missing folder above it, private to the user.
platform::Error MakeFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    if (mkdir(path.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

std::vector<std::string> Journals(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const struct dirent* d = readdir(dir))
      if (std::string_view(d->d_name).ends_with(".journal")) names.emplace_back(d->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());  // their names sort by time
  return names;
}

// Journals past a month old, and all but the newest hundred, go.
void Tidy(const std::string& folder) {
  const std::vector<std::string> names = Journals(folder);
  const time_t now = time(nullptr);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string path = folder + "/" + names[i];
    struct stat st;
    const bool old = stat(path.c_str(), &st) == 0 && now - st.st_mtime > kKeepDays * 86400;
    if (old || names.size() - i > kKeepAtMost) unlink(path.c_str());
  }
}

// A name that sorts by time: UTC to the nanosecond, then the process.
std::string JournalName() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm utc;
  gmtime_r(&now.tv_sec, &utc);
  char name[64];
  const std::size_t n = strftime(name, sizeof name, "%Y%m%dT%H%M%S", &utc);
  std::snprintf(name + n, sizeof name - n, ".%09ld-%d.journal", now.tv_nsec, getpid());
  return name;
}

class FileJournal : public Journal {
 public:
  FileJournal(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

  // A journal that holds no move is no run to undo.
  ~FileJournal() override {
    platform::Error why = 0;
    Keep(why);
    if (unsynced_) fdatasync(fd_);
    close(fd_);
    if (!moves_) unlink(path_.c_str());
  }

  void Start(const std::vector<std::string>& arguments) {
    char* folder = getcwd(nullptr, 0);
    pending_.append(kVersionLine).append("\nfolder ").append(Field(folder ? folder : ""));
    std::free(folder);
    for (const std::string& argument : arguments)
      pending_.append("\nargument ").append(Field(argument));
    pending_ += '\n';
  }

  // Appended by hand: a stream per record would cost more than the rename it records.
  void Move(const std::string& from, std::string_view name, const std::string& to,
            std::string_view new_name, const platform::Entry& entry, bool taken) override {
    pending_.append("move ").append(Field(from)).append(" ").append(Field(name)).append(" ");
    pending_.append(Field(to)).append(" ").append(Field(new_name));
    pending_.append((entry.attributes & platform::kFolder) ? " d " : " f ");
    AppendNumber(entry.device);
    pending_ += ' ';
    AppendNumber(entry.inode);
    pending_ += ' ';
    AppendNumber(entry.last_write);
    pending_.append(taken ? " r\n" : " -\n");
    ++records_;
    moves_ = true;
  }

  void FolderTime(const std::string& folder, const platform::FolderTime& time) override {
    if (!time.known) return;
    pending_.append("time ").append(Field(folder)).append(" ");
    pending_.append(std::to_string(time.seconds)).append(" ");
    pending_.append(std::to_string(time.nanoseconds)).append("\n");
    ++records_;
  }

  // One write for all that is pending; made durable once so many records are written.
  bool Keep(platform::Error& why) override {
    if (lost_) return why = lost_, false;
    if (pending_.empty()) return true;
    for (std::string_view rest = pending_; !rest.empty();) {
      ssize_t n = write(fd_, rest.data(), rest.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return why = lost_ = n < 0 ? errno : EIO, false;
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
    pending_.clear();
    unsynced_ += records_;
    records_ = 0;
    if (unsynced_ >= kSyncEvery) {
      if (fdatasync(fd_) != 0) return why = lost_ = errno, false;
      unsynced_ = 0;
    }
    return true;
  }

 private:
  template <typename Number>
  void AppendNumber(Number number) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    pending_.append(digits, end);
  }

  int fd_;
  std::string path_;
  std::string pending_;
  std::size_t records_ = 0, unsynced_ = 0;
  bool moves_ = false;
  platform::Error lost_ = 0;
};

// ---- Undo ----

struct Record {
  std::string from, name, to, new_name;
  bool folder = false, replaced = false;
  std::uint64_t device = 0, inode = 0;
};

struct Time {
  std::string folder;
  platform::FolderTime time;
};

struct Read {
  std::string run_folder;
  std::vector<Record> moves;
  std::vector<Time> times;
  bool undone = false;
};

std::optional<Read> Parse(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kVersionLine) return std::nullopt;
  Read read;
  // The last line may have been cut short by a full disk; what it would have told never began.
  while (std::getline(in, line) && !in.eof()) {
    std::istringstream words(line);
    std::string kind, a, b, c, d, k, r;
    words >> kind;
    if (kind == "undone") {
      read.undone = true;
    } else if (kind == "folder" && words >> a && Unfield(a)) {
      read.run_folder = *Unfield(a);
    } else if (kind == "argument") {
    } else if (kind == "move") {
      Record m;
      std::int64_t ticks;
      if (!(words >> a >> b >> c >> d >> k >> m.device >> m.inode >> ticks >> r)) return {};
      auto from = Unfield(a), name = Unfield(b), to = Unfield(c), new_name = Unfield(d);
      if (!from || !name || !to || !new_name) return std::nullopt;
      m = {*from, *name, *to, *new_name, k == "d", r == "r", m.device, m.inode};
      read.moves.push_back(std::move(m));
    } else if (kind == "time") {
      Time t;
      if (!(words >> a >> t.time.seconds >> t.time.nanoseconds) || !Unfield(a)) return {};
      t.folder = *Unfield(a);
      t.time.known = true;
      read.times.push_back(std::move(t));
    } else {
      return std::nullopt;
    }
  }
  return read;
}

std::optional<std::string> Contents(const std::string& path, platform::Error& why) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return why = errno, std::nullopt;
  std::string text;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

// The journal "--undo" means: the one named, or the newest not yet undone.
std::string Chosen(const Request& request, std::optional<Read>& read, platform::Error& why) {
  if (!request.journal.empty()) {
    if (auto text = Contents(request.journal, why)) read = Parse(*text);
    return request.journal;
  }
  const std::string folder = StateFolder();
  std::vector<std::string> names = Journals(folder);
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    const std::string path = folder + "/" + *it;
    platform::Error ignored = 0;
    std::optional<std::string> text = Contents(path, ignored);
    if (!text) continue;
    read = Parse(*text);
    if (!read || !read->undone) return path;
  }
  why = ENOENT;
  return folder;
}

std::string Absolute(const std::string& run_folder, const std::string& path) {
  if (path.starts_with('/')) return path;
  return run_folder + "/" + path;
}

// What an undo carries from entry to entry. A preview changes nothing, so the paths of what is
// inside a folder it would have put back are still those below its stamped name.
struct Undoing {
  const std::string& run_folder;
  const Choices& choices;
  Report& report;
  std::vector<std::pair<std::string, std::string>> previewed;  // a folder's path, and where it is

  std::string Now(const std::string& path) const {
    std::string now = path;
    for (auto it = previewed.rbegin(); it != previewed.rend(); ++it)  // the deepest first
      if (now.starts_with(it->first)) now = it->second + now.substr(it->first.size());
    return Absolute(run_folder, now);
  }
};

// Puts one entry back; the outcome, told to the report with the paths the run showed.
Outcome PutEntryBack(const Record& m, Undoing& undoing) {
  Report& report = undoing.report;
  const platform::Folder to(undoing.Now(m.to));
  const Names names{m.to + m.new_name, m.from + m.name, m.name};
  const auto is_it = [&](const platform::Folder& folder, std::string_view name) {
    std::optional<platform::Entry> entry = platform::Lookup(folder, name);
    return entry && entry->device == m.device && entry->inode == m.inode;
  };
  if (!is_it(to, m.new_name)) {
    // Never moved (the run stopped first), or a folder merged into another, whose entries
    // come back one by one: nothing to say.
    if (m.folder || is_it(platform::Folder(undoing.Now(m.from)), m.name)) return Outcome::kTaken;
    report.Told(names, Outcome::kNotUndone);
    return Outcome::kNotUndone;
  }
  const bool real = !undoing.choices.dry_run;
  if (real) MakeFolders(undoing.Now(m.from));
  const platform::Folder from(undoing.Now(m.from));
  if (platform::Attributes(from, m.name)) {
    report.Told(names, Outcome::kOldNameTaken);
    return Outcome::kOldNameTaken;
  }
  if (platform::Error why = real ? platform::MoveEntry(to, m.new_name, from, m.name) : 0) {
    report.Told(names, Outcome::kCannotRename, why);
    return Outcome::kCannotRename;
  }
  if (!real && m.folder)
    undoing.previewed.emplace_back(m.from + m.name + "/", m.to + m.new_name + "/");
  report.Told(names, Outcome::kRenamed);
  if (m.replaced) report.Told(names, Outcome::kReplacedGone);
  return m.replaced ? Outcome::kReplacedGone : Outcome::kRenamed;
}

void MarkUndone(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return;
  if (write(fd, "undone\n", 7) == 7) fdatasync(fd);
  close(fd);
}

}  // namespace

std::unique_ptr<Journal> OpenJournal(const Request& request,
                                     const std::vector<std::string>& arguments,
                                     platform::Error& why) {
  why = 0;
  if (request.choices.dry_run || !request.choices.journal) return nullptr;
  const std::string folder = StateFolder();
  if ((why = MakeFolders(folder))) return nullptr;
  Tidy(folder);
  const std::string path = folder + "/" + JournalName();
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return why = errno, nullptr;
  auto journal = std::make_unique<FileJournal>(fd, path);
  journal->Start(arguments);
  return journal;
}

int Undo(const Request& request, Report& report) {
  std::optional<Read> read;
  platform::Error why = 0;
  const std::string path = Chosen(request, read, why);
  if (why || !read || read->undone) {
    report.Told({path, {}, {}}, why ? Outcome::kNoJournal : Outcome::kNotAJournal, why);
    return 1;
  }
  // A folder is renamed after what it holds, but told to the journal before: the shallowest
  // go back first, so that every path is true again when its turn comes; of one depth, the
  // latest first.
  std::vector<Record> moves(read->moves.rbegin(), read->moves.rend());
  std::stable_sort(moves.begin(), moves.end(), [](const Record& a, const Record& b) {
    return std::count(a.to.begin(), a.to.end(), '/') < std::count(b.to.begin(), b.to.end(), '/');
  });
  std::int32_t found = 0, back = 0;
  int code = 0;
  Undoing undoing{read->run_folder, request.choices, report, {}};
  for (const Record& move : moves) {
    if (report.ShouldStop()) break;
    const Outcome outcome = PutEntryBack(move, undoing);
    if (outcome == Outcome::kTaken) continue;
    ++found;
    back += outcome == Outcome::kRenamed || outcome == Outcome::kReplacedGone;
    if (outcome != Outcome::kRenamed) code = 1;
  }
  for (auto it = read->times.rbegin(); it != read->times.rend() && !request.choices.dry_run; ++it) {
    const platform::Folder folder(Absolute(read->run_folder, it->folder));
    if (platform::Error failed = platform::PutBack(folder, it->time)) {
      report.Told({it->folder.empty() ? "." : it->folder, {}, {}}, Outcome::kTimeNotKept, failed);
      code = 1;
    }
  }
  if (!request.choices.dry_run) MarkUndone(path);
  if (found > 1) report.Count(back);
  return code;
}

}  // namespace stampix
