#include "rename/rename.h"

#include "console/console.h"
#include "console/messages.h"
#include "platform/platform.h"
#include "rename/tools.h"
#include "stamp/listing.h"
#include "stamp/stamp.h"
#include "stamp/wildcard.h"

namespace stampix {

bool OverwriteMode = false;

namespace {

constexpr std::uint32_t kNotDeleted =
    platform::kHidden | platform::kSystem | platform::kVolumeLabel | platform::kFolder;

// Deletes the files that `path` names, passing over hidden, system and folder entries; stops
// at the first that cannot be deleted.
void DeleteFiles(const std::string& path) {
  const std::string folder = FolderPart(path);
  Listing listing(path);
  for (platform::Entry entry; listing.Next(entry);) {
    if (entry.attributes & kNotDeleted) continue;
    if (!platform::RemoveFile(folder + entry.name)) return;
  }
}

// A pattern in either name would make every later step act on whatever it matches, and
// cannot even tell whether the entry itself exists.
bool RefuseWildcards(const std::string& source, const std::string& destination) {
  if (!HasWildcard(source.substr(FolderPart(source).size())) &&
      !HasWildcard(destination.substr(FolderPart(destination).size())))
    return false;
  PrintLine(msg::RenameFailed(LastPathField(source)));
  return true;
}

bool RefuseLongPath(const std::string& path) {
  if (path.size() <= platform::kMaxPath) return false;
  PrintLine(msg::PathTooLong(path));
  return true;
}

// The rename itself; the in-use line when the source is still there afterwards.
void MoveOrReport(const std::string& source, const std::string& destination) {
  platform::MoveEntry(source, destination);
  if (EntryExists(source)) PrintLine(msg::RenameFailed(LastPathField(source)));
}

bool KindConflict(const std::string& source, const std::string& destination) {
  if (IsFile(source) && IsFolder(destination)) {
    PrintLine(msg::FileToFolder(destination));
    return true;
  }
  if (IsFolder(source) && IsFile(destination)) {
    PrintLine(msg::FolderToFile(destination));
    return true;
  }
  return false;
}

// "/Y" over an existing destination: replace a file, merge a folder.
bool Overwrite(const std::string& source, const std::string& destination) {
  if (!IsFile(source)) return MergeFolder(source, destination);
  DeleteFiles(destination);
  if (IsFile(destination)) {
    PrintLine(msg::CannotRemove(LastPathField(destination)));
    return false;
  }
  MoveOrReport(source, destination);
  return true;
}

}  // namespace

bool IsFile(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return false;
  platform::Entry entry;
  return Listing(path).Next(entry) &&
         !(entry.attributes & (platform::kFolder | platform::kVolumeLabel));
}

bool IsFolder(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return false;
  std::optional<std::uint32_t> bits = platform::Attributes(path);
  return bits && (*bits & platform::kFolder);
}

bool RenameEntry(const std::string& source, const std::string& destination) {
  if (RefuseLongPath(source) || RefuseLongPath(destination)) return false;
  if (RefuseWildcards(source, destination)) return false;
  // The rename never replaces an entry, so when it succeeds the destination was free and
  // the source is gone: every test below would come out the same way.
  if (source != destination && platform::MoveEntry(source, destination)) return true;
  if (!EntryExists(source)) return false;
  if (!EntryExists(destination)) {
    MoveOrReport(source, destination);
  } else if (KindConflict(source, destination)) {
    return false;
  } else if (!OverwriteMode || source == destination) {
    // Replacing an entry by itself would delete it.
    PrintLine(msg::Skipped(LastPathField(source), LastPathField(destination)));
  } else if (!Overwrite(source, destination)) {
    return false;
  }
  return !EntryExists(source);
}

}  // namespace stampix
