#pragma once
// What the pass and the rename ask of the file system, in the program's terms: the entries a
// name selects, whether an entry exists and of what kind, and the date stamp it should get.
#include <optional>
#include <string>
#include <string_view>

#include "entry/wildcard.h"
#include "platform/platform.h"

namespace stampix {

// The entries that a name selects in one folder, read one at a time from a live search: a plain
// name selects that entry, a pattern every entry whose long name matches it (never one through
// its legacy short name).
class Listing {
 public:
  Listing(const platform::Folder& folder, std::string_view name);

  // The next selected entry other than "." and "..", or nothing when none is left.
  std::optional<platform::Entry> Next();

  // Whether an entry is left, "." and ".." included: the system's search reports them in every
  // folder but a drive's root, so "*.*" selects something even in an empty one. The entry found
  // stays for Next.
  bool SelectsAny();

 private:
  std::optional<platform::Entry> NextSelected();

  std::optional<platform::Entry> pending_;  // selected, not yet handed out
  std::optional<WildcardPattern> pattern_;
  std::optional<platform::FolderSearch> search_;
};

// True when `name` (a plain name or a pattern) selects at least one entry in the folder.
bool EntryExists(const platform::Folder& folder, std::string_view name);

// True when the entry is a file (not a folder or volume label); false when it is missing.
bool IsFile(const platform::Folder& folder, std::string_view name);

// True when the entry is a folder; false when it is missing.
bool IsFolder(const platform::Folder& folder, std::string_view name);

// True for eight characters "0" to "9": the date of a stamp.
bool IsEightDigits(std::string_view text);

// "(" + the local date of the entry's last write as YYYYMMDD + ")", or empty when the entry is
// gone or its date does not fit in eight digits.
std::string DateStamp(const platform::Folder& folder, const platform::Entry& entry);

}  // namespace stampix
