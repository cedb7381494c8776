#pragma once
// What only the Linux build has: its folder merge's removal of emptied folders, the second
// output stream, the system's reason for an error, and the stop that a signal asks for. Only
// Linux code includes this header.
#include <string>
#include <string_view>

#include "core/platform.h"

namespace platform {

// Removes the folder `name` if it is empty.
Error RemoveFolder(const Folder& folder, std::string_view name);

// Writes the bytes to standard error with one call; a failure is ignored.
void WriteError(std::string_view bytes);

// The system's own words for an error, such as "Permission denied".
std::string ErrorText(Error error);

// The signal (SIGINT, SIGTERM or SIGHUP) that asked the run to stop, or 0. SetUpProcess makes
// these signals ask rather than end the process, so the entry in hand is finished first.
int StopSignal();

}  // namespace platform
