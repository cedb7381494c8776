#pragma once
// The main routine: from the command tail to the exit code.
#include <string>
#include <string_view>

#include "rename/rename.h"

namespace stampix {

// What the command tail asks for.
struct Request {
  bool show_usage = false;
  OverwriteMode overwrite = OverwriteMode::kOff;
  std::string argument;  // a folder part and a name, as typed but for surrounding quotes
};

// Reads the tail: usage request, "/Y" and surrounding quotes.
Request ParseTail(std::string_view tail);

// The folder part for a name that stands alone: the current folder with exactly one
// separator at its end.
std::string FolderPartOf(std::string_view current_folder);

// Runs the whole program for one command tail and returns the exit code: 0, or 1 when the
// argument is refused or matches nothing.
int MainRoutine(std::string_view tail);

}  // namespace stampix
