#pragma once
// What the pass and the rename ask of the file system, in the program's terms: the entries a
// name selects, whether an entry exists and of what kind, and the date it was last written.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "core/wildcard.h"

namespace stampix {

// The entries that a name selects in one folder, read one at a time from a live search. A name
// selects the entry it names; a name that names none and holds "*" or "?" is a pattern and
// selects every entry whose long name matches it (never one through its legacy short name); an
// empty name selects every entry ("*.*"). "." and ".." select nothing.
class Listing {
 public:
  // `dot_names_apart`: a pattern selects names that start with a dot only if it starts with one.
  // `keep_passed`: a pattern keeps the entries it does not select, for Passed.
  Listing(const platform::Folder& folder, std::string_view name, bool dot_names_apart,
          bool keep_passed = false);

  // The next selected entry other than "." and "..", or nothing when none is left.
  std::optional<platform::Entry> Next();

  // Whether an entry is left, "." and ".." included: the system's search reports them in every
  // folder but a drive's root, so "*.*" selects something even in an empty one. The entry found
  // stays for Next.
  bool SelectsAny();

  // Why nothing could be selected, or 0 for a pattern that matches nothing.
  platform::Error error() const;

  // True when the name is a pattern rather than the name of one entry.
  bool is_pattern() const { return pattern_.has_value(); }

  // The entries listed so far that the pattern did not select ("." and ".." aside), where it
  // keeps them; handed over once.
  std::vector<platform::Entry> Passed() { return std::move(passed_); }

 private:
  std::optional<platform::Entry> NextSelected();

  std::optional<platform::Entry> pending_;  // selected, not yet handed out
  std::optional<WildcardPattern> pattern_;
  std::optional<platform::FolderSearch> search_;
  bool skip_dot_names_ = false;
  bool keep_passed_ = false;
  std::vector<platform::Entry> passed_;
  platform::Error error_ = 0;
};

// Every entry of the folder but "." and "..", or nothing when the folder cannot be read whole,
// with the system's reason in `why`.
std::optional<std::vector<platform::Entry>> FolderEntries(const platform::Folder& folder,
                                                          platform::Error& why);

// True when the entry `name` exists; the name is never a pattern.
bool Exists(const platform::Folder& folder, std::string_view name);

// True when the entry is a folder; false when it is missing.
bool IsFolder(const platform::Folder& folder, std::string_view name);

// The entry with its details (kind, date, identity), or nothing when it is gone.
std::optional<platform::Entry> Describe(const platform::Folder& folder,
                                        const platform::Entry& entry);

}  // namespace stampix
