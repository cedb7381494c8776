#pragma once
// The stamping pass and the stamp's form: every entry a name selects in one folder gets the
// date it was last written, "(YYYYMMDD)", put into its name.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/platform.h"
#include "core/report.h"
#include "core/request.h"

namespace stampix {

class Journal;

// True when the name's extension, in any case, is one that cameras and phones give photos and
// videos (".JPG", ".HEIC", ".CR2", ".MOV" ...).
bool IsPhotoOrVideo(std::string_view name);

// True when the name holds "(" + eight digits + ")" anywhere: it is stamped already.
bool HasStamp(std::string_view name);

// "(" + the date + ")" for a date of eight digits; empty for any other, which no stamp can hold.
std::string StampOf(std::string_view date);

// The name with the stamp put before its last dot, or at its end when it has no dot.
std::string StampedName(std::string_view name, std::string_view stamp);

// Puts the folder's last write back to `time` when `changed` (something inside it was renamed)
// and it is no longer that; a folder that cannot have it back is told.
void KeepTime(const platform::Folder& folder, const platform::FolderTime& time, bool changed,
              Report& report);

// Stamps, operand after operand, every entry that each selects in `folder` (opened on their
// folder part, which they share), counting them into `tally`, each told to the journal (if any)
// before it changes: operands that name one entry each in one batch. Returns the exit code of
// the pass: 1 when an operand matches nothing or its search text is too long, else 0.
int StampEntries(const platform::Folder& folder, std::span<const Operand> operands,
                 const Choices& choices, Report& report, Tally& tally, Journal* journal);

}  // namespace stampix
