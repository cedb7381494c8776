#pragma once
// The main routine: from the command tail to the exit code.
#include <string>
#include <string_view>

namespace stampix {

// What the command tail asks for.
struct Request {
  bool show_usage = false;
  bool overwrite = false;     // "/Y" was given
  bool folder_given = false;  // false: the name stands alone and the folder is the current one
  std::string folder;         // ends with a folder separator (or ":" on Windows) when given
  std::string name;           // possibly empty, possibly a pattern
};

// Reads the tail: usage request, "/Y", surrounding quotes, folder part and name part.
Request ParseTail(std::string_view tail);

// The folder part for a name that stands alone: the current folder with exactly one
// separator at its end.
std::string FolderPartOf(std::string_view current_folder);

// Runs the whole program for one command tail and returns the exit code: 0, or 1 when the
// argument is refused or matches nothing.
int MainRoutine(std::string_view tail);

}  // namespace stampix
