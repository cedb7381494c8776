#pragma once
// Everything the program writes goes out a whole line at a time.
#include <string>
#include <string_view>

#include "core/platform.h"

namespace stampix {

// Writes the text's bytes unchanged, then the line end, to standard output in one write. Returns
// why the line could not be written whole, or 0.
platform::Error PrintLine(std::string_view text);

// Each line of the text, a line feed after each, as one PrintLine.
void PrintLines(std::string_view text);

// The text with one double-quote character before it and one after it.
std::string Quoted(std::string_view text);

}  // namespace stampix
