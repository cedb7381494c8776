#pragma once
// What only the Linux build has: its folder merge's removal of emptied folders, the second
// output stream, the system's reason for an error, and the stop that a signal asks for. Only
// Linux code includes this header.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace platform {

// The folder's path from the root, ending with "/", with no link, "." or ".." in it: where it
// was when it was opened. Empty when the system cannot tell.
const std::string& WholePath(const Folder& folder);

// The folder's permission bits.
std::uint32_t ModeOf(const Folder& folder);

// Removes the folder `name` if it is empty.
Error RemoveFolder(const Folder& folder, std::string_view name);

// Why standard output cannot be written to (it was closed), or 0.
Error OutputError();

// Writes the bytes to standard error with one call; a failure is ignored.
void WriteError(std::string_view bytes);

// True when standard output (or, with `error`, standard error) is a terminal.
bool IsTerminal(bool error);

// A steady clock's milliseconds, for pacing what a terminal is shown.
std::int64_t Milliseconds();

// The system's own words for an error, such as "Permission denied".
std::string ErrorText(Error error);

// The signal (SIGINT, SIGTERM or SIGHUP) that asked the run to stop, or 0. SetUpProcess makes
// these signals ask rather than end the process, so the entry in hand is finished first.
int StopSignal();

}  // namespace platform
