// Listings, existence and kind, and dates of entries.
#include "core/entries.h"

#include <utility>

#include "core/path.h"

namespace stampix {

namespace {

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

}  // namespace

Listing::Listing(const platform::Folder& folder, std::string_view name, bool dot_names_apart,
                 bool keep_passed)
    : keep_passed_(keep_passed) {
  if (IsDotEntry(name)) return;
  if (!name.empty()) pending_ = platform::Lookup(folder, name, &error_);
  if (pending_ || (!name.empty() && !HasWildcard(name))) return;
  pattern_.emplace(name.empty() ? "*.*" : name);
  skip_dot_names_ = dot_names_apart && !name.starts_with('.');
  search_.emplace(folder);
}

std::optional<platform::Entry> Listing::NextSelected() {
  if (pending_ || !search_) return std::exchange(pending_, std::nullopt);
  while (std::optional<platform::Entry> entry = search_->Next()) {
    if (!(skip_dot_names_ && entry->name.starts_with('.')) && pattern_->Matches(entry->name))
      return entry;
    if (keep_passed_ && !IsDotEntry(entry->name)) passed_.push_back(std::move(*entry));
  }
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

platform::Error Listing::error() const { return search_ ? search_->error() : error_; }

std::optional<std::vector<platform::Entry>> FolderEntries(const platform::Folder& folder,
                                                          platform::Error& why) {
  platform::FolderSearch search(folder);
  std::vector<platform::Entry> entries;
  while (std::optional<platform::Entry> entry = search.Next())
    if (!IsDotEntry(entry->name)) entries.push_back(std::move(*entry));
  why = search.error();
  if (why) return std::nullopt;
  return entries;
}

bool Exists(const platform::Folder& folder, std::string_view name) {
  return platform::Attributes(folder, name).has_value();
}

bool IsFolder(const platform::Folder& folder, std::string_view name) {
  std::optional<std::uint32_t> bits = platform::Attributes(folder, name);
  return bits && (*bits & platform::kFolder);
}

std::optional<platform::Entry> Describe(const platform::Folder& folder,
                                        const platform::Entry& entry) {
  // Windows lists an entry with its details; Linux pays one look-up for them, and only here.
  return entry.described ? entry : platform::Lookup(folder, entry.name);
}

}  // namespace stampix
