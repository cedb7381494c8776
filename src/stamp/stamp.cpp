#include "stamp/stamp.h"

#include <cstdint>

#include "console/console.h"
#include "console/messages.h"
#include "platform/platform.h"
#include "rename/rename.h"
#include "stamp/listing.h"

namespace stampix {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsEightDigits(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

}  // namespace

bool HasStamp(std::string_view name) {
  for (std::size_t at = name.find('('); at != name.npos; at = name.find('(', at + 1)) {
    if (name.size() - at >= 10 && IsEightDigits(name.substr(at + 1, 8)) && name[at + 9] == ')')
      return true;
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

bool EntryExists(const std::string& path) {
  platform::Entry entry;
  return Listing(path, platform::Detail::kNameOnly).Next(entry) && !entry.name.empty();
}

std::string DateStamp(const std::string& path) {
  platform::Entry entry;
  if (!Listing(path).Next(entry)) return {};
  std::string date = platform::LocalDateText(entry.last_write);
  return IsEightDigits(date) ? "(" + date + ")" : std::string();
}

int StampEntries(const std::string& folder, const std::string& name) {
  const std::string search = folder + (name.empty() ? "*.*" : name);
  if (search.size() > platform::kMaxPath) {
    PrintLine(msg::PathTooLong(search));
    return 1;
  }
  if (!EntryExists(search)) {
    PrintLine(msg::FileNotFound(search));
    return 1;
  }
  std::int32_t found = 0, renamed = 0;
  Listing listing(search, platform::Detail::kNameOnly);
  for (platform::Entry entry; listing.Next(entry);) {
    if (IsDotEntry(entry.name)) continue;
    ++found;
    if (HasStamp(entry.name)) continue;
    const std::string source = folder + entry.name;
    std::string new_name = StampedName(entry.name, DateStamp(source));
    PrintLine(msg::Announce(folder, entry.name, new_name));
    if (RenameEntry(source, folder + new_name)) ++renamed;
  }
  if (found > 1) PrintLine(msg::RenamedCount(renamed));
  return 0;
}

}  // namespace stampix
