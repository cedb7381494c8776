#pragma once
// The main routine: from the command line to the exit code.
#include <string>
#include <string_view>
#include <vector>

#include "rename/rename.h"

namespace stampix {

// What the command line asks for.
struct Request {
  enum class Action { kStamp, kUsage, kVersion };
  Action action = Action::kStamp;
  OverwriteMode overwrite = OverwriteMode::kOff;
  std::vector<std::string> operands = {};  // a folder part and a name each; an empty name: "*.*"

  bool operator==(const Request&) const = default;
};

// The Windows command tail: the usage for nothing or "/?" anywhere, "/Y" anywhere in any case,
// and one operand, its surrounding quotes removed.
Request ParseTail(std::string_view tail);

// The Linux arguments: one operand each, the switches "/Y" (any case), "/?", "--help" and
// "--version" only as whole arguments before "--".
Request ParseArguments(const std::vector<std::string>& arguments);

// The folder part for a name that stands alone: the current folder with exactly one
// separator at its end.
std::string FolderPartOf(std::string_view current_folder);

// Runs the whole program for the command line as the platform hands it over and returns the
// exit code: 1 when an operand is refused or matches nothing, else 0.
int MainRoutine(const std::vector<std::string>& command_line);

}  // namespace stampix
