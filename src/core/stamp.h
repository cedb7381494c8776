#pragma once
// The stamp and the date it holds: "(YYYYMMDD)" put into a name, and the date an entry is stamped
// by, from the first of the run's sources that dates it.
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#include "core/request.h"

namespace stampix {

// True when the name holds "(" + eight digits + ")" anywhere: it is stamped already.
bool HasStamp(std::string_view name);

// "(" + the date + ")" for a date of eight digits; empty for any other, which no stamp can hold.
std::string StampOf(std::string_view date);

// The name with the stamp put before its last dot, or at its end when it has no dot.
std::string StampedName(std::string_view name, std::string_view stamp);

// A group member's new name: the stamp before its last dot, or, for a sidecar named by its
// photo's whole name (`whole_name`), where the photo's name takes it ("IMG_1(20170914).CR2.xmp"),
// so that it still names its photo.
std::string StampedMemberName(std::string_view name, bool whole_name, std::string_view stamp);

// The entry's date as "yyyyMMdd" by the first of `sources` that gives one a stamp can hold, that
// source in `by`; empty when none does. Local dates come from `dates`.
std::string DateOf(const platform::Folder& folder, const platform::Entry& entry,
                   const std::vector<DateSource>& sources, platform::LocalDates& dates,
                   DateSource& by);

}  // namespace stampix
