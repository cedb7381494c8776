// The stamping pass: list, skip what is stamped, announce the new name, rename, count.
#include "stamp/stamp.h"

#include <cstdint>

#include "console/console.h"
#include "console/messages.h"
#include "entry/entry.h"
#include "entry/path.h"

namespace stampix {

bool HasStamp(std::string_view name) {
  for (std::size_t at = name.find('('); at != name.npos; at = name.find('(', at + 1)) {
    std::string_view stamp = name.substr(at, 10);
    if (stamp.size() == 10 && IsEightDigits(stamp.substr(1, 8)) && stamp[9] == ')') return true;
  }
  return false;
}

std::string StampedName(std::string_view name, std::string_view stamp) {
  std::size_t dot = name.rfind('.');
  if (dot == name.npos) dot = name.size();
  std::string stamped(name.substr(0, dot));
  stamped.append(stamp).append(name.substr(dot));
  return stamped;
}

int StampEntries(const platform::Folder& folder, std::string_view name, OverwriteMode mode) {
  const std::string pattern(name.empty() ? "*.*" : name);
  const std::string search = folder.path() + pattern;
  if (TooLong(search)) {
    PrintLine(msg::PathTooLong(search));
    return 1;
  }
  Listing listing(folder, pattern);
  if (!listing.SelectsAny()) {
    PrintLine(msg::FileNotFound(search));
    return 1;
  }
  std::int32_t found = 0, renamed = 0;
  while (std::optional<platform::Entry> entry = listing.Next()) {
    ++found;
    if (HasStamp(entry->name)) continue;
    std::string new_name = StampedName(entry->name, DateStamp(folder, *entry));
    PrintLine(msg::Announce(folder.path(), entry->name, new_name));
    if (RenameEntry(folder, entry->name, new_name, mode)) ++renamed;
  }
  if (found > 1) PrintLine(msg::RenamedCount(renamed));
  return 0;
}

}  // namespace stampix
