#pragma once
// The stamping pass and the two queries it asks of each entry.
#include <string>
#include <string_view>

namespace stampix {

// True when the name holds "(" + eight digits + ")" anywhere: it is stamped already.
bool HasStamp(std::string_view name);

// The name with the stamp put before its last dot, or at its end when it has no dot.
std::string StampedName(std::string_view name, std::string_view stamp);

// True when "folder part + name or pattern" selects at least one entry.
bool EntryExists(const std::string& path);

// "(" + the local date of the entry's last write as YYYYMMDD + ")", or empty when nothing is
// found or the date does not fit in eight digits.
std::string DateStamp(const std::string& path);

// Stamps every entry that `name` (empty meaning "*.*") selects in `folder`. Returns the exit
// code: 1 when nothing matches or the search text is too long, else 0.
int StampEntries(const std::string& folder, const std::string& name);

}  // namespace stampix
