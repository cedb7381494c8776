#pragma once
// The entries that "folder part + name" selects, read one at a time from a live search.
#include <string>

#include "platform/platform.h"

namespace stampix {

class Listing {
 public:
  // A name without wildcards selects that entry; a pattern selects the entries whose long
  // names match it (never an entry through its legacy short name).
  explicit Listing(const std::string& path, platform::Detail detail = platform::Detail::kFull);

  // The next selected entry, or false when none is left.
  bool Next(platform::Entry& entry) { return search_.Next(entry); }

 private:
  platform::FolderSearch search_;
};

// The folder part of a full path: everything up to its last folder separator (or, on
// Windows, drive colon).
std::string FolderPart(const std::string& path);

// The text after the last "\\" (or "/") of `path`, or the whole path when it holds none: the
// name by which messages show an entry.
std::string LastPathField(const std::string& path);

}  // namespace stampix
