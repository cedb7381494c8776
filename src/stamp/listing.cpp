#include "stamp/listing.h"

#include "stamp/wildcard.h"

namespace stampix {

namespace {

platform::NameFilter FilterFor(const std::string& path) {
  std::string name = LastPathField(path);
  if (!HasWildcard(name)) return nullptr;
  return [pattern = WildcardPattern(name)](std::string_view stored) {
    return pattern.Matches(stored);
  };
}

}  // namespace

Listing::Listing(const std::string& path, platform::Detail detail)
    : search_(path, FilterFor(path), detail) {}

std::string LastPathField(const std::string& path) {
  std::size_t start = path.size();
  while (start > 0 && !platform::EndsFolderPart(path[start - 1])) --start;
  return path.substr(start);
}

}  // namespace stampix
