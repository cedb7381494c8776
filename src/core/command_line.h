#pragma once
// The command line, read by each build's own rules: windows/command_line.cpp reads the Windows
// program's one tail, linux/command_line.cpp the Linux program's arguments.
#include <string>
#include <string_view>
#include <vector>

#include "core/report.h"
#include "core/request.h"

namespace stampix {

// What the command line asks for. Windows: one tail; the usage for nothing or "/?" anywhere,
// "/Y" in any case (one glued to path text on both sides is path text), and one operand, its
// surrounding quotes removed. Linux: one operand an argument, and before "--" the options, short
// ones bundled ("-rn0"), "/Y" and "/?" whole; any other argument that starts with "-" is not
// understood.
Request ParseCommandLine(const std::vector<std::string>& command_line);

// An operand's folder part and name. Windows: the current folder for a lone name; refused when
// the folder part holds a wildcard. Linux: the folder part as given, "DIR/" being the folder DIR
// itself; refused when empty, or when its last part is "." or ".." or it is the root.
Operand ReadOperand(std::string_view text, Refusal& refusal);

}  // namespace stampix
