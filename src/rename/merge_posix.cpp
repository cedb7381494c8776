// The Linux folder merge, done by the program itself and only by renames inside the file
// system, so that no entry is ever in two places or in none. Entries whose names are free move
// over whole, folders met by folders merge in turn, files and links replace what "/Y" may
// replace; anything else stays in the source, which is then kept.
#include "console/console.h"
#include "console/messages.h"
#include "entry/entry.h"
#include "entry/path.h"
#include "rename/merge.h"
#include "rename/rename.h"

namespace stampix {

namespace {

bool IsFileOrLink(std::uint32_t attributes) {
  return !(attributes & (platform::kFolder | platform::kSystem));
}

// Moves into `to` what can go of `from`'s entries; `from` is left with the rest.
void MergeInto(const platform::Folder& from, const platform::Folder& to) {
  Listing listing(from, "*");
  while (std::optional<platform::Entry> entry = listing.Next()) {
    const std::string& name = entry->name;
    if (platform::MoveEntry(from, name, to, name)) continue;
    std::optional<std::uint32_t> source = platform::Attributes(from, name);
    std::optional<std::uint32_t> destination = platform::Attributes(to, name);
    if (!source || !destination) continue;
    if (*source & *destination & platform::kFolder) {  // two real folders
      MergeInto(platform::Folder(from, name), platform::Folder(to, name));
      platform::RemoveFolder(from, name);
    } else if (IsFileOrLink(*source) && MayReplace(*destination)) {
      platform::ReplaceEntry(from, name, to, name);
    }
  }
}

}  // namespace

bool MergeFolder(const platform::Folder& folder, const std::string& name,
                 const std::string& new_name) {
  MergeInto(platform::Folder(folder, name), platform::Folder(folder, new_name));
  platform::RemoveFolder(folder, name);
  if (!EntryExists(folder, name)) return true;
  PrintLine(msg::NotAllMerged(SplitPath(folder.path() + name).shown));
  return false;
}

}  // namespace stampix
