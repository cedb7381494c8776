// The stamp's form, and the date of an entry by the run's sources.
#include "core/stamp.h"

#include <cstdint>
#include <optional>

namespace stampix {

namespace {

bool IsEightDigits(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

bool HasStamp(std::string_view name) {
  for (std::size_t at = name.find('('); at != name.npos; at = name.find('(', at + 1)) {
    std::string_view stamp = name.substr(at, 10);
    if (stamp.size() == 10 && IsEightDigits(stamp.substr(1, 8)) && stamp[9] == ')') return true;
  }
  return false;
}

// Built by appends: GCC 12 at -O3 takes "(" + text + ")" for an overlapping copy.
std::string StampOf(std::string_view date) {
  std::string stamp;
  if (!IsEightDigits(date)) return stamp;
  stamp.append("(").append(date).append(")");
  return stamp;
}

std::string StampedName(std::string_view name, std::string_view stamp) {
  std::size_t dot = name.rfind('.');
  if (dot == name.npos) dot = name.size();
  std::string stamped(name.substr(0, dot));
  stamped.append(stamp).append(name.substr(dot));
  return stamped;
}

std::string StampedMemberName(std::string_view name, bool whole_name, std::string_view stamp) {
  if (!whole_name) return StampedName(name, stamp);
  const std::size_t dot = name.rfind('.');
  return StampedName(name.substr(0, dot), stamp).append(name.substr(dot));
}

// Folders have no taken date.
std::string DateOf(const platform::Folder& folder, const platform::Entry& entry,
                   const std::vector<DateSource>& sources, platform::LocalDates& dates,
                   DateSource& by) {
  for (DateSource source : sources) {
    by = source;
    std::string date;
    if (source == DateSource::kModified) date = dates.Of(entry.last_write);
    if (source == DateSource::kTaken && !(entry.attributes & platform::kFolder))
      date = platform::TakenDate(folder, entry, dates);
    if (source == DateSource::kCreated)
      if (std::optional<std::int64_t> made = platform::CreatedTime(folder, entry))
        date = dates.Of(*made);
    if (!StampOf(date).empty()) return date;
  }
  return {};
}

}  // namespace stampix
