// Listings, existence and kind, and date stamps of entries.
#include "entry/entry.h"

#include <utility>

#include "entry/path.h"

namespace stampix {

namespace {

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

}  // namespace

Listing::Listing(const platform::Folder& folder, std::string_view name) {
  if (!HasWildcard(name)) {
    pending_ = platform::Lookup(folder, name);
    return;
  }
  pattern_.emplace(name);
  search_.emplace(folder);
}

std::optional<platform::Entry> Listing::NextSelected() {
  if (pending_ || !search_) return std::exchange(pending_, std::nullopt);
  while (std::optional<platform::Entry> entry = search_->Next())
    if (pattern_->Matches(entry->name)) return entry;
  return std::nullopt;
}

std::optional<platform::Entry> Listing::Next() {
  while (std::optional<platform::Entry> entry = NextSelected())
    if (!IsDotEntry(entry->name)) return entry;
  return std::nullopt;
}

bool Listing::SelectsAny() {
  if (!pending_) pending_ = NextSelected();
  return pending_.has_value();
}

bool EntryExists(const platform::Folder& folder, std::string_view name) {
  return Listing(folder, name).SelectsAny();
}

bool IsFile(const platform::Folder& folder, std::string_view name) {
  std::optional<platform::Entry> entry = platform::Lookup(folder, name);
  return entry && !(entry->attributes & (platform::kFolder | platform::kVolumeLabel));
}

bool IsFolder(const platform::Folder& folder, std::string_view name) {
  std::optional<std::uint32_t> bits = platform::Attributes(folder, name);
  return bits && (*bits & platform::kFolder);
}

bool IsEightDigits(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string DateStamp(const platform::Folder& folder, const platform::Entry& entry) {
  // Windows lists an entry with its date; Linux pays one look-up for it, and only here.
  std::optional<platform::Entry> described =
      entry.described ? entry : platform::Lookup(folder, entry.name);
  if (!described) return {};
  std::string date = platform::LocalDateText(described->last_write);
  return IsEightDigits(date) ? "(" + date + ")" : std::string();
}

}  // namespace stampix
