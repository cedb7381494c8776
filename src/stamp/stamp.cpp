// The stamping pass: list, skip what is stamped, tell the new name, rename, count.
#include "stamp/stamp.h"

#include <cstdint>
#include <system_error>

#include "entry/entry.h"
#include "entry/path.h"
#include "rename/rename.h"

namespace stampix {

namespace {

bool IsEightDigits(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Stamps one listed entry; true when it was renamed.
bool StampEntry(const platform::Folder& folder, const platform::Entry& entry,
                platform::LocalDates& dates, const Operand& operand, const Choices& choices,
                Report& report) {
  const std::string new_name = StampedName(entry.name, StampOf(LocalDate(folder, entry, dates)));
  const Move move{folder, entry.name, new_name};
  if (operand.folder_itself && !IsFolder(folder, entry.name)) {
    report.Told(move.names, Outcome::kCannotRename,
                static_cast<platform::Error>(std::errc::not_a_directory));
    return false;
  }
  report.Planned(move.names);
  Outcome outcome = RenameEntry(move, choices, report);
  return outcome == Outcome::kRenamed;
}

// Every entry the listing yields, until none is left or the run must stop; the count line when
// more than one was listed.
void StampListed(const platform::Folder& folder, Listing& listing, const Operand& operand,
                 const Choices& choices, Report& report) {
  std::int32_t found = 0, renamed = 0;
  platform::LocalDates dates;
  for (std::optional<platform::Entry> entry; !report.ShouldStop() && (entry = listing.Next());) {
    ++found;
    if (!HasStamp(entry->name) && StampEntry(folder, *entry, dates, operand, choices, report))
      ++renamed;
  }
  if (found > 1) report.Count(renamed);
}

}  // namespace

bool HasStamp(std::string_view name) {
  for (std::size_t at = name.find('('); at != name.npos; at = name.find('(', at + 1)) {
    std::string_view stamp = name.substr(at, 10);
    if (stamp.size() == 10 && IsEightDigits(stamp.substr(1, 8)) && stamp[9] == ')') return true;
  }
  return false;
}

std::string StampOf(std::string_view date) {
  return IsEightDigits(date) ? "(" + std::string(date) + ")" : std::string();
}

std::string StampedName(std::string_view name, std::string_view stamp) {
  std::size_t dot = name.rfind('.');
  if (dot == name.npos) dot = name.size();
  std::string stamped(name.substr(0, dot));
  stamped.append(stamp).append(name.substr(dot));
  return stamped;
}

int StampEntries(const platform::Folder& folder, const Operand& operand, const Choices& choices,
                 Report& report) {
  const std::string search = folder.path() + (operand.name.empty() ? "*.*" : operand.name);
  if (TooLong(search)) {
    report.SearchTooLong(search);
    return 1;
  }
  Listing listing(folder, operand.name);
  if (!listing.SelectsAny()) {
    report.NotFound(search, listing.error());
    return 1;
  }
  StampListed(folder, listing, operand, choices, report);
  return 0;
}

}  // namespace stampix
