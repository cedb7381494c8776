#include "stamp/listing.h"

#include "stamp/wildcard.h"

namespace stampix {

namespace {

platform::NameFilter FilterFor(const std::string& path) {
  std::string name = path.substr(FolderPart(path).size());
  if (!HasWildcard(name)) return nullptr;
  return [pattern = WildcardPattern(name)](std::string_view stored) {
    return pattern.Matches(stored);
  };
}

}  // namespace

Listing::Listing(const std::string& path, platform::Detail detail)
    : search_(path, FilterFor(path), detail) {}

std::string FolderPart(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !platform::EndsFolderPart(path[end - 1])) --end;
  return path.substr(0, end);
}

std::string LastPathField(const std::string& path) {
  std::size_t slash = path.find_last_of(std::string{platform::kPathSeparator, '/'});
  return slash == path.npos ? path : path.substr(slash + 1);
}

}  // namespace stampix
