// The conflict policy of one rename: a free name is taken, kind conflicts are refused, a taken
// name is skipped without "/Y", and with it a file is replaced and a folder merged. Every outcome
// is judged by whether the source is still there.
#include "rename/rename.h"

#include "console/console.h"
#include "console/messages.h"
#include "entry/entry.h"
#include "entry/path.h"
#include "rename/merge.h"

namespace stampix {

namespace {

// One rename: the two names in their folder, and the whole paths that messages show.
struct Move {
  const platform::Folder& folder;
  const std::string& name;
  const std::string& new_name;
  std::string source = folder.path() + name;
  std::string destination = folder.path() + new_name;
};

bool RefuseLongPath(const std::string& path) {
  if (!TooLong(path)) return false;
  PrintLine(msg::PathTooLong(path));
  return true;
}

// A pattern in either name would make every later step act on whatever it matches, and
// cannot even tell whether the entry itself exists.
bool RefuseWildcards(const Move& m) {
  if (!HasWildcard(m.name + m.new_name)) return false;
  PrintLine(msg::RenameFailed(SplitPath(m.source).shown));
  return true;
}

// The rename itself; the in-use line when the source is still there afterwards.
void MoveOrReport(const Move& m) {
  platform::MoveEntry(m.folder, m.name, m.folder, m.new_name);
  if (EntryExists(m.folder, m.name)) PrintLine(msg::RenameFailed(SplitPath(m.source).shown));
}

bool KindConflict(const Move& m) {
  if (IsFile(m.folder, m.name) && IsFolder(m.folder, m.new_name)) {
    PrintLine(msg::FileToFolder(m.destination));
    return true;
  }
  if (IsFolder(m.folder, m.name) && IsFile(m.folder, m.new_name)) {
    PrintLine(msg::FolderToFile(m.destination));
    return true;
  }
  return false;
}

void DeleteDestination(const Move& m) {
  std::optional<platform::Entry> entry = platform::Lookup(m.folder, m.new_name);
  if (entry && MayReplace(entry->attributes)) platform::RemoveFile(m.folder, entry->name);
}

// "/Y" over an existing destination: replace a file, merge a folder. False when the merge
// failed; a file that was not replaced shows by still being there.
bool Overwrite(const Move& m) {
  if (!IsFile(m.folder, m.name)) return MergeFolder(m.folder, m.name, m.new_name);
  DeleteDestination(m);
  if (IsFile(m.folder, m.new_name)) {
    PrintLine(msg::CannotRemove(SplitPath(m.destination).shown));
  } else {
    MoveOrReport(m);
  }
  return true;
}

}  // namespace

bool MayReplace(std::uint32_t attributes) {
  return !(attributes & (platform::kReadOnly | platform::kHidden | platform::kSystem |
                         platform::kVolumeLabel | platform::kFolder));
}

bool RenameEntry(const platform::Folder& folder, const std::string& name,
                 const std::string& new_name, OverwriteMode mode) {
  const Move m{folder, name, new_name};
  if (RefuseLongPath(m.source) || RefuseLongPath(m.destination) || RefuseWildcards(m)) return false;
  // The rename never replaces an entry, so when it succeeds the destination was free and
  // the source is gone: every test below would come out the same way.
  if (name != new_name && platform::MoveEntry(folder, name, folder, new_name)) return true;
  if (!EntryExists(folder, name)) return false;
  if (!EntryExists(folder, new_name)) {
    MoveOrReport(m);
  } else if (KindConflict(m)) {
    return false;
  } else if (mode == OverwriteMode::kOff || name == new_name) {
    // Replacing an entry by itself would delete it.
    PrintLine(msg::Skipped(SplitPath(m.source).shown, SplitPath(m.destination).shown));
  } else if (!Overwrite(m)) {
    return false;
  }
  return !EntryExists(folder, name);
}

}  // namespace stampix
