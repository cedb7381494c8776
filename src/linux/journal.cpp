// The Linux program's journal: before a run renames anything, what it is about to do is written
// to a file of its own in the user's state folder, so that "--undo" can put it back, entry by
// entry, as far as each entry is still what the run left; what went back is written to the same
// file as it goes, so that an undo cut short is taken up again where it stopped.
//
// The file is text, one record a line, its fields apart by blanks, each field ":" and its bytes
// with "\" and every byte up to the blank, and DEL, written as \xHH, so that any name reads back
// exactly:
//   stampix-journal 2                 the version, first
//   started SECONDS                   when the run began
//   folder :PATH                      the run's current folder
//   argument :TEXT                    each argument of the run
//   move :FROM :NAME :TO :NEW K DEV INO SIZE TICKS BIRTH R
//                                     the entry NAME of the folder FROM is about to become NEW in
//                                     TO (whole paths, ending in "/"); K "d" for a folder, else
//                                     "f"; its device, inode, size, last write and birth (0: not
//                                     kept); R "r" when the name NEW was taken ("/Y" may replace)
//   time :FOLDER SECONDS NANOSECONDS MODE
//                                     a folder's last write before the run renamed inside it, and
//                                     its permission bits in octal
//   back N, lost N                    "--undo" put the Nth move (from 0) back, or found it gone
//   undone                            every move is back, or named as lost
#include "core/journal.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "core/rename.h"
#include "core/undo.h"
#include "linux/platform_linux.h"

namespace stampix {

namespace {

constexpr std::string_view kVersionLine = "stampix-journal 2";
// Records made durable at once: each sync waits for the disk, so that at 4,096 a run of 10,000
// files spent a tenth of its time waiting; a run killed keeps all it wrote regardless.
constexpr std::size_t kSyncEvery = 16384;
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

// ---- The state folder ----

// $XDG_STATE_HOME/stampix, or ~/.local/state/stampix.
std::string StatePath() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/stampix";
  return platform::HomeFolder() + "/.local/state/stampix";
}

// The user's alone: what another user may write could be a journal planted to be undone.
bool Private(std::uint32_t owner, std::uint32_t mode) {
  return owner == platform::UserId() && !(mode & 022);
}

bool Private(const std::optional<platform::FileStatus>& status) {
  return status && Private(status->owner, status->mode);
}

// The state folder, open, and whether it is the user's alone.
class StateFolder {
 public:
  // Never reached through a link of its own name, which could lead into another user's folder.
  explicit StateFolder(bool make) : path_(StatePath()) {
    if (make && (why_ = platform::MakeFolders(path_, 0700))) return;
    const std::size_t name = path_.rfind('/') + 1;
    const platform::Folder above(path_.substr(0, name));
    folder_ = std::make_unique<platform::Folder>(above, path_.substr(name));
    if (!platform::Lookup(*folder_, ".", &why_)) return;
    // A folder whose journals cannot be listed is refused, as one that cannot be opened is.
    platform::FolderSearch listing(*folder_);
    listing.Next();
    if ((why_ = listing.error())) return;
    const std::optional<std::uint32_t> owner = platform::Owner(*folder_, ".");
    private_ = owner && Private(*owner, platform::ModeOf(*folder_));
  }

  // Open: its journals can be listed.
  bool is_open() const { return folder_ && !why_; }
  const platform::Folder& folder() const { return *folder_; }
  const std::string& path() const { return path_; }
  platform::Error why() const { return why_; }
  bool is_private() const { return private_; }

  // The folder, for a journal to keep.
  std::unique_ptr<platform::Folder> Take() { return std::move(folder_); }

  // The journals' names, the latest last: their names sort by time.
  std::vector<std::string> Journals() const {
    std::vector<std::string> names;
    platform::FolderSearch search(*folder_);
    while (std::optional<platform::Entry> entry = search.Next())
      if (entry->name.ends_with(".journal")) names.push_back(std::move(entry->name));
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
  std::unique_ptr<platform::Folder> folder_;
  platform::Error why_ = 0;
  bool private_ = false;
};

// When a journal's run began, by its name (UTC, as JournalName writes it), or 0.
time_t NamedTime(const std::string& name) {
  struct tm utc {};
  const char* end = strptime(name.c_str(), "%Y%m%dT%H%M%S", &utc);
  return end ? timegm(&utc) : 0;
}

// Journals past a month old, and all but the newest hundred, go. Judged by their names: a stat
// of each would cost every run as much as a hundred renames.
void Tidy(const StateFolder& state) {
  const std::vector<std::string> names = state.Journals();
  const time_t month_ago = time(nullptr) - kKeepDays * 86400;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (NamedTime(names[i]) < month_ago || names.size() - i > kKeepAtMost)
      platform::RemoveFile(state.folder(), names[i]);
}

// A name that sorts by time: UTC to the nanosecond, then the process.
std::string JournalName(const struct timespec& now) {
  struct tm utc;
  gmtime_r(&now.tv_sec, &utc);
  char name[64];
  const std::size_t n = strftime(name, sizeof name, "%Y%m%dT%H%M%S", &utc);
  std::snprintf(name + n, sizeof name - n, ".%09ld-%d.journal", now.tv_nsec,
                static_cast<int>(platform::ProcessId()));
  return name;
}

using Identity = std::pair<std::uint64_t, std::uint64_t>;

// The folder and every folder above it, up to the root.
std::vector<Identity> FoldersUp(const platform::Folder& folder) {
  std::vector<Identity> up;
  std::unique_ptr<platform::Folder> above;
  for (const platform::Folder* at = &folder;;) {
    const std::optional<platform::Entry> here = platform::Lookup(*at, ".");
    // The root is its own parent.
    if (!here || (!up.empty() && up.back() == Identity{here->device, here->inode})) break;
    up.emplace_back(here->device, here->inode);
    auto parent = std::make_unique<platform::Folder>(*at, "..");
    above = std::move(parent);
    at = above.get();
  }
  return up;
}

class FileJournal : public Journal {
 public:
  FileJournal(std::unique_ptr<platform::File> file, std::unique_ptr<platform::Folder> folder,
              std::string name, std::vector<Identity> holders)
      : file_(std::move(file)),
        state_(std::move(folder)),
        name_(std::move(name)),
        holders_(std::move(holders)) {}

  // A journal that holds no move is no run to undo.
  ~FileJournal() override {
    platform::Error why = 0;
    WriteDown(why);
    if (unsynced_) file_->Sync();
    if (!moves_) platform::RemoveFile(*state_, name_);
  }

  void Start(time_t started, const std::vector<std::string>& arguments) {
    pending_.append(kVersionLine).append("\nstarted ").append(std::to_string(started));
    pending_.append("\nfolder ").append(Field(platform::CurrentFolder()));
    for (const std::string& argument : arguments)
      pending_.append("\nargument ").append(Field(argument));
    pending_ += '\n';
  }

  // Appended by hand: a stream per record would cost more than the rename it records.
  void Move(const platform::Folder& from, std::string_view name, const platform::Folder& to,
            std::string_view new_name, const platform::Entry& entry, bool taken) override {
    pending_.append("move ").append(FolderField(from)).append(" ").append(Field(name));
    pending_.append(" ").append(FolderField(to)).append(" ").append(Field(new_name));
    pending_.append((entry.attributes & platform::kFolder) ? " d " : " f ");
    for (std::uint64_t number : {entry.device, entry.inode, entry.size}) {
      AppendNumber(number);
      pending_ += ' ';
    }
    AppendNumber(entry.last_write);
    pending_ += ' ';
    AppendNumber(entry.created);
    pending_.append(taken ? " r\n" : " -\n");
    ++records_;
    moves_ = true;
  }

  void FolderTime(const platform::Folder& folder, const platform::FolderTime& time) override {
    if (!time.known) return;
    char mode[16];
    std::snprintf(mode, sizeof mode, " %o\n", platform::ModeOf(folder));
    pending_.append("time ").append(FolderField(folder)).append(" ");
    pending_.append(std::to_string(time.seconds)).append(" ");
    pending_.append(std::to_string(time.nanoseconds)).append(mode);
    ++records_;
  }

  // One write for all that is pending; made durable once so many records are written.
  bool WriteDown(platform::Error& why) override {
    if (lost_) return why = lost_, false;
    if (pending_.empty()) return true;
    if ((why = lost_ = file_->Append(pending_))) return false;
    pending_.clear();
    unsynced_ += records_;
    records_ = 0;
    if (unsynced_ >= kSyncEvery) {
      if ((why = lost_ = file_->Sync())) return false;
      unsynced_ = 0;
    }
    return true;
  }

  Place PlaceOf(const platform::Entry& entry) const override {
    const auto at =
        std::find(holders_.begin(), holders_.end(), Identity(entry.device, entry.inode));
    return at == holders_.end()        ? Place::kApart
           : at < holders_.begin() + 2 ? Place::kOwn
                                       : Place::kAbove;
  }

 private:
  // A folder's whole path as a field, made once for all the entries of the folder in hand. A
  // folder whose whole path cannot be known could not be found again: the journal is lost.
  const std::string& FolderField(const platform::Folder& folder) {
    const std::string& whole = platform::WholePath(folder);
    if (whole.empty()) lost_ = ENAMETOOLONG;
    if (whole != folder_) folder_ = whole, folder_field_ = Field(whole);
    return folder_field_;
  }

  template <typename Number>
  void AppendNumber(Number number) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    pending_.append(digits, end);
  }

  std::unique_ptr<platform::File> file_;
  std::unique_ptr<platform::Folder> state_;  // the state folder, which holds it
  std::string name_;
  std::vector<Identity> holders_;  // the file, its folder and every folder above it, in turn
  std::string pending_;
  std::string folder_, folder_field_;  // the last folder told, and its field
  std::size_t records_ = 0, unsynced_ = 0;
  bool moves_ = false;
  platform::Error lost_ = 0;
};

// The run's journal file, locked for as long as the run goes, so that "--undo" leaves it
// alone. An undo may have tidied the name away in the instant before the lock: then another.
std::unique_ptr<platform::File> CreateLocked(const StateFolder& state, const std::string& name,
                                             platform::Error& why) {
  for (int tries = 0; tries < 2; ++tries) {
    auto file =
        std::make_unique<platform::File>(state.folder(), name, platform::File::Access::kCreate);
    if (!file->is_open()) return why = file->error(), nullptr;
    if (file->Lock(true, true) != 0) continue;
    if (const std::optional<platform::FileStatus> status = file->Status(); status && status->links)
      return file;
  }
  return why = EAGAIN, nullptr;
}

// ---- A journal read back, for "--undo" and "--runs" ----

// A journal read: its run, and what undos made of it.
struct Read {
  std::int64_t started = 0;
  std::string run_folder;
  std::vector<std::string> arguments;
  RunRecords records;  // all but what it tells of the run, which RunOf words
  bool undone = false;
};

// A whole path as the run writes it: from the root, ending in "/", no part empty, "." or "..":
// one that would lead elsewhere is no journal of this program's.
bool IsPlainFolder(std::string_view path) {
  if (!path.starts_with('/') || !path.ends_with('/') || path.find('\0') != path.npos) return false;
  for (std::string_view rest = path.substr(1); !rest.empty();) {
    const std::string_view part = rest.substr(0, rest.find('/'));
    if (part.empty() || part == "." || part == "..") return false;
    rest.remove_prefix(part.size() + 1);
  }
  return true;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == name.npos &&
         name.find('\0') == name.npos;
}

std::optional<MoveRecord> ParseMove(std::istringstream& words) {
  std::string a, b, c, d, k, r;
  MoveRecord m;
  if (!(words >> a >> b >> c >> d >> k >> m.device >> m.inode >> m.size >> m.last_write >>
        m.created >> r))
    return std::nullopt;
  auto from = Unfield(a), name = Unfield(b), to = Unfield(c), new_name = Unfield(d);
  if (!from || !name || !to || !new_name || !IsPlainFolder(*from) || !IsPlainFolder(*to) ||
      !IsPlainName(*name) || !IsPlainName(*new_name))
    return std::nullopt;
  m.from = *from, m.name = *name, m.to = *to, m.new_name = *new_name;
  m.folder = k == "d", m.replaced = r == "r";
  return m;
}

// One line into `read`; false when it is not a record of this version.
bool ParseLine(const std::string& line, Read& read) {
  std::istringstream words(line);
  std::string kind, a;
  words >> kind;
  if (kind == "undone") return read.undone = true;
  if (kind == "started") return static_cast<bool>(words >> read.started);
  if (kind == "folder" || kind == "argument") {
    std::optional<std::string> text = words >> a ? Unfield(a) : std::nullopt;
    if (text && kind == "folder") read.run_folder = *text;
    if (text && kind == "argument") read.arguments.push_back(*text);
    return text.has_value();
  }
  if (kind == "move") {
    std::optional<MoveRecord> m = ParseMove(words);
    if (m) read.records.moves.push_back(std::move(*m));
    return m.has_value();
  }
  if (kind == "time") {
    FolderRecord state{{0, 0, true}, 0};
    std::optional<std::string> folder = words >> a ? Unfield(a) : std::nullopt;
    if (!folder || !IsPlainFolder(*folder) ||
        !(words >> state.time.seconds >> state.time.nanoseconds >> std::oct >> state.mode))
      return false;
    read.records.folders.emplace(*folder, state);
    return true;
  }
  std::size_t n = 0;
  std::vector<bool>& settled = read.records.settled;
  if ((kind != "back" && kind != "lost") || !(words >> n) || n >= read.records.moves.size())
    return false;
  settled.resize(read.records.moves.size());
  settled[n] = true;
  return true;
}

std::optional<Read> Parse(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kVersionLine) return std::nullopt;
  Read read;
  // The last line may have been cut short by a full disk; what it would have told never began.
  while (std::getline(in, line) && !in.eof())
    if (!ParseLine(line, read)) return std::nullopt;
  read.records.settled.resize(read.records.moves.size());
  return read;
}

// A journal cut short before its first move (a run killed at once, a full disk) is no run.
bool NoMove(const std::string& text, const std::optional<Read>& read) {
  return text.find('\n') == text.npos || (read && read->records.moves.empty());
}

std::string RunOf(const Read& read);

// A journal "--undo" has taken: open, locked against a run still writing it and against another
// undo, and read. What went back is appended as it goes; a line lost to a kill is found again,
// as each entry back already is recognised where it is.
class JournalRun : public TakenRun {
 public:
  JournalRun(std::string path, bool dry_run) : path_(std::move(path)), real_(!dry_run) {}

  // Opens, checks, locks and reads the journal `name` of the folder: why it cannot be undone,
  // with the system's reason in `why`, or nothing when it could be read.
  std::optional<Outcome> Open(const platform::Folder& folder, const std::string& name,
                              platform::Error& why) {
    using Access = platform::File::Access;
    file_.emplace(folder, name, real_ ? Access::kReadWrite : Access::kRead);
    if ((why = file_->error())) return Outcome::kNoJournal;
    const std::optional<platform::FileStatus> status = file_->Status();
    if (!status || !status->regular || !Private(status)) return Outcome::kNotYours;
    if (file_->Lock(real_, false)) return Outcome::kStillGoing;
    const std::optional<std::string> text = file_->ReadAll(why);
    if (!text) return Outcome::kNoJournal;
    read_ = Parse(*text);
    if (read_) read_->records.told = RunOf(*read_);
    no_move_ = NoMove(*text, read_);
    return std::nullopt;
  }

  // What it holds, or nothing when it is no journal of this version.
  const std::optional<Read>& read() const { return read_; }
  // It records no move: no run.
  bool no_move() const { return no_move_; }

  const RunRecords& records() const override { return read_->records; }
  const std::string& path() const override { return path_; }

  void Mark(std::size_t n, Settled settled) override {
    if (!real_) return;
    pending_.append(settled == Settled::kLost ? "lost " : "back ");
    pending_.append(std::to_string(n)).append("\n");
    if (++marked_ % kSyncEvery == 0) Write(false);
  }

  platform::Error Finish(bool undone) override {
    if (!real_) return 0;
    if (undone) pending_.append("undone\n");
    Write(true);
    return lost_;
  }

 private:
  // What is marked, written; made durable when `last`.
  void Write(bool last) {
    if (!lost_ && !pending_.empty()) lost_ = file_->Append(pending_);
    pending_.clear();
    if (last && !lost_) lost_ = file_->Sync();
  }

  std::string path_;
  bool real_;
  std::optional<platform::File> file_;
  std::optional<Read> read_;
  bool no_move_ = false;
  std::string pending_;
  std::size_t marked_ = 0;
  platform::Error lost_ = 0;
};

// An argument as a shell would read it back.
std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          "0123456789_./=,:@%+-") == word.npos;
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// When, where and what a run was: "2026-12-08 10:15:02 in "/home/ann": stampix -r Photos".
std::string RunOf(const Read& read) {
  const time_t started = static_cast<time_t>(read.started);
  struct tm local {};
  localtime_r(&started, &local);
  char when[32];
  strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  std::string run = std::string(when) + " in \"" + read.run_folder + "\": stampix";
  for (const std::string& argument : read.arguments) run.append(" ").append(ShellWord(argument));
  return run;
}

}  // namespace

std::unique_ptr<Journal> OpenJournal(const Request& request,
                                     const std::vector<std::string>& arguments, Report& report,
                                     bool& ready) {
  ready = true;
  if (request.choices.dry_run || !request.choices.journal) return nullptr;
  StateFolder state(true);
  platform::Error why = state.why();
  if (!why && !state.is_private()) {
    report.Told({state.path(), {}, {}}, Outcome::kNotYours);
    return ready = false, nullptr;
  }
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const std::string name = JournalName(now);
  std::unique_ptr<platform::File> file = why ? nullptr : CreateLocked(state, name, why);
  if (!file) {
    report.Told({}, Outcome::kJournalLost, why);
    return ready = false, nullptr;
  }
  Tidy(state);
  std::vector<Identity> holders;
  if (const std::optional<platform::FileStatus> status = file->Status())
    holders.emplace_back(status->device, status->inode);
  for (const Identity& folder : FoldersUp(state.folder())) holders.push_back(folder);
  auto journal =
      std::make_unique<FileJournal>(std::move(file), state.Take(), name, std::move(holders));
  journal->Start(now.tv_sec, arguments);
  return journal;
}

// The journal "--undo" means: the one named, or the latest not yet undone, passing over and
// tidying away those that record no move.
std::unique_ptr<TakenRun> TakeRun(const Request& request, Report& report) {
  const bool dry_run = request.choices.dry_run;
  std::unique_ptr<JournalRun> run;
  // The journal opened and read, or the report told why it cannot be.
  const auto open = [&](const platform::Folder& folder, const std::string& name,
                        const std::string& path) {
    run.reset();
    run = std::make_unique<JournalRun>(path, dry_run);
    platform::Error why = 0;
    const std::optional<Outcome> refused = run->Open(folder, name, why);
    if (refused) report.Told({path, {}, {}}, *refused, why);
    return !refused;
  };
  if (!request.undo_name.empty()) {
    if (!open(platform::Folder(""), request.undo_name, request.undo_name)) return nullptr;
    if (run->read() && !run->read()->undone && !run->no_move()) return run;
    report.Told({request.undo_name, {}, {}}, Outcome::kNotAJournal);
    return nullptr;
  }
  const StateFolder state(false);
  if (state.is_open() && !state.is_private()) {
    report.Told({state.path(), {}, {}}, Outcome::kNotYours);
    return nullptr;
  }
  std::vector<std::string> names = state.is_open() ? state.Journals() : std::vector<std::string>{};
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!open(state.folder(), *it, state.path() + "/" + *it)) return nullptr;
    if (run->no_move()) {
      if (!dry_run) platform::RemoveFile(state.folder(), *it);
      continue;
    }
    if (!run->read()) {
      report.Told({run->path(), {}, {}}, Outcome::kNotAJournal);
      return nullptr;
    }
    if (!run->read()->undone) return run;
  }
  report.Told({state.path(), {}, {}}, Outcome::kNoJournal, ENOENT);
  return nullptr;
}

int ListRuns(Report& report) {
  const StateFolder state(false);
  if (state.is_open() && !state.is_private()) {
    report.Told({state.path(), {}, {}}, Outcome::kNotYours);
    return 1;
  }
  std::vector<std::string> names = state.is_open() ? state.Journals() : std::vector<std::string>{};
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    platform::File file(state.folder(), *it, platform::File::Access::kRead);
    if (!file.is_open() || !Private(file.Status())) continue;
    const bool going = file.Lock(false, false) != 0;
    platform::Error why = 0;
    const std::optional<std::string> text = file.ReadAll(why);
    const std::optional<Read> read = text ? Parse(*text) : std::nullopt;
    if (!read || (read->records.moves.empty() && !going)) continue;
    std::size_t back = 0;
    for (bool settled : read->records.settled) back += settled;
    const char* status = going          ? "still going"
                         : read->undone ? "undone"
                         : back         ? "partly undone"
                                        : "not undone";
    report.Told(
        {RunOf(*read) + " (" + Entries(read->records.moves.size()) + ", " + status + ")", {}, {}},
        Outcome::kListed);
  }
  return 0;
}

}  // namespace stampix
