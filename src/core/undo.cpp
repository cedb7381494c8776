// The pass of "--undo", beside the stamping pass: each move of the run put back, the shallowest
// first, over folders reached by handles as the run reached them, each entry only where it is
// still the one the run renamed; then the folders' times, the count, and the marks in the
// journal of what went back.
#include "core/undo.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "core/journal.h"
#include "core/platform.h"
#include "core/rename.h"

namespace stampix {

namespace {

// The same entry as the run renamed: the same kind and, where the file system keeps births, the
// same birth, so that a new file in a reused inode is not taken for it. Where identities do not
// survive a remount (exFAT, FUSE), the same size and last write still tell it; a folder, whose
// date changes with what it holds, by its identity, or by its date where the run kept it.
bool Same(const MoveRecord& m, const platform::Entry& now) {
  if (m.folder != static_cast<bool>(now.attributes & platform::kFolder)) return false;
  const bool identity = now.device == m.device && now.inode == m.inode;
  const bool written = now.last_write == m.last_write;
  if (m.created && now.created) return now.created == m.created && (identity || written);
  if (m.folder) return identity || written;
  return written && (identity || now.size == m.size);
}

// What an undo made of one move: put back, found back already (or merged, its entries coming
// back one by one), gone for good, or left for a later undo.
enum class Fate { kBack, kWasBack, kLost, kPending };

// What an undo carries from entry to entry. A preview changes nothing, so the paths of what is
// inside a folder it would have put back are still those below its stamped name.
class Undoing {
 public:
  Undoing(const RunRecords& read, const Choices& choices, Report& report)
      : read_(read), choices_(choices), report_(report) {}

  // Puts one entry back, telling the report what became of it.
  Fate PutBack(const MoveRecord& m);

  // Every folder this undo renamed inside gets back its time from before the run; the exit code.
  int PutTimesBack();

 private:
  std::string Now(const std::string& path) const;
  void Touched(const MoveRecord& m) {
    touched_.insert(m.from);
    touched_.insert(m.to);
  }
  // The folder at the whole path, reached part by part from the root as the run reached it, so
  // that no path is too long; `make`: folders missing on the way are made again, as they were.
  const platform::Folder* Reach(const std::string& path, bool make, platform::Error& why);

  const RunRecords& read_;
  const Choices& choices_;
  Report& report_;
  std::vector<std::pair<std::string, std::string>> previewed_;  // a folder's path, where it is
  std::vector<std::pair<std::string, std::unique_ptr<platform::Folder>>> reached_;
  std::set<std::string> touched_;  // the folders something was put back into or out of
};

std::string Undoing::Now(const std::string& path) const {
  std::string now = path;
  for (auto it = previewed_.rbegin(); it != previewed_.rend(); ++it)  // the deepest first
    if (now.starts_with(it->first)) now = it->second + now.substr(it->first.size());
  return now;
}

const platform::Folder* Undoing::Reach(const std::string& path, bool make, platform::Error& why) {
  for (auto it = reached_.begin(); it != reached_.end(); ++it)
    if (it->first == path) {
      std::rotate(it, it + 1, reached_.end());
      return reached_.back().second.get();
    }
  auto folder = std::make_unique<platform::Folder>("/");
  for (std::size_t at = 1; at < path.size(); at = path.find('/', at) + 1) {
    const std::string name = path.substr(at, path.find('/', at) - at);
    const auto state = read_.folders.find(path.substr(0, at + name.size() + 1));
    const std::uint32_t mode = state == read_.folders.end() ? 0700 : state->second.mode;
    if (make && !platform::Lookup(*folder, name)) platform::MakeFolder(*folder, name, mode);
    folder = std::make_unique<platform::Folder>(*folder, name);
    if (!platform::Lookup(*folder, ".", &why)) return nullptr;
  }
  // Two kept open: an entry's folder before the undo and after it.
  if (reached_.size() == 2) reached_.erase(reached_.begin());
  reached_.emplace_back(path, std::move(folder));
  return reached_.back().second.get();
}

Fate Undoing::PutBack(const MoveRecord& m) {
  // Where it is now and where it goes; a move between folders shows where, whole.
  const std::string now = m.to + m.new_name, was = m.from + m.name;
  const Names names{now, was, m.from == m.to ? std::string_view(m.name) : std::string_view(was)};
  platform::Error why = 0;
  const platform::Folder* to = Reach(Now(m.to), false, why);
  std::optional<platform::Entry> there = to ? platform::Lookup(*to, m.new_name) : std::nullopt;
  if (!to) {
    report_.Told(names, Outcome::kCannotRename, why);
    return Fate::kPending;
  }
  // A folder merged into another comes back entry by entry. The folder that took it in has its
  // date, and may have its birth to the clock's tick: only its identity tells them apart.
  const bool merged =
      m.folder && m.replaced && !(there && there->device == m.device && there->inode == m.inode);
  if (!there || merged || !Same(m, *there)) {
    if (m.folder && m.replaced) return Touched(m), Fate::kWasBack;
    // Back already: the run stopped before it, or an undo stopped after it.
    const platform::Folder* from = Reach(Now(m.from), false, why);
    std::optional<platform::Entry> home = from ? platform::Lookup(*from, m.name) : std::nullopt;
    if (home && Same(m, *home)) return Touched(m), Fate::kWasBack;
    report_.Told(names, Outcome::kNotUndone);
    return Fate::kLost;
  }
  const bool real = !choices_.dry_run;
  const std::string from_path = Now(m.from);
  const platform::Folder* from = Reach(from_path, real, why);
  if (from && platform::Attributes(*from, m.name)) {
    report_.Told(names, Outcome::kOldNameTaken);
    return Fate::kPending;
  }
  if (real && !from) {
    report_.Told(names, Outcome::kCannotRename, why);
    return Fate::kPending;
  }
  if (real && (why = platform::MoveEntry(*to, m.new_name, *from, m.name))) {
    report_.Told(names, Outcome::kCannotRename, why);
    return Fate::kPending;
  }
  if (m.folder) {
    reached_.clear();  // paths below it have changed
    if (!real) previewed_.emplace_back(m.from + m.name + "/", m.to + m.new_name + "/");
  }
  Touched(m);
  report_.Told(names, Outcome::kRenamed);
  if (m.replaced) report_.Told(names, Outcome::kReplacedGone);
  return Fate::kBack;
}

// The deepest first: where a folder's times are kept in its parent's entries (exFAT), setting
// them may write the parent.
int Undoing::PutTimesBack() {
  int code = 0;
  for (auto it = read_.folders.rbegin(); it != read_.folders.rend(); ++it) {
    const auto& [path, state] = *it;
    if (choices_.dry_run || !touched_.contains(path)) continue;
    platform::Error why = 0;
    const platform::Folder* folder = Reach(path, false, why);
    if (!why && folder) why = platform::PutBack(*folder, state.time);
    if (!why) continue;
    report_.Told({path.size() > 1 ? path.substr(0, path.size() - 1) : path, {}, {}},
                 Outcome::kTimeNotKept, why);
    code = 1;
  }
  return code;
}

// The moves still to put back: the shallowest first, so that every path is true again when its
// turn comes (a folder is renamed after what it holds, but told to the journal before it); of
// one depth, the latest first.
std::vector<std::size_t> Order(const RunRecords& read) {
  std::vector<std::size_t> order;
  for (std::size_t i = read.moves.size(); i-- > 0;)
    if (!read.settled[i]) order.push_back(i);
  const auto depth = [&](std::size_t i) {
    return std::count(read.moves[i].to.begin(), read.moves[i].to.end(), '/');
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return depth(a) < depth(b); });
  return order;
}

}  // namespace

std::string Entries(std::size_t n) { return std::to_string(n) + (n == 1 ? " entry" : " entries"); }

int Undo(const Request& request, Report& report) {
  const std::unique_ptr<TakenRun> run = TakeRun(request, report);
  if (!run) return 1;
  const RunRecords& read = run->records();
  std::size_t left = 0;
  for (bool settled : read.settled) left += !settled;
  report.Told({read.told + " (" + Entries(left) + ")", {}, {}}, Outcome::kUndoing);
  Undoing undoing(read, request.choices, report);
  std::int32_t tried = 0, back = 0;
  int code = 0;
  for (std::size_t i : Order(read)) {
    if (report.ShouldStop()) break;
    const Fate fate = undoing.PutBack(read.moves[i]);
    const MoveRecord& m = read.moves[i];
    if (fate != Fate::kPending) {
      run->Mark(i, fate == Fate::kLost ? TakenRun::Settled::kLost : TakenRun::Settled::kBack);
      --left;
    }
    if (fate == Fate::kLost || fate == Fate::kPending || (m.replaced && !m.folder)) code = 1;
    tried += fate != Fate::kWasBack;
    back += fate == Fate::kBack;
  }
  code = std::max(code, undoing.PutTimesBack());
  if (platform::Error why = run->Finish(!left)) {
    report.Told({run->path(), {}, {}}, Outcome::kNotMarked, why);
    code = 1;
  }
  report.Count({.found = tried, .renamed = back});
  return left ? 1 : code;
}

}  // namespace stampix
